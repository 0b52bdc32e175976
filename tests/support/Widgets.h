#pragma once

#include "widgets/FolderList.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QTest>
#include <QTimer>

namespace quillory::test {

// Controls by their object names, as a librarian meets them: in `root` first, then in any open
// window; null when there is none.
template <class T = QWidget> T* findControl(const QString& name, const QObject* root = nullptr) {
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
    return nullptr;
}

// The same, for a control the test needs: a name that is not there stops the test program with
// that name, as the test itself is broken.
template <class T = QWidget> T* child(const QString& name, const QObject* root = nullptr) {
    if (T* found = findControl<T>(name, root))
        return found;
    qFatal("no control named %s", qPrintable(name));
}

// A click on an enabled button; a disabled one ignores it as it ignores the mouse.
inline void click(const QString& button, const QObject* root = nullptr) {
    child<QAbstractButton>(button, root)->click();
}
// A menu item chosen; a disabled one does nothing.
inline void trigger(const QString& action) {
    child<QAction>(action)->trigger();
}
// The text a label, field or button shows.
inline QString text(const QString& control, const QObject* root = nullptr) {
    return child<QObject>(control, root)->property("text").toString();
}
inline void setText(const QString& field, const QString& value, const QObject* root = nullptr) {
    child<QObject>(field, root)->setProperty("text", value);
}
inline bool enabled(const QString& control, const QObject* root = nullptr) {
    return child<QObject>(control, root)->property("enabled").toBool();
}

// A left click (or another button) on a name in a folder list, where the row is drawn.
inline void pick(const QString& list, const QString& name, Qt::MouseButton b = Qt::LeftButton,
                 const QObject* root = nullptr) {
    auto* l = child<FolderList>(list, root);
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
