#pragma once

#include "info/HelpContents.h"

#include <QWidget>

class QSplitter;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;

namespace quillory::info {

// The help topics inside the program, for a desk where no viewer opens the compiled help file.
// The same pages and table of contents the help file is compiled from, built into the program.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent);

    // Where the built-in pages live.
    static QString resourceFolder();
    static QList<HelpTopic> contents();
    static QString defaultTopic();

    // Shows a page of the help, by its file name.
    void showTopic(const QString& file);

private:
    QTreeWidget* tvwTopics = nullptr;
    QTextBrowser* txtTopic = nullptr;

    void followSource(const QUrl& url);

    QSplitter* m_splitter = nullptr;
};

} // namespace quillory::info
