// Times quillory-tool's export and import against plain C++ floors measured in the same run:
//   export of 100,000 item records    vs  reading every item record once (open, read, close)
//   import of 10,000 rows, dry run    vs  splitting the same CSV into its fields and building the
//                                         records' bytes from them (checked to be the import's)
//   import of 10,000 rows, --apply    vs  writing the same 10,000 files with plain synced writes
//   check of 100,000 items, 20,000 borrowers and 20,000 loans  vs  reading every one once
// Prints the medians and their ratios.
//
//   build/bench/bench_tool [export] [import] [apply] [check]
// (default: all four; the folders are made beside the executable, on disk)

#include "BenchLibrary.h"
#include "platform/AppInfo.h"
#include "records/ItemRecord.h"
#include "records/LoanList.h"
#include "records/LoanRecord.h"
#include "records/ProfileRecord.h"
#include "records/RecordFile.h"
#include "tool/Export.h"
#include "tool/Import.h"
#include "tool/LibraryCheck.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace quillory;
namespace fs = std::filesystem;
using bench::medianMs;

std::string itemBytes(const std::string& title, const std::string& date, const std::string& price,
                      const std::string& language = "English", const std::string& serial = "N.A.",
                      const std::string& publisher = "Publisher Ltd") {
    return title + "\r\n" + date + "\r\nAvailable\r\n" + language + "\r\n" + price + "\r\n" +
           serial + "\r\n" + publisher + "\r\n";
}

// The floor of an export: every record opened, read whole and closed, nothing else.
size_t plainReadAll(const fs::path& folder) {
    size_t bytes = 0;
    char buffer[4096];
    for (const auto& entry : fs::directory_iterator(folder)) {
        const int fd = ::open(entry.path().c_str(), O_RDONLY);
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
            bytes += size_t(n);
        ::close(fd);
    }
    return bytes;
}

// The floor of a dry run: the CSV split at line ends and commas (no quoting in this file) into
// its five fields (title, price, language, serial number, publisher), and each record's bytes
// built in memory from them.
size_t plainBuild(const std::string& csv, const std::string& date) {
    size_t bytes = 0;
    size_t at = csv.find('\n') + 1; // past the header
    while (at < csv.size()) {
        const size_t end = csv.find("\r\n", at);
        const std::string line = csv.substr(at, end - at);
        std::string field[5];
        size_t from = 0;
        for (std::string& f : field) {
            const size_t comma = std::min(line.find(',', from), line.size());
            f = line.substr(from, comma - from);
            from = comma + 1;
        }
        bytes += itemBytes(field[0], date, "$" + field[1], field[2], field[3], field[4]).size();
        at = end + 2;
    }
    return bytes;
}

// The floor of --apply: each file created, written, synced and closed.
void plainWriteAll(const fs::path& folder, const std::vector<std::string>& records) {
    for (size_t i = 0; i < records.size(); ++i) {
        const int fd = ::open((folder / ("Title " + std::to_string(i))).c_str(),
                              O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0 || ::write(fd, records[i].data(), records[i].size()) < 0 || ::fsync(fd) != 0)
            std::perror("plain write");
        ::close(fd);
    }
}

