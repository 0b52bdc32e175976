#pragma once

#include "borrowers/ProfileForm.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace quillory {

class MainContext;

// frmNewProfile: registers a borrower under a newly generated Profile ID. Modeless and single;
// the main window stays usable while it is open.
class NewProfileDialog : public QDialog {
    Q_OBJECT
public:
    static inline const QString kWindowKey = QStringLiteral("frmNewProfile");

    explicit NewProfileDialog(MainContext& context, QWidget* parent = nullptr);

private:
    QLabel* lblProfileID = nullptr;
    QLabel* lblProfile = nullptr; // the generated ID; the dialog keeps it nowhere else
    QPushButton* cmdGenerate = nullptr;
    QLabel* lblName = nullptr;
    QLineEdit* txtName = nullptr;
    QLabel* lblHome = nullptr;
    QLineEdit* txtHome = nullptr;
    QLabel* lblCell = nullptr;
    QLineEdit* txtCell = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    void cmdGenerate_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

    MainContext& m_context;
    borrowers::ProfileForm m_form;
};

} // namespace quillory
