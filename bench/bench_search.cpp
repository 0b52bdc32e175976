// Times typing into the item panel's search field over N item records, against the floor
// (Floor.h) measured in the same process: each keystroke is a real key event to txtSearch,
// which moves the selection of filStats and, when it moved, reads and shows that item. Prints
// the start-up that reads the list against the floor, the figures per keystroke without and with
// the repaint that follows against the goal of 5 ms, and the peak RSS.
//
//   build/bench/bench_search [N...] [--dir folder]   (10000 100000 300000 by default; each N runs
//   in a process of its own; the items are made in a temporary folder under --dir, /tmp by
//   default, and removed afterwards)

#include "BenchLibrary.h"
#include "BenchPlatform.h"
#include "Floor.h"
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
#include <memory>
#include <random>
#include <string>
#include <unistd.h>
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

constexpr int kRuns = 7;

// Starts the main window over the program folder, to drawn, in ms.
double startUp(std::unique_ptr<MainWindow>& window, Platform& platform) {
    window.reset();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return bench::medianMs(1, [&] {
        window = std::make_unique<MainWindow>(platform);
        if (!window->start())
            std::exit(1);
        window->show();
        QApplication::processEvents();
    });
}

int runOne(int count, const QString& tempParent) {
    QTemporaryDir dir(tempParent + "/bench_search-XXXXXX");
    const std::filesystem::path root = dir.path().toStdString();
    const std::vector<std::string> names = makeItems(root / "stats", count);
    std::filesystem::create_directories(root / "profiles");
    std::filesystem::create_directories(root / "loaned");
    const std::string items = (root / "stats").string();
    ::sync();                        // the new files reach the disk before anything is timed
    bench::floorList(items.c_str()); // a first pass warms the system's caches

    // Start-ups with the list read, each right after a floor sample, so both see the same load,
    // and over an empty library for the part that is the program's own.
    bench::makeLibrary((root / "empty").string(), {0});
    bench::BenchPlatform none(QString::fromStdString((root / "empty").string()));
    bench::BenchPlatform services(dir.path());
    std::vector<double> floor, emptyStarts, starts;
    std::unique_ptr<MainWindow> window;
    for (int i = 0; i < kRuns; ++i)
        emptyStarts.push_back(startUp(window, none.platform));
    for (int i = 0; i < kRuns; ++i) {
        floor.push_back(bench::medianMs(1, [&] { bench::floorList(items.c_str()); }));
        starts.push_back(startUp(window, services.platform));
    }

    auto* search = window->findChild<QLineEdit*>(QStringLiteral("txtSearch"));
    auto* stats = window->findChild<FolderList*>(QStringLiteral("filStats"));
    auto* shownTitle = window->findChild<QLabel*>(QStringLiteral("lblItemTitle"));
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

    std::printf("N = %d items; medians of %d runs, times in ms\n", count, kRuns);
    std::printf("  floor, the items folder:                   %8.1f\n", bench::medianOf(floor));
    const double data = bench::medianOf(starts) - bench::medianOf(emptyStarts);
    std::printf("  start-up to drawn:                         %8.1f  (with no items %.1f)\n",
                bench::medianOf(starts), bench::medianOf(emptyStarts));
    std::printf("  data part (with N - with none):            %8.1f  = %.2f x floor\n", data,
                data / bench::medianOf(floor));
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
    std::printf("  peak RSS (VmHWM):                          %8.1f MB\n",
                double(bench::vmHwmKb()) / 1024);
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    return quillory::bench::runEachSize(argc, argv, runOne);
}
