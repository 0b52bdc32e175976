#include "support/FakePlatform.h"

namespace quillory::test {

QString ScriptedFolderPicker::pickFolder(const QString& prompt) {
    prompts.append(prompt);
    return answers.isEmpty() ? QStringLiteral("/") : answers.dequeue();
}

namespace {
QString privatePath(const QTemporaryDir& dir, const char* name) {
    return dir.path() + QLatin1Char('/') + QString::fromLatin1(name);
}
} // namespace

Platform FakePlatform::makePlatform(FakePlatform& s) {
    return Platform{s.messages, *s.settings,    *s.instance, s.screen,    s.locks,
                    s.app,      s.folderPicker, s.memory,    s.osVersion, s.help};
}

FakePlatform::FakePlatform(const QString& programFolder)
    : settings(std::make_unique<QtSettingsStore>(privatePath(m_private, "Quillory.conf"))),
      instance(std::make_unique<LockFileInstanceGuard>(privatePath(m_private, "quillory.lock"))),
      platform(makePlatform(*this)) {
    app.folder = programFolder;
}

FakePlatform::~FakePlatform() = default;

QString FakePlatform::settingsFile() const {
    return privatePath(m_private, "Quillory.conf");
}

QString FakePlatform::lockFile() const {
    return privatePath(m_private, "quillory.lock");
}

} // namespace quillory::test
