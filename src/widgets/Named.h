#pragma once

#include <QObject>

namespace quillory {

// Gives a control the program's own name for it; tests and the smoke tests find it by that name.
template <class W> W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace quillory
