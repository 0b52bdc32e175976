#pragma once

#include "platform/Platform.h"
#include "records/ItemRecord.h"
#include "records/Paths.h"
#include "records/ProfileRecord.h"

#include <QColor>
#include <QString>
#include <functional>

class QAction;
class QMenu;
class QWidget;

namespace quillory {

// Every menu item of the main window, named as the program names them.
struct MainMenus {
    QMenu* mnuFile = nullptr;
    QAction* mnuFile_NewItem = nullptr;
    QAction* mnuFile_NewProfile = nullptr;
    QAction* mnuHelpBar1 = nullptr;
    QAction* mnuFile_Preferences = nullptr;
    QAction* mnuHelpBar7 = nullptr;
    QAction* mnuFile_Exit = nullptr;

    QMenu* mnuEdit = nullptr;
    QAction* mnuEdit_EditItemDetails = nullptr;
    QAction* mnuEdit_EditProfile = nullptr;
    QAction* mnuHelpBar2 = nullptr;
    QAction* mnuEdit_RemoveItem = nullptr;
    QAction* mnuEdit_RemoveProfile = nullptr;
    QAction* mnuHelpBar3 = nullptr;
    QAction* mnuEdit_BorrowItem = nullptr;
    QAction* mnuEdit_ReturnBook = nullptr;
    QAction* mnuHelpbar4 = nullptr;
    QAction* mnuEdit_ItemList = nullptr;
    QAction* mnuEdit_BorrowerDetails = nullptr;

    QMenu* mnuHelp = nullptr;
    QAction* mnuHelp_TomewardHelp = nullptr;
    QAction* mnuHelp_VersionHistory = nullptr;
    QAction* mnuHelpbar5 = nullptr;
    QAction* mnuHelp_MemoryInfo = nullptr;
    QAction* mnuHelp_About = nullptr;

    QMenu* mnuPopUp = nullptr;
    QAction* mnuPop_BorrowItem = nullptr;
    QAction* mnuPop_EditItem = nullptr;
    QAction* mnuPop_RemoveItem = nullptr;
    QAction* mnuHelpBar6 = nullptr;
    QAction* mnuPop_BorrowerDetails = nullptr;
};

// The two colours of each blink phase: 0 is red text, 1 is text in the background colour.
struct BlinkColours {
    QColor text[2];
    QColor back[2];
};

// What the panels and windows need of the main window. A panel never holds another panel: it
// asks here for what another one shows, and tells here what it changed.
class MainContext {
public:
    virtual ~MainContext() = default;

    virtual Platform& platform() = 0;
    MessageService& messages() { return platform().messages; }
    virtual const Folders& folders() const = 0;
    // Makes these the folders the program works on (the preferences dialog after OK).
    virtual void setFolders(const Folders& folders) = 0;
    // Today's date as start-up took it; records written during this run carry it.
    virtual QString sessionDate() const = 0;
    // The program's folder + "QYHelp3.chm".
    virtual QString helpFile() const = 0;

    virtual QWidget* mainWidget() = 0;
    virtual const MainMenus& menus() const = 0;
    virtual const BlinkColours& blinkColours() const = 0;

    // The file name selected in the item list, and the item record the item panel shows (null
    // when it shows none).
    virtual QString selectedItem() const = 0;
    virtual const records::ItemRecord* shownItem() const = 0;
    // The Profile ID selected in the borrower list, and the profile the borrower panel shows.
    virtual QString selectedProfile() const = 0;
    virtual const records::ProfileRecord* shownProfile() const = 0;

    // An item record changed: the item panel shows the selected item again, gates included.
    virtual void itemChanged() = 0;
    // The shown item's record is gone: the item panel shows nothing and offers nothing.
    virtual void itemGone() = 0;
    // A profile record changed: the borrower panel shows the selected borrower again.
    virtual void profileChanged() = 0;
    // Borrowers came or went: every list of Profile IDs is read again, selections kept.
    virtual void profileListsChanged() = 0;
    // Re-points and re-reads the main window's lists and rewrites the totals.
    virtual void RefreshStatistics() = 0;

    // Single-instance windows owned by the main window. showWindow brings forward the window
    // open under the key, or makes one with create() (made with WA_DeleteOnClose), joins it to
    // the close-all order and shows it. Returns the window.
    virtual QWidget* showWindow(const QString& key, const std::function<QWidget*()>& create) = 0;
    // Brings forward the window open under the key; false when none is (a window closed but not
    // yet deleted counts as none).
    virtual bool raiseWindow(const QString& key) = 0;
    virtual QWidget* openWindow(const QString& key) const = 0;
    // Windows that stand in for modal ones disable the main window while open. The window
    // itself stays usable, and the main window is enabled again however the window closes.
    virtual void disableMainFor(QWidget* window) = 0;
    virtual void setMainEnabled(bool enabled) = 0;
};

} // namespace quillory
