#include "shell/MainWindow.h"

#include "borrowers/BorrowerPanel.h"
#include "info/InfoActions.h"
#include "info/Manifest.h"
#include "items/ItemPanel.h"
#include "lending/Lending.h"
#include "lending/LendingActions.h"
#include "lending/ReturnPanel.h"
#include "settings/FolderSettings.h"
#include "settings/PreferencesDialog.h"
#include "shell/MainMenus.h"
#include "shell/Session.h"
#include "shell/Statistics.h"
#include "widgets/BusyCursor.h"
#include "widgets/Named.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QStatusBar>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>

namespace quillory {

namespace {
void bringForward(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}
} // namespace

MainWindow::MainWindow(Platform& platform, QWidget* parent)
    : QMainWindow(parent), m_platform(platform) {
    // The visual-style manifest (Windows only; nothing elsewhere).
    info::Manifest::setUpVisualStyle(m_platform.messages);
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(kAppTitle);

    m_menus = buildMainMenus(menuBar(), this);
    auto* central = new QWidget(this);
    m_itemPanel = new ItemPanel(*this, central);
    m_returnPanel = new ReturnPanel(*this, central);
    m_borrowerPanel = new BorrowerPanel(*this, central);
    auto* line1 = new QFrame(central);
    line1->setFrameShape(QFrame::VLine);
    auto* right = new QVBoxLayout;
    right->addWidget(m_returnPanel, 1);
    right->addWidget(m_borrowerPanel, 1);
    auto* layout = new QHBoxLayout(central);
    layout->addWidget(m_itemPanel, 1);
    layout->addWidget(line1);
    layout->addLayout(right, 1);
    setCentralWidget(central);

    buildStatusBar();
    wireActions();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildStatusBar() {
    staQDBelow = named(new QStatusBar(this), "staQDBelow");
    setStatusBar(staQDBelow);
    staQDBelow->setSizeGripEnabled(false);
    // The totals panel takes the room left; the others fit their text.
    auto panel = [this](const char* name, int minimumWidth, int stretch) {
        auto* label = named(new QLabel(staQDBelow), name);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(minimumWidth);
        label->setTextFormat(Qt::PlainText);
        staQDBelow->addPermanentWidget(label, stretch);
        return label;
    };
    staPanelStats = panel("staPanelStats", 150, 1);
    staPanelDate = panel("staPanelDate", 120, 0);
    staPanelClock = panel("staPanelClock", 67, 0);
    staPanelNum = panel("staPanelNum", 38, 0);
    staPanelCaps = panel("staPanelCaps", 38, 0);
    for (QLabel* l : {staPanelClock, staPanelNum, staPanelCaps})
        l->setAlignment(Qt::AlignCenter);

    m_clock = named(new QTimer(this), "tmrClock");
    m_clock->setInterval(250); // the lock lights follow the keyboard closely
    connect(m_clock, &QTimer::timeout, this, &MainWindow::updateClockAndLocks);
    m_clock->start();
    updateClockAndLocks();
}

void MainWindow::updateClockAndLocks() {
    staPanelClock->setText(
        m_platform.app.locale().toString(m_platform.app.currentTime(), QLocale::ShortFormat));
    const LockState locks = m_platform.locks.state();
    staPanelNum->setText(locks.numLock.value_or(false) ? QStringLiteral("NUM") : QString());
    staPanelCaps->setText(locks.capsLock.value_or(false) ? QStringLiteral("CAPS") : QString());
}

void MainWindow::wireActions() {
    // The panels wire their own menu items; these open the lending, settings and info windows.
    const MainMenus& m = m_menus;
    auto on = [this](QAction* a, auto&& f) { connect(a, &QAction::triggered, this, f); };
    on(m.mnuFile_Preferences, [this] { openPreferences(*this); });
    on(m.mnuFile_Exit, [this] { close(); });
    on(m.mnuEdit_BorrowItem, [this] { lending::borrowItem(*this); });
    on(m.mnuEdit_ItemList, [this] { lending::showItemList(*this); });
    on(m.mnuEdit_BorrowerDetails, [this] {
        if (!selectedItem().isEmpty())
            lending::showBorrowerDetails(*this);
    });
    on(m.mnuHelp_TomewardHelp, [this] { info::openHelp(*this); });
    on(m.mnuHelp_VersionHistory, [this] { info::openVersionHistory(*this); });
    on(m.mnuHelp_MemoryInfo, [this] { info::openMemoryInfo(*this); });
    on(m.mnuHelp_About, [this] { info::openAbout(*this); });
    on(m.mnuPop_BorrowItem, [this] { lending::borrowItem(*this); });
    on(m.mnuPop_BorrowerDetails, [this] { lending::showBorrowerDetails(*this); });
    connect(m_itemPanel, &ItemPanel::borrowerDetailsRequested, this,
            [this] { lending::showBorrowerDetails(*this); });
    connect(m_borrowerPanel, &BorrowerPanel::itemListRequested, this,
            [this] { lending::showItemList(*this); });
}

bool MainWindow::CheckResolution() {
    return session::screenAccepted(m_platform.screen.primarySize());
}

bool MainWindow::start() {
    // Another copy running: say so and end before anything is touched.
    QApplication::restoreOverrideCursor();
    if (!m_platform.instance.acquire()) {
        m_platform.messages.show(session::alreadyRunningMessage());
        return false;
    }
    if (!CheckResolution()) {
        m_platform.messages.show(session::resolutionMessage());
        return false;
    }
    if (session::normalWindow(m_platform.screen.primarySize())) {
        setWindowState(Qt::WindowNoState);
        resize(kNormalSize);
        m_fitOuterSize = true;
    } else {
        setWindowState(Qt::WindowMaximized);
    }

    {
        BusyCursor busy;
        m_helpFile = CheckDirName(m_platform.app.programFolder()) + QStringLiteral("QYHelp3.chm");
        m_sessionDate = m_platform.app.todayLongDate();
        setWindowTitle(kAppTitle);
        m_folders = FolderSettings::setUp(
            m_platform.settings, m_platform.app.programFolder(), [this](FolderKind kind) {
                m_platform.messages.show(FolderSettings::creationWarning(kind));
            });
    }
    const auto bound = BindFileLists();
    // A loan or return stopped part-way is finished before any list shows the files.
    if (const std::optional<Message> recovered = lending::recoverAtStart(m_folders))
        m_platform.messages.show(*recovered);

    const QColor background = palette().color(QPalette::Window);
    m_blink.text[0] = QColor(255, 0, 0);
    m_blink.back[0] = background;
    m_blink.text[1] = background;
    m_blink.back[1] = background;

    m_itemPanel->startBlink();
    RefreshStatistics();
    staPanelDate->setText(m_sessionDate);
    return true;
}

std::vector<std::shared_ptr<records::FolderIndex>> MainWindow::BindFileLists() {
    // The lists themselves are read by RefreshStatistics, which start-up runs next.
    FolderSettings::recreateMissing(
        m_folders, [this](const Message& message) { m_platform.messages.show(message); });
    std::vector<std::shared_ptr<records::FolderIndex>> indexes;
    for (const QString& folder : {m_folders.stats, m_folders.profiles, m_folders.loaned})
        if (!folder.isEmpty())
            indexes.push_back(records::FolderIndex::of(folder));
    return indexes;
}

void MainWindow::RefreshStatistics() {
    // A vanished folder lists as empty and counts 0; only start-up makes folders again.
    // Each list reads only what changed since it was last brought up to date: nothing at all
    // when nothing changed. The two profile lists share one listing.
    const int titles = m_itemPanel->listFolder(m_folders.stats);
    const int loaned = m_returnPanel->listFolders(m_folders.loaned, m_folders.profiles);
    m_borrowerPanel->listFolder(m_folders.profiles);
    staPanelStats->setText(statisticsText(titles, loaned));
}

QString MainWindow::selectedItem() const {
    return m_itemPanel->selectedItem();
}

const records::ItemRecord* MainWindow::shownItem() const {
    return m_itemPanel->shownItem();
}

QString MainWindow::selectedProfile() const {
    return m_borrowerPanel->selectedProfile();
}

const records::ProfileRecord* MainWindow::shownProfile() const {
    return m_borrowerPanel->shownProfile();
}

void MainWindow::itemChanged() {
    m_itemPanel->showSelected();
}

void MainWindow::itemGone() {
    m_itemPanel->forgetShownItem();
}

void MainWindow::profileChanged() {
    m_borrowerPanel->showSelected();
}

void MainWindow::profileListsChanged() {
    // The two profile lists share one listing: bringing one up to date updates both.
    m_borrowerPanel->reread();
}

QWidget* MainWindow::showWindow(const QString& key, const std::function<QWidget*()>& create) {
    if (raiseWindow(key))
        return m_windows.value(key);
    QWidget* window = create();
    window->setAttribute(Qt::WA_DeleteOnClose);
    m_windows[key] = window;
    m_openOrder.removeAll(nullptr);
    m_openOrder.append(window);
    bringForward(window);
    return window;
}

bool MainWindow::raiseWindow(const QString& key) {
    QWidget* slot = m_windows.value(key);
    // A window closed a moment ago may still wait for its deferred delete: it counts as gone.
    if (!slot || slot->isHidden())
        return false;
    bringForward(slot);
    return true;
}

QWidget* MainWindow::openWindow(const QString& key) const {
    return m_windows.value(key);
}

void MainWindow::disableMainFor(QWidget* window) {
    setEnabled(false);
    if (!window)
        return;
    window->setEnabled(true);
    // However the window goes (its button, the frame's close control, Esc, deletion), the main
    // window comes back: watched here once rather than in every such window.
    window->installEventFilter(this);
    connect(window, &QObject::destroyed, this, [this] { setEnabled(true); });
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // A spontaneous hide is the window being minimised, not closed.
    if (event->type() == QEvent::Hide && !event->spontaneous()) {
        setEnabled(true);
        watched->removeEventFilter(this);
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::setMainEnabled(bool enabled) {
    setEnabled(enabled);
}

void MainWindow::CloseAllWindows() {
    if (m_closingAll)
        return;
    m_closingAll = true;
    const QList<QPointer<QWidget>> order = m_openOrder;
    for (auto it = order.crbegin(); it != order.crend(); ++it)
        if (*it)
            (*it)->close();
    m_openOrder.clear();
    m_closingAll = false;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Disabled, it cannot be closed (Alt+F4 still reaches it): its disabling window goes first.
    if (!m_closeConfirmed) {
        if (!isEnabled() ||
            m_platform.messages.show(session::endSessionQuestion()) != MsgAnswer::Yes) {
            event->ignore();
            return;
        }
        m_closeConfirmed = true;
    }
    CloseAllWindows();
    event->accept();
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (std::exchange(m_fitOuterSize, false))
        fitOuterSize(20);
}

void MainWindow::fitOuterSize(int triesLeft) {
    // The outer size includes the frame, known only once the window manager has framed the
    // window, which may take a moment after the first show.
    const QSize frame = frameGeometry().size() - geometry().size();
    if (!frame.isEmpty()) {
        resize(kNormalSize - frame);
        return;
    }
    if (triesLeft > 0)
        QTimer::singleShot(50, this, [this, triesLeft] { fitOuterSize(triesLeft - 1); });
}

} // namespace quillory
