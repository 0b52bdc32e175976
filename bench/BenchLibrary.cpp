#include "BenchLibrary.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillory::bench {

std::string titleOf(int i) {
    return "Title " + std::to_string(1000000 + i);
}

std::string profileIdOf(int b) {
    return std::to_string(1000000 + b) + "A";
}

void writeFile(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size())) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
    ::close(fd);
}

void makeLibrary(const std::string& root, LibrarySize size) {
    for (const char* sub : {"", "/stats", "/profiles", "/loaned"})
        ::mkdir((root + sub).c_str(), 0755);
    const std::string date = "Saturday, December 05, 2026";
    for (int i = 0; i < size.titles; ++i) {
        const std::string title = titleOf(i);
        std::string item = title + "\r\n" + date + "\r\n" + (i % 5 ? "Available" : "ON LOAN") +
                           "\r\nEnglish\r\n$12.50\r\nN.A.\r\nN.A.\r\n";
        if (i % 5 == 0) {
            const std::string id = profileIdOf(i / 5);
            item += id + "\r\nAnn Lee\r\n555 0101\r\n-\r\n 1 \r\n";
            writeFile(root + "/loaned/" + title,
                      title + "\r\n" + date + "\r\n$12.50\r\n" + id + "\r\nAnn Lee\r\n");
        }
        writeFile(root + "/stats/" + title, item);
    }
    for (int b = 0; b < size.borrowers(); ++b) {
        const std::string id = profileIdOf(b);
        writeFile(root + "/profiles/" + id, id + "\r\nAnn Lee\r\n555 0101\r\n-\r\n 1 \r\n");
        writeFile(root + "/profiles/" + id + ".lst", titleOf(5 * b) + "\r\n");
    }
}

int runEachSize(int argc, char* argv[], int (*one)(int n, const QString& dir)) {
    useQuietOffscreen();
    QString dir = QStringLiteral("/tmp");
    std::vector<std::string> sizes;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--dir" && i + 1 < argc)
            dir = QString::fromLocal8Bit(argv[++i]);
        else if (std::string(argv[i]) != "--one")
            sizes.push_back(argv[i]);
    }
    if (argc > 1 && std::string(argv[1]) == "--one") {
        QApplication app(argc, argv);
        return one(std::stoi(sizes.at(0)), dir);
    }
    if (sizes.empty())
        sizes = {"10000", "100000", "300000"};
    int failed = 0;
    for (const std::string& n : sizes) {
        const std::string command =
            std::string(argv[0]) + " --one " + n + " --dir '" + dir.toStdString() + "'";
        failed |= std::system(command.c_str());
    }
    return failed ? 1 : 0;
}

double medianOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double medianMs(int runs, const std::function<void()>& f) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return medianOf(times);
}

namespace {
long statusKb(const char* key) {
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return 0;
    char line[256];
    long kb = 0;
    const size_t n = std::strlen(key);
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, key, n) == 0)
            kb = std::atol(line + n);
    }
    std::fclose(f);
    return kb;
}
} // namespace

long vmRssKb() {
    return statusKb("VmRSS:");
}

long vmHwmKb() {
    return statusKb("VmHWM:");
}

HeapKb heapKb() {
    const struct mallinfo2 m = mallinfo2();
    return {long((m.uordblks + m.hblkhd) / 1024), long(m.fordblks / 1024)};
}

void useQuietOffscreen() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
        if (!text.contains(QLatin1String("This plugin does not support")))
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });
}

} // namespace quillory::bench
