#include "shell/Session.h"

namespace quillory::session {

bool screenAccepted(const QSize& screen) {
    if (screen.width() == 800 && screen.height() == 600)
        return true;
    return normalWindow(screen);
}

bool normalWindow(const QSize& screen) {
    return screen.width() > 800 && screen.height() > 600;
}

Message alreadyRunningMessage() {
    return {QStringLiteral("This program is already running."), kAppTitle, MsgIcon::Information,
            MsgButtons::Ok};
}

Message resolutionMessage() {
    return {QStringLiteral("Quillory! QD is optimized for screen resolutions of\r"
                           "800 x 600. Please set screen resolution to 800x600!\r"
                           " This program will now terminate. Sorry!"),
            kAppTitle, MsgIcon::Exclamation, MsgButtons::Ok};
}

Message endSessionQuestion() {
    return {QStringLiteral("End current session?"), QStringLiteral("Quillory!"),
            MsgIcon::Information, MsgButtons::YesNo};
}

} // namespace quillory::session
