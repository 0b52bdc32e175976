#include "records/FolderIndex.h"

#include "records/FileNames.h"
#include "records/RecordFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <cstring>
#include <ctime>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/inotify.h>
#include <sys/vfs.h>
#endif

namespace quillory::records {

namespace {

QHash<QString, std::weak_ptr<FolderIndex>>& registry() {
    // Never destroyed: an index may outlive the statics at exit.
    static auto* indexes = new QHash<QString, std::weak_ptr<FolderIndex>>;
    return *indexes;
}

QString keyOf(const QString& folder) {
    return QDir::cleanPath(folder);
}

#ifdef Q_OS_LINUX
// File systems whose change reports miss changes made on other machines.
bool reportsAreLocalOnly(const QByteArray& folder) {
    struct statfs fs;
    if (statfs(folder.constData(), &fs) != 0)
        return true;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x6969UL:     // NFS
    case 0x517BUL:     // SMB
    case 0xFF534D42UL: // CIFS
    case 0xFE534D42UL: // SMB2
    case 0x65735546UL: // FUSE (sshfs and the like)
    case 0x01021997UL: // 9P
    case 0x00C36400UL: // Ceph
    case 0x5346414FUL: // AFS
        return true;
    default:
        return false;
    }
}
#endif

} // namespace

std::shared_ptr<FolderIndex> FolderIndex::of(const QString& folder) {
    const QString key = keyOf(folder);
    std::weak_ptr<FolderIndex>& slot = registry()[key];
    std::shared_ptr<FolderIndex> index = slot.lock();
    if (!index) {
        index = std::shared_ptr<FolderIndex>(new FolderIndex(key));
        slot = index;
    }
    return index;
}

std::shared_ptr<FolderIndex> FolderIndex::find(const QString& folder) {
    const auto it = registry().constFind(keyOf(folder));
    return it == registry().cend() ? nullptr : it->lock();
}

FolderIndex::FolderIndex(const QString& folder)
    : m_folder(folder), m_nativeFolder(QFile::encodeName(folder)) {
    if (!m_nativeFolder.endsWith('/'))
        m_nativeFolder += '/';
}

FolderIndex::~FolderIndex() {
#ifdef Q_OS_LINUX
    if (m_notifier >= 0)
        ::close(m_notifier);
#endif
    const auto it = registry().find(m_folder);
    if (it != registry().end() && it->expired())
        registry().erase(it);
}

qsizetype FolderIndex::firstWithPrefix(QStringView text) const {
    // Every name starting with the text (case ignored) sorts at or right after it.
    const qsizetype row = m_names.firstNotBelowIgnoringCase(text);
    if (row == m_names.size() || m_names.at(row).size() < text.size() ||
        NameTable::compareIgnoringCase(m_names.at(row).first(text.size()), text) != 0)
        return -1;
    return row;
}

qsizetype FolderIndex::rowOf(QStringView name) const {
    const qsizetype row = m_names.rowFor(name);
    return row < m_names.size() && m_names.at(row) == name ? row : -1;
}

qsizetype FolderIndex::rowIgnoringCase(QStringView name) const {
    const qsizetype row = firstWithPrefix(name);
    return row >= 0 && m_names.at(row).size() == name.size() ? row : -1;
}

bool FolderIndex::update() {
    if (m_read && (m_reportsByName ? applyReports() : stampCurrent()))
        return m_found;
    readAll();
    return m_found;
}

bool FolderIndex::updateCheaply() {
    if (!m_read)
        return false;
    if (!m_reportsByName)
        return stampCurrent();
    if (applyReports())
        return true;
    m_read = false; // the reports overflowed or the folder went: the next update reads it all
    return false;
}

void FolderIndex::readAll() {
    Q_EMIT aboutToReset();
    m_names.clear(); // the old names go before the new ones come
    m_leftovers.clear();
    m_read = true;
    m_found = false;
#ifdef Q_OS_UNIX
#ifdef Q_OS_LINUX
    // Watch first, so that a change made while the folder is read is reported afterwards.
    if (m_notifier < 0)
        m_notifier = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_watch >= 0)
        inotify_rm_watch(m_notifier, m_watch);
    m_watch = m_notifier < 0
                  ? -1
                  : inotify_add_watch(m_notifier, m_nativeFolder.constData(),
                                      IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                          IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR);
    m_reportsByName = m_watch >= 0 && !reportsAreLocalOnly(m_nativeFolder);
    if (m_reportsByName) {
        char discard[4096];
        while (::read(m_notifier, discard, sizeof discard) > 0) {
        }
    }
