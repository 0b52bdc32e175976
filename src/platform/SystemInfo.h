#pragma once

#include "platform/MemoryStatus.h"

#include <QString>

namespace quillory {

// Linux: /proc/meminfo for physical memory and swap (the paging file), /proc/self/status for
// the process's address space against the 64-bit user space. Windows: GlobalMemoryStatusEx.
class SystemMemoryStatus : public MemoryStatus {
public:
    std::optional<MemoryFigures> query() const override;
    // The parsing, apart from the files, so it can be tested on fixed text.
    static std::optional<MemoryFigures> fromProcText(const QByteArray& meminfo,
                                                     const QByteArray& selfStatus);
};

class SystemOsVersion : public OsVersion {
public:
    QString text() const override;
};

} // namespace quillory
