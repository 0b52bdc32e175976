#include "items/ItemPanel.h"

#include "records/ItemRecord.h"
#include "shell/FolderList.h"
#include "shell/MainContext.h"
#include "shell/Named.h"

#include <QFont>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace quillory {

ItemPanel::ItemPanel(MainContext& context, QWidget* parent)
    : QGroupBox(QStringLiteral("Item Details"), parent), m_context(context) {
    setObjectName(QStringLiteral("fmeItemDetails"));

    filStats = named(new FolderList(this), "filStats");
    lblSearch = named(new QLabel(QStringLiteral("Search for item named:"), this), "lblSearch");
    txtSearch = named(new QLineEdit(this), "txtSearch");
    lblData = named(new QLabel(QStringLiteral("Item Data"), this), "lblData");
    QFont headingFont = lblData->font();
    headingFont.setBold(true);
    lblData->setFont(headingFont);

    lblTitle = named(new QLabel(QStringLiteral("Item:"), this), "lblTitle");
    lblItemTitle = named(new QLabel(this), "lblItemTitle");
    lblDate = named(new QLabel(QStringLiteral("Date Created:"), this), "lblDate");
    lblItemDate = named(new QLabel(this), "lblItemDate");
    lblStatus = named(new QLabel(QStringLiteral("Status:"), this), "lblStatus");
    lblItemStatus = named(new QLabel(this), "lblItemStatus");
    QFont bold = lblItemStatus->font();
    bold.setBold(true);
    lblItemStatus->setFont(bold);
    lblItemStatus->setAutoFillBackground(true);
    lblLanguage = named(new QLabel(QStringLiteral("Language:"), this), "lblLanguage");
    lblItemLanguage = named(new QLabel(this), "lblItemLanguage");
    lblPrice = named(new QLabel(QStringLiteral("Price:"), this), "lblPrice");
    lblItemPrice = named(new QLabel(this), "lblItemPrice");
    lblSerialNumber = named(new QLabel(QStringLiteral("Serial Number:"), this), "lblSerialNumber");
    lblItemSerialNumber = named(new QLabel(this), "lblItemSerialNumber");
    lblPublisher = named(new QLabel(QStringLiteral("Publisher:"), this), "lblPublisher");
    lblItemPublisher = named(new QLabel(this), "lblItemPublisher");
    for (QLabel* value : {lblItemTitle, lblItemDate, lblItemLanguage, lblItemPrice,
                          lblItemSerialNumber, lblItemPublisher}) {
        value->setTextFormat(Qt::PlainText);
        value->setWordWrap(true);
    }
    lblItemStatus->setTextFormat(Qt::PlainText);

    cmdNewItem = named(new QPushButton(QStringLiteral("New Item"), this), "cmdNewItem");
    cmdEditItem = named(new QPushButton(QStringLiteral("Edit Item"), this), "cmdEditItem");
    cmdDeleteItem = named(new QPushButton(QStringLiteral("Remove Item"), this), "cmdDeleteItem");
    cmdBorrowerDetails =
        named(new QPushButton(QStringLiteral("Borrower Details"), this), "cmdBorrowerDetails");
    cmdBorrowerDetails->hide();

    tmrBlink = named(new QTimer(this), "tmrBlink");
    Timer1 = named(new QTimer(this), "Timer1");

    auto* separator = new QFrame(this);
    separator->setFrameShape(QFrame::HLine);

    auto* details = new QGridLayout;
    const QList<QPair<QLabel*, QLabel*>> rows{{lblTitle, lblItemTitle},
                                             {lblDate, lblItemDate},
                                             {lblStatus, lblItemStatus},
                                             {lblLanguage, lblItemLanguage},
                                             {lblPrice, lblItemPrice},
                                             {lblSerialNumber, lblItemSerialNumber},
                                             {lblPublisher, lblItemPublisher}};
    int row = 0;
    details->addWidget(lblData, row++, 0, 1, 2);
    for (const auto& pair : rows) {
        details->addWidget(pair.first, row, 0, Qt::AlignTop);
        details->addWidget(pair.second, row++, 1);
    }
    details->setColumnStretch(1, 1);

    auto* buttons = new QGridLayout;
    buttons->addWidget(cmdNewItem, 0, 0);
    buttons->addWidget(cmdEditItem, 0, 1);
    buttons->addWidget(cmdDeleteItem, 1, 0);
    buttons->addWidget(cmdBorrowerDetails, 1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(filStats, 1);
    layout->addWidget(lblSearch);
    layout->addWidget(txtSearch);
    layout->addWidget(separator);
    layout->addLayout(details);
    layout->addLayout(buttons);

    connect(tmrBlink, &QTimer::timeout, this, &ItemPanel::tmrBlink_Timer);
}

void ItemPanel::tmrBlink_Timer() {
    if (lblItemStatus->text() == records::kAvailable)
        return;
    m_blinkPhase = 1 - m_blinkPhase;
    const BlinkColours& colours = m_context.blinkColours();
    QPalette palette = lblItemStatus->palette();
    palette.setColor(QPalette::WindowText, colours.text[m_blinkPhase]);
    palette.setColor(QPalette::Window, colours.back[m_blinkPhase]);
    lblItemStatus->setPalette(palette);
}

void ItemPanel::clearValues() {
    for (QLabel* value : {lblItemTitle, lblItemDate, lblItemStatus, lblItemLanguage, lblItemPrice,
                          lblItemSerialNumber, lblItemPublisher})
        value->clear();
}

// The behaviour of the remaining handlers comes with the item management work.
void ItemPanel::filStats_Click() {}
void ItemPanel::filStats_MouseDown(Qt::MouseButton, const QPoint&) {}
void ItemPanel::txtSearch_Change() {}
void ItemPanel::cmdNewItem_Click() {}
void ItemPanel::cmdEditItem_Click() {}
void ItemPanel::cmdDeleteItem_Click() {}

} // namespace quillory
