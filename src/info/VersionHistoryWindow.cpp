#include "info/VersionHistoryWindow.h"

#include "info/VersionHistory.h"
#include "widgets/FormLayout.h"
#include "widgets/MainContext.h"
#include "widgets/Named.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillory::info {

VersionHistoryWindow::VersionHistoryWindow(MainContext& context, QWidget* parent)
    : QDialog(parent), m_context(context) {
    setObjectName(QStringLiteral("frmVersionHistory"));
    setWindowTitle(QStringLiteral("Version History"));

    RichTextBox1 = named(new QPlainTextEdit(this), "RichTextBox1");
    RichTextBox1->setReadOnly(true);
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.5);
    RichTextBox1->setFont(font);
    RichTextBox1->setPlainText(VersionHistory::kDesignText);

    cmdClose = named(new QPushButton(QStringLiteral("Close"), this), "cmdClose");
    cmdClose->setDefault(true);
    connect(cmdClose, &QPushButton::clicked, this, &VersionHistoryWindow::cmdClose_Click);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RichTextBox1, 1);
    layout->addLayout(buttonRow({cmdClose}));
    resize(560, 420);

    m_context.disableMainFor(this);
    const QString folder = m_context.platform().app.programFolder();
    if (const std::optional<QString> text = VersionHistory::load(VersionHistory::path(folder)))
        RichTextBox1->setPlainText(*text);
    else
        m_context.messages().show(VersionHistory::missingMessage(folder));
    cmdClose->setFocus();
}

void VersionHistoryWindow::cmdClose_Click() {
    close();
}

} // namespace quillory::info
