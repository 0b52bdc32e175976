#include "platform/SettingsStore.h"

#include "records/Cp1252.h"

#include <QHash>
#include <QIODevice>
#include <QList>
#include <QMutex>
#include <QSet>
#include <QSettings>
#include <QStringDecoder>

namespace quillory {

namespace {
// QSettings matches names with regard to case in files, so the store keeps every section and key
// name in lower case and remembers how the file spelled each, to write it back the same way.
QString storedKey(const QString& key) {
    return QStringLiteral("paths/") + key.toLower();
}

QHash<QString, QString>& spellings() {
    static QHash<QString, QString> names;
    return names;
}
QMutex spellingsLock;

// How a name is written: as the file last read spelled it, else a section with a capital.
QString spelling(const QString& lower, bool section) {
    const QMutexLocker locker(&spellingsLock);
    const QString known = spellings().value(lower);
    if (!known.isEmpty() || !section || lower.isEmpty())
        return known.isEmpty() ? lower : known;
    return lower.left(1).toUpper() + lower.mid(1);
}

// A file edited by hand is UTF-8 on most desktops; one carried over from Windows may be 8-bit.
QString decodeFile(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return records::Cp1252::decode(bytes);
}

// "[section]" and "key=value" lines as people write them: names in any letter case, blanks
// around the names and right after "=" ignored, the rest of the line taken as the value just as
// it stands (commas, semicolons, quotes, "#" and trailing blanks included). Lines beginning with
// ";" or "#" are comments. A key written twice counts the first time, in whatever letter case.
bool readHandWritten(QIODevice& device, QSettings::SettingsMap& map) {
    QString text = decodeFile(device.readAll());
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QString section;
    QSet<QString> seen;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')) ||
            trimmed.startsWith(QLatin1Char('#')))
            continue;
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
            section = trimmed.mid(1, trimmed.size() - 2).trimmed();
            const QMutexLocker locker(&spellingsLock);
            spellings().insert(section.toLower(), section);
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        const QString name = line.left(equals).trimmed();
        if (name.isEmpty())
            continue;
        const QString key =
            (section.isEmpty() ? name : section + QLatin1Char('/') + name).toLower();
        if (seen.contains(key))
            continue;
        seen.insert(key);
        {
            const QMutexLocker locker(&spellingsLock);
            spellings().insert(key, name);
        }
        qsizetype start = equals + 1;
        while (start < line.size() && (line[start] == QLatin1Char(' ') || line[start] == '\t'))
            ++start;
        map.insert(key, line.mid(start));
    }
    return true;
}

// Writes what readHandWritten reads back unchanged. A value holding a line break cannot be
// written that way and fails the write rather than being cut.
bool writeHandWritten(QIODevice& device, const QSettings::SettingsMap& map) {
    // Sections in the order first met, each once whatever the letter case of its name.
    QList<QPair<QString, QStringList>> sections;
    auto sectionLines = [&sections](const QString& name) -> QStringList& {
        for (auto& s : sections) {
            if (s.first == name)
                return s.second;
        }
        sections.append({name, {}});
        return sections.last().second;
    };
    sectionLines(QString()); // keys outside any section come first
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const QString value = it.value().toString();
        if (value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r')))
            return false;
        const qsizetype slash = it.key().lastIndexOf(QLatin1Char('/'));
        const QString section = slash < 0 ? QString() : it.key().left(slash);
        const QString known = spelling(it.key(), false);
        const QString name = known == it.key() ? it.key().mid(slash + 1) : known;
        sectionLines(section).append(name + QLatin1Char('=') + value);
    }
    QString text;
    for (const auto& [name, lines] : sections) {
        if (lines.isEmpty())
            continue;
        if (!name.isEmpty())
            text += QLatin1Char('[') + spelling(name, true) + QStringLiteral("]\n");
        text += lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
    }
    const QByteArray bytes = text.toUtf8();
    return device.write(bytes) == bytes.size();
}

QSettings::Format handWrittenFormat() {
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("conf"), readHandWritten, writeHandWritten);
    return format;
}
} // namespace

QtSettingsStore::QtSettingsStore()
#ifdef Q_OS_WIN
    // The registry matches names without regard to case by itself.
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             QStringLiteral("Quillory"),
                                             QStringLiteral("Quillory"))) {
}
#else
    // ~/.config/Quillory/Quillory.conf
    : m_settings(std::make_unique<QSettings>(handWrittenFormat(), QSettings::UserScope,
                                             QStringLiteral("Quillory"),
                                             QStringLiteral("Quillory"))) {
}
#endif

QtSettingsStore::QtSettingsStore(const QString& filePath)
    : m_settings(std::make_unique<QSettings>(filePath, handWrittenFormat())) {}

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
