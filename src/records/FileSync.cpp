#include "records/FileSync.h"

#include "records/FileNames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace quillory {

namespace {
void setError(QString* error, const QString& text) {
    if (error)
        *error = text;
}
#ifndef Q_OS_WIN
QString systemWords(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}
#endif
} // namespace

namespace {
void releaseHeld();
} // namespace

bool syncFolder(const QString& folder, QString* error) {
#ifdef Q_OS_WIN
    // A rename made with MOVEFILE_WRITE_THROUGH is already on the disk when it returns; deletes
    // are flushed through the folder handle.
    const std::wstring path = QDir::toNativeSeparators(folder).toStdWString();
    const HANDLE dir = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (dir == INVALID_HANDLE_VALUE)
        return true; // not every file system lets a folder be opened so; nothing more to do
    FlushFileBuffers(dir);
    CloseHandle(dir);
    return true;
#else
    const QByteArray path = QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder);
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        setError(error, systemWords(errno));
        return false;
    }
    // Some file systems cannot sync a folder (EINVAL); their entries are as safe as they get.
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL;
    const int code = errno;
    ::close(fd);
    releaseHeld();
    if (!ok)
        setError(error, systemWords(code));
    return ok;
#endif
}

namespace {

// Syncs one file or folder by its path; the system's words when it could not.
QString syncPath(const QByteArray& nativePath) {
#ifdef Q_OS_WIN
    const std::wstring path =
        QDir::toNativeSeparators(QFile::decodeName(nativePath)).toStdWString();
    const HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return {}; // a folder some file systems will not open so; its entries are written through
    const bool ok = FlushFileBuffers(h);
    CloseHandle(h);
    return ok ? QString() : QStringLiteral("the file could not be flushed to the disk");
#else
    const int fd = ::open(nativePath.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return systemWords(errno);
    // Some file systems cannot sync a folder (EINVAL); their entries are as safe as they get.
    QString failure;
    if (::fsync(fd) != 0 && errno != EINVAL)
        failure = systemWords(errno);
    ::close(fd);
    return failure;
#endif
}

// Threads kept for the syncs of later rounds (and for freeing replaced files): starting one
// costs about as much as a sync on a fast disk. They wait when idle and end with the process.
// A child made by fork() has none of its parent's threads, so it starts its own set.
class Workers {
public:
    static Workers& get() {
        static std::atomic<Workers*> current{nullptr};
        static std::mutex making;
        const qint64 pid = QCoreApplication::applicationPid();
        Workers* w = current.load();
        if (w && w->m_pid == pid)
            return *w;
        const std::lock_guard<std::mutex> hold(making);
        w = current.load();
        if (!w || w->m_pid != pid) {
            w = new Workers; // never deleted: a parent's set may still be in use in its threads
            current.store(w);
        }
        return *w;
    }
    // Runs the task on a waiting thread, starting one when none waits (up to a limit).
    void post(std::function<void()> task) {
        std::unique_lock<std::mutex> hold(m_lock);
        m_tasks.push_back(std::move(task));
        if (m_idle < qsizetype(m_tasks.size()) && m_threads < kMaxThreads) {
            try {
                std::thread([this] { serve(); }).detach();
                ++m_threads;
            } catch (const std::system_error&) {
                // The waiting ones, or the caller itself, do the work.
            }
        }
        hold.unlock();
        m_wake.notify_one();
    }

private:
    static constexpr int kMaxThreads = 16;
    void serve() {
        std::unique_lock<std::mutex> hold(m_lock);
        for (;;) {
            ++m_idle;
            m_wake.wait(hold, [this] { return !m_tasks.empty(); });
            --m_idle;
            std::function<void()> task = std::move(m_tasks.front());
            m_tasks.pop_front();
            hold.unlock();
            task();
            hold.lock();
        }
    }
    const qint64 m_pid = QCoreApplication::applicationPid();
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_tasks;
    qsizetype m_idle = 0;
    int m_threads = 0;
};

#ifndef Q_OS_WIN
// Files replaced or deleted while held open (changeHeld), freed once the next round of syncs
// has returned, on a worker: never on the way of a change, nor of the round's own syncs.
struct HeldFiles {
    std::mutex lock;
    std::vector<int> fds;
};
HeldFiles& heldFiles() {
    static HeldFiles* held = new HeldFiles; // workers may use it while the process ends
    return *held;
}
#endif

void releaseHeld() {
#ifndef Q_OS_WIN
    std::vector<int> fds;
    {
        const std::lock_guard<std::mutex> hold(heldFiles().lock);
        fds.swap(heldFiles().fds);
    }
    if (!fds.empty())
        Workers::get().post([fds] {
            for (const int fd : fds)
                ::close(fd);
        });
#endif
}

// Syncs every path side by side. Syncs waiting together are joined into one journal commit and
// one flush of the disk's cache; this thread takes part, so the work gets done even where no
// other thread can run.
std::vector<QString> syncAll(const QList<QByteArray>& paths) {
    struct Round {
        explicit Round(const QList<QByteArray>& p) : paths(p), failures(size_t(p.size())) {}
        // Read by every thread at once: const, so no thread can detach the list it shares with
        // the caller.
        const QList<QByteArray> paths;
        std::vector<QString> failures; // each path's slot written by the thread that synced it
        std::atomic<qsizetype> next{0};
        std::mutex lock;
        std::condition_variable finished;
        qsizetype done = 0;
        void work() {
            for (qsizetype i; (i = next.fetch_add(1)) < paths.size();) {
                failures[size_t(i)] = syncPath(paths[i]);
                const std::lock_guard<std::mutex> hold(lock);
                if (++done == paths.size())
                    finished.notify_all();
            }
        }
    };
    const auto round = std::make_shared<Round>(paths);
    const qsizetype helpers = std::min<qsizetype>(paths.size(), 16) - 1;
    for (qsizetype t = 0; t < helpers; ++t)
        Workers::get().post([round] { round->work(); });
    round->work();
    std::unique_lock<std::mutex> hold(round->lock);
    round->finished.wait(hold, [&] { return round->done == round->paths.size(); });
    return std::move(round->failures);
}

// Paths left for the next round of syncs. Whatever is still left when the program ends reaches
// the disk then.
struct LeftPaths {
    std::mutex lock;
    QList<QByteArray> paths;
    ~LeftPaths() {
        for (const QByteArray& path : paths)
            syncPath(path);
    }
};
LeftPaths& leftPaths() {
    static LeftPaths left;
    return left;
}

// Syncs the given paths and those left for later side by side; the left ones that could not be
// synced stay left, and `leftFailure` gets the system's words for them.
QStringList syncWithLeft(const QList<QByteArray>& given, QString* leftFailure) {
    QList<QByteArray> paths = given;
    QList<QByteArray> left;
    {
        const std::lock_guard<std::mutex> hold(leftPaths().lock);
        left = std::exchange(leftPaths().paths, {});
    }
    for (const QByteArray& path : left)
        if (!paths.contains(path))
            paths.append(path);
    const std::vector<QString> failures = syncAll(paths);
    releaseHeld();
    // A left path that has gone since (a folder deleted or moved away) has nothing to sync.
    QList<QByteArray> again;
    for (const QByteArray& path : left) {
        const QString& failure = failures[size_t(paths.indexOf(path))];
        if (!failure.isEmpty() && QFile::exists(QFile::decodeName(path))) {
            again.append(path);
            *leftFailure = failure;
        }
    }
    syncBeforeNextWrite(again);
    return QStringList(failures.begin(), failures.begin() + given.size());
}

} // namespace

QStringList syncTogether(const QList<QByteArray>& nativePaths) {
    QString leftFailure;
    QStringList failures = syncWithLeft(nativePaths, &leftFailure);
    // Nothing given may count as synced while an earlier change it relies on is not.
    if (!leftFailure.isEmpty())
        for (QString& failure : failures)
            if (failure.isEmpty())
                failure = leftFailure;
    return failures;
}

void syncBeforeNextWrite(const QList<QByteArray>& nativePaths) {
    const std::lock_guard<std::mutex> hold(leftPaths().lock);
    for (const QByteArray& path : nativePaths)
        if (!leftPaths().paths.contains(path))
            leftPaths().paths.append(path);
}

QString syncLeftPaths() {
    QString failure;
    syncWithLeft({}, &failure);
    return failure;
}

#ifndef Q_OS_WIN
int changeHeld(const QByteArray& nativePath, const std::function<int()>& change) {
    // Not a link's target, never waiting on a pipe: only a record's own file is worth holding.
    int held = ::open(nativePath.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    int result = change();
    if (result != 0 && held >= 0) {
        // Some network shares refuse to replace or delete a file that is open: once more, let go.
        ::close(std::exchange(held, -1));
        result = change();
    }
    const int code = errno;
    if (held >= 0) {
        const std::lock_guard<std::mutex> hold(heldFiles().lock);
        heldFiles().fds.push_back(held);
    }
    errno = code;
    return result;
}
#endif

bool replaceFile(const QString& from, const QString& to, QString* error) {
#ifdef Q_OS_WIN
    const std::wstring a = QDir::toNativeSeparators(from).toStdWString();
    const std::wstring b = QDir::toNativeSeparators(to).toStdWString();
    if (MoveFileExW(a.c_str(), b.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    setError(error, QStringLiteral("the system refused to rename the file"));
    return false;
#else
    // The target by its bytes: a record listed under a name that is not UTF-8 is replaced as it
    // is, not joined by a second file under the UTF-8 spelling.
    const QByteArray target = records::FileNames::encodePath(to);
    const QByteArray source = QFile::encodeName(from);
    if (changeHeld(target, [&] { return ::rename(source.constData(), target.constData()); }) == 0)
        return true;
    setError(error, systemWords(errno));
    return false;
#endif
}

bool placeNewFile(const QString& from, const QString& to, bool* taken, QString* error) {
    *taken = false;
#ifdef Q_OS_WIN
    const std::wstring a = QDir::toNativeSeparators(from).toStdWString();
    const std::wstring b = QDir::toNativeSeparators(to).toStdWString();
    if (MoveFileExW(a.c_str(), b.c_str(), MOVEFILE_WRITE_THROUGH))
        return true;
    const DWORD code = GetLastError();
    *taken = code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS;
    setError(error, QStringLiteral("the system refused to rename the file"));
    return false;
#else
    // A link is made only where no name is: the check and the creation are one step, so a file
    // made meanwhile by anything else is never replaced.
    const QByteArray source = QFile::encodeName(from);
    if (::link(source.constData(), records::FileNames::encodePath(to).constData()) != 0) {
        *taken = errno == EEXIST;
        setError(error, systemWords(errno));
        return false;
    }
    ::unlink(source.constData());
    return true;
#endif
}

} // namespace quillory
