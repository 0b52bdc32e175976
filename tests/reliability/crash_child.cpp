// The child of the crash-safety test: runs steps of the crash sequence over a program folder and
// says "B <n>" on standard output when step n begins, "E <n>" when it ends, until it is killed
// or the last step is done. The test preloads its step reporter, which says "S <k>" before each
// file change.
//   reliability_crash_child <program folder> <first step> <last step>
#include "CrashSequence.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {
void say(char what, int step) {
    char line[32];
    const int n = std::snprintf(line, sizeof line, "%c %d\n", what, step);
    if (::write(STDOUT_FILENO, line, size_t(n)) != n)
        std::exit(4);
}
} // namespace

int main(int argc, char** argv) {
    using namespace quillory::test::crash;
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <program folder> <first step> <last step>\n", argv[0]);
        return 2;
    }
    const quillory::Folders folders = foldersIn(QString::fromLocal8Bit(argv[1]));
    for (int step = std::atoi(argv[2]); step <= std::atoi(argv[3]); ++step) {
        say('B', step);
        if (!runOp(folders, opAt(step))) {
            say('X', step);
            return 3;
        }
        say('E', step);
    }
    return 0;
}
