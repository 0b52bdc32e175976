#include "info/HelpWindow.h"

#include "platform/MessageService.h"
#include "widgets/Named.h"

#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QSplitter>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QUrl>

namespace quillory::info {

namespace {
QString readResource(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}
} // namespace

QString HelpWindow::resourceFolder() {
    return QStringLiteral(":/help/");
}

QList<HelpTopic> HelpWindow::contents() {
    return parseHelpContents(readResource(resourceFolder() + QStringLiteral("contents.hhc")));
}

QString HelpWindow::defaultTopic() {
    return helpDefaultTopic(readResource(resourceFolder() + QStringLiteral("QYHelp3.hhp")));
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(kAppTitle + QStringLiteral(" Help"));

    tvwTopics = named(new QTreeWidget(this), "tvwTopics");
    tvwTopics->setHeaderHidden(true);
    tvwTopics->setRootIsDecorated(true);
    txtTopic = named(new QTextBrowser(this), "txtTopic");
    txtTopic->setSearchPaths({resourceFolder()});
    txtTopic->setOpenExternalLinks(true);

    // The table of contents, nested by level.
    QList<QTreeWidgetItem*> parents;
    for (const HelpTopic& topic : contents()) {
        while (parents.size() > topic.level)
            parents.removeLast();
        auto* item = parents.isEmpty() ? new QTreeWidgetItem(tvwTopics)
                                       : new QTreeWidgetItem(parents.last());
        item->setText(0, topic.title);
        item->setData(0, Qt::UserRole, topic.file);
        parents.append(item);
    }
    tvwTopics->expandAll();

    m_splitter = new QSplitter(this);
    m_splitter->addWidget(tvwTopics);
    m_splitter->addWidget(txtTopic);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({250, 510});
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_splitter);
    resize(760, 540);

    connect(tvwTopics, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item)
            showTopic(item->data(0, Qt::UserRole).toString());
    });
    connect(txtTopic, &QTextBrowser::sourceChanged, this, &HelpWindow::followSource);

    showTopic(defaultTopic());
}

void HelpWindow::showTopic(const QString& file) {
    if (file.isEmpty())
        return;
    const QUrl target(QStringLiteral("qrc") + resourceFolder() + file);
    if (txtTopic->source() != target)
        txtTopic->setSource(target);
}

void HelpWindow::followSource(const QUrl& url) {
    // Keep the table of contents on the page shown, however it was reached.
    const QString file = url.fileName();
    for (QTreeWidgetItemIterator it(tvwTopics); *it; ++it) {
        if ((*it)->data(0, Qt::UserRole).toString() == file) {
            if (tvwTopics->currentItem() != *it) {
                const QSignalBlocker block(tvwTopics);
                tvwTopics->setCurrentItem(*it);
            }
            return;
        }
    }
}

} // namespace quillory::info
