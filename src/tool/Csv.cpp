#include "tool/Csv.h"

#include "records/Cp1252.h"

#include <QStringDecoder>
#include <algorithm>
#include <cstring>
#include <csv.h>
#include <vector>

namespace quillory::tool {

namespace {
constexpr char kBom[] = "\xEF\xBB\xBF";

bool needsQuotes(QByteArrayView field) {
    for (const char c : field) {
        if (c == ',' || c == '"' || c == '\r' || c == '\n')
            return true;
    }
    return false;
}

// Blanks around a field are part of it (a title may start with one), so nothing is trimmed.
int neverSpace(unsigned char) {
    return 0;
}

// Eight bytes at a time and without an early exit, so the whole file is checked in a few
// instructions per word.
bool isAscii(QByteArrayView bytes) {
    quint64 seen = 0;
    qsizetype i = 0;
    for (quint64 word; i + 8 <= bytes.size(); i += 8) {
        std::memcpy(&word, bytes.data() + i, 8);
        seen |= word;
    }
    for (; i < bytes.size(); ++i)
        seen |= uchar(bytes[i]);
    return (seen & 0x8080808080808080ull) == 0;
}

// How often c occurs in bytes. An empty file's bytes may have no address, which memchr must not
// be given even for no bytes at all.
qsizetype occurrences(QByteArrayView bytes, char c) {
    qsizetype count = 0;
    for (const char *at = bytes.data(), *end = at + bytes.size();
         at != end && (at = static_cast<const char*>(std::memchr(at, c, size_t(end - at)))); ++at)
        ++count;
    return count;
}

// Line ends in bytes, a CR LF pair, a CR alone or an LF alone each counting once.
qsizetype lineEnds(QByteArrayView bytes) {
    qsizetype count = occurrences(bytes, '\n');
    for (const char *at = bytes.data(), *end = at + bytes.size();
         at != end && (at = static_cast<const char*>(std::memchr(at, '\r', size_t(end - at))));
         ++at) {
        if (at + 1 == end || at[1] != '\n')
            ++count;
    }
    return count;
}

// The file is handed to the parser whole. The fields' bytes are kept one after the other and
// decoded at the end.
struct ParseState {
    CsvTable table;
    CsvRow current{1, 0, 0, false};
    QByteArray bytes; // room for the whole file: the fields are never longer than their text in it
    char* raw = nullptr; // the bytes' data, written without asking for a detach per field
    qsizetype used = 0;
    quint32* ends = nullptr; // the table's ends, made for a row per line and doubled if short
    qsizetype fields = 0;
    QList<QByteArray> headerFields;
    bool haveHeader = false;
    bool quoted = false;      // the file has a quote, so a field may hold a line break or a quote
    qsizetype lineBreaks = 0; // passed so far, inside fields and between rows
    bool afterCr = false;     // the last line break between rows was a CR
    qsizetype lines = 0;      // in the whole file, roughly: the rows there is room for
    // With the fields' bytes and count, what tells whether the parser dropped any byte of the
    // file: every byte is a field's, a comma between two fields, a line break between rows, or a
    // quote.
    qsizetype fieldQuotes = 0; // a quote in a field stands for two in the file
    qsizetype rowsWithFields = 0;
    qsizetype rowBreaks = 0;

