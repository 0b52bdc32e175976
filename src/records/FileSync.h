#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class QFile;

namespace quillory {

// What makes a finished record write survive a power cut: the file's bytes on the disk, and the
// folder's entry for it (a rename or a delete lives in the folder, not in the file).

// Pushes the open file's bytes to the disk. False, with the system's words, when it cannot.
bool syncFile(QFile& file, QString* error = nullptr);
// Pushes the folder's entries (names made, renamed or deleted) to the disk.
bool syncFolder(const QString& folder, QString* error = nullptr);
// Syncs the files and folders at these paths (each by its bytes) at the same time: the disk
// takes many of them with one flush, where one after another each costs a flush of its own. The
// system's words for each path that could not be synced, empty where it was.
QStringList syncTogether(const QList<QByteArray>& nativePaths);
// Puts `from` in the place of `to` in one step, replacing what is there.
bool replaceFile(const QString& from, const QString& to, QString* error = nullptr);
// Syncs the files and folders at these paths (each by its bytes) at the same time: the disk
// takes many of them with one flush, where one after another each costs a flush of its own. The
// system's words for each path that could not be synced, empty where it was.
QStringList syncTogether(const QList<QByteArray>& nativePaths);
// Puts `from` in the place of `to` in one step only when nothing has that name; `from` is gone
// either way on success. False with `taken` set when the name was there first.
bool placeNewFile(const QString& from, const QString& to, bool* taken, QString* error = nullptr);

} // namespace quillory
