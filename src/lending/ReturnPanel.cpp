#include "lending/ReturnPanel.h"

#include "shell/FolderList.h"
#include "shell/MainContext.h"
#include "shell/Named.h"

#include <QGridLayout>
#include <QLabel>

namespace quillory {

ReturnPanel::ReturnPanel(MainContext& context, QWidget* parent)
    : QGroupBox(QStringLiteral("Return Item"), parent), m_context(context) {
    setObjectName(QStringLiteral("fmeReturnItem"));
    filLoaned = named(new FolderList(this), "filLoaned");
    filProfilesReturn = named(new FolderList(this), "filProfilesReturn");
    lblNote = named(new QLabel(this), "lblNote");
    lblNote->setTextFormat(Qt::PlainText);
    lblNote->setWordWrap(true);
    lblReturn = named(new QLabel(QStringLiteral("Select a Profile ID on the right and double-click "
                                                "on the title to return on the left."),
                                 this),
                      "lblReturn");
    lblReturn->setWordWrap(true);

    auto* layout = new QGridLayout(this);
    layout->addWidget(filLoaned, 0, 0);
    layout->addWidget(filProfilesReturn, 0, 1);
    layout->addWidget(lblNote, 1, 0, 1, 2);
    layout->addWidget(lblReturn, 2, 0, 1, 2);
    layout->setColumnStretch(0, 3);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(0, 1);
}

// The return itself comes with the lending work.
void ReturnPanel::filLoaned_Click() {}
void ReturnPanel::filLoaned_DblClick() {}
void ReturnPanel::mnuEdit_ReturnBook_Click() {}

} // namespace quillory
