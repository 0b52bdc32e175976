#include "info/VersionHistory.h"

#include "records/Cp1252.h"
#include "records/Paths.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace quillory::info {

const QString VersionHistory::kDesignText =
    QStringLiteral("The Text File named VersionHistory.txt in this folder was deleted. Please "
                   "reinstall Quillory! QD to view Version History.");

QString VersionHistory::path(const QString& programFolder) {
    return CheckDirName(programFolder) + QStringLiteral("VersionHistory.txt");
}

std::optional<QString> VersionHistory::load(const QString& path) {
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;

    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = records::Cp1252::decode(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

Message VersionHistory::missingMessage(const QString& programFolder) {
    return Message{QStringLiteral("The filenamed VersionHistory.txt was deleted from the folder ") +
                       programFolder + QLatin1Char('.'),
                   kAppTitle, MsgIcon::Information, MsgButtons::Ok};
}

} // namespace quillory::info
