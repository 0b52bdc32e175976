#pragma once

#include "records/FolderIndex.h"
#include "widgets/MainContext.h"

#include <QList>
#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <memory>
#include <vector>

class QLabel;
class QStatusBar;
class QTimer;

namespace quillory {

class ItemPanel;
class BorrowerPanel;
class ReturnPanel;

// frmMain: where the program begins and ends. start() runs the start-up sequence before the
// window is first shown; closing it by any means asks "End current session?".
class MainWindow : public QMainWindow, public MainContext {
    Q_OBJECT
public:
    explicit MainWindow(Platform& platform, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up sequence. False when the program must end at once (another copy is
    // running, or the screen is refused); nothing has been written then.
    bool start();

    // MainContext
    Platform& platform() override { return m_platform; }
    const Folders& folders() const override { return m_folders; }
    void setFolders(const Folders& folders) override { m_folders = folders; }
    QString sessionDate() const override { return m_sessionDate; }
    QString helpFile() const override { return m_helpFile; }
    QWidget* mainWidget() override { return this; }
    const MainMenus& menus() const override { return m_menus; }
    const BlinkColours& blinkColours() const override { return m_blink; }
    QString selectedItem() const override;
    const records::ItemRecord* shownItem() const override;
    QString selectedProfile() const override;
    const records::ProfileRecord* shownProfile() const override;
    void itemChanged() override;
    void itemGone() override;
    void profileChanged() override;
    void profileListsChanged() override;
    void RefreshStatistics() override;
    QWidget* showWindow(const QString& key, const std::function<QWidget*()>& create) override;
    bool raiseWindow(const QString& key) override;
    QWidget* openWindow(const QString& key) const override;
    void disableMainFor(QWidget* window) override;
    void setMainEnabled(bool enabled) override;

    void CloseAllWindows();

    // Outer window size when the screen is larger than 800 x 600.
    static constexpr QSize kNormalSize{800, 595};

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The indexes of the three folders, held from before the start-up recovery until the lists
    // take them, so that the sweep of leftover temporaries reads each folder with the lists.
    std::vector<std::shared_ptr<records::FolderIndex>> BindFileLists();
    bool CheckResolution();
    void buildStatusBar();
    void wireActions();
    void updateClockAndLocks();
    void fitOuterSize(int triesLeft);

    QStatusBar* staQDBelow = nullptr;
    QLabel* staPanelStats = nullptr;
    QLabel* staPanelDate = nullptr;
    QLabel* staPanelClock = nullptr;
    QLabel* staPanelNum = nullptr;
    QLabel* staPanelCaps = nullptr;

    Platform& m_platform;
    Folders m_folders;
    QString m_sessionDate;
    QString m_helpFile;
    MainMenus m_menus;
    BlinkColours m_blink;
    ItemPanel* m_itemPanel = nullptr;
    BorrowerPanel* m_borrowerPanel = nullptr;
    ReturnPanel* m_returnPanel = nullptr;
    QTimer* m_clock = nullptr;

    QMap<QString, QPointer<QWidget>> m_windows;
    QList<QPointer<QWidget>> m_openOrder;
    bool m_closingAll = false;
    bool m_closeConfirmed = false;
    bool m_fitOuterSize = false;
};

} // namespace quillory
