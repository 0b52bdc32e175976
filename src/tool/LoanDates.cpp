#include "tool/LoanDates.h"

#include <QSet>

namespace quillory::tool {

LoanDateReader::LoanDateReader(const QLocale& own) {
    m_locales.push_back(own);
    // Locales that share a long-date form and month and day names read the same texts.
    const auto key = [](const QLocale& l) {
        return l.dateFormat(QLocale::LongFormat) + l.monthName(1) + l.monthName(5) +
               l.monthName(12) + l.dayName(1) + l.dayName(7);
    };
    QSet<QString> seen{key(own)};
    for (const QLocale& locale : QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript,
                                                          QLocale::AnyTerritory)) {
        if (!seen.contains(key(locale))) {
            seen.insert(key(locale));
            m_locales.push_back(locale);
        }
    }
}

std::optional<QDate> LoanDateReader::read(const QString& text) {
    auto at = m_cache.constFind(text);
    if (at == m_cache.cend())
        at = m_cache.insert(text, readUncached(text).value_or(QDate()));
    if (!at->isValid())
        return std::nullopt;
    return *at;
}

std::optional<QDate> LoanDateReader::readUncached(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    const QDate own = m_locales.front().toDate(trimmed, QLocale::LongFormat);
    if (own.isValid())
        return own;
    if (m_lastHit != 0) {
        const QDate date = m_locales[m_lastHit].toDate(trimmed, QLocale::LongFormat);
        if (date.isValid())
            return date;
    }
    for (std::size_t i = 1; i < m_locales.size(); ++i) {
        const QDate date = m_locales[i].toDate(trimmed, QLocale::LongFormat);
        if (date.isValid()) {
            m_lastHit = i;
            return date;
        }
    }
    return std::nullopt;
}

} // namespace quillory::tool
