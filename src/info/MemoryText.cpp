#include "info/MemoryText.h"

#include <limits>

namespace quillory::info {

QString kilobytes(quint64 bytes, const QLocale& locale) {
    // Integer arithmetic keeps every figure exact: a remainder r of 1024 is r * 0.0009765625,
    // at most ten decimals.
    const quint64 whole = bytes / 1024;
    const quint64 rest = bytes % 1024;
    QString text = QString::number(whole);
    if (rest == 0)
        return text;
    QString fraction = QStringLiteral("%1").arg(rest * 9765625ULL, 10, 10, QLatin1Char('0'));
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    return text + locale.decimalPoint() + fraction;
}

QString percentUsed(quint64 part, quint64 whole, const QLocale& locale) {
    const double ratio = whole == 0 ? 0.0 : double(part) / double(whole);
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(ratio * 100.0, 'f', 2) + QLatin1Char('%');
}

MemoryFigureTexts figureTexts(const MemoryFigures& f, const QLocale& locale) {
    const QString kb = QStringLiteral(" KB");
    return MemoryFigureTexts{
        QStringLiteral("Total Physical Memory (RAM): ") + kilobytes(f.totalPhys, locale) + kb,
        QStringLiteral("Free Physical Memory (RAM): ") + kilobytes(f.availPhys, locale) + kb,
        QStringLiteral("Total Current Paging File: ") + kilobytes(f.totalPage, locale) + kb,
        QStringLiteral("Free Current Paging File: ") + kilobytes(f.availPage, locale) + kb,
        QStringLiteral("Total Virtual Memory: ") + kilobytes(f.totalVirtual, locale) + kb,
        QStringLiteral("Free Virtual Memory: ") + kilobytes(f.availVirtual, locale) + kb};
}

UsageBar usageBar(quint64 total, quint64 used) {
    if (used > total)
        used = total;
    int shift = 10;
    while ((total >> shift) > quint64(std::numeric_limits<int>::max()))
        ++shift;
    return UsageBar{int(total >> shift), int(used >> shift)};
}

namespace {
quint64 usedOf(quint64 total, quint64 free) {
    return free < total ? total - free : 0;
}
} // namespace

MemoryUsage memoryUsage(const MemoryFigures& f, const QLocale& locale) {
    const quint64 usedPhys = usedOf(f.totalPhys, f.availPhys);
    const quint64 usedVirt = usedOf(f.totalVirtual, f.availVirtual);
    return MemoryUsage{
        QStringLiteral("Physical Memory Usage: ") + percentUsed(usedPhys, f.totalPhys, locale),
        QStringLiteral("Virtual Memory Usage: ") + percentUsed(usedVirt, f.totalVirtual, locale),
        usageBar(f.totalPhys, usedPhys), usageBar(f.totalVirtual, usedVirt)};
}

} // namespace quillory::info
