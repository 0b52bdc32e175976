#pragma once

#include "widgets/MainContext.h"

class QMenuBar;
class QWidget;

namespace quillory {

// The File, Edit and Help menus on the bar, and the item list's pop-up menu owned by `owner`,
// each item with its caption and object name. No menu item has a shortcut key.
MainMenus buildMainMenus(QMenuBar* bar, QWidget* owner);

} // namespace quillory