#endif
    struct stat st;
    if (::stat(m_nativeFolder.constData(), &st) == 0) {
        m_stamp = {qint64(st.st_dev), qint64(st.st_ino),
                   qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                   qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
        timespec now;
        clock_gettime(CLOCK_REALTIME, &now);
        // A change within the same tick of the file system's clock would leave the same time:
        // a folder changed in the last two seconds is read again next time.
        const qint64 latest = std::max(m_stamp.mtimeNs, m_stamp.ctimeNs);
        m_racy = qint64(now.tv_sec) * 1000000000 + now.tv_nsec - latest < 2000000000LL;
    } else {
        m_stamp = {};
    }
    // One pass with readdir: the entry type comes with the name, so no file is stat'ed unless
    // the file system does not give it.
    if (DIR* dir = opendir(m_nativeFolder.constData())) {
        m_found = true;
        while (const dirent* entry = readdir(dir)) {
            const char* name = entry->d_name;
            const QByteArrayView bytes(name, qsizetype(std::strlen(name)));
            // Hidden files, "." and "..", and every name with an extension are no records; of
            // those only the temporaries of killed writes are noted.
            const bool record = !bytes.contains('.');
            if (!record && !RecordFile::isLeftoverName(bytes))
                continue;
            bool regular = entry->d_type == DT_REG;
            if (entry->d_type == DT_UNKNOWN) {
                struct stat file;
                regular =
                    lstat((m_nativeFolder + name).constData(), &file) == 0 && S_ISREG(file.st_mode);
            }
            if (!regular)
                continue;
            if (!record) {
                m_leftovers.append(bytes.toByteArray());
                continue;
            }
            if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; }))
                m_names.appendAscii(bytes.data(), bytes.size());
            else
                m_names.append(FileNames::decode(bytes));
        }
        closedir(dir);
    }
#else
    if (QFileInfo(m_folder).isDir()) {
        m_found = true;
        QDirIterator it(m_folder, QDir::Files | QDir::NoSymLinks | QDir::NoDotAndDotDot);
        while (it.hasNext()) {
            it.next();
            const QString name = it.fileName();
            if (!name.contains(QLatin1Char('.')) && !it.fileInfo().isHidden())
                m_names.append(name);
        }
    }
#endif
    m_names.sort();
    Q_EMIT wasReset();
}

bool FolderIndex::stampCurrent() const {
#ifdef Q_OS_UNIX
    struct stat st;
    if (::stat(m_nativeFolder.constData(), &st) != 0)
        return !m_found;
    const Stamp now{qint64(st.st_dev), qint64(st.st_ino),
                    qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                    qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
    return m_found && !m_racy && now == m_stamp;
#else
    return false; // read again every time
#endif
}

bool FolderIndex::applyReports() {
#ifdef Q_OS_LINUX
    alignas(inotify_event) char buffer[64 * 1024];
    QSet<QByteArray> changed;
    bool whole = false;
    for (;;) {
        const ssize_t n = ::read(m_notifier, buffer, sizeof buffer);
        if (n <= 0)
            break;
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW)
                whole = true;
            if (event->wd != m_watch)
                continue;
            if (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT))
                whole = true;
            else if (event->len > 0 && !std::strchr(event->name, '.'))
                changed.insert(QByteArray(event->name));
        }
    }
    if (whole)
        return false;
    for (const QByteArray& name : std::as_const(changed))
        reconcile(name);
    return true;
#else
    return false;
#endif
}

void FolderIndex::reconcile(const QByteArray& rawName) {
#ifdef Q_OS_UNIX
    // The name is listed exactly when a normal file has it now, whatever happened on the way.
    struct stat st;
    const bool regular =
        lstat((m_nativeFolder + rawName).constData(), &st) == 0 && S_ISREG(st.st_mode);
    const QString name = FileNames::decode(rawName);
    const int row = int(m_names.rowFor(name));
    const bool listed = row < m_names.size() && m_names.at(row) == name;
    if (regular && !listed) {
        Q_EMIT aboutToInsert(row);
        m_names.insert(row, name);
        Q_EMIT inserted();
    } else if (!regular && listed) {
        Q_EMIT aboutToRemove(row);
        m_names.remove(row);
        Q_EMIT removed();
    }
#else
    Q_UNUSED(rawName);
#endif
}

} // namespace quillory::records
