#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

namespace quillory::records {

// A folder's names in list order: case ignored, then exact. All names share one buffer of text
// and each row is two numbers into it, so a name costs its characters and eight bytes, a full
// listing is two allocations that go back to the system when freed, and sorting moves small
// fixed-size keys instead of chasing a pointer per name.
class NameTable {
public:
    NameTable() = default;
    ~NameTable() { clear(); }
    NameTable(const NameTable&) = delete;
    NameTable& operator=(const NameTable&) = delete;

    qsizetype size() const { return qsizetype(m_rows.size()); }
    bool isEmpty() const { return m_rows.empty(); }
    // The name of a row; valid until the table next changes.
    QStringView at(qsizetype row) const {
        const Row r = m_rows[size_t(row)];
        return QStringView(m_text.data() + r.at, qsizetype(r.size));
    }
    QStringList toList() const;

    // Frees every name and gives the memory they took back to the system.
    void clear();
    // Adds a name at the end, out of order until sort(). Names of ASCII bytes skip decoding.
    void appendAscii(const char* bytes, qsizetype size);
    void append(QStringView name);
    // Puts the names appended since clear() in list order, their text laid out in that order.
    void sort();

    // Row where the name belongs in list order (lower bound).
    qsizetype rowFor(QStringView name) const;
    // First row not before the text ignoring case.
    qsizetype firstNotBelowIgnoringCase(QStringView text) const;
    void insert(qsizetype row, QStringView name);
    void remove(qsizetype row);

    // Compares ignoring case, one UTF-16 unit at a time (simple case folding): a prefix ignoring
    // case sorts right before every name it starts.
    static int compareIgnoringCase(QStringView a, QStringView b);
    // One UTF-16 unit as compareIgnoringCase sees it; most names are ASCII, folded without a
    // table look-up.
    static char16_t folded(char16_t c) {
        if (c < 0x80)
            return char16_t(unsigned(c - u'A') < 26u ? c + 32 : c);
        return QChar::toCaseFolded(c);
    }
    // A hash of the name's folded units: names compareIgnoringCase calls equal hash alike.
    static quint64 hashIgnoringCase(QStringView name);
    // The order of the list: case ignored, then exact, so equal names in other cases keep one
    // order from one listing to the next.
    static bool lessThan(QStringView a, QStringView b);

private:
    struct Row {
        quint32 at;
        quint32 size;
    };
    // Room for more text or rows in small steps, so the program's own additions after a full
    // listing do not double the memory it holds.
    template <typename T> static void makeRoom(std::vector<T>& v, size_t more);
    // Copies the text in row order into a buffer of its exact size, dropping removed names.
    void layOut();

    std::vector<char16_t> m_text;
    std::vector<Row> m_rows;
    size_t m_unused = 0; // characters of removed names still in the buffer
};

} // namespace quillory::records
