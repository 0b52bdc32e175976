#pragma once

#include "info/AboutCredits.h"

#include <QDialog>
#include <QList>
#include <QSize>

class QFrame;
class QLabel;
class QPushButton;
class QTimer;

namespace quillory {

class MainContext;

namespace info {

// frmAbout: name, build, legal notice and the scrolling credits. It opens by growing from the
// centre of the screen; the main window is disabled while it is open.
class AboutWindow : public QDialog {
    Q_OBJECT
public:
    // screenSize in pixels: the opening animation centres the window on it.
    AboutWindow(MainContext& context, QSize screenSize, QWidget* parent);

private:
    void pause();
    // Applies the next size of the opening animation; false when it has ended.
    bool growStep();
    QLabel* imgLogo = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblCredits = nullptr;
    QFrame* picContainer = nullptr;
    QLabel* LbLMsg = nullptr;
    QTimer* tmrScroll = nullptr;
    QTimer* tmrStartScroll = nullptr;
    QLabel* lblCopyright = nullptr;
    QPushButton* cmdOK = nullptr;
    void tmrScroll_Timer();
    void tmrStartScroll_Timer();
    void cmdOK_Click();

    void placeCredits();
    void applyOuter(int triesLeft);

    MainContext& m_context;
    CreditsScroller m_scroller;
    QList<QRect> m_growth;
    QRect m_outer; // the size now applied, frame included
    QTimer* m_growTimer = nullptr;
};

} // namespace info
} // namespace quillory
