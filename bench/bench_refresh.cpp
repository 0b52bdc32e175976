// Times the main window's refresh (re-list the three folders, fill the lists, write the totals)
// over 100,000 item records, 20,000 profiles and 20,000 loan records, against a plain C++ loop
// that lists, filters and sorts the same folders. Prints both medians and their ratio.
//
//   build/bench/bench_refresh            (QT_QPA_PLATFORM=offscreen is set by the program)

#include "BenchPlatform.h"
#include "shell/MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace quillory;

void makeRecords(const std::filesystem::path& folder, int count, const char* prefix,
                 bool withLists) {
    std::filesystem::create_directories(folder);
    for (int i = 0; i < count; ++i) {
        const std::string name = prefix + std::to_string((i * 7919) % count + 1000000);
        std::ofstream(folder / name) << name << "\r\nline\r\n";
        if (withLists)
            std::ofstream(folder / (name + ".lst")) << "\r\n";
    }
}

// What a plain program would do: list, keep the names without a dot, sort ignoring case.
size_t plainList(const std::filesystem::path& folder) {
    std::vector<std::pair<std::string, std::string>> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.find('.') != std::string::npos || !entry.is_regular_file())
            continue;
        std::string key = name;
        std::transform(key.begin(), key.end(), key.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        names.emplace_back(std::move(key), name);
    }
    std::sort(names.begin(), names.end());
    return names.size();
}

template <class F> double medianMs(int runs, F&& f) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const std::filesystem::path root = dir.path().toStdString();
    std::printf(
        "making 100000 item records, 20000 profiles (+ loan lists), 20000 loan records...\n");
    makeRecords(root / "stats", 100000, "Title ", false);
    makeRecords(root / "profiles", 20000, "", true);
    makeRecords(root / "loaned", 20000, "Title ", false);

    bench::BenchPlatform services(dir.path());
    MainWindow window(services.platform);
    if (!window.start())
        return 1;

    const int runs = 9;
    // Unchanged folders: the lists see the same names and keep their sorted listing.
    const double warm = medianMs(runs, [&] { window.RefreshStatistics(); });
    // Every folder changed since the last refresh (a record added to each): a full re-read.
    int added = 0;
    std::vector<double> coldTimes;
    for (int i = 0; i < runs; ++i) {
        for (const char* sub : {"stats", "loaned", "profiles"})
            std::ofstream(root / sub / ("Added " + std::to_string(added))) << "x\r\n";
        ++added;
        coldTimes.push_back(medianMs(1, [&] { window.RefreshStatistics(); }));
    }
    std::sort(coldTimes.begin(), coldTimes.end());
    const double refresh = coldTimes[coldTimes.size() / 2];
    size_t counted = 0;
    const double plain = medianMs(runs, [&] {
        counted =
            plainList(root / "stats") + plainList(root / "loaned") + plainList(root / "profiles");
    });
    std::printf("RefreshStatistics, every folder changed: %.1f ms (median of %d)\n", refresh, runs);
    std::printf("RefreshStatistics, folders unchanged: %.1f ms (median of %d)\n", warm, runs);
    std::printf("plain C++ list+filter+sort of the same folders: %.1f ms (%zu names)\n", plain,
                counted);
    std::printf("ratio (changed folders / plain): %.2f\n", refresh / plain);
    return 0;
}
