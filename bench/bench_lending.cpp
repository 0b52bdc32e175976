// Times lending and returning as the librarian does them (Borrow pressed in the borrow dialog, a
// double-click in the return panel, each with the main window's refresh) over a catalogue of
// 100,000 item records; and the four-file sequences alone against four plain synced writes
// (open, write, fsync, close) of the same bytes, measured in the same run.
//
//   build/bench/bench_lending [folder]   (a temporary folder under the current one by default;
//                                         QT_QPA_PLATFORM=offscreen is set by the program)

#include "BenchLibrary.h"
#include "BenchPlatform.h"
#include "lending/BorrowDialog.h"
#include "lending/Lending.h"
#include "lending/LendingActions.h"
#include "records/LoanList.h"
#include "records/LoanRecord.h"
#include "records/RecordFile.h"
#include "shell/MainWindow.h"
#include "widgets/FolderList.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace quillory;

using bench::kBenchDate;

struct Stats {
    double median = 0, max = 0;
};
Stats stats(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.back()};
}
double msSince(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e6;
}

// open, write, fsync, close: what a plain program does to put the bytes safely on disk.
void plainSyncedWrite(const QString& path, const QByteArray& bytes) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size() ||
        ::fsync(fd) != 0)
        std::fprintf(stderr, "plain write failed: %s\n", qPrintable(path));
    if (fd >= 0)
        ::close(fd);
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

