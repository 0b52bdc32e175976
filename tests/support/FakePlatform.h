#pragma once

#include "platform/Platform.h"
#include "support/ScriptedMessages.h"

#include <QQueue>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace quillory::test {

class FixedScreen : public ScreenInfo {
public:
    QSize size{1024, 768};
    QSize primarySize() const override { return size; }
};

class FixedLocks : public KeyboardLocks {
public:
    LockState lockState;
    LockState state() const override { return lockState; }
};

class FixedAppInfo : public AppInfo {
public:
    QString folder;
    QString date = QStringLiteral("Saturday, December 05, 2026");
    QTime time{9, 30};
    QDate day{2026, 12, 5};
    QLocale region = QLocale::system();
    QString programFolder() const override { return folder; }
    QString todayLongDate() const override { return date; }
    QTime currentTime() const override { return time; }
    QDate today() const override { return day; }
    QLocale locale() const override { return region; }
};

class ScriptedFolderPicker : public FolderPicker {
public:
    QQueue<QString> answers;
    QStringList prompts;
    QString pickFolder(const QString& prompt) override {
        prompts.append(prompt);
        return answers.isEmpty() ? QStringLiteral("/") : answers.dequeue();
    }
};

class FixedMemory : public MemoryStatus {
public:
    std::optional<MemoryFigures> figures = MemoryFigures{};
    std::optional<MemoryFigures> query() const override { return figures; }
};

class FixedOsVersion : public OsVersion {
public:
    QString version = QStringLiteral("Linux 6.1.0-test");
    QString text() const override { return version; }
};

class RecordingHelpViewer : public HelpViewer {
public:
    QStringList opened;
    bool result = true;
    bool open(const QString& path) override {
        opened.append(path);
        return result;
    }
};

// Every platform service as a double, settings in a temporary INI file, the instance lock in a
// temporary folder. The program's folder is `programFolder`.
class FakePlatform {
    QTemporaryDir m_private; // first: the settings file and the lock live in it

public:
    explicit FakePlatform(const QString& programFolder)
        : settings(std::make_unique<QtSettingsStore>(settingsFile())),
          instance(std::make_unique<LockFileInstanceGuard>(lockFile())),
          platform{messages, *settings,    *instance, screen,    locks,
                   app,      folderPicker, memory,    osVersion, help} {
        app.folder = programFolder;
    }

    ScriptedMessages messages;
    std::unique_ptr<QtSettingsStore> settings;
    std::unique_ptr<LockFileInstanceGuard> instance;
    FixedScreen screen;
    FixedLocks locks;
    FixedAppInfo app;
    ScriptedFolderPicker folderPicker;
    FixedMemory memory;
    FixedOsVersion osVersion;
    RecordingHelpViewer help;
    Platform platform;

    QString settingsFile() const { return m_private.filePath(QStringLiteral("Quillory.conf")); }
    QString lockFile() const { return m_private.filePath(QStringLiteral("quillory.lock")); }
};

} // namespace quillory::test
