#include "platform/InstanceGuard.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace quillory {

namespace {
QString defaultLockPath() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir + QStringLiteral("/quillory-qd.lock");
}
} // namespace

LockFileInstanceGuard::LockFileInstanceGuard() : LockFileInstanceGuard(defaultLockPath()) {}

LockFileInstanceGuard::LockFileInstanceGuard(const QString& lockPath) : m_path(lockPath) {}

LockFileInstanceGuard::~LockFileInstanceGuard() = default;

bool LockFileInstanceGuard::acquire() {
    if (m_lock && m_lock->isLocked())
        return true;
    m_lock = std::make_unique<QLockFile>(m_path);
    m_lock->setStaleLockTime(0); // only a dead owner makes a lock stale, never its age
    if (m_lock->tryLock(0))
        return true;
    // Only a lock held by a live copy means another copy runs. A lock that cannot be made at all
    // (runtime folder missing, full or read-only) must not keep the librarian out.
    return m_lock->error() != QLockFile::LockFailedError;
}

} // namespace quillory
