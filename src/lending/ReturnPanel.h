#pragma once

#include <QGroupBox>

class QLabel;

namespace quillory {

class FolderList;
class MainContext;

// The "Return Item" frame: the titles on loan on the left, the borrowers on the right. A click on
// a title shows since when it is on loan; a double-click returns it from the selected borrower.
class ReturnPanel : public QGroupBox {
    Q_OBJECT
public:
    // Wires Edit > Return Item of context.menus(), which must exist.
    explicit ReturnPanel(MainContext& context, QWidget* parent = nullptr);

    // Lists the loan records and the profiles; returns how many loans are listed.
    int listFolders(const QString& loaned, const QString& profiles);

private:
    FolderList* filLoaned = nullptr;
    FolderList* filProfilesReturn = nullptr;
    QLabel* lblNote = nullptr;
    QLabel* lblReturn = nullptr;
    void filLoaned_Click();
    void filLoaned_DblClick();
    void mnuEdit_ReturnBook_Click();
    bool readyToReturn(bool fromMenu);
    void returnSelected();

    MainContext& m_context;
};

} // namespace quillory
