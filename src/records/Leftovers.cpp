#include "records/RecordFile.h"

#include "records/FileNames.h"
#include "records/FileSync.h"
#include "records/FolderIndex.h"

#include <QDirIterator>
#include <QFile>
#include <cstring>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quillory::records {

namespace {

#ifdef Q_OS_UNIX
bool isPlainFile(const QByteArray& nativePath) {
    struct stat st;
    return lstat(nativePath.constData(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Temporaries of older runs were named by the record and six random letters ("Dune.QxTbWe").
// No record looks like that: item, loan and profile names have no dot, and a loan list ends in
// ".lst", three letters; the intent record and our own temporaries start with a dot. A person's
// copy beside a record ("Dune.backup") could; its extension is a word, all in one case or
// capitalised, which six random letters are only about one time in thirteen, so such a name is
// left alone: a leftover kept costs nothing, a person's copy removed is lost.
bool isOlderTemporaryName(QByteArrayView name) {
    const qsizetype dot = name.lastIndexOf('.');
    if (dot < 1 || name.size() - dot != 7 || name.front() == '.')
        return false;
    const QByteArrayView suffix = name.sliced(dot + 1);
    const QByteArrayView base = name.first(dot);
    bool lower = true, upper = true;
    for (qsizetype i = 0; i < suffix.size(); ++i) {
        const char c = suffix[i];
        if (!isLetter(c))
            return false;
        lower = lower && (i == 0 || (c >= 'a' && c <= 'z'));
        upper = upper && c >= 'A' && c <= 'Z';
    }
    if (lower || upper)
        return false; // a word: "backup", "Backup", "BACKUP", or the first letter either way
    const qsizetype baseDot = base.indexOf('.');
    return baseDot < 0 || (base.sliced(baseDot) == ".lst");
}

// Calls `found` with the raw name of every leftover temporary in the folder.
template <typename F> void forEachLeftover(const QString& folder, F found) {
    QByteArray native = QFile::encodeName(folder);
    if (!native.endsWith('/'))
        native += '/';
    DIR* dir = opendir(native.constData());
    if (!dir)
        return;
    while (const dirent* entry = readdir(dir)) {
        const QByteArrayView name(entry->d_name, qsizetype(std::strlen(entry->d_name)));
        if (!RecordFile::isLeftoverName(name))
            continue;
        if (isPlainFile(native + name.toByteArray()))
            found(native, name.toByteArray());
    }
    closedir(dir);
}
#endif

} // namespace

QStringList RecordFile::leftovers(const QString& folder) {
    QStringList names;
#ifdef Q_OS_UNIX
    forEachLeftover(folder, [&](const QByteArray&, const QByteArray& name) {
        names.append(FileNames::decode(name));
    });
#else
    QDirIterator it(folder, {kTemporaryPrefix + QLatin1Char('*')},
                    QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    while (it.hasNext()) {
        it.next();
        names.append(it.fileName());
    }
#endif
    return names;
}

bool RecordFile::isLeftoverName(QByteArrayView name) {
#ifdef Q_OS_UNIX
    static const QByteArray ours = QFile::encodeName(kTemporaryPrefix);
    return name.startsWith(ours) || isOlderTemporaryName(name);
#else
    return name.startsWith(kTemporaryPrefix.toLatin1());
#endif
}

int RecordFile::removeLeftovers(const QString& folder) {
    int removed = 0;
#ifdef Q_OS_UNIX
    // The lists' first read of the folder has not happened yet: it is done now and notes the
    // leftovers on its way, so the folder is read once, not once for them and once for the lists.
    if (const std::shared_ptr<FolderIndex> index = FolderIndex::find(folder);
        index && !index->wasRead()) {
        index->update();
        QByteArray native = QFile::encodeName(folder);
        if (!native.endsWith('/'))
            native += '/';
        for (const QByteArray& name : index->takeLeftovers())
            removed += ::unlink((native + name).constData()) == 0 ? 1 : 0;
        if (removed > 0)
            syncFolder(folder);
        return removed;
    }
    forEachLeftover(folder, [&](const QByteArray& native, const QByteArray& name) {
        removed += ::unlink((native + name).constData()) == 0 ? 1 : 0;
    });
#else
    for (const QString& name : leftovers(folder))
        removed += QFile::remove(folder + QLatin1Char('/') + name) ? 1 : 0;
#endif
    if (removed > 0)
        syncFolder(folder);
    return removed;
}

} // namespace quillory::records
