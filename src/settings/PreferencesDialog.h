#pragma once

#include "settings/PreferencesLogic.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quillory {

class MainContext;

// File ▸ Preferences: the dialog that chooses the three data folders.
void openPreferences(MainContext& context);

// frmPreferences. Modeless, but the main window is disabled while it is open, so it behaves as
// a modal dialog; however it closes, the main window is enabled again.
class PreferencesDialog : public QDialog {
    Q_OBJECT
public:
    PreferencesDialog(MainContext& context, QWidget* parent);

private:
    QLabel* lblPreferences = nullptr;
    QGroupBox* fmeLoaned = nullptr;
    QLineEdit* txtLoaned = nullptr;
    QPushButton* cmdBrowse1 = nullptr;
    QGroupBox* fmeProfiles = nullptr;
    QLineEdit* txtProfiles = nullptr;
    QPushButton* cmdBrowse2 = nullptr;
    QGroupBox* fmeItemStats = nullptr;
    QLineEdit* txtStats = nullptr;
    QPushButton* cmdBrowse3 = nullptr;
    QPushButton* cmdDefault = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdApply = nullptr;
    void cmdBrowse1_Click();
    void cmdBrowse2_Click();
    void cmdBrowse3_Click();
    void cmdApply_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdDefault_Click();

    Folders fields() const;
    void showFields(const Folders& fields);
    // Normalises the fields, then checks and stores them, reporting each refusal. True when
    // every folder passed and was stored.
    bool checkAndStore();

    MainContext& m_context;
};

} // namespace quillory
