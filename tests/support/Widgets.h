#pragma once

#include "widgets/FolderList.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QTest>

namespace quillory::test {

// Controls by their object names, as a librarian meets them: in `root` or in any open window.
// A name that is not there stops the test program with that name: the test itself is broken.
template <class T = QWidget> T* child(const QString& name, const QObject* root = nullptr) {
    if (root)
        if (T* found = root->findChild<T*>(name))
            return found;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == name)
            if (T* found = qobject_cast<T*>(top))
                return found;
        if (T* found = top->findChild<T*>(name))
            return found;
    }
    qFatal("no control named %s", qPrintable(name));
}

// A click on an enabled button; a disabled one ignores it as it ignores the mouse.
inline void click(const QString& button) {
    child<QAbstractButton>(button)->click();
}
// A menu item chosen; a disabled one does nothing.
inline void trigger(const QString& action) {
    child<QAction>(action)->trigger();
}
// The text a label, field or button shows.
inline QString text(const QString& control) {
    return child<QObject>(control)->property("text").toString();
}
inline void setText(const QString& field, const QString& value) {
    child<QObject>(field)->setProperty("text", value);
}
inline bool enabled(const QString& control) {
    return child<QObject>(control)->property("enabled").toBool();
}

// A left click (or another button) on a name in a folder list, where the row is drawn.
inline void pick(const QString& list, const QString& name, Qt::MouseButton b = Qt::LeftButton) {
    auto* l = child<FolderList>(list);
    const int row = int(l->names().indexOf(name));
    if (row < 0)
        qFatal("%s does not list %s", qPrintable(list), qPrintable(name));
    QTest::mouseClick(l->viewport(), b, {}, l->visualRect(l->model()->index(row, 0)).center());
}
// A double-click as the system delivers it: a click, then the double-click press.
inline void pickTwice(const QString& list, const QString& name) {
    pick(list, name);
    auto* l = child<FolderList>(list);
    const QRect rect = l->visualRect(l->model()->index(int(l->names().indexOf(name)), 0));
    QTest::mouseDClick(l->viewport(), Qt::LeftButton, {}, rect.center());
}

// Runs the timeout of a window's timer once, without waiting for it.
inline void tick(const QString& timer) {
    QMetaObject::invokeMethod(child<QObject>(timer), "timeout", Qt::DirectConnection);
}

} // namespace quillory::test