int main(int argc, char* argv[]) {
    quillory::bench::useQuietOffscreen();
    QApplication app(argc, argv);
    QTemporaryDir temp(argc > 1 ? QString::fromLocal8Bit(argv[1]) + "/bench_lending-XXXXXX"
                                : QDir::currentPath() + "/bench_lending-XXXXXX");
    if (!temp.isValid())
        return 1;
    const std::filesystem::path root = temp.path().toStdString();
    constexpr int kItems = 100000;
    constexpr int kBorrowers = 200;
    std::printf("making %d item records and %d profiles in %s...\n", kItems, kBorrowers,
                qPrintable(temp.path()));
    for (const char* sub : {"stats", "profiles", "loaned"})
        std::filesystem::create_directories(root / sub);
    for (int i = 0; i < kItems; ++i) {
        const std::string title = "Title " + std::to_string(1000000 + i);
        std::ofstream(root / "stats" / title, std::ios::binary)
            << title << "\r\nMonday, May 04, 2026\r\nAvailable\r\nEnglish\r\n$12.50\r\nN.A.\r\n"
            << "N.A.\r\n";
    }
    for (int i = 0; i < kBorrowers; ++i) {
        const std::string id = std::to_string(1000000 + i) + "A";
        std::ofstream(root / "profiles" / id, std::ios::binary)
            << id << "\r\nAnn Lee\r\n555 0101\r\n-\r\n0\r\n";
    }

    // The success messages are expected; they are counted below.
    bench::BenchPlatform services(temp.path(), true);
    const QStringList& messages = services.messages.texts;
    MainWindow window(services.platform);
    if (!window.start())
        return 1;
    const Folders folders = window.folders();
    // The lists by their object names, as the librarian sees them.
    auto list = [&window](const char* name) { return window.findChild<FolderList*>(name); };
    list("filProfiles")->selectName(QStringLiteral("1000000A"));

    // The librarian's road, from the press of Borrow / the double-click to the message.
    constexpr int kRuns = 21;
    std::vector<double> lendTimes, returnTimes;
    for (int i = 0; i < kRuns; ++i) {
        const QString name = QStringLiteral("Title %1").arg(1000000 + i * 4567);
        const QString id = QStringLiteral("%1A").arg(1000000 + i % kBorrowers);
        list("filStats")->selectName(name);
        window.itemChanged(); // shows the selected item, as a click does
        lending::borrowItem(window);
        QWidget* dialog = window.openWindow(BorrowDialog::kWindowKey);
        dialog->findChild<FolderList*>("filBorrow")->selectName(id);
        QElapsedTimer t;
        t.start();
        dialog->findChild<QPushButton*>("cmdBorrow")->click();
        lendTimes.push_back(msSince(t));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        list("filProfilesReturn")->selectName(id);
        list("filLoaned")->selectName(name);
        t.restart();
        emit list("filLoaned")->pickedTwice();
        returnTimes.push_back(msSince(t));
    }
    const int expectedMessages = 2 * kRuns;
    if (messages.size() != expectedMessages) {
        std::fprintf(stderr, "expected %d success messages, got %d\n", expectedMessages,
                     int(messages.size()));
        return 1;
    }

    // The four-file sequences alone, against plain synced writes of the bytes they leave.
    // More runs here: a synced write takes from a fraction of a millisecond to several.
    constexpr int kSyncRuns = 41;
    std::vector<double> lendCore, lendPlain, returnCore, returnPlain;
    QList<QStringList> lentLines; // the four files as a loan leaves them
    const QString id = QStringLiteral("1000001A");
    const QString plainFolder = temp.filePath("plain/");
    QDir().mkpath(plainFolder);
    for (int i = 0; i < kSyncRuns; ++i) {
        const QString name = QStringLiteral("Title %1").arg(1000000 + 50000 + i);
        QElapsedTimer t;
        t.start();
        if (lending::lend(folders, name, id, kBenchDate).outcome != lending::LendOutcome::Lent)
            return 1;
        lendCore.push_back(msSince(t));
        const QByteArray lent[] = {
            fileBytes(folders.itemPath(name)), fileBytes(folders.loanPath(name)),
            fileBytes(folders.profilePath(id)), fileBytes(folders.loanListPath(id))};
        t.restart();
        for (int f = 0; f < 4; ++f)
            plainSyncedWrite(plainFolder + QString::number(f), lent[f]);
        lendPlain.push_back(msSince(t));
        if (lentLines.isEmpty()) {
            for (const QByteArray& bytes : lent)
                lentLines.append(records::RecordFile::splitLines(bytes));
        }

        t.restart();
        if (lending::returnItem(folders, name, id, kBenchDate).outcome !=
            lending::ReturnOutcome::Returned)
            return 1;
        returnCore.push_back(msSince(t));
        const QByteArray back[] = {fileBytes(folders.itemPath(name)),
                                   fileBytes(folders.profilePath(id)),
                                   fileBytes(folders.loanListPath(id))};
        // The loan record's change is a delete: a plain unlink of a file just made stands in.
        plainSyncedWrite(plainFolder + "loan", lent[1]);
        t.restart();
        plainSyncedWrite(plainFolder + "0", back[0]);
        ::unlink(QFile::encodeName(plainFolder + "loan").constData());
        plainSyncedWrite(plainFolder + "2", back[1]);
        plainSyncedWrite(plainFolder + "3", back[2]);
        returnPlain.push_back(msSince(t));
    }

    // The four writes alone: the record layer's atomic writes (temporary file, sync, rename)
    // against plain synced writes of the same bytes, taking turns so both see the same disk.
    std::vector<double> atomicWrites, plainWrites;
    const QString atomicFolder = temp.filePath("atomic/");
    QDir().mkpath(atomicFolder);
    for (int i = 0; i < kSyncRuns; ++i) {
        QElapsedTimer t;
        t.start();
        for (int f = 0; f < 4; ++f) {
            if (!records::RecordFile::write(atomicFolder + QString::number(f), lentLines[f]).ok())
                return 1;
        }
        atomicWrites.push_back(msSince(t));
        QByteArray bytes[4];
        for (int f = 0; f < 4; ++f)
            records::RecordFile::encodeLines(lentLines[f], bytes[f]);
        t.restart();
        for (int f = 0; f < 4; ++f)
            plainSyncedWrite(plainFolder + QString::number(f), bytes[f]);
        plainWrites.push_back(msSince(t));
    }
    const Stats aw = stats(atomicWrites), pw = stats(plainWrites);

    const Stats l = stats(lendTimes), r = stats(returnTimes);
    const Stats lc = stats(lendCore), lp = stats(lendPlain);
    const Stats rc = stats(returnCore), rp = stats(returnPlain);
    std::printf("catalogue: %d items; %d runs of the librarian's road, %d of the sequences "
                "alone; times in ms (median / max)\n",
                kItems, kRuns, kSyncRuns);
    std::printf("lend, Borrow pressed to message, with refresh:      %7.2f / %7.2f\n", l.median,
                l.max);
    std::printf("return, double-click to message, with refresh:      %7.2f / %7.2f\n", r.median,
                r.max);
    std::printf("lend, four-file sequence alone:                      %7.2f / %7.2f\n", lc.median,
                lc.max);
    std::printf("      four plain synced writes of the same bytes:    %7.2f / %7.2f\n", lp.median,
                lp.max);
    std::printf("      ratio (medians):                               %7.2f\n",
                lc.median / lp.median);
    std::printf("return, four-file sequence alone:                    %7.2f / %7.2f\n", rc.median,
                rc.max);
    std::printf("      three plain synced writes and an unlink:       %7.2f / %7.2f\n", rp.median,
                rp.max);
    std::printf("      ratio (medians):                               %7.2f\n",
                rc.median / rp.median);
    std::printf("the four writes of a loan alone, atomic:             %7.2f / %7.2f\n", aw.median,
                aw.max);
    std::printf("      four plain synced writes of the same bytes:    %7.2f / %7.2f\n", pw.median,
                pw.max);
    std::printf("      ratio (medians):                               %7.2f\n",
                aw.median / pw.median);
    return 0;
}
