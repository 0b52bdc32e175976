#include "FuzzSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace quillory::fuzz {

QString scratchFolder() {
    static const QTemporaryDir dir = [] {
        const QString shm = QStringLiteral("/dev/shm");
        const QString base =
            QFileInfo(shm).isDir() && QFileInfo(shm).isWritable() ? shm : QDir::tempPath();
        return QTemporaryDir(base + QStringLiteral("/quillory-fuzz-XXXXXX"));
    }();
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a scratch folder\n");
        std::abort();
    }
    return dir.path();
}

QString writeScratch(const QString& name, const uint8_t* data, size_t size) {
    const QString path = scratchFolder() + QLatin1Char('/') + name;
    const QByteArray encoded = QFile::encodeName(path);
    // Plain system calls: this runs for every input and must stay cheap.
    const int fd = ::open(encoded.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        std::perror("scratch file");
        std::abort();
    }
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0) {
            std::perror("scratch write");
            std::abort();
        }
        done += size_t(n);
    }
    ::close(fd);
    return path;
}

QString writeScratch(const QString& name, const QByteArray& bytes) {
    return writeScratch(name, reinterpret_cast<const uint8_t*>(bytes.constData()),
                        size_t(bytes.size()));
}

QByteArray readScratch(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void fail(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: expectation failed: %s\n", file, line, condition);
    std::abort();
}

} // namespace quillory::fuzz
