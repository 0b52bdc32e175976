#include "lending/ItemListWindow.h"

#include "platform/MessageService.h"
#include "records/LoanList.h"
#include "widgets/FittedLabel.h"
#include "widgets/FormLayout.h"
#include "widgets/Named.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillory {

ItemListWindow::ItemListWindow(MessageService& messages, const QString& loanListPath,
                               const QString& borrowerName, QWidget* parent)
    : QDialog(parent, Qt::Dialog) {
    setObjectName(kWindowKey);
    setWindowTitle(QStringLiteral("Item Loan List"));
    setModal(false);

    Label1 = named(
        new QLabel(QStringLiteral("These are titles which are still on loan from the borrower :"),
                   this),
        "Label1");
    lblName = named(new FittedLabel(this), "lblName");
    QFont bold = lblName->font();
    bold.setBold(true);
    lblName->setFont(bold);
    List1 = named(new QListWidget(this), "List1");
    cmdClose = named(new QPushButton(QStringLiteral("Close"), this), "cmdClose");
    cmdClose->setDefault(true);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(lblName);
    layout->addWidget(List1, 1);
    layout->addLayout(buttonRow({cmdClose}));
    resize(360, 320);

    lblName->setText(borrowerName);
    const records::Result<QStringList> list = records::readLoanList(loanListPath);
    if (!list.ok()) {
        messages.show(QStringLiteral("Sorry the borrower ") + borrowerName +
                          QStringLiteral(" items list is not available."),
                      QStringLiteral("Item List"), MsgIcon::Information);
        return;
    }
    List1->addItems(list.value());
}

} // namespace quillory
