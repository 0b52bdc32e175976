#pragma once

// The services the main window is started with when a benchmark drives it, over a temporary
// program folder: the real settings file, instance lock, memory and system figures; a fixed screen
// and date; no keyboard lights, folder picker or help viewer, as nothing timed asks for them.

#include "platform/Platform.h"
#include "platform/QtPlatform.h"
#include "platform/SystemInfo.h"

#include <QDir>
#include <QElapsedTimer>
#include <QStringList>
#include <cstdio>

namespace quillory::bench {

// The session date of every benchmark run.
inline const QString kBenchDate = QStringLiteral("Saturday, December 05, 2026");

class BenchScreen : public ScreenInfo {
public:
    QSize primarySize() const override { return {1024, 768}; }
};

class NoLocks : public KeyboardLocks {
public:
    LockState state() const override { return {}; }
};

class BenchApp : public AppInfo {
public:
    explicit BenchApp(const QString& folder) : m_folder(folder) {}
    QString programFolder() const override { return m_folder; }
    QString todayLongDate() const override { return kBenchDate; }
    QTime currentTime() const override { return QTime(9, 30); }
    QDate today() const override { return QDate(2026, 12, 5); }
    QLocale locale() const override { return QLocale::c(); }

private:
    QString m_folder;
};

class NoPicker : public FolderPicker {
public:
    QString pickFolder(const QString&) override { return {}; }
};

class NoHelp : public HelpViewer {
public:
    bool open(const QString&) override { return false; }
};

// Answers every box with OK and keeps its text. Where no box is expected each one is reported as
// it comes, since it would stop a real user.
class BenchMessages : public MessageService {
public:
    using MessageService::show;
    explicit BenchMessages(bool expected) : m_expected(expected) {}

    QStringList texts;
    // When set, the moment of the last box, in nanoseconds on this clock.
    const QElapsedTimer* clock = nullptr;
    qint64 shownAtNs = 0;

    MsgAnswer show(const Message& m) override {
        if (clock)
            shownAtNs = clock->nsecsElapsed();
        texts.append(m.text);
        if (!m_expected)
            std::fprintf(stderr, "unexpected message: %s\n", qPrintable(m.text));
        return MsgAnswer::Ok;
    }

private:
    bool m_expected;
};

struct BenchPlatform {
    explicit BenchPlatform(const QString& programFolder, bool messagesExpected = false)
        : messages(messagesExpected),
          settings(QDir(programFolder).filePath(QStringLiteral("Quillory.conf"))),
          instance(QDir(programFolder).filePath(QStringLiteral("quillory.lock"))),
          app(programFolder) {}

    BenchMessages messages;
    QtSettingsStore settings;
    LockFileInstanceGuard instance;
    BenchScreen screen;
    NoLocks locks;
    BenchApp app;
    NoPicker picker;
    SystemMemoryStatus memory;
    SystemOsVersion osVersion;
    NoHelp help;
    Platform platform{messages, settings, instance, screen,    locks,
                      app,      picker,   memory,   osVersion, help};
};

} // namespace quillory::bench
