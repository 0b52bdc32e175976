#pragma once

#include <QByteArray>
#include <QString>

namespace quillory::records {

// File names as the system stores them (bytes) and as the program shows them (text). A name that
// is valid UTF-8 is read as UTF-8; any other (a Windows-1252 "Caf\xE9" copied from Windows) as
// Windows-1252, the code page of the records, which gives every byte a character. The way back
// prefers the UTF-8 name and takes the Windows-1252 bytes only for a file that exists under them
// and could not have been listed as UTF-8, so every listed name opens the file it came from.
class FileNames {
public:
    static QString decode(QByteArrayView bytes);
    // The bytes of a path whose last part is a name decoded as above.
    static QByteArray encodePath(const QString& path);
    static bool isValidUtf8(QByteArrayView bytes);
};

} // namespace quillory::records
