#include "tool/Csv.h"

#include "records/Cp1252.h"

#include <QStringDecoder>
#include <algorithm>
#include <csv.h>

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

bool isAscii(QByteArrayView bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

// Fields are kept as the file's bytes while it is parsed, and decoded in one go at the end.
struct ParseState {
    CsvTable table;
    CsvRow current;
    QByteArray bytes;    // every data field's bytes, one after the other, unless the file is ASCII
    bool ascii = false;  // then each field goes straight into the table's text
    qsizetype lines = 0; // line breaks in the file: room for rows and fields is made once
    QList<QByteArray> headerFields;
    bool haveHeader = false;
    bool atRowStart = true;
    qsizetype line = 0;
};

void onField(void* data, size_t size, void* state) {
    auto* s = static_cast<ParseState*>(state);
    const QByteArrayView field(static_cast<const char*>(data), data ? qsizetype(size) : 0);
    if (!s->haveHeader) {
        s->headerFields.append(field.toByteArray());
        return;
    }
    if (s->ascii) {
        s->table.text.append(QLatin1StringView(field));
        s->table.ends.push_back(quint32(s->table.text.size()));
    } else {
        s->bytes.append(field);
        s->table.ends.push_back(quint32(s->bytes.size()));
    }
    ++s->current.size;
}

void onRowEnd(int, void* state) {
    auto* s = static_cast<ParseState*>(state);
    if (s->haveHeader) {
        s->table.rows.push_back(s->current);
    } else {
        s->table.rows.reserve(s->lines);
        s->table.ends.reserve(s->lines * s->headerFields.size());
    }
    s->haveHeader = true;
    s->current = CsvRow{};
    s->current.first = s->table.ends.size();
    s->atRowStart = true;
}

QString decodeField(QByteArrayView bytes, CsvEncoding encoding, bool* bad = nullptr) {
    if (encoding == CsvEncoding::Windows1252)
        return records::Cp1252::decode(bytes);
    // Plain ASCII, by far the most common field, reads the same in both encodings and cannot
    // be invalid.
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
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
    if (s.ascii)
        return;
    if (encoding == CsvEncoding::Windows1252 || isAscii(s.bytes)) {
        t.text = decodeField(s.bytes, encoding);
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
    ParseState state;
    // A field is never longer than its text in the file.
    state.ascii = encoding == CsvEncoding::Utf8 && isAscii(rest);
    if (state.ascii)
        state.table.text.reserve(rest.size());
    else
        state.bytes.reserve(rest.size());
    state.lines = std::count(rest.begin(), rest.end(), '\n') + 1;
    csv_parser parser;
    csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI);
    csv_set_space_func(&parser, neverSpace);
    // Fed one line at a time, so every row knows the line it starts on.
    while (!rest.isEmpty()) {
        qsizetype end = rest.indexOf('\n');
        end = end < 0 ? rest.size() : end + 1;
        const QByteArrayView line = rest.first(end);
        ++state.line;
        const bool blank =
            std::all_of(line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; });
        if (state.atRowStart && !blank) {
            state.current.line = state.line;
            state.atRowStart = false;
        }
        if (csv_parse(&parser, line.data(), size_t(line.size()), onField, onRowEnd, &state) !=
            size_t(line.size())) {
            state.table.error = QString::fromLatin1(csv_strerror(csv_error(&parser)));
            state.table.errorLine = state.line;
            csv_free(&parser);
            return std::move(state.table);
        }
        rest = rest.sliced(end);
    }
    if (csv_fini(&parser, onField, onRowEnd, &state) != 0) {
        state.table.error = QStringLiteral("a quoted field is not closed");
        state.table.errorLine = state.current.line;
    }
    csv_free(&parser);
    if (state.table.ok() && !state.haveHeader)
        state.table.error = QStringLiteral("the file has no header row");
    for (const QByteArray& name : std::as_const(state.headerFields))
        state.table.header.append(decodeField(name, encoding));
    decodeFields(state, encoding);
    return std::move(state.table);
}

} // namespace quillory::tool
