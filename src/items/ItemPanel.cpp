#include "items/ItemPanel.h"

#include "items/EditItemDialog.h"
#include "items/ItemCatalogue.h"
#include "items/ItemView.h"
#include "items/NewItemDialog.h"
#include "records/ItemRecord.h"
#include "widgets/FittedLabel.h"
#include "widgets/FolderList.h"
#include "widgets/MainContext.h"
#include "widgets/Named.h"

#include <QAction>
#include <QFont>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>

namespace quillory {

namespace {
const QString kHeading = QStringLiteral("Item Data");
} // namespace

ItemPanel::ItemPanel(MainContext& context, QWidget* parent)
    : QGroupBox(QStringLiteral("Item Details"), parent), m_context(context) {
    setObjectName(QStringLiteral("fmeItemDetails"));

    filStats = named(new FolderList(this), "filStats");
    lblSearch = named(new QLabel(QStringLiteral("Search for item named:"), this), "lblSearch");
    txtSearch = named(new QLineEdit(this), "txtSearch");
    lblData = named(new FittedLabel(kHeading, this, 2), "lblData");
    QFont headingFont = lblData->font();
    headingFont.setBold(true);
    lblData->setFont(headingFont);

    lblTitle = named(new QLabel(QStringLiteral("Item:"), this), "lblTitle");
    lblItemTitle = named(new FittedLabel(this, 2), "lblItemTitle");
    lblDate = named(new QLabel(QStringLiteral("Date Created:"), this), "lblDate");
    lblItemDate = named(new FittedLabel(this), "lblItemDate");
    lblStatus = named(new QLabel(QStringLiteral("Status:"), this), "lblStatus");
    lblItemStatus = named(new FittedLabel(this), "lblItemStatus");
    QFont bold = lblItemStatus->font();
    bold.setBold(true);
    lblItemStatus->setFont(bold);
    lblLanguage = named(new QLabel(QStringLiteral("Language:"), this), "lblLanguage");
    lblItemLanguage = named(new FittedLabel(this), "lblItemLanguage");
    lblPrice = named(new QLabel(QStringLiteral("Price:"), this), "lblPrice");
    lblItemPrice = named(new FittedLabel(this), "lblItemPrice");
    lblSerialNumber = named(new QLabel(QStringLiteral("Serial Number:"), this), "lblSerialNumber");
    lblItemSerialNumber = named(new FittedLabel(this), "lblItemSerialNumber");
    lblPublisher = named(new QLabel(QStringLiteral("Publisher:"), this), "lblPublisher");
    lblItemPublisher = named(new FittedLabel(this), "lblItemPublisher");

    cmdNewItem = named(new QPushButton(QStringLiteral("New Item"), this), "cmdNewItem");
    cmdEditItem = named(new QPushButton(QStringLiteral("Edit Item"), this), "cmdEditItem");
    cmdDeleteItem = named(new QPushButton(QStringLiteral("Remove Item"), this), "cmdDeleteItem");
    cmdBorrowerDetails =
        named(new QPushButton(QStringLiteral("Borrower Details"), this), "cmdBorrowerDetails");
    cmdBorrowerDetails->hide();

    tmrBlink = named(new QTimer(this), "tmrBlink");

    auto* separator = new QFrame(this);
    separator->setFrameShape(QFrame::HLine);

    auto* details = new QGridLayout;
    const QList<QPair<QLabel*, QLabel*>> rows{
        {lblTitle, lblItemTitle},        {lblDate, lblItemDate},
        {lblStatus, lblItemStatus},      {lblLanguage, lblItemLanguage},
        {lblPrice, lblItemPrice},        {lblSerialNumber, lblItemSerialNumber},
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
    connect(filStats, &FolderList::pressed, this,
            [this](Qt::MouseButton button, const QPoint& globalPos) {
                const QPoint at = filStats->viewport()->mapFromGlobal(globalPos);
                m_pickShownByPress = button != Qt::RightButton && filStats->indexAt(at).isValid();
                filStats_MouseDown(button, globalPos);
            });
    connect(filStats, &FolderList::picked, this, [this] {
        if (std::exchange(m_pickShownByPress, false))
            return;
        filStats_Click(); // a keyboard move
    });
    connect(txtSearch, &QLineEdit::textChanged, this, &ItemPanel::txtSearch_Change);
    connect(cmdNewItem, &QPushButton::clicked, this, &ItemPanel::cmdNewItem_Click);
    connect(cmdEditItem, &QPushButton::clicked, this, &ItemPanel::cmdEditItem_Click);
    connect(cmdDeleteItem, &QPushButton::clicked, this, &ItemPanel::cmdDeleteItem_Click);
    connect(cmdBorrowerDetails, &QPushButton::clicked, this, &ItemPanel::borrowerDetailsRequested);

    const MainMenus& m = context.menus();
    connect(m.mnuFile_NewItem, &QAction::triggered, this, &ItemPanel::cmdNewItem_Click);
    for (QAction* edit : {m.mnuEdit_EditItemDetails, m.mnuPop_EditItem})
        connect(edit, &QAction::triggered, this, &ItemPanel::cmdEditItem_Click);
    for (QAction* remove : {m.mnuEdit_RemoveItem, m.mnuPop_RemoveItem})
        connect(remove, &QAction::triggered, this, &ItemPanel::cmdDeleteItem_Click);
}

int ItemPanel::listFolder(const QString& path) {
    filStats->setFolder(path);
    return filStats->count();
}

QString ItemPanel::selectedItem() const {
    return filStats->selectedFileName();
}

void ItemPanel::startBlink() {
    tmrBlink_Timer();
    tmrBlink->start(500);
}

void ItemPanel::tmrBlink_Timer() {
    if (shownAvailable())
        return;
    m_blinkPhase = 1 - m_blinkPhase;
    const BlinkColours& colours = m_context.blinkColours();
    QPalette palette = lblItemStatus->palette();
    palette.setColor(QPalette::WindowText, colours.text[m_blinkPhase]);
    palette.setColor(QPalette::Window, colours.back[m_blinkPhase]);
    lblItemStatus->setPalette(palette);
}

void ItemPanel::clearValues() {
    m_shown = {};
    for (QLabel* value : {lblItemTitle, lblItemDate, lblItemStatus, lblItemLanguage, lblItemPrice,
                          lblItemSerialNumber, lblItemPublisher})
        value->clear();
}

void ItemPanel::forgetShownItem() {
    clearValues();
    cmdBorrowerDetails->hide();
    cmdBorrowerDetails->setEnabled(false);
}

void ItemPanel::filStats_Click() {
    const QString name = filStats->selectedFileName();
    if (name.isEmpty())
        return;
    m_shown = items::viewItem(m_context.folders().itemPath(name));
    // A damaged record shows nothing of another item and offers nothing that would change it.
    // The heading says what is wrong: no box interrupts a search being typed.
    lblData->setText(m_shown.problem.isEmpty() ? kHeading : m_shown.problem);
    const records::ItemRecord item = m_shown.record.value_or(records::ItemRecord{});
    lblItemTitle->setText(item.title);
    lblItemDate->setText(item.dateCreated);
    lblItemStatus->setText(item.status);
    lblItemLanguage->setText(item.language);
    lblItemPrice->setText(item.price);
    lblItemSerialNumber->setText(item.serialNumber);
    lblItemPublisher->setText(item.publisher);
    tmrBlink_Timer();
    setGates();
}

bool ItemPanel::shownAvailable() const {
    return items::itemGates(shownItem()).canChange;
}

void ItemPanel::setGates() {
    const items::ItemGates gates = items::itemGates(shownItem());
    const MainMenus& m = m_context.menus();
    for (QAction* action : {m.mnuEdit_EditItemDetails, m.mnuEdit_RemoveItem, m.mnuEdit_BorrowItem,
                            m.mnuPop_BorrowItem, m.mnuPop_EditItem, m.mnuPop_RemoveItem})
        action->setEnabled(gates.canChange);
    m.mnuEdit_BorrowerDetails->setEnabled(gates.borrowerDetails);
    m.mnuPop_BorrowerDetails->setEnabled(gates.borrowerDetails);
    cmdEditItem->setEnabled(gates.canChange);
    cmdDeleteItem->setEnabled(gates.canChange);
    cmdBorrowerDetails->setVisible(gates.borrowerDetails);
    cmdBorrowerDetails->setEnabled(gates.borrowerDetails);
    if (gates.canChange) {
        QPalette palette = lblItemStatus->palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        lblItemStatus->setPalette(palette);
    }
}

void ItemPanel::filStats_MouseDown(Qt::MouseButton button, const QPoint& globalPos) {
    if (filStats->selectedFileName().isEmpty())
        return;
    if (button == Qt::RightButton) {
        // The items stay as the last shown item left them; the press selects nothing.
        m_context.menus().mnuPopUp->popup(globalPos);
        return;
    }
    filStats_Click();
}

void ItemPanel::txtSearch_Change() {
    const QString text = txtSearch->text();
    // Every name begins with the empty text, so an emptied field goes back to the first name.
    const QString before = filStats->selectedFileName();
    if (!filStats->selectByPrefix(text))
        return;
    // Keep the shown item and the gates in step with the selection, so an action never works
    // on another file than the one shown.
    if (filStats->selectedFileName() != before)
        filStats_Click();
}

void ItemPanel::cmdNewItem_Click() {
    m_context.showWindow(NewItemDialog::kWindowKey,
                         [this] { return new NewItemDialog(m_context, m_context.mainWidget()); });
}

void ItemPanel::cmdEditItem_Click() {
    const QString name = filStats->selectedFileName();
    if (name.isEmpty())
        return;
    // An open dialog keeps the record it loaded; it is only brought forward.
    if (m_context.raiseWindow(EditItemDialog::kWindowKey))
        return;
    const QString path = m_context.folders().itemPath(name);
    const items::LoadOutcome loaded = items::loadItemForEdit(path);
    if (!loaded.ok()) {
        m_context.messages().show(*loaded.failure);
        return;
    }
    m_context.showWindow(EditItemDialog::kWindowKey, [this, &path, &loaded] {
        return new EditItemDialog(m_context, path, loaded.record, m_context.mainWidget());
    });
}

void ItemPanel::cmdDeleteItem_Click() {
    if (filStats->selectedFileName().isEmpty())
        return;
    // Show the selected item first, so the question names the file that will be deleted, and
    // the decision rests on its status now.
    filStats_Click();
    const items::RemovalStep step = items::removalStep(m_shown);
    if (step == items::RemovalStep::Nothing)
        return;
    const QString path = m_context.folders().itemPath(filStats->selectedFileName());
    if (step == items::RemovalStep::Ask &&
        m_context.messages().show(items::removalQuestion(m_shown.record->title)) != MsgAnswer::Yes)
        return;
    if (const auto failure = items::removeItem(path)) {
        m_context.messages().show(*failure);
        m_context.RefreshStatistics(); // re-reads the list: the file may be gone already
        return;
    }
    filStats->reread(); // the item leaves the list before the message
    clearValues();
    m_context.messages().show(items::removalSuccess());
    m_context.RefreshStatistics();
}

} // namespace quillory
