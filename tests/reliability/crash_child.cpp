// The child of the crash-safety test: runs the steps of the crash sequence over a program
// folder and says on standard output when each begins ("B <n>"), when each of its four file
// changes is about to be made ("S 1" to "S 4") and when it ends ("E <n>"), until it is killed or
// the last step is done. After saying "S <n>" it may wait a moment before the change, so that the
// test's kills also land between two changes of a step, which take microseconds apart otherwise.
//   reliability_crash_child <program folder> <first step> <last step> [pause in microseconds]
#include "CrashSequence.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {
void say(char what, int step) {
    char line[32];
    const int n = std::snprintf(line, sizeof line, "%c %d\n", what, step);
    // One write per line, straight to the pipe: nothing waits in a buffer when the kill comes.
    if (::write(STDOUT_FILENO, line, size_t(n)) != n)
        std::exit(4);
}
} // namespace

int main(int argc, char** argv) {
    using namespace quillory::test::crash;
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: %s <program folder> <first step> <last step> [pause]\n",
                     argv[0]);
        return 2;
    }
    const quillory::Folders folders = foldersIn(QString::fromLocal8Bit(argv[1]));
    const int first = std::atoi(argv[2]);
    const int last = std::atoi(argv[3]);
    const useconds_t pause = argc == 5 ? useconds_t(std::atol(argv[4])) : 0;
    quillory::lending::setStepHook([pause](int change) {
        say('S', change);
        if (pause > 0)
            ::usleep(pause);
    });
    for (int step = first; step <= last; ++step) {
        say('B', step);
        if (!runOp(folders, opAt(step))) {
            say('X', step);
            return 3;
        }
        say('E', step);
    }
    return 0;
}
