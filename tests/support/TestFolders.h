#pragma once

#include "records/Paths.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace quillory::test {

// A temporary program folder with the three data folders beside it.
class TestFolders {
public:
    TestFolders();
    bool isValid() const { return m_dir.isValid(); }
    QString root() const { return m_dir.path(); }
    // The program's folder (no trailing separator).
    QString programFolder() const { return m_dir.path(); }
    Folders folders() const;
    void makeAll() const;

    static void writeBytes(const QString& path, const QByteArray& bytes);
    static QByteArray readBytes(const QString& path);
    // Lines joined with CR LF, each line ended.
    static QByteArray crlf(const QStringList& lines);
    // All files under the root with their bytes, for "nothing else changed" checks.
    QMap<QString, QByteArray> snapshot() const;

private:
    QTemporaryDir m_dir;
};

} // namespace quillory::test
