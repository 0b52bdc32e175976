#include "platform/SettingsStore.h"

#include <QSettings>

namespace quillory {

namespace {
const QString kSection = QStringLiteral("Paths");

// QSettings keys are case-sensitive in INI files, so every key is kept in lower case.
QString storedKey(const QString& key) {
    return kSection + QLatin1Char('/') + key.toLower();
}
} // namespace

QtSettingsStore::QtSettingsStore()
    // Native format: the registry on Windows, ~/.config/Quillory/Quillory.conf elsewhere.
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             QStringLiteral("Quillory"),
                                             QStringLiteral("Quillory"))) {}

QtSettingsStore::QtSettingsStore(const QString& iniFilePath)
    : m_settings(std::make_unique<QSettings>(iniFilePath, QSettings::IniFormat)) {}

QtSettingsStore::~QtSettingsStore() = default;

QString QtSettingsStore::value(const QString& key, const QString& defaultValue) {
    m_settings->sync();
    const QVariant v = m_settings->value(storedKey(key));
    if (!v.isValid())
        return defaultValue;
    return v.toString();
}

bool QtSettingsStore::setValue(const QString& key, const QString& value) {
    m_settings->setValue(storedKey(key), value);
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

QString QtSettingsStore::location() const {
    return m_settings->fileName();
}

} // namespace quillory
