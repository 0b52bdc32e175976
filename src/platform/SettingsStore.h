#pragma once

#include <QString>
#include <memory>

class QSettings;

namespace quillory {

// Per-user text values of section "Paths". Key names meet without regard to letter case
// ("Stats" and "stats" are one key); an absent key yields the caller's default.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual QString value(const QString& key, const QString& defaultValue = QString()) = 0;
    // False when the store could not be written.
    virtual bool setValue(const QString& key, const QString& value) = 0;
};

// The QSettings store: an INI file (~/.config/Quillory/Quillory.conf) on Linux, the registry
// on Windows. Tests give it a file of their own.
class QtSettingsStore : public SettingsStore {
public:
    QtSettingsStore();
    explicit QtSettingsStore(const QString& filePath);
    ~QtSettingsStore() override;

    QString value(const QString& key, const QString& defaultValue = QString()) override;
    bool setValue(const QString& key, const QString& value) override;
    QString location() const;

private:
    std::unique_ptr<QSettings> m_settings;
};

} // namespace quillory
