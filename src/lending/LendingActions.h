#pragma once

namespace quillory {

class MainContext;

namespace lending {

// "&Borrow Item" of the pop-up and Edit menus: the borrow dialog for the item selected in the
// item list.
void borrowItem(MainContext& context);
// "Borrower Details" of the item panel: who has the shown item.
void showBorrowerDetails(MainContext& context);
// "Item List" of the borrower panel: the titles the selected borrower has on loan.
void showItemList(MainContext& context);

} // namespace lending
} // namespace quillory
