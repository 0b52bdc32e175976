#pragma once

#include <QByteArray>
#include <QString>

namespace quillory::records {

// Windows-1252, the single-byte code page of every record file, so a data folder moves between
// Linux and Windows unchanged. The five bytes the code page leaves undefined map to the C1
// controls of the same value, so any file read and written back keeps its bytes.
class Cp1252 {
public:
    static QString decode(QByteArrayView bytes);
    // Fails (returns false) when a character has no byte in the code page; nothing is replaced.
    static bool encode(QStringView text, QByteArray& out);
    static bool canEncode(QStringView text) { return firstUnencodable(text).isNull(); }
    // The first character of text the code page cannot hold, or a null QChar.
    static QChar firstUnencodable(QStringView text);
};

} // namespace quillory::records
