#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace quillory {

class MainContext;

namespace info {

// frmVersionHistory: the release notes beside the program, shown as plain text. The main
// window is disabled while it is open.
class VersionHistoryWindow : public QDialog {
    Q_OBJECT
public:
    VersionHistoryWindow(MainContext& context, QWidget* parent);

private:
    QPlainTextEdit* RichTextBox1 = nullptr;
    QPushButton* cmdClose = nullptr;
    void cmdClose_Click();

    MainContext& m_context;
};

} // namespace info
} // namespace quillory
