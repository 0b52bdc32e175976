// The library at N titles (one in five on loan, N/5 borrowers with loan lists) against the floor
// (Floor.h) measured in the same process: start-up to drawn, memory per listed name, re-reads,
// the refresh with nothing changed, new item / new profile Save to the box, lend and return.
//
//   build/bench/bench_library [N...] [--dir folder]   (10000 100000 300000 by default; each N
//   runs in a process of its own, so its memory figures are its own; the library is made in a
//   temporary folder under --dir, /tmp by default, and removed afterwards)

#include "BenchLibrary.h"
#include "BenchPlatform.h"
#include "Floor.h"
#include "borrowers/NewProfileDialog.h"
#include "items/NewItemDialog.h"
#include "lending/BorrowDialog.h"
#include "lending/Lending.h"
#include "lending/LendingActions.h"
#include "records/FolderIndex.h"
#include "shell/MainWindow.h"
#include "widgets/FolderList.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>
#include <filesystem>
#include <malloc.h>
#include <memory>
#include <unistd.h>

namespace {

using namespace quillory;
using namespace quillory::bench;

constexpr int kRuns = 7;

struct Session {
    explicit Session(const QString& folder) : services(folder, true) {
        services.messages.clock = &clock;
        clock.start();
    }
    QElapsedTimer clock;
    BenchPlatform services;
    std::unique_ptr<MainWindow> window;

