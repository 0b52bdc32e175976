#pragma once

#include <QDate>
#include <QHash>
#include <QLocale>
#include <QString>
#include <optional>
#include <vector>

namespace quillory::tool {

// Reads the long-date texts that lending writes as loan dates. A loan date is written in the
// regional format of the machine that lent the item, so the program's own locale is asked
// first, then every installed locale's long-date form; a text none of them reads stays
// unread rather than guessed at.
class LoanDateReader {
public:
    explicit LoanDateReader(const QLocale& own = QLocale::system());
    std::optional<QDate> read(const QString& text);

private:
    std::optional<QDate> readUncached(const QString& text);
    std::vector<QLocale> m_locales; // the own locale first
    std::size_t m_lastHit = 0;      // loan dates of one library mostly share one locale
    QHash<QString, QDate> m_cache;  // an invalid date: no locale reads the text
};

} // namespace quillory::tool
