#pragma once

#include "platform/MessageService.h"

#include <QByteArray>
#include <QString>

namespace quillory::info {

// The side-by-side manifest that asks Windows to draw the standard controls in its newer
// visual style.
class Manifest {
public:
    // executableFolder + a separator unless it ends in one + the executable's name without its
    // extension + ".exe.manifest".
    static QString path(const QString& executableFolder, const QString& executableFileName);
    // The manifest for the running executable.
    static QString pathForThisProgram();
    // The manifest: exactly one ASCII line ended by CR LF.
    static QByteArray content();

    enum class Outcome { AlreadyThere, Written, Failed };

    // The start-up check: a manifest already at the path is left alone and nothing is shown;
    // otherwise makeNEWmanifest writes it.
    static Outcome check(const QString& manifestPath, MessageService& messages);
    // Writes the manifest (replacing any file there), marks it hidden and asks for a restart;
    // when it cannot be written, says that themes stay off. The program starts either way.
    static Outcome makeNEWmanifest(const QString& manifestPath, MessageService& messages);

    // What the main window runs when it is created: the check on Windows, nothing elsewhere
    // (no other system reads such manifests).
    static void setUpVisualStyle(MessageService& messages);

    static Message restartMessage();
    static Message themeErrorMessage();
};

} // namespace quillory::info
