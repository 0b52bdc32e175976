#pragma once

#include <QString>
#include <memory>

class QLockFile;

namespace quillory {

// Tells whether another copy of the program is running.
class InstanceGuard {
public:
    virtual ~InstanceGuard() = default;
    // False only when another copy holds the claim; the claim lasts as long as the guard.
    virtual bool acquire() = 0;
};

// A lock file; a lock left by a copy that died is taken over.
class LockFileInstanceGuard : public InstanceGuard {
public:
    LockFileInstanceGuard(); // in the user's runtime folder
    explicit LockFileInstanceGuard(const QString& lockPath);
    ~LockFileInstanceGuard() override;
    bool acquire() override;
    QString path() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace quillory
