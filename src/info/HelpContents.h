#pragma once

#include "platform/MessageService.h"

#include <QList>
#include <QString>
#include <optional>

namespace quillory::info {

// One entry of the help file's table of contents.
struct HelpTopic {
    QString title;
    QString file;  // the topic's page, relative to the help sources
    int level = 0; // 0 for a top entry, 1 below it, ...
};

// Reads the table of contents of the help project (a sitemap file: nested lists of objects
// with "Name" and "Local" parameters), in order.
QList<HelpTopic> parseHelpContents(const QString& sitemap);

// The "Default topic=" of the help project file, empty when there is none.
QString helpDefaultTopic(const QString& project);

// Nothing when the compiled help file is where the program looks for it, else what to say.
std::optional<Message> helpFileRefusal(const QString& helpFile);

} // namespace quillory::info
