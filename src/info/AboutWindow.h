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
    void pause();
    void cmdOK_Click();

    // The opening animation: the window's sizes, in pixels, still to come.
    QList<QRect> pendingGrowth() const { return m_growth; }
    // Applies the next size; false when the animation has ended.
    bool growStep();
    // Where the credits are, in twips from the panel's top.
    int creditsTop() const { return m_scroller.top(); }

private:
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
