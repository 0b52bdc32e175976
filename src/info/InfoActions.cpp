#include "info/InfoActions.h"

#include "info/AboutWindow.h"
#include "info/HelpContents.h"
#include "info/HelpWindow.h"
#include "info/MemoryWindow.h"
#include "info/VersionHistoryWindow.h"
#include "widgets/BusyCursor.h"
#include "widgets/MainContext.h"

namespace quillory::info {

void openHelp(MainContext& context) {
    BusyCursor busy;
    const QString path = context.helpFile();
    if (const auto refusal = helpFileRefusal(path)) {
        context.messages().show(*refusal);
        return;
    }
    if (context.platform().help.open(path))
        return;
    // No viewer for the compiled file on this desk: the same topics in the program's own window.
    context.showWindow(QStringLiteral("frmHelp"),
                       [&context] { return new HelpWindow(context.mainWidget()); });
}

void openVersionHistory(MainContext& context) {
    context.showWindow(QStringLiteral("frmVersionHistory"), [&context] {
        return new VersionHistoryWindow(context, context.mainWidget());
    });
}

void openMemoryInfo(MainContext& context) {
    context.showWindow(QStringLiteral("frmMemory"),
                       [&context] { return new MemoryWindow(context, context.mainWidget()); });
}

void openAbout(MainContext& context) {
    context.showWindow(QStringLiteral("frmAbout"), [&context] {
        return new AboutWindow(context, context.platform().screen.primarySize(),
                               context.mainWidget());
    });
}

} // namespace quillory::info
