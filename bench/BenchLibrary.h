#pragma once

// A generated library for the benchmarks and the figures they print: N titles, one in five on
// loan, N/5 borrowers each with a loan list, in the three folders of a program folder.

#include <QString>
#include <functional>
#include <string>
#include <vector>

namespace quillory::bench {

struct LibrarySize {
    int titles = 0;
    int borrowers() const { return titles / 5; }
    int loans() const { return titles / 5; }
    // Names the lists show: every title, every loan, every borrower.
    long listedNames() const { return long(titles) + loans() + borrowers(); }
};

// The title of item i ("Title 1000017"); items 0, 5, 10, ... are on loan.
std::string titleOf(int i);
// The Profile ID of borrower b; borrower b holds the loan of item 5*b.
std::string profileIdOf(int b);

// Writes the library under programFolder/{stats,profiles,loaned}.
void makeLibrary(const std::string& programFolder, LibrarySize size);
// Writes one plain record file (used for changes "from outside").
void writeFile(const std::string& path, const std::string& bytes);

// Runs one(N, folder) for each N on the command line (10000 100000 300000 by default), each in a
// process of its own so that its memory figures are its own, on offscreen windows. --dir names
// the folder the libraries are made in, /tmp by default. Nonzero when one run failed.
int runEachSize(int argc, char* argv[], int (*one)(int n, const QString& dir));

double medianOf(std::vector<double> values);
double medianMs(int runs, const std::function<void()>& f);
// Offscreen windows without the platform's remark on every raise(), so the figures stay readable.
void useQuietOffscreen();
// Kilobytes from /proc/self/status: the resident size now, and its peak.
long vmRssKb();
long vmHwmKb();
// The allocator's figures in kilobytes: what the program holds, and what was freed but stays
// with the process (free heap memory that counts in the resident size until it is trimmed).
struct HeapKb {
    long inUse = 0, freeHeld = 0;
};
HeapKb heapKb();

} // namespace quillory::bench
