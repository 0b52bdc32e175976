#pragma once

#include <QString>

namespace quillory {

// The system's folder picker. Returns the chosen folder as the system gives it (no trailing
// separator except for a root), or the file-system root when the user cancels.
class FolderPicker {
public:
    virtual ~FolderPicker() = default;
    virtual QString pickFolder(const QString& prompt) = 0;
};

} // namespace quillory
