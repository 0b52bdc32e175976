// Times typing into the item panel's search field over 100,000 item records: each keystroke is
// a real key event to txtSearch, which moves the selection of filStats and, when it moved,
// reads and shows that item. Prints the figures per keystroke, without and with the repaint
// that follows, against the goal of 5 ms.
//
//   build/bench/bench_search [items]     (QT_QPA_PLATFORM=offscreen unless set otherwise)

#include "BenchPlatform.h"
#include "shell/MainWindow.h"
#include "widgets/FolderList.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace quillory;

// Titles as a catalogue has them: a few words and a number, some on loan.
std::vector<std::string> makeItems(const std::filesystem::path& stats, int count) {
    static const char* words[] = {"The",    "Silent", "River",   "Garden", "of",      "Night",
                                  "Winter", "Tales",  "History", "Modern", "Cooking", "Songs",
                                  "Secret", "Island", "Letters", "Stone",  "Empire",  "Light"};
    std::mt19937 random(1965);
    std::uniform_int_distribution<int> pick(0, int(std::size(words)) - 1);
    std::vector<std::string> names;
    names.reserve(count);
    std::filesystem::create_directories(stats);
    for (int i = 0; i < count; ++i) {
        std::string name = std::string(words[pick(random)]) + ' ' + words[pick(random)] + ' ' +
                           words[pick(random)] + ' ' + std::to_string(i);
        const bool onLoan = i % 10 == 0;
        std::ofstream(stats / name, std::ios::binary)
            << name << "\r\nSaturday, December 05, 2026\r\n"
            << (onLoan ? "ON LOAN" : "Available") << "\r\nEnglish\r\n$12.50\r\nN.A.\r\nN.A.\r\n"
            << (onLoan ? "1234567A\r\nAnn Lee\r\n555-0101\r\n-\r\n 1 \r\n" : "");
        names.push_back(std::move(name));
    }
    return names;
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5))];
}

void report(const char* what, const std::vector<double>& ms) {
    std::printf("  %-34s median %.3f ms   p95 %.3f ms   p99 %.3f ms   max %.3f ms\n", what,
                percentile(ms, 0.5), percentile(ms, 0.95), percentile(ms, 0.99),
                *std::max_element(ms.begin(), ms.end()));
}

// The offscreen platform warns on every window relayout; printing that would be timed too.
QtMessageHandler g_standardHandler = nullptr;
void quietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (!text.contains(QLatin1String("propagateSizeHints")) && g_standardHandler)
        g_standardHandler(type, context, text);
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    g_standardHandler = qInstallMessageHandler(quietOffscreen);
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;

    QTemporaryDir dir;
    const std::filesystem::path root = dir.path().toStdString();
    QElapsedTimer setup;
    setup.start();
    const std::vector<std::string> names = makeItems(root / "stats", count);
    std::filesystem::create_directories(root / "profiles");
    std::filesystem::create_directories(root / "loaned");
    std::printf("bench_search: %d item records written in %.1f s\n", count,
                double(setup.elapsed()) / 1000.0);

    bench::BenchPlatform services(dir.path());
    MainWindow window(services.platform);
    setup.restart();
    if (!window.start())
        return 1;
    window.show();
    QApplication::processEvents();
    std::printf("  start-up with the list read: %.1f ms\n", double(setup.nsecsElapsed()) / 1e6);

    auto* search = window.findChild<QLineEdit*>(QStringLiteral("txtSearch"));
    auto* stats = window.findChild<FolderList*>(QStringLiteral("filStats"));
    auto* shownTitle = window.findChild<QLabel*>(QStringLiteral("lblItemTitle"));
    search->setFocus();
    if (stats->count() != count) {
        std::fprintf(stderr, "listed %d of %d records\n", stats->count(), count);
        return 1;
    }

    // Type the first letters of titles picked across the catalogue, one key at a time.
    std::mt19937 random(2026);
    std::uniform_int_distribution<size_t> pick(0, names.size() - 1);
    std::vector<double> handled, painted, moved;
    int wrongSelections = 0;
    for (int word = 0; word < 300; ++word) {
        const std::string& target = names[pick(random)];
        search->clear();
        QApplication::processEvents();
        const QString typed = QString::fromStdString(target).left(14).toLower();
        for (const QChar c : typed) {
            const QString before = stats->selectedFileName();
            const int key = c.toUpper().unicode(); // Qt's key codes for Latin-1
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
            QElapsedTimer t;
            t.start();
            QApplication::sendEvent(search, &press);
            QApplication::sendEvent(search, &release);
            const double handledMs = double(t.nsecsElapsed()) / 1e6;
            QApplication::processEvents(); // the repaint of list, labels and field
            const double paintedMs = double(t.nsecsElapsed()) / 1e6;
            handled.push_back(handledMs);
            painted.push_back(paintedMs);
            if (stats->selectedFileName() != before)
                moved.push_back(handledMs);
        }
        const QString selected = stats->selectedFileName();
        if (!selected.startsWith(typed, Qt::CaseInsensitive) || shownTitle->text() != selected)
            ++wrongSelections;
    }

    std::printf("  %zu keystrokes over 300 searches (%zu moved the selection and showed an "
                "item)\n",
                handled.size(), moved.size());
    report("keystroke handled:", handled);
    report("keystroke that moved and showed:", moved);
    report("keystroke handled and repainted:", painted);
    // The goal covers the program's answer: the selection moved and the item shown. It is judged
    // on the 99th percentile, as a lone slow keystroke is the system running something else; the
    // paint that follows is the toolkit's and is printed beside it.
    const double answer = percentile(handled, 0.99);
    std::printf("  goal < 5 ms per keystroke (selection and showing): %s, p99 %.3f ms, max %.3f "
                "ms; with repaint p95 %.3f ms\n",
                answer < 5.0 ? "met" : "NOT met", answer,
                *std::max_element(handled.begin(), handled.end()), percentile(painted, 0.95));
    const int messageCount = int(services.messages.texts.size());
    if (wrongSelections || messageCount) {
        std::fprintf(stderr, "%d searches ended on the wrong item, %d messages\n", wrongSelections,
                     messageCount);
        return 1;
    }
    return 0;
}