    void endField() {
        if (fields == table.ends.size()) {
            table.ends.resize(std::max<qsizetype>(64, 2 * fields));
            ends = table.ends.data();
        }
        ends[fields++] = quint32(used);
    }
};

void onField(void* data, size_t size, void* state) {
    auto* s = static_cast<ParseState*>(state);
    const char* field = static_cast<const char*>(data);
    ++s->current.size;
    if (size > 0 && s->quoted) {
        const qsizetype breaks = lineEnds(QByteArrayView(field, qsizetype(size)));
        s->lineBreaks += breaks;
        s->table.lineBreaks = s->table.lineBreaks || (breaks > 0 && s->haveHeader);
        s->fieldQuotes += std::count(field, field + size, '"');
    }
    if (!s->haveHeader) {
        s->headerFields.append(QByteArray(field, size > 0 ? qsizetype(size) : 0));
        return;
    }
    if (size > 0)
        std::memcpy(s->raw + s->used, field, size);
    s->used += qsizetype(size);
    s->endField();
}

// Every line break between rows is reported, blank lines included, so each row knows the line
// it starts on; a blank line is a row without fields and is skipped.
void onRowEnd(int c, void* state) {
    auto* s = static_cast<ParseState*>(state);
    if (c == '\r' || c == '\n') {
        ++s->rowBreaks;
        // An LF straight after a CR ends the same line; a field between them would have made
        // this row's size more than 0.
        if (c == '\r' || !s->afterCr || s->current.size > 0)
            ++s->lineBreaks;
        s->afterCr = c == '\r';
    }
    if (s->current.size > 0) {
        ++s->rowsWithFields;
        if (s->haveHeader) {
            s->table.rows.push_back(s->current);
        } else {
            // Room for a row per line, each as wide as the header, made once.
            s->table.rows.reserve(s->lines);
            s->table.ends.resize(s->lines * s->current.size);
            s->ends = s->table.ends.data();
        }
        s->haveHeader = true;
    }
    s->current = CsvRow{s->lineBreaks + 1, s->fields, 0, false};
}

// One reading of the whole file. With blanksAreText false the parser's own handling of blanks is
// used: it drops them at a field's ends, and costs a good deal less per byte than being told
// what a blank is. The caller reads again with true when any byte was dropped.
ParseState parse(QByteArrayView rest, bool blanksAreText) {
    ParseState state;
    state.bytes.resize(rest.size());
    state.raw = state.bytes.data();
    state.quoted = rest.contains('"');
    // Enough room for the rows, found cheaply: lines end in an LF but in the rare file that
    // ends them with a CR alone.
    state.lines = occurrences(rest, '\n');
    if (state.lines == 0)
        state.lines = occurrences(rest, '\r');
    ++state.lines;
    csv_parser parser;
    csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI | CSV_REPALL_NL);
    if (blanksAreText)
        csv_set_space_func(&parser, neverSpace);
    const size_t parsed =
        csv_parse(&parser, rest.data(), size_t(rest.size()), onField, onRowEnd, &state);
    if (parsed != size_t(rest.size())) {
        state.table.error = QString::fromLatin1(csv_strerror(csv_error(&parser)));
        state.table.errorLine = lineEnds(rest.first(qsizetype(parsed))) + 1;
    } else if (csv_fini(&parser, onField, onRowEnd, &state) != 0) {
        state.table.error = QStringLiteral("a quoted field is not closed");
        state.table.errorLine = state.current.line;
    }
    csv_free(&parser);
    state.table.ends.resize(state.fields);
    return state;
}

// Whether the parser handed over every byte of the file.
bool nothingDropped(const ParseState& s, QByteArrayView rest) {
    qsizetype fieldBytes = s.used;
    for (const QByteArray& name : s.headerFields)
        fieldBytes += name.size();
    const qsizetype commas = s.fields + s.headerFields.size() - s.rowsWithFields;
    const qsizetype quotes = s.quoted ? occurrences(rest, '"') : 0;
    return fieldBytes - s.fieldQuotes + quotes + commas + s.rowBreaks == rest.size();
}

QString decodeField(QByteArrayView bytes, CsvEncoding encoding, bool* bad = nullptr) {
    if (encoding == CsvEncoding::Windows1252)
        return records::Cp1252::decode(bytes);
    // Plain ASCII, by far the most common field, reads the same in both encodings and cannot
    // be invalid.
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    // The file's byte order mark is gone already: one at a field's start is the field's own.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (utf8.hasError() && bad)
        *bad = true;
    return text;
}

// The fields' text from their bytes. Windows-1252 and ASCII have a character per byte, so the
// whole buffer is decoded at once and the fields keep their places; other UTF-8 a field at a time,
// each row learning whether all of its fields were valid.
void decodeFields(ParseState& s, CsvEncoding encoding) {
    CsvTable& t = s.table;
    s.bytes.truncate(s.used);
    if (encoding == CsvEncoding::Windows1252) {
        t.text = records::Cp1252::decode(s.bytes);
        return;
    }
    if (isAscii(s.bytes)) {
        t.text = QString::fromLatin1(s.bytes);
        return;
    }
    t.text.reserve(s.bytes.size());
    qsizetype start = 0;
    for (CsvRow& row : t.rows) {
        for (qsizetype i = row.first; i < row.first + row.size; ++i) {
            const qsizetype end = t.ends[i];
            t.text += decodeField(QByteArrayView(s.bytes).sliced(start, end - start), encoding,
                                  &row.badText);
            t.ends[i] = quint32(t.text.size());
            start = end;
        }
    }
}
} // namespace

