#pragma once

namespace quillory {

class MainContext;

namespace info {

void openHelp(MainContext& context);
void openVersionHistory(MainContext& context);
void openMemoryInfo(MainContext& context);
void openAbout(MainContext& context);

} // namespace info
} // namespace quillory
