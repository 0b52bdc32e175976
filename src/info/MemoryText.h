#pragma once

#include "platform/MemoryStatus.h"

#include <QLocale>
#include <QString>

namespace quillory::info {

// bytes / 1024 as decimal text in its shortest form: no thousands separators, and a fraction
// (with the locale's decimal separator) only when the division leaves one. 1536 gives "1.5".
QString kilobytes(quint64 bytes, const QLocale& locale = QLocale());

// part / whole in the pattern "0.00%": times 100, exactly two decimals, a percent sign.
// A whole of 0 reads "0.00%".
QString percentUsed(quint64 part, quint64 whole, const QLocale& locale = QLocale());

// The six fixed lines of the memory window.
struct MemoryFigureTexts {
    QString totalPhys;
    QString availPhys;
    QString totalPage;
    QString availPage;
    QString totalVirtual;
    QString availVirtual;
};
MemoryFigureTexts figureTexts(const MemoryFigures& figures, const QLocale& locale = QLocale());

// A usage bar: QProgressBar counts in int, so large byte figures are scaled down (to KB, and
// further while they do not fit) keeping the proportion.
struct UsageBar {
    int maximum = 0;
    int value = 0;
};
UsageBar usageBar(quint64 total, quint64 used);

// The two usage lines and bars refreshed every second.
struct MemoryUsage {
    QString physText;
    QString virtText;
    UsageBar phys;
    UsageBar virt;
};
MemoryUsage memoryUsage(const MemoryFigures& figures, const QLocale& locale = QLocale());

} // namespace quillory::info
