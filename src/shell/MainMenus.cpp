#include "shell/MainMenus.h"

#include "widgets/Named.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace quillory {

MainMenus buildMainMenus(QMenuBar* bar, QWidget* owner) {
    MainMenus m;
    auto action = [](QMenu* menu, const char* name, const QString& caption) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    auto separator = [](QMenu* menu, const char* name) {
        QAction* a = menu->addSeparator();
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };

    m.mnuFile = named(bar->addMenu(QStringLiteral("&File")), "mnuFile");
    m.mnuFile_NewItem = action(m.mnuFile, "mnuFile_NewItem", QStringLiteral("New &Item"));
    m.mnuFile_NewProfile = action(m.mnuFile, "mnuFile_NewProfile", QStringLiteral("New &Profile"));
    m.mnuHelpBar1 = separator(m.mnuFile, "mnuHelpBar1");
    m.mnuFile_Preferences = action(m.mnuFile, "mnuFile_Preferences", QStringLiteral("Preferences"));
    m.mnuHelpBar7 = separator(m.mnuFile, "mnuHelpBar7");
    m.mnuFile_Exit = action(m.mnuFile, "mnuFile_Exit", QStringLiteral("E&xit"));

    m.mnuEdit = named(bar->addMenu(QStringLiteral("&Edit")), "mnuEdit");
    m.mnuEdit_EditItemDetails =
        action(m.mnuEdit, "mnuEdit_EditItemDetails", QStringLiteral("Edit Item &Detail"));
    m.mnuEdit_EditProfile =
        action(m.mnuEdit, "mnuEdit_EditProfile", QStringLiteral("&Edit Profile"));
    m.mnuHelpBar2 = separator(m.mnuEdit, "mnuHelpBar2");
    m.mnuEdit_RemoveItem = action(m.mnuEdit, "mnuEdit_RemoveItem", QStringLiteral("Remove &Item"));
    m.mnuEdit_RemoveProfile =
        action(m.mnuEdit, "mnuEdit_RemoveProfile", QStringLiteral("Remove &Profile"));
    m.mnuHelpBar3 = separator(m.mnuEdit, "mnuHelpBar3");
    m.mnuEdit_BorrowItem = action(m.mnuEdit, "mnuEdit_BorrowItem", QStringLiteral("&Borrow Item"));
    m.mnuEdit_ReturnBook = action(m.mnuEdit, "mnuEdit_ReturnBook", QStringLiteral("&Return Item"));
    m.mnuHelpbar4 = separator(m.mnuEdit, "mnuHelpbar4");
    m.mnuEdit_ItemList = action(m.mnuEdit, "mnuEdit_ItemList", QStringLiteral("Item List"));
    m.mnuEdit_BorrowerDetails =
        action(m.mnuEdit, "mnuEdit_BorrowerDetails", QStringLiteral("Borrower Details"));

    m.mnuHelp = named(bar->addMenu(QStringLiteral("&Help")), "mnuHelp");
    m.mnuHelp_TomewardHelp =
        action(m.mnuHelp, "mnuHelp_TomewardHelp", QStringLiteral("Quillory! QD &Help"));
    m.mnuHelp_VersionHistory =
        action(m.mnuHelp, "mnuHelp_VersionHistory", QStringLiteral("&Version History"));
    m.mnuHelpbar5 = separator(m.mnuHelp, "mnuHelpbar5");
    m.mnuHelp_MemoryInfo =
        action(m.mnuHelp, "mnuHelp_MemoryInfo", QStringLiteral("&Memory Information"));
    m.mnuHelp_About = action(m.mnuHelp, "mnuHelp_About", QStringLiteral("&About"));

    // Opened over the item list only; never part of the menu bar.
    m.mnuPopUp = named(new QMenu(QStringLiteral("PopupMenu"), owner), "mnuPopUp");
    m.mnuPop_BorrowItem = action(m.mnuPopUp, "mnuPop_BorrowItem", QStringLiteral("&Borrow Item"));
    m.mnuPop_EditItem = action(m.mnuPopUp, "mnuPop_EditItem", QStringLiteral("&Edit Item"));
    m.mnuPop_RemoveItem = action(m.mnuPopUp, "mnuPop_RemoveItem", QStringLiteral("&Remove Item"));
    m.mnuHelpBar6 = separator(m.mnuPopUp, "mnuHelpBar6");
    m.mnuPop_BorrowerDetails =
        action(m.mnuPopUp, "mnuPop_BorrowerDetails", QStringLiteral("Borrower &Details"));
    return m;
}

} // namespace quillory
