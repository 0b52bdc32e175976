#include "WriteBlocker.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>
#include <utility>

namespace quillory::test {

WriteBlocker::WriteBlocker(const QString& folder, qint64 bytes) : m_folder(folder) {
    if (::geteuid() != 0) {
        m_mode = Mode::ReadOnly;
        return;
    }
    const QByteArray target = QFile::encodeName(folder);
    const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0755";
    if (::mount("quillory-test", target.constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                options.constData()) == 0) {
        m_mode = Mode::FullDisk;
        return;
    }
    m_why = QStringLiteral("running as root, where a read-only folder stops no write, and a small "
                           "file system cannot be mounted here to fill up (%1)")
                .arg(QString::fromLocal8Bit(std::strerror(errno)));
}

WriteBlocker::~WriteBlocker() {
    release();
    if (m_mode == Mode::FullDisk)
        ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
}

void WriteBlocker::block(bool readOnly) {
    const bool again = std::exchange(m_blocked, true);
    if (m_mode == Mode::FullDisk && readOnly) {
        // Deletes too: the whole small file system becomes read-only.
        m_remounted = ::mount(nullptr, QFile::encodeName(m_folder).constData(), nullptr,
                              MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr) == 0;
        return;
    }
    if (m_mode == Mode::ReadOnly && !again) {
        for (const QString& folder : m_folders)
            QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        return;
    }
    if (m_mode != Mode::FullDisk)
        return;
    // Whole pages first, then single bytes, until the file system refuses: nothing is left.
    // Called again, it takes up whatever a deletion freed since.
    const QByteArray path = QFile::encodeName(m_folder + QLatin1Char('/') + fillerName());
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    static const char page[4096] = {};
    for (size_t chunk : {sizeof page, size_t(1)}) {
        while (::write(fd, page, chunk) > 0) {
        }
    }
    ::close(fd);
}

void WriteBlocker::release() {
    if (!m_blocked)
        return;
    m_blocked = false;
    if (std::exchange(m_remounted, false)) {
        ::mount(nullptr, QFile::encodeName(m_folder).constData(), nullptr,
                MS_REMOUNT | MS_NOSUID | MS_NODEV, nullptr);
    } else if (m_mode == Mode::ReadOnly) {
        for (const QString& folder : m_folders)
            QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner);
    } else if (m_mode == Mode::FullDisk) {
        QFile::remove(m_folder + QLatin1Char('/') + fillerName());
    }
}

} // namespace quillory::test
