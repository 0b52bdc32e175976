#pragma once

#include "platform/MessageService.h"

#include <QSize>

namespace quillory::session {

// The screen the program runs on: exactly 800 x 600, or one both wider and higher.
bool screenAccepted(const QSize& screen);
// A screen larger than 800 x 600 gets a normal window of the fixed size; 800 x 600 itself gets
// the window maximised.
bool normalWindow(const QSize& screen);

Message alreadyRunningMessage();
Message resolutionMessage();
Message endSessionQuestion();

} // namespace quillory::session
