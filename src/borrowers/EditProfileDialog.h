#pragma once

#include "borrowers/ProfileForm.h"
#include "records/ProfileRecord.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace quillory {

class MainContext;

// frmEditProfile: changes the name and numbers of a borrower with nothing on loan. The Profile ID
// is fixed; the dialog keeps its own copy, taken when it opens, and shows that borrower until it
// closes, whatever the panel shows meanwhile.
class EditProfileDialog : public QDialog {
    Q_OBJECT
public:
    static inline const QString kWindowKey = QStringLiteral("frmEditProfile");

    // record: the borrower's record as just read by the panel.
    EditProfileDialog(MainContext& context, const QString& profileId,
                      const records::ProfileRecord& record, QWidget* parent = nullptr);

private:
    QLabel* lblProfileInfo = nullptr;
    QLabel* lblProfileID = nullptr;
    QLabel* lblName = nullptr;
    QLineEdit* txtName = nullptr;
    QLabel* lblHome = nullptr;
    QLineEdit* txtHome = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtCell = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    void cmdOK_Click();
    void cmdCancel_Click();

    MainContext& m_context;
    const QString m_profileId;
    const QString m_shownId; // line 1 of the record as read, written back unchanged
    borrowers::ProfileForm m_form;
};

} // namespace quillory