std::optional<CsvEncoding> parseEncoding(const QString& name) {
    const QString n = name.trimmed().toLower();
    if (n == QLatin1String("utf-8") || n == QLatin1String("utf8"))
        return CsvEncoding::Utf8;
    if (n == QLatin1String("windows-1252") || n == QLatin1String("cp1252"))
        return CsvEncoding::Windows1252;
    return std::nullopt;
}

CsvWriter::CsvWriter(CsvEncoding encoding, bool byteOrderMark) : m_encoding(encoding) {
    if (byteOrderMark && encoding == CsvEncoding::Utf8)
        m_bytes.append(kBom);
}

void CsvWriter::appendField(const QString& field) {
    // Plain ASCII with nothing to quote, most fields of a library, is its own bytes in both
    // encodings: straight into the buffer, with no encoded copy.
    const auto plain = [](QChar c) {
        return c.unicode() < 0x80 && c != u',' && c != u'"' && c != u'\r' && c != u'\n';
    };
    if (std::all_of(field.cbegin(), field.cend(), plain)) {
        const qsizetype at = m_bytes.size();
        m_bytes.resize(at + field.size());
        std::transform(field.cbegin(), field.cend(), m_bytes.data() + at,
                       [](QChar c) { return char(c.unicode()); });
        return;
    }
    m_encoded.clear();
    if (m_encoding == CsvEncoding::Utf8)
        m_encoded = field.toUtf8();
    else if (!records::Cp1252::encode(field, m_encoded))
        m_encoded = field.toLatin1(); // cannot happen for text read from a record file
    if (!needsQuotes(m_encoded)) {
        m_bytes.append(m_encoded);
        return;
    }
    const qsizetype at = m_bytes.size();
    m_bytes.resize(at + 2 * m_encoded.size() + 2); // every quote doubled, plus the two around
    const size_t written = csv_write(m_bytes.data() + at, size_t(m_bytes.size() - at),
                                     m_encoded.constData(), size_t(m_encoded.size()));
    m_bytes.resize(at + qsizetype(written));
}

void CsvWriter::writeRow(const QStringList& fields) {
    // A row of one empty field would be a blank line, which a reader skips.
    if (fields.size() == 1 && fields[0].isEmpty())
        m_bytes.append("\"\"");
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            m_bytes.append(',');
        appendField(fields[i]);
    }
    m_bytes.append("\r\n");
}

QByteArray CsvWriter::takeBytes() {
    QByteArray out;
    out.swap(m_bytes);
    return out;
}

int CsvTable::column(const QString& name) const {
    for (int i = 0; i < header.size(); ++i) {
        if (header[i].trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

CsvTable readCsv(const QByteArray& bytes, CsvEncoding encoding) {
    QByteArrayView rest(bytes);
    if (rest.startsWith(kBom))
        rest = rest.sliced(3);
    // Far beyond any library's catalogue; keeps every place in the text within 32 bits (a UTF-8
    // byte never decodes to more than one UTF-16 unit).
    if (rest.size() > qsizetype(INT32_MAX)) {
        CsvTable tooLarge;
        tooLarge.error = QStringLiteral("the file is too large");
        return tooLarge;
    }
    ParseState state = parse(rest, false);
    if (!state.table.ok() || !nothingDropped(state, rest))
        state = parse(rest, true);
    if (!state.table.ok())
        return std::move(state.table);
    if (!state.haveHeader)
        state.table.error = QStringLiteral("the file has no header row");
    for (const QByteArray& name : std::as_const(state.headerFields))
        state.table.header.append(decodeField(name, encoding));
    decodeFields(state, encoding);
    return std::move(state.table);
}

} // namespace quillory::tool
