#include "lending/LendingActions.h"

namespace quillory::lending {

// The windows behind these come with the lending work.
void borrowItem(MainContext&) {}
void showBorrowerDetails(MainContext&) {}
void showItemList(MainContext&) {}

} // namespace quillory::lending
