#include "platform/QtPlatform.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QProcess>
#include <QScreen>
#include <QUrl>

#if defined(Q_OS_WIN)
#include <windows.h>
#endif

namespace quillory {

QString QtMessageService::displayText(const QString& text) {
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

MsgAnswer QtMessageService::show(const Message& message) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(message.title);
    // Titles, names and file names are quoted as they are, never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(displayText(message.text));
    switch (message.icon) {
    case MsgIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    switch (message.buttons) {
    case MsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case MsgButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    }
    // A message must be readable whatever pointer the operation left behind.
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    // The box wraps its text at a width it derives from the screen, which on a small screen breaks
    // lines that were meant to stand as written. They stay whole wherever the screen has room: the
    // label asks for its longest line (margins and indent included) before the box is sized.
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    const auto* icon = box.findChild<QLabel*>(QStringLiteral("qt_msgboxex_icon_label"));
    if (label && box.layout() && box.screen()) {
        const bool wrap = label->wordWrap();
        label->setWordWrap(false);
        const int widest = label->minimumSizeHint().width();
        label->setWordWrap(wrap);
        const QMargins m = box.layout()->contentsMargins();
        const int around = m.left() + m.right() + qMax(box.layout()->spacing(), 0) +
                           (icon ? icon->sizeHint().width() : 0);
        if (widest + around <= box.screen()->availableGeometry().width())
            label->setMinimumWidth(widest);
    }
    const int result = box.exec();
    if (busy)
        QApplication::restoreOverrideCursor();
    switch (result) {
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    case QMessageBox::Cancel:
        return MsgAnswer::Cancel;
    default:
        // Escape on a Yes/No box counts as No; on OK/Cancel as Cancel.
        if (message.buttons == MsgButtons::YesNo)
            return MsgAnswer::No;
        if (message.buttons == MsgButtons::OkCancel && result != QMessageBox::Ok)
            return MsgAnswer::Cancel;
        return MsgAnswer::Ok;
    }
}

QSize QtScreenInfo::primarySize() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize();
}

#if !defined(Q_OS_LINUX)
LockState SystemKeyboardLocks::state() const {
    LockState state;
#if defined(Q_OS_WIN)
    state.numLock = (GetKeyState(VK_NUMLOCK) & 1) != 0;
    state.capsLock = (GetKeyState(VK_CAPITAL) & 1) != 0;
#endif
    return state;
}
#endif

QString QtFolderPicker::fileSystemRoot() {
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\");
#else
    return QStringLiteral("/");
#endif
}

QString QtFolderPicker::pickFolder(const QString& prompt) {
    const QString title = prompt.isEmpty() ? QStringLiteral("Select a Folder") : prompt;
    const QString chosen = QFileDialog::getExistingDirectory(nullptr, title, QDir::homePath(),
                                                             QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty())
        return fileSystemRoot();
    return QDir::toNativeSeparators(chosen);
}

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
namespace {
// Whether the desktop has a program for the file's type. The desktop's opener starts even when
// nothing can show the file and then fails out of sight, so ask first.
bool desktopCanOpen(const QString& path) {
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    QStringList names{type.name()};
    names += type.aliases();
    for (const QString& name : names) {
        QProcess query;
        query.start(QStringLiteral("xdg-mime"),
                    {QStringLiteral("query"), QStringLiteral("default"), name});
        if (!query.waitForFinished(3000)) {
            query.kill();
            query.waitForFinished(500);
            continue;
        }
        if (query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0 &&
            !query.readAllStandardOutput().trimmed().isEmpty())
            return true;
    }
    return false;
}
} // namespace
#endif

bool DesktopHelpViewer::open(const QString& helpFilePath) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    if (!desktopCanOpen(helpFilePath))
        return false;
#endif
    return QDesktopServices::openUrl(QUrl::fromLocalFile(helpFilePath));
}

} // namespace quillory
