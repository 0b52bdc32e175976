#include "info/HelpContents.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace quillory::info {

QList<HelpTopic> parseHelpContents(const QString& sitemap) {
    // Walk the tags in order: <UL> and </UL> change the level, each sitemap object gives one
    // entry from its Name and Local parameters.
    static const QRegularExpression tag(QStringLiteral(R"(<\s*(/?)\s*(ul|object|param)\b([^>]*)>)"),
                                        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression attr(QStringLiteral(R"re((\w+)\s*=\s*"([^"]*)")re"));

    QList<HelpTopic> topics;
    int depth = 0;
    bool inObject = false;
    HelpTopic current;
    for (auto it = tag.globalMatch(sitemap); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const bool closing = !m.captured(1).isEmpty();
        const QString name = m.captured(2).toLower();
        if (name == QLatin1String("ul")) {
            depth += closing ? -1 : 1;
        } else if (name == QLatin1String("object")) {
            if (!closing) {
                inObject = true;
                current = HelpTopic{};
                current.level = qMax(0, depth - 1);
            } else if (inObject) {
                inObject = false;
                if (!current.title.isEmpty() && !current.file.isEmpty())
                    topics.append(current);
            }
        } else if (inObject && !closing) {
            QString paramName;
            QString value;
            for (auto a = attr.globalMatch(m.captured(3)); a.hasNext();) {
                const QRegularExpressionMatch am = a.next();
                const QString key = am.captured(1).toLower();
                if (key == QLatin1String("name"))
                    paramName = am.captured(2).toLower();
                else if (key == QLatin1String("value"))
                    value = am.captured(2);
            }
            if (paramName == QLatin1String("name"))
                current.title = value;
            else if (paramName == QLatin1String("local"))
                current.file = value;
        }
    }
    return topics;
}

QString helpDefaultTopic(const QString& project) {
    static const QRegularExpression line(QStringLiteral(R"(^\s*Default topic\s*=\s*(.*?)\s*$)"),
                                         QRegularExpression::CaseInsensitiveOption |
                                             QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = line.match(project);
    return m.hasMatch() ? m.captured(1) : QString();
}

std::optional<Message> helpFileRefusal(const QString& helpFile) {
    if (QFileInfo(helpFile).isFile())
        return std::nullopt;
    return Message{
        QStringLiteral("Helpfile not found! Please ensure helpfile is in the same folder "
                       "as the application."),
        kAppTitle, MsgIcon::Exclamation, MsgButtons::Ok};
}

} // namespace quillory::info
