#include "platform/SystemInfo.h"

#include <QFile>
#include <QList>

#if defined(Q_OS_UNIX)
#include <sys/utsname.h>
#endif
#if defined(Q_OS_WIN)
#include <windows.h>
#endif

namespace quillory {

namespace {
// Value of a "Key:   1234 kB" line, in bytes.
std::optional<quint64> procField(const QByteArray& text, const QByteArray& key) {
    const QList<QByteArray> lines = text.split('\n');
    for (const QByteArray& line : lines) {
        if (!line.startsWith(key + ':'))
            continue;
        const QList<QByteArray> parts = line.mid(key.size() + 1).simplified().split(' ');
        if (parts.isEmpty())
            return std::nullopt;
        bool ok = false;
        const quint64 value = parts.first().toULongLong(&ok);
        if (!ok)
            return std::nullopt;
        const bool kilobytes = parts.size() > 1 && parts.at(1).toLower() == "kb";
        return kilobytes ? value * 1024 : value;
    }
    return std::nullopt;
}

QByteArray readSmall(const char* path) {
    QFile file(QString::fromLatin1(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(64 * 1024);
}

// The user part of a 64-bit address space (47 bits on x86-64).
constexpr quint64 kUserAddressSpace = quint64(1) << 47;
} // namespace

std::optional<MemoryFigures> SystemMemoryStatus::fromProcText(const QByteArray& meminfo,
                                                              const QByteArray& selfStatus) {
    const auto total = procField(meminfo, "MemTotal");
    // Kernels before 3.14 give no MemAvailable; MemFree is the nearest they have.
    auto avail = procField(meminfo, "MemAvailable");
    if (!avail)
        avail = procField(meminfo, "MemFree");
    const auto swapTotal = procField(meminfo, "SwapTotal");
    const auto swapFree = procField(meminfo, "SwapFree");
    const auto vmSize = procField(selfStatus, "VmSize");
    if (!total || !avail)
        return std::nullopt;
    MemoryFigures f;
    f.totalPhys = *total;
    f.availPhys = *avail;
    f.totalPage = swapTotal.value_or(0);
    f.availPage = swapFree.value_or(0);
    f.totalVirtual = kUserAddressSpace;
    const quint64 used = vmSize.value_or(0);
    f.availVirtual = used < kUserAddressSpace ? kUserAddressSpace - used : 0;
    return f;
}

std::optional<MemoryFigures> SystemMemoryStatus::query() const {
#if defined(Q_OS_WIN)
    MEMORYSTATUSEX status;
    status.dwLength = sizeof(status);
    if (!GlobalMemoryStatusEx(&status))
        return std::nullopt;
    MemoryFigures f;
    f.totalPhys = status.ullTotalPhys;
    f.availPhys = status.ullAvailPhys;
    f.totalPage = status.ullTotalPageFile;
    f.availPage = status.ullAvailPageFile;
    f.totalVirtual = status.ullTotalVirtual;
    f.availVirtual = status.ullAvailVirtual;
    return f;
#else
    return fromProcText(readSmall("/proc/meminfo"), readSmall("/proc/self/status"));
#endif
}

QString SystemOsVersion::text() const {
#if defined(Q_OS_UNIX)
    struct utsname name;
    if (uname(&name) != 0)
        return {};
    return QString::fromLocal8Bit(name.sysname) + QLatin1Char(' ') +
           QString::fromLocal8Bit(name.release);
#elif defined(Q_OS_WIN)
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
    const auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion"));
    if (!rtlGetVersion || rtlGetVersion(&info) != 0)
        return {};
    QString text = QStringLiteral("Windows NT %1.%2.%3")
                       .arg(info.dwMajorVersion)
                       .arg(info.dwMinorVersion)
                       .arg(info.dwBuildNumber & 0xFFFF);
    const QString servicePack = QString::fromWCharArray(info.szCSDVersion);
    if (!servicePack.isEmpty())
        text += QLatin1Char(' ') + servicePack;
    return text;
#else
    return {};
#endif
}

} // namespace quillory
