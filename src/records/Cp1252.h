#pragma once

#include <QByteArray>
#include <QString>
#include <cstring>

namespace quillory::records {

// Windows-1252, the single-byte code page of every record file, so a data folder moves between
// Linux and Windows unchanged. The five bytes the code page leaves undefined map to the C1
// controls of the same value, so any file read and written back keeps its bytes.
class Cp1252 {
public:
    static QString decode(QByteArrayView bytes);
    // Fails (returns false) when a character has no byte in the code page; nothing is replaced.
    static bool encode(QStringView text, QByteArray& out);
    static bool canEncode(QStringView text) {
        const qsizetype ascii = asciiLength(text);
        return ascii == text.size() || firstUnencodable(text.sliced(ascii)).isNull();
    }
    // The first character of text the code page cannot hold, or a null QChar.
    static QChar firstUnencodable(QStringView text);
    // How many units text starts with that are ASCII, which every code page holds: four units
    // at a time, the last four of a text of four or more read as one word even where they overlap
    // the word before, as most text is ASCII throughout. Inline, as most fields checked are short.
    static qsizetype asciiLength(QStringView text) {
        const auto ascii = [unit = text.utf16()](qsizetype at) {
            quint64 word;
            std::memcpy(&word, unit + at, sizeof word);
            return (word & 0xFF80FF80FF80FF80ull) == 0;
        };
        qsizetype i = 0;
        if (text.size() >= 4) {
            while (i + 4 <= text.size() && ascii(i))
                i += 4;
            if (i + 4 > text.size() && ascii(text.size() - 4))
                return text.size();
        }
        while (i < text.size() && text.utf16()[i] < 0x80)
            ++i;
        return i;
    }
};

} // namespace quillory::records