    double start() {
        const qint64 t0 = clock.nsecsElapsed();
        window = std::make_unique<MainWindow>(services.platform);
        if (!window->start()) {
            std::fprintf(stderr, "the main window did not start\n");
            std::exit(1);
        }
        window->show();
        QCoreApplication::processEvents();
        window->repaint();
        return double(clock.nsecsElapsed() - t0) / 1e6;
    }
    void stop() {
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Press on a button to the box it brings, in ms.
    double pressToBox(QPushButton* button) {
        const qsizetype boxes = services.messages.texts.size();
        const qint64 t0 = clock.nsecsElapsed();
        button->click();
        if (services.messages.texts.size() == boxes) {
            std::fprintf(stderr, "%s brought no box\n", qPrintable(button->objectName()));
            std::exit(1);
        }
        const double ms = double(services.messages.shownAtNs - t0) / 1e6;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return ms;
    }
};

double floorMs(const std::string& root, std::initializer_list<const char*> subs) {
    const double ms = medianMs(kRuns, [&] {
        size_t n = 0;
        for (const char* sub : subs)
            n += floorList((root + "/" + sub).c_str()).size();
        if (n == size_t(-1))
            std::abort();
    });
    // What the floor freed is not the program's: it goes back before the program runs again,
    // so the memory figures are the program's own.
    malloc_trim(0);
    return ms;
}

// One new item Save and one new profile OK, each to its box.
void saveOnce(Session& s, int serial, std::vector<double>& item, std::vector<double>& profile) {
    // Controls by their object names, as the librarian sees them.
    auto field = [](QWidget* w, const char* name) { return w->findChild<QLineEdit*>(name); };
    auto button = [](QWidget* w, const char* name) { return w->findChild<QPushButton*>(name); };
    button(s.window.get(), "cmdNewItem")->click();
    QWidget* d = s.window->openWindow(NewItemDialog::kWindowKey);
    field(d, "txtItemTitle")->setText(QStringLiteral("New Title %1").arg(serial));
    field(d, "txtItemLanguage")->setText(QStringLiteral("English"));
    field(d, "txtItemPrice")->setText(QStringLiteral("5"));
    item.push_back(s.pressToBox(button(d, "cmdSave")));
    button(s.window.get(), "cmdNewProfile")->click();
    QWidget* p = s.window->openWindow(NewProfileDialog::kWindowKey);
    button(p, "cmdGenerate")->click();
    field(p, "txtName")->setText(QStringLiteral("New Borrower %1").arg(serial));
    field(p, "txtHome")->setText(QStringLiteral("555 0101"));
    field(p, "txtCell")->setText(QStringLiteral("555 0102"));
    profile.push_back(s.pressToBox(button(p, "cmdOK")));
    if (p->isVisible())
        p->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

int runOne(int n, const QString& dir) {
    QTemporaryDir temp(dir + "/bench_library-XXXXXX");
    const std::string root = temp.path().toStdString();
    const LibrarySize size{n};
    makeLibrary(root + "/lib", size);
    makeLibrary(root + "/empty", {0});
    makeLibrary(root + "/small", {1000});
    const std::string lib = root + "/lib";

    ::sync(); // the new files reach the disk before anything is timed
    floorMs(lib, {"stats", "loaned", "profiles"}); // a first pass warms the system's caches
    // The floor is sampled right before each start-up, so both see the same load.
    std::vector<double> floorAll, emptyStart, fullStart;
    auto floorSample = [&] { floorAll.push_back(floorMs(lib, {"stats", "loaned", "profiles"})); };
    long rssEmpty = 0;
    {
        Session empty(QString::fromStdString(root + "/empty"));
        for (int i = 0; i < kRuns; ++i) {
            emptyStart.push_back(empty.start());
            if (i + 1 < kRuns)
                empty.stop();
        }
        rssEmpty = vmRssKb();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    Session s(QString::fromStdString(lib));
    floorSample();
    fullStart.push_back(s.start());
    const long rssFull = vmRssKb();
    const HeapKb heapFull = heapKb();

    std::vector<double> changed, floorStats;
    for (int i = 0; i < 10; ++i) {
        writeFile(lib + "/stats/Outside " + std::to_string(i), "Outside\r\n");
        changed.push_back(medianMs(1, [&] { s.window->RefreshStatistics(); }));
    }
    QCoreApplication::processEvents(); // the lists lay out their new rows
    const long rssAfterRereads = vmRssKb();
    const HeapKb heapAfterRereads = heapKb();
    // A full read of the items folder, as after a change the system did not report by name: a
    // new listing through another path to the same folder.
    const std::string alias = root + "/stats-alias";
    std::filesystem::create_directory_symlink(lib + "/stats", alias);
    std::vector<double> fullRead;
    for (int i = 0; i < kRuns; ++i) {
        std::shared_ptr<records::FolderIndex> index; // freed after the timing
        fullRead.push_back(medianMs(1, [&] {
            index = records::FolderIndex::of(QString::fromStdString(alias));
            index->update();
        }));
    }
    const long rssAfterFullReads = vmRssKb();
    for (int i = 0; i < kRuns; ++i)
        floorStats.push_back(floorMs(lib, {"stats"}));

    // Saves at N and in a library of 1,000 titles, taking turns so both see the same disk.
    std::vector<double> itemSaves, profileSaves, itemSmallSaves, profileSmallSaves;
    std::vector<double> refreshN, refreshSmall;
    {
        Session small(QString::fromStdString(root + "/small"));
        small.start();
        // The refresh with nothing changed, at N and at 1,000 in turns: single calls are a few
        // microseconds, so many of them, each timed alone.
        for (int i = 0; i < 101; ++i) {
            refreshN.push_back(medianMs(1, [&] { s.window->RefreshStatistics(); }));
            refreshSmall.push_back(medianMs(1, [&] { small.window->RefreshStatistics(); }));
        }
        for (int i = 0; i < 2 * kRuns; ++i) {
            saveOnce(s, i, itemSaves, profileSaves);
            saveOnce(small, i, itemSmallSaves, profileSmallSaves);
        }
        small.stop();
    }
    const double itemSave = medianOf(itemSaves), profileSave = medianOf(profileSaves);
    const double itemSmall = medianOf(itemSmallSaves);
    const double profileSmall = medianOf(profileSmallSaves);

    // Lend and return from the librarian's road, against the same sequences alone.
    std::vector<double> lendRoad, returnRoad, lendAlone, returnAlone;
    const Folders folders = s.window->folders();
    for (int i = 0; i < kRuns; ++i) {
        const QString title = QString::fromStdString(titleOf(5 * i + 1));
        const QString id = QString::fromStdString(profileIdOf(i));
        auto list = [&s](const char* name, QWidget* in = nullptr) {
            return (in ? in : s.window.get())->findChild<FolderList*>(name);
        };
        list("filStats")->selectName(title);
        s.window->itemChanged(); // shows the selected item, as a click does
        lending::borrowItem(*s.window);
        QWidget* d = s.window->openWindow(BorrowDialog::kWindowKey);
        list("filBorrow", d)->selectName(id);
        lendRoad.push_back(s.pressToBox(d->findChild<QPushButton*>("cmdBorrow")));
        list("filProfilesReturn")->selectName(id);
        list("filLoaned")->selectName(title);
        returnRoad.push_back(medianMs(1, [&] { emit list("filLoaned")->pickedTwice(); }));

        const QString other = QString::fromStdString(titleOf(5 * i + 2));
        QElapsedTimer t;
        t.start();
        lending::lend(folders, other, id, kBenchDate);
        lendAlone.push_back(double(t.nsecsElapsed()) / 1e6);
        t.restart();
        lending::returnItem(folders, other, id, kBenchDate);
        returnAlone.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    s.stop();
    for (int i = 1; i < kRuns; ++i) {
        floorSample();
        fullStart.push_back(s.start());
        s.stop();
    }

    const double startEmpty = medianOf(emptyStart), startFull = medianOf(fullStart);
    const double data = startFull - startEmpty;
    std::printf("N = %d titles (%ld listed names); medians of %d runs, times in ms\n", n,
                size.listedNames(), kRuns);
    std::printf("  floor, the three folders:                  %8.1f\n", medianOf(floorAll));
    std::printf("  start-up to drawn:                         %8.1f  (at 0 titles %.1f)\n",
                startFull, startEmpty);
    std::printf("  data part (at N - at 0):                   %8.1f  = %.2f x floor\n", data,
                data / medianOf(floorAll));
    std::printf("  RSS above empty:                           %8.1f MB = %.0f B per name\n",
                double(rssFull - rssEmpty) / 1024,
                double(rssFull - rssEmpty) * 1024 / double(size.listedNames()));
    std::printf("  RSS after ten re-reads / after start-up:   %8.2f\n",
                double(rssAfterRereads) / double(rssFull));
    std::printf("  RSS after seven full reads / after start-up: %6.2f\n",
                double(rssAfterFullReads) / double(rssFull));
    std::printf("  C heap in use, freed but held (MB):        %8.1f  %.1f (start-up: %.1f  %.1f)\n",
                double(heapAfterRereads.inUse) / 1024, double(heapAfterRereads.freeHeld) / 1024,
                double(heapFull.inUse) / 1024, double(heapFull.freeHeld) / 1024);
    const double unchanged = medianOf(refreshN) * 1000,
                 unchangedSmall = medianOf(refreshSmall) * 1000;
    std::printf("  refresh, folders unchanged (us):           %8.1f  = %.2f x at 1000 (%.1f)\n",
                unchanged, unchanged / unchangedSmall, unchangedSmall);
    std::printf("  refresh after an outside change (items):   %8.1f  = %.2f x floor %.1f\n",
                medianOf(changed), medianOf(changed) / medianOf(floorStats), medianOf(floorStats));
    std::printf("  full read of the items folder:             %8.1f  = %.2f x floor %.1f\n",
                medianOf(fullRead), medianOf(fullRead) / medianOf(floorStats),
                medianOf(floorStats));
    std::printf("  new item Save -> box:                      %8.2f  = %.2f x at 1000 (%.2f)\n",
                itemSave, itemSave / itemSmall, itemSmall);
    std::printf("  new profile OK -> box:                     %8.2f  = %.2f x at 1000 (%.2f)\n",
                profileSave, profileSave / profileSmall, profileSmall);
    std::printf("  lend, Borrow -> box, with refresh:         %8.2f  = %.2f x its writes %.2f\n",
                medianOf(lendRoad), medianOf(lendRoad) / medianOf(lendAlone), medianOf(lendAlone));
    std::printf("  return, double-click, with refresh:        %8.2f  = %.2f x its writes %.2f\n",
                medianOf(returnRoad), medianOf(returnRoad) / medianOf(returnAlone),
                medianOf(returnAlone));
    std::printf("  peak RSS (VmHWM):                          %8.1f MB\n",
                double(vmHwmKb()) / 1024);
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    return quillory::bench::runEachSize(argc, argv, runOne);
}
