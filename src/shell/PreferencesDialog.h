#pragma once

namespace quillory {

class MainContext;

// File ▸ Preferences: the dialog that chooses the three data folders.
void openPreferences(MainContext& context);

} // namespace quillory
