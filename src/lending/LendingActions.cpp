#include "lending/LendingActions.h"

#include "lending/Lending.h"

#include "lending/BorrowDialog.h"
#include "lending/ItemListWindow.h"
#include "records/ItemRecord.h"
#include "widgets/MainContext.h"

#include <QLabel>
#include <QPushButton>

namespace quillory::lending {

namespace {
const QString kDetailsNotAvailable =
    QStringLiteral("Borrower Details not available for the item named:");
const QString kCannotOpenItem = QStringLiteral(
    "Quillory! QD cannot open the item! Please select an item listed in Item Data first.");
} // namespace

void borrowItem(MainContext& context) {
    const QString itemToLend = context.selectedItem();
    QWidget* window = context.showWindow(BorrowDialog::kWindowKey, [&context] {
        return new BorrowDialog(context, context.mainWidget());
    });
    if (auto* dialog = qobject_cast<BorrowDialog*>(window))
        dialog->setItemToLend(itemToLend);
}

void showBorrowerDetails(MainContext& context) {
    const records::ItemRecord* shown = context.shownItem();
    if (!shown || shown->status != records::kOnLoan) {
        context.messages().show(kDetailsNotAvailable + QLatin1Char('\r') +
                                    (shown ? shown->title : QString()),
                                kAppTitle, MsgIcon::Information);
        return;
    }
    const lending::BorrowerDetails details =
        lending::borrowerDetails(context.folders(), context.selectedItem());
    switch (details.kind) {
    case lending::BorrowerDetails::Kind::Missing:
        // Deleted behind the program's back: the panel stops showing it, without a word.
        context.itemGone();
        return;
    case lending::BorrowerDetails::Kind::Unreadable:
        context.messages().show(kCannotOpenItem, QStringLiteral("Error"), MsgIcon::Information);
        return;
    case lending::BorrowerDetails::Kind::Shown:
        context.messages().show(details.text, kAppTitle, MsgIcon::Information);
        return;
    }
}

void showItemList(MainContext& context) {
    const QString profileId = context.selectedProfile();
    if (profileId.isEmpty())
        return;
    const QString path = context.folders().loanListPath(profileId);
    const records::ProfileRecord* shown = context.shownProfile();
    const QString name = shown ? shown->name : QString();
    // The list is read when the window opens; an open one is only brought forward.
    context.showWindow(ItemListWindow::kWindowKey, [&] {
        return new ItemListWindow(context.messages(), path, name, context.mainWidget());
    });
}

} // namespace quillory::lending
