#include "info/InfoActions.h"

namespace quillory::info {

// The information windows come with their own work.
void openHelp(MainContext&) {}
void openVersionHistory(MainContext&) {}
void openMemoryInfo(MainContext&) {}
void openAbout(MainContext&) {}

} // namespace quillory::info
