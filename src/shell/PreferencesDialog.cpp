#include "shell/PreferencesDialog.h"

namespace quillory {

// The dialog comes with its own work.
void openPreferences(MainContext&) {}

} // namespace quillory
