#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace quillory {

// What makes a finished record write survive a power cut: the file's bytes on the disk, and the
// folder's entry for it (a rename or a delete lives in the folder, not in the file).

// Pushes the folder's entries (names made, renamed or deleted) to the disk.
bool syncFolder(const QString& folder, QString* error = nullptr);
// Syncs the files and folders at these paths (each by its bytes) at the same time, together with
// any left by syncBeforeNextWrite: the disk takes many of them with one flush, where one after
// another each costs a flush of its own. The system's words for each path that could not be
// synced (or, on every path, for a left one), empty where it was.
QStringList syncTogether(const QList<QByteArray>& nativePaths);
// Paths whose last change must reach the disk before any later record write does, but need not
// before this one returns. They join the next syncTogether, are synced by syncLeftPaths(), and at
// the latest when the program ends.
void syncBeforeNextWrite(const QList<QByteArray>& nativePaths);
// Syncs the paths left for later now; the system's words when one could not be.
QString syncLeftPaths();
#ifndef Q_OS_WIN
// Runs `change`, a rename over the file at the path or its deletion (0 when done, else errno set),
// while the file is held open: freeing a file's space takes as long as a sync here, and is left
// to a worker after the next round of syncs, off the caller's way.
int changeHeld(const QByteArray& nativePath, const std::function<int()>& change);
#endif
// Puts `from` in the place of `to` in one step, replacing what is there.
bool replaceFile(const QString& from, const QString& to, QString* error = nullptr);
// Puts `from` in the place of `to` in one step only when nothing has that name; `from` is gone
// either way on success. False with `taken` set when the name was there first.
bool placeNewFile(const QString& from, const QString& to, bool* taken, QString* error = nullptr);

} // namespace quillory
