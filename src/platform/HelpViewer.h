#pragma once

#include <QString>

namespace quillory {

// Opens the compiled help file at its default topic.
class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    // False when nothing could open it.
    virtual bool open(const QString& helpFilePath) = 0;
};

} // namespace quillory
