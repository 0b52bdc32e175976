#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace quillory::tool {

// Text encodings a CSV file may use. UTF-8 is what spreadsheet programs write today;
// Windows-1252 is what older ones (and the record files) use.
enum class CsvEncoding { Utf8, Windows1252 };

// "utf-8" / "windows-1252", letter case ignored; empty for anything else.
std::optional<CsvEncoding> parseEncoding(const QString& name);

// Builds an RFC 4180 file: fields separated by commas, rows ended by CR LF, a field quoted
// (inner quotes doubled) only when it holds a comma, a quote or a line break.
class CsvWriter {
public:
    explicit CsvWriter(CsvEncoding encoding = CsvEncoding::Utf8, bool byteOrderMark = false);
    void writeRow(const QStringList& fields);
    // The bytes so far; takeBytes() hands them over and starts an empty buffer, so long exports
    // can be written out in pieces.
    const QByteArray& bytes() const { return m_bytes; }
    QByteArray takeBytes();

private:
    void appendField(const QString& field);
    CsvEncoding m_encoding;
    QByteArray m_bytes;
    QByteArray m_encoded;
};

// One data row: the line of the file where it starts (the header being line 1) and where its
// fields are in the table.
struct CsvRow {
    qsizetype line = 0;
    qsizetype first = 0;  // the table's number of the row's first field
    int size = 0;         // how many fields the row has
    bool badText = false; // a field was not valid in the file's encoding
};

struct CsvTable {
    QStringList header;
    QList<CsvRow> rows;
    QString error;           // why the file could not be read as CSV at all; empty when it could
    bool lineBreaks = false; // a data field holds a line break (a quoted one may)
    qsizetype errorLine = 0;
    // Every data field's text, one after the other, and where each ends in it: one buffer for the
    // whole file rather than a string per field. A copy of the table shares them. A file is read
    // whole into memory, so it is refused long before its text outgrows 32-bit places.
    QString text;
    QList<quint32> ends;

    bool ok() const { return error.isEmpty(); }
    // Index of a header name, letter case and surrounding blanks ignored; -1 when absent.
    int column(const QString& name) const;
    // A field of a row, empty when the row has no such field; valid while the table's text is.
    QStringView field(const CsvRow& row, int index) const {
        if (index < 0 || index >= row.size)
            return {};
        const qsizetype at = row.first + index;
        const qsizetype start = at == 0 ? 0 : ends[at - 1];
        return QStringView(text).sliced(start, qsizetype(ends[at]) - start);
    }
};

// Reads an RFC 4180 file strictly (a stray quote is an error, not guessed at). A UTF-8 byte
// order mark is dropped; blank lines are skipped. The first row is the header.
CsvTable readCsv(const QByteArray& bytes, CsvEncoding encoding = CsvEncoding::Utf8);

} // namespace quillory::tool
