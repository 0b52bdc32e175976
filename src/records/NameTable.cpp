#include "records/NameTable.h"

#include <QChar>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace quillory::records {

namespace {

// The first 16 folded units of a name, four to a word with the first unit highest, so that
// comparing the words in turn orders as comparing the folded names does. A name never holds a
// zero unit, so the zeros after a short name sort it before every longer name it starts.
struct SortKey {
    quint64 word[4];
    quint32 row;
};

SortKey keyOf(QStringView name, quint32 row) {
    SortKey key{{0, 0, 0, 0}, row};
    const qsizetype n = std::min<qsizetype>(name.size(), 16);
    const char16_t* p = name.utf16();
    for (qsizetype i = 0; i < n; ++i)
        key.word[i >> 2] |= quint64(NameTable::folded(p[i])) << (48 - 16 * (i & 3));
    return key;
}

// Four units to a word, folded as NameTable::folded folds them: a word of ASCII, nearly every
// one, has its capitals made small all at once; any other unit by unit.
quint64 foldedWord(const char16_t* unit, qsizetype count) {
    quint64 word = 0;
    if (count == 4) {
        std::memcpy(&word, unit, sizeof word);
        if ((word & 0xFF80FF80FF80FF80ull) == 0) {
            const quint64 capital = (word + 0x003F003F003F003Full) &  // at least 'A'
                                    ~(word + 0x0025002500250025ull) & // and not beyond 'Z'
                                    0x0080008000800080ull;
            return word | capital >> 2; // 0x80 >> 2 is the 0x20 between a capital and its small
        }
        word = 0;
    }
    for (qsizetype i = 0; i < count; ++i)
        word |= quint64(NameTable::folded(unit[i])) << (16 * i);
    return word;
}

} // namespace

// A name of four units or more ends with the word of its last four, even where that overlaps the
// word before: names equal ignoring case have equal lengths, so they still make the same words.
quint64 NameTable::hashIgnoringCase(QStringView name) {
    const char16_t* unit = name.utf16();
    quint64 hash = quint64(name.size());
    const auto mix = [&hash](quint64 word) {
        hash = (hash ^ word) * 0x9E3779B97F4A7C15ull;
        hash ^= hash >> 32;
    };
    qsizetype i = 0;
    for (; i + 4 <= name.size(); i += 4)
        mix(foldedWord(unit + i, 4));
    if (i < name.size())
        mix(name.size() >= 4 ? foldedWord(unit + name.size() - 4, 4)
                             : foldedWord(unit, name.size()));
    return hash;
}

int NameTable::compareIgnoringCase(QStringView a, QStringView b) {
    const qsizetype n = std::min(a.size(), b.size());
    const char16_t* pa = a.utf16();
    const char16_t* pb = b.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        if (pa[i] == pb[i])
            continue;
        const int diff = int(folded(pa[i])) - int(folded(pb[i]));
        if (diff != 0)
            return diff;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool NameTable::lessThan(QStringView a, QStringView b) {
    const int c = compareIgnoringCase(a, b);
    return c != 0 ? c < 0 : a.compare(b) < 0;
}

template <typename T> void NameTable::makeRoom(std::vector<T>& v, size_t more) {
    if (v.capacity() - v.size() < more)
        v.reserve(v.size() + more + std::max<size_t>(v.size() / 16, 256));
}

QStringList NameTable::toList() const {
    QStringList names;
    names.reserve(size());
    for (qsizetype row = 0; row < size(); ++row)
        names.append(at(row).toString());
    return names;
}

void NameTable::clear() {
    const size_t bytes = m_text.capacity() * sizeof(char16_t) + m_rows.capacity() * sizeof(Row);
    std::vector<char16_t>().swap(m_text);
    std::vector<Row>().swap(m_rows);
    m_unused = 0;
#ifdef __GLIBC__
    // Once it has seen big blocks freed, the C allocator keeps them for later instead of giving
    // them back, so a re-read would leave the old listing's memory with the process beside the
    // new one. A big listing freed goes back now; a first read frees nothing and pays nothing.
    if (bytes >= 1024 * 1024)
        malloc_trim(0);
#else
    Q_UNUSED(bytes);
#endif
}

void NameTable::appendAscii(const char* bytes, qsizetype size) {
    m_rows.push_back({quint32(m_text.size()), quint32(size)});
    m_text.insert(m_text.end(), bytes, bytes + size);
}

void NameTable::append(QStringView name) {
    m_rows.push_back({quint32(m_text.size()), quint32(name.size())});
    m_text.insert(m_text.end(), name.utf16(), name.utf16() + name.size());
}

void NameTable::sort() {
    std::vector<SortKey> keys;
    keys.reserve(m_rows.size());
    for (size_t row = 0; row < m_rows.size(); ++row)
        keys.push_back(keyOf(at(qsizetype(row)), quint32(row)));
    std::sort(keys.begin(), keys.end(), [this](const SortKey& a, const SortKey& b) {
        for (int i = 0; i < 4; ++i) {
            if (a.word[i] != b.word[i])
                return a.word[i] < b.word[i];
        }
        return lessThan(at(a.row), at(b.row)); // longer names, or names equal but for case
    });
    std::vector<Row> rows;
    rows.reserve(m_rows.size());
    for (const SortKey& key : keys)
        rows.push_back(m_rows[key.row]);
    std::vector<SortKey>().swap(keys);
    m_rows.swap(rows);
    std::vector<Row>().swap(rows);
    layOut();
}

void NameTable::layOut() {
    std::vector<char16_t> text;
    text.reserve(m_text.size() - m_unused);
    for (Row& r : m_rows) {
        const auto from = m_text.cbegin() + r.at;
        r.at = quint32(text.size());
        text.insert(text.end(), from, from + r.size);
    }
    m_text.swap(text);
    m_unused = 0;
}

qsizetype NameTable::rowFor(QStringView name) const {
    const auto it =
        std::lower_bound(m_rows.cbegin(), m_rows.cend(), name, [this](const Row& r, QStringView n) {
            return lessThan(QStringView(m_text.data() + r.at, qsizetype(r.size)), n);
        });
    return it - m_rows.cbegin();
}

qsizetype NameTable::firstNotBelowIgnoringCase(QStringView text) const {
    const auto it =
        std::lower_bound(m_rows.cbegin(), m_rows.cend(), text, [this](const Row& r, QStringView t) {
            return compareIgnoringCase(QStringView(m_text.data() + r.at, qsizetype(r.size)), t) < 0;
        });
    return it - m_rows.cbegin();
}

void NameTable::insert(qsizetype row, QStringView name) {
    makeRoom(m_text, size_t(name.size()));
    makeRoom(m_rows, 1);
    m_rows.insert(m_rows.begin() + row, Row{quint32(m_text.size()), quint32(name.size())});
    m_text.insert(m_text.end(), name.utf16(), name.utf16() + name.size());
}

void NameTable::remove(qsizetype row) {
    m_unused += m_rows[size_t(row)].size;
    m_rows.erase(m_rows.begin() + row);
    if (m_unused > 4096 && m_unused > m_text.size() / 2)
        layOut();
}

} // namespace quillory::records
