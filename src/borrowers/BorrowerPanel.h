#pragma once

#include "records/ProfileRecord.h"

#include <QGroupBox>
#include <optional>

class QColor;
class QLabel;
class QPushButton;
class QTimer;

namespace quillory {

class FolderList;
class MainContext;

// The "Profiles" frame: the borrowers, the shown borrower and the borrower buttons, gated by the
// shown borrower's loan count; a count from 6 on blinks.
class BorrowerPanel : public QGroupBox {
    Q_OBJECT
public:
    // Wires the borrower menu items of context.menus(), which must exist.
    explicit BorrowerPanel(MainContext& context, QWidget* parent = nullptr);

    // Lists the profiles of the folder (the return panel's list shares the listing).
    void listFolder(const QString& path);
    // Reads the list again, keeping the selection.
    void reread();
    QString selectedProfile() const;
    // Shows the selected borrower again, read afresh, and sets the gates.
    void showSelected() { filProfiles_Click(); }
    // The profile on show, read when it was shown; null when none is.
    const records::ProfileRecord* shownProfile() const { return m_shown ? &*m_shown : nullptr; }

    static constexpr int kBlinkInterval = 500; // milliseconds

signals:
    // "Item List": the titles on loan are the lending work's to show.
    void itemListRequested();

private:
    // Empties the four value labels.
    void clearValues();
    FolderList* filProfiles = nullptr;
    QLabel* lblGuide = nullptr;
    QLabel* lblName = nullptr;
    QLabel* lblProfileName = nullptr;
    QLabel* lblHome = nullptr;
    QLabel* lblProfileHome = nullptr;
    QLabel* lblCellPager = nullptr;
    QLabel* lblProfileCellPager = nullptr;
    QLabel* lblTotalLoan = nullptr;
    QLabel* lblProfileTotalLoan = nullptr;
    QPushButton* cmdNewProfile = nullptr;
    QPushButton* cmdEditProfile = nullptr;
    QPushButton* cmdDeleteProfile = nullptr;
    QPushButton* cmdItemList = nullptr;
    QTimer* tmrBlinkItem = nullptr;
    // Shows the selected borrower and sets the gates of the borrower actions.
    void filProfiles_Click();
    // One blink step: flips the phase and paints the count in the new phase's colours.
    void tmrBlinkItem_Timer();
    void cmdNewProfile_Click();
    void cmdEditProfile_Click();
    void cmdDeleteProfile_Click();

    void stopBlink();
    void setCountColours(const QColor& text, const QColor& back);

    MainContext& m_context;
    int m_blinkPhase = 0;
    std::optional<records::ProfileRecord> m_shown;
};

} // namespace quillory
