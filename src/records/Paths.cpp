#include "records/Paths.h"

#include "records/RecordFile.h"

#include <QDir>
#include <QFileInfo>

namespace quillory {

QChar pathSeparator() {
#ifdef Q_OS_WIN
    return QLatin1Char('\\');
#else
    return QLatin1Char('/');
#endif
}

namespace {
bool endsWithSeparator(const QString& path) {
    if (path.isEmpty())
        return false;
    const QChar last = path.back();
    return last == pathSeparator() || last == QLatin1Char('/');
}
} // namespace

bool MakeDir(const QString& path) {
    if (path.isEmpty())
        return false;
    QString folder = path;
    while (folder.size() > 1 && endsWithSeparator(folder))
        folder.chop(1);
    if (QFileInfo::exists(folder))
        return false;
    return QDir().mkdir(folder);
}

bool CheckExist(const QString& path) {
    return records::RecordFile::exists(path);
}

QString CheckDirName(const QString& path) {
    return endsWithSeparator(path) ? path : path + pathSeparator();
}

bool folderExists(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isDir();
}

} // namespace quillory
