#include "lending/ItemListWindow.h"

#include "widgets/FittedLabel.h"
#include "widgets/FormLayout.h"
#include "widgets/Named.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillory {

ItemListWindow::ItemListWindow(const QString& borrowerName, const QStringList& titles,
                               QWidget* parent)
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
    List1->addItems(titles);
}

} // namespace quillory
