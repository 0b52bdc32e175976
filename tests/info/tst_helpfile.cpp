#include "info/HelpContents.h"
#include "info/HelpWindow.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>

using namespace quillory::info;

namespace {
QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList builtInPages() {
    return QDir(HelpWindow::resourceFolder()).entryList({"*.htm"}, QDir::Files, QDir::Name);
}
} // namespace

// The help as shipped: the pages built into the program and the compiled help file beside it
// must be the same set, and every link must lead somewhere.
class TestHelpFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void contentsAndPagesMatch();
    void linksLeadToPages();
    void everyPageShowsInTheOwnWindow();
    void compiledHelpFileBesideTheProgram();
};

void TestHelpFile::contentsAndPagesMatch() {
    const QList<HelpTopic> topics = HelpWindow::contents();
    QVERIFY(topics.size() >= 10);
    QSet<QString> listed;
    for (const HelpTopic& t : topics) {
        QVERIFY2(QFile::exists(HelpWindow::resourceFolder() + t.file), qPrintable(t.file));
        listed.insert(t.file);
    }
    for (const QString& page : builtInPages())
        QVERIFY2(listed.contains(page), qPrintable(page + " is in no entry of the contents"));
    QCOMPARE(HelpWindow::defaultTopic(), topics.first().file);
}

void TestHelpFile::linksLeadToPages() {
    static const QRegularExpression href(QStringLiteral(R"re(href="([^"#]*)(#([^"]*))?")re"),
                                         QRegularExpression::CaseInsensitiveOption);
    int links = 0;
    for (const QString& page : builtInPages()) {
        const QString html = QString::fromLatin1(readAll(HelpWindow::resourceFolder() + page));
        QVERIFY2(html.contains("<title>"), qPrintable(page));
        for (auto it = href.globalMatch(html); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            const QString target = m.captured(1).isEmpty() ? page : m.captured(1);
            const QString where = page + " -> " + m.captured(0);
            QVERIFY2(QFile::exists(HelpWindow::resourceFolder() + target), qPrintable(where));
            if (!m.captured(3).isEmpty()) {
                const QString anchor = "name=\"" + m.captured(3) + "\"";
                QVERIFY2(readAll(HelpWindow::resourceFolder() + target).contains(anchor.toLatin1()),
                         qPrintable(where));
            }
            ++links;
        }
    }
    QVERIFY(links > 20);
}

void TestHelpFile::everyPageShowsInTheOwnWindow() {
    HelpWindow window(nullptr);
    auto* tvwTopics = window.findChild<QTreeWidget*>("tvwTopics");
    auto* txtTopic = window.findChild<QTextBrowser*>("txtTopic");
    const QList<HelpTopic> topics = HelpWindow::contents();
    QCOMPARE(tvwTopics->currentItem() ? tvwTopics->currentItem()->text(0) : QString(),
             topics.first().title);
    for (const HelpTopic& t : topics) {
        window.showTopic(t.file);
        QCOMPARE(txtTopic->source().fileName(), t.file);
        QVERIFY2(!txtTopic->documentTitle().isEmpty(), qPrintable(t.file));
        QVERIFY2(txtTopic->toPlainText().size() > 200, qPrintable(t.file));
        // The contents follow the page shown.
        QCOMPARE(tvwTopics->currentItem()->data(0, Qt::UserRole).toString(), t.file);
    }
}

void TestHelpFile::compiledHelpFileBesideTheProgram() {
#ifndef QUILLORY_TEST_PROGRAM_DIR
    QSKIP("the build does not compile the help file");
#else
    const QByteArray chm = readAll(QStringLiteral(QUILLORY_TEST_PROGRAM_DIR "/QYHelp3.chm"));
    QVERIFY2(chm.startsWith("ITSF"), "a compiled HTML help file");
    // The directory of the file names every page uncompressed.
    for (const QString& page : builtInPages())
        QVERIFY2(chm.contains("/" + page.toLatin1()), qPrintable(page));
    QVERIFY(chm.contains("/contents.hhc"));
#endif
}

QTEST_MAIN(TestHelpFile)
#include "tst_helpfile.moc"
