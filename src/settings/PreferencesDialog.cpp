#include "settings/PreferencesDialog.h"

#include "settings/FolderSettings.h"
#include "widgets/FormLayout.h"
#include "widgets/MainContext.h"
#include "widgets/Named.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillory {

void openPreferences(MainContext& context) {
    context.showWindow(QStringLiteral("frmPreferences"),
                       [&context] { return new PreferencesDialog(context, context.mainWidget()); });
}

PreferencesDialog::PreferencesDialog(MainContext& context, QWidget* parent)
    : QDialog(parent), m_context(context) {
    setObjectName(QStringLiteral("frmPreferences"));
    setWindowTitle(QStringLiteral("Preferences"));

    lblPreferences = named(new QLabel(QStringLiteral("The location for storing the borrower "
                                                     "information, items and borrowed items are "
                                                     "set as displayed."),
                                      this),
                           "lblPreferences");
    lblPreferences->setWordWrap(true);

    auto frame = [this](const char* name, const QString& caption, QLineEdit*& field,
                        const char* fieldName, QPushButton*& browse, const char* browseName) {
        auto* box = named(new QGroupBox(caption, this), name);
        field = named(new QLineEdit(box), fieldName);
        browse = named(new QPushButton(QStringLiteral("Browse"), box), browseName);
        auto* row = new QHBoxLayout(box);
        row->addWidget(field, 1);
        row->addWidget(browse);
        return box;
    };
    fmeLoaned = frame("fmeLoaned", QStringLiteral("Loaned Items Directory"), txtLoaned, "txtLoaned",
                      cmdBrowse1, "cmdBrowse1");
    fmeProfiles = frame("fmeProfiles", QStringLiteral("Borrower Profile Directory"), txtProfiles,
                        "txtProfiles", cmdBrowse2, "cmdBrowse2");
    fmeItemStats = frame("fmeItemStats", QStringLiteral("Item Statistics"), txtStats, "txtStats",
                         cmdBrowse3, "cmdBrowse3");

    cmdDefault = named(new QPushButton(QStringLiteral("Default"), this), "cmdDefault");
    cmdOK = named(new QPushButton(QStringLiteral("OK"), this), "cmdOK");
    cmdCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel");
    cmdApply = named(new QPushButton(QStringLiteral("Apply"), this), "cmdApply");
    cmdOK->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdDefault);
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdApply);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblPreferences);
    layout->addWidget(fmeLoaned);
    layout->addWidget(fmeProfiles);
    layout->addWidget(fmeItemStats);
    layout->addLayout(buttons);
    resize(480, sizeHint().height());

    setTabChain({txtLoaned, cmdBrowse1, txtProfiles, cmdBrowse2, txtStats, cmdBrowse3, cmdDefault,
                 cmdOK, cmdCancel, cmdApply});

    connect(cmdBrowse1, &QPushButton::clicked, this, &PreferencesDialog::cmdBrowse1_Click);
    connect(cmdBrowse2, &QPushButton::clicked, this, &PreferencesDialog::cmdBrowse2_Click);
    connect(cmdBrowse3, &QPushButton::clicked, this, &PreferencesDialog::cmdBrowse3_Click);
    connect(cmdApply, &QPushButton::clicked, this, &PreferencesDialog::cmdApply_Click);
    connect(cmdOK, &QPushButton::clicked, this, &PreferencesDialog::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &PreferencesDialog::cmdCancel_Click);
    connect(cmdDefault, &QPushButton::clicked, this, &PreferencesDialog::cmdDefault_Click);

    m_context.disableMainFor(this);
    showFields(FolderSettings::read(m_context.platform().settings));
    txtLoaned->setFocus();
}

Folders PreferencesDialog::fields() const {
    return Folders{txtProfiles->text(), txtStats->text(), txtLoaned->text()};
}

void PreferencesDialog::showFields(const Folders& fields) {
    txtLoaned->setText(fields.loaned);
    txtProfiles->setText(fields.profiles);
    txtStats->setText(fields.stats);
}

void PreferencesDialog::cmdBrowse1_Click() {
    txtLoaned->setText(m_context.platform().folderPicker.pickFolder(QString()));
}

void PreferencesDialog::cmdBrowse2_Click() {
    txtProfiles->setText(m_context.platform().folderPicker.pickFolder(QString()));
}

void PreferencesDialog::cmdBrowse3_Click() {
    txtStats->setText(m_context.platform().folderPicker.pickFolder(QString()));
}

bool PreferencesDialog::checkAndStore() {
    const Folders normal = PreferencesLogic::normalised(fields());
    showFields(normal);
    const PreferencesOutcome outcome =
        PreferencesLogic::checkAndStore(m_context.platform().settings, normal);
    for (FolderKind folder : outcome.missing)
        m_context.messages().show(PreferencesLogic::missingFolderMessage(folder));
    if (outcome.storeFailed)
        m_context.messages().show(PreferencesLogic::storeFailedMessage());
    return outcome.ok();
}

void PreferencesDialog::cmdApply_Click() {
    if (!checkAndStore())
        return;
    // The program keeps its folders until OK; Apply only refreshes what is on show.
    m_context.RefreshStatistics();
    m_context.messages().show(PreferencesLogic::newSettingsSetMessage());
}

void PreferencesDialog::cmdOK_Click() {
    if (m_context.messages().show(PreferencesLogic::saveAllChangesQuestion()) != MsgAnswer::Ok) {
        close();
        return;
    }
    // From here the main window stays enabled, even when a folder is refused below.
    m_context.setMainEnabled(true);
    if (!checkAndStore())
        return;
    m_context.setFolders(FolderSettings::read(m_context.platform().settings));
    m_context.RefreshStatistics();
    close();
}

void PreferencesDialog::cmdCancel_Click() {
    close();
}

void PreferencesDialog::cmdDefault_Click() {
    if (m_context.messages().show(PreferencesLogic::resetToDefaultQuestion()) != MsgAnswer::Ok)
        return;
    showFields(FolderSettings::defaults(m_context.platform().app.programFolder()));
}

} // namespace quillory
