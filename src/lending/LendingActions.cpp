#include "lending/LendingActions.h"

#include "lending/BorrowDialog.h"
#include "lending/ItemListWindow.h"
#include "lending/LendingMessages.h"
#include "widgets/MainContext.h"

namespace quillory::lending {

void borrowItem(MainContext& context) {
    const QString itemToLend = context.selectedItem();
    QWidget* window = context.showWindow(BorrowDialog::kWindowKey, [&context] {
        return new BorrowDialog(context, context.mainWidget());
    });
    if (auto* dialog = qobject_cast<BorrowDialog*>(window))
        dialog->setItemToLend(itemToLend);
}

void showBorrowerDetails(MainContext& context) {
    const DetailsView view =
        borrowerDetailsView(context.folders(), context.shownItem(), context.selectedItem());
    if (view.gone)
        context.itemGone();
    if (view.message)
        context.messages().show(*view.message);
}

void showItemList(MainContext& context) {
    const QString profileId = context.selectedProfile();
    if (profileId.isEmpty())
        return;
    // The list is read when the window opens; an open one is only brought forward.
    if (context.raiseWindow(ItemListWindow::kWindowKey))
        return;
    const records::ProfileRecord* shown = context.shownProfile();
    const QString name = shown ? shown->name : QString();
    const TitlesView view = loanedTitles(context.folders(), profileId, name);
    context.showWindow(ItemListWindow::kWindowKey, [&] {
        auto* window = new ItemListWindow(name, view.titles, context.mainWidget());
        if (view.message)
            context.messages().show(*view.message);
        return window;
    });
}

} // namespace quillory::lending