class NullDevice : public QIODevice {
protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 len) override { return len; }
};

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir(QCoreApplication::applicationDirPath() +
                      QStringLiteral("/bench_tool-XXXXXX"));
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a folder beside the executable\n");
        return 1;
    }
    const fs::path root = dir.path().toStdString();
    const std::string date = QtAppInfo::longDate(QDate::currentDate()).toStdString();
    const Folders folders{dir.path() + QStringLiteral("/profiles/"),
                          dir.path() + QStringLiteral("/stats/"),
                          dir.path() + QStringLiteral("/loaned/")};
    for (const char* sub : {"stats", "profiles", "loaned", "import"})
        fs::create_directories(root / sub);

    QStringList phases = QCoreApplication::arguments().mid(1);
    if (phases.isEmpty())
        phases = {QStringLiteral("export"), QStringLiteral("import"), QStringLiteral("apply"),
                  QStringLiteral("check")};
    const int runs = 5;
    if (phases.contains(QStringLiteral("export"))) {
        std::printf("making 100000 item records...\n");
        for (int i = 0; i < 100000; ++i) {
            const std::string title = "Title " + std::to_string((i * 7919) % 100000);
            std::ofstream(root / "stats" / title, std::ios::binary)
                << itemBytes(title, date, "$" + std::to_string(i % 90 + 10) + ".50");
        }
        size_t plainBytes = 0;
        qsizetype rows = 0;
        const double floor = medianMs(runs, [&] { plainBytes = plainReadAll(root / "stats"); });
        const double ours = medianMs(runs, [&] {
            NullDevice out;
            out.open(QIODevice::WriteOnly);
            tool::CsvWriter writer;
            rows = tool::exportRecords(tool::RecordKind::Items, folders, writer, out).rows;
        });
        std::printf("export of %lld items: %.1f ms; plain read of every record: %.1f ms (%zu "
                    "bytes); ratio %.2f\n",
                    qlonglong(rows), ours, floor, plainBytes, ours / floor);
    }

    std::string csv = "Title,Price,Language,Serial Number,Publisher\r\n";
    for (int i = 0; i < 10000; ++i)
        csv += "New title " + std::to_string(i) + "," + std::to_string(i % 90 + 10) +
               ".50,English,N.A.,Publisher Ltd\r\n";
    const QByteArray csvBytes = QByteArray::fromStdString(csv);
    const auto plan = [&] {
        const Folders target{folders.profiles, dir.path() + QStringLiteral("/import/"),
                             folders.loaned};
        return tool::planItemImport(target, tool::readCsv(csvBytes), QString::fromStdString(date),
                                    QLocale::c());
    };
    if (phases.contains(QStringLiteral("import"))) {
        // Quick and noisy on a busy machine: more runs, taken in turns so that a burst of other
        // work falls on all three alike, and the CSV reading alone beside them, to say where the
        // time goes.
        constexpr int kImportRuns = 21;
        size_t builtBytes = 0;
        qsizetype accepted = 0, rows = 0;
        // Each is also timed by the processor time of this thread: on a loaded machine a run
        // longer than the scheduler's slice is set aside more often than a short one, which the
        // wall clock counts and this does not.
        std::vector<double> floorMs, oursMs, readingMs, floorCpu, oursCpu;
        const auto timed = [](std::vector<double>& wall, std::vector<double>* cpu, auto&& f) {
            timespec start{}, end{};
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
            wall.push_back(medianMs(1, f));
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
            if (cpu)
                cpu->push_back(double(end.tv_sec - start.tv_sec) * 1e3 +
                               double(end.tv_nsec - start.tv_nsec) / 1e6);
        };
        for (int run = 0; run < kImportRuns; ++run) {
            timed(floorMs, &floorCpu, [&] { builtBytes = plainBuild(csv, date); });
            timed(oursMs, &oursCpu, [&] { accepted = plan().acceptedCount(); });
            timed(readingMs, nullptr,
                  [&] { rows = qsizetype(tool::readCsv(csvBytes).rows.size()); });
        }
        // The floor must make the very bytes the import would write.
        size_t importBytes = 0;
        const tool::ImportPlan planned = plan();
        for (const tool::ImportRow& row : planned.rows) {
            QByteArray bytes;
            records::RecordFile::encodeLines(planned.recordLines(row), bytes);
            importBytes += size_t(bytes.size());
        }
        if (importBytes != builtBytes) {
            std::fprintf(stderr, "the floor built %zu bytes, the import's records are %zu\n",
                         builtBytes, importBytes);
            return 1;
        }
        const double floor = bench::medianOf(floorMs);
        const double ours = bench::medianOf(oursMs);
        const double reading = bench::medianOf(readingMs);
        std::printf("import dry run of %lld rows: %.1f ms (reading the CSV alone: %.1f ms, %lld "
                    "rows); plain split + build: %.1f ms (%zu bytes, as the import's records); "
                    "ratio %.2f; by processor "
                    "time %.1f / %.1f ms, ratio %.2f\n",
                    qlonglong(accepted), ours, reading, qlonglong(rows), floor, builtBytes,
                    ours / floor, bench::medianOf(oursCpu), bench::medianOf(floorCpu),
                    bench::medianOf(oursCpu) / bench::medianOf(floorCpu));
    }

    if (phases.contains(QStringLiteral("apply"))) {
        const tool::ImportPlan planned = plan();
        std::vector<std::string> records;
        for (const tool::ImportRow& row : planned.rows) {
            QByteArray bytes;
            records::RecordFile::encodeLines(planned.recordLines(row), bytes);
            records.push_back(bytes.toStdString());
        }
        // Taken in turns, twice each, into fresh folders, so neither pays alone for a busy disk.
        double floor = 1e300, ours = 1e300;
        size_t failed = 0;
        for (int round = 0; round < 2; ++round) {
            const std::string n = std::to_string(round);
            fs::create_directories(root / ("plain" + n));
            fs::create_directories(root / ("apply" + n));
            floor =
                std::min(floor, medianMs(1, [&] { plainWriteAll(root / ("plain" + n), records); }));
            ours =
                std::min(ours, medianMs(1, [&] {
                             for (const tool::ImportWrite& w : tool::applyImport(
                                      dir.path() + QStringLiteral("/apply%1/").arg(round), planned))
                                 failed += w.result.ok() ? 0 : 1;
                         }));
        }
        std::printf("import --apply of %zu records: %.1f ms (%zu failed); plain synced writes: "
                    "%.1f ms; ratio %.2f (best of 2 each)\n",
                    records.size(), ours, failed, floor, ours / floor);
    }
    if (phases.contains(QStringLiteral("check"))) {
        // A consistent library: every fifth item on loan, each borrower holding one of them.
        const fs::path lib = root / "check";
        const QString at = QString::fromStdString(lib.string());
        const Folders f{at + QStringLiteral("/profiles/"), at + QStringLiteral("/stats/"),
                        at + QStringLiteral("/loaned/")};
        for (const char* sub : {"stats", "profiles", "loaned"})
            fs::create_directories(lib / sub);
        std::printf("making 100000 items, 20000 borrowers and 20000 loans...\n");
        const auto put = [](const QString& path, const QStringList& lines) {
            QByteArray bytes;
            records::RecordFile::encodeLines(lines, bytes);
            std::ofstream(path.toStdString(), std::ios::binary) << bytes.toStdString();
        };
        for (int i = 0; i < 100000; ++i) {
            const QString title = QStringLiteral("Title %1").arg(i);
            records::ItemRecord item{title,
                                     QString::fromStdString(date),
                                     records::kAvailable,
                                     u"English"_qs,
                                     u"$12.50"_qs,
                                     u"N.A."_qs,
                                     u"N.A."_qs,
                                     std::nullopt};
            if (i % 5 == 0) {
                const QString id = QStringLiteral("%1A").arg(1000000 + i / 5);
                item.status = records::kOnLoan;
                item.borrower =
                    records::BorrowerBlock{id, u"Ann Lee"_qs, u"555"_qs, u"-"_qs, u"1"_qs};
                put(f.itemPath(title), item.toLines());
                put(f.loanPath(title), records::LoanRecord{title, QString::fromStdString(date),
                                                           u"$12.50"_qs, id, u"Ann Lee"_qs}
                                           .toLines());
                put(f.profilePath(id),
                    records::ProfileRecord{id, u"Ann Lee"_qs, u"555"_qs, u"-"_qs, u"1"_qs}
                        .toLines());
                put(f.loanListPath(id), {title});
            } else {
                put(f.itemPath(title), item.toLines());
            }
        }
        size_t plainBytes = 0, findings = 0;
        const double floor = medianMs(runs, [&] {
            plainBytes = 0;
            for (const char* sub : {"stats", "profiles", "loaned"})
                plainBytes += plainReadAll(lib / sub);
        });
        const double ours = medianMs(runs, [&] { findings = tool::checkLibrary(f).size(); });
        std::printf("check of 100000 items, 20000 borrowers, 20000 loans: %.1f ms (%zu "
                    "findings); plain read of every file: %.1f ms (%zu bytes); ratio %.2f\n",
                    ours, findings, floor, plainBytes, ours / floor);
    }
    return 0;
}
