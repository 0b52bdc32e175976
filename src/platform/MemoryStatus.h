#pragma once

#include <QtGlobal>
#include <optional>

namespace quillory {

// The system's memory figures, in bytes.
struct MemoryFigures {
    quint64 totalPhys = 0;
    quint64 availPhys = 0;
    quint64 totalPage = 0;
    quint64 availPage = 0;
    quint64 totalVirtual = 0;
    quint64 availVirtual = 0;
};

class MemoryStatus {
public:
    virtual ~MemoryStatus() = default;
    virtual std::optional<MemoryFigures> query() const = 0;
};

// The operating system's name and version, e.g. "Linux 6.1.0-28-amd64"; empty when unknown.
class OsVersion {
public:
    virtual ~OsVersion() = default;
    virtual QString text() const = 0;
};

} // namespace quillory
