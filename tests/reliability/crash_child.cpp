// The child of the crash-safety test: runs the steps of the crash sequence over a program
// folder and says on standard output when each begins ("B <n>"), when each of its writes is
// about to be made ("S 0" the intent record, "S 1" to "S 4" the four files, "S 5" the intent
// record's removal) and when it ends ("E <n>"), until it is killed or the last step is done.
// After saying "S <n>" it may wait a moment, so that the test's kills also land between two
// writes. With "recover" in place of the steps it finishes a stopped change, as a start does.
//   reliability_crash_child <program folder> <first step> <last step> [pause in microseconds]
//   reliability_crash_child <program folder> recover <pause in microseconds>
#include "CrashSequence.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {
void say(char what, int step) {
    char line[32];
    const int n = std::snprintf(line, sizeof line, "%c %d\n", what, step);
    // One write per line, straight to the pipe: nothing waits in a buffer when the kill comes.
    if (::write(STDOUT_FILENO, line, size_t(n)) != n)
        std::exit(4);
}
// Says "S <n>" before the n-th write of a step (0: its intent record), then pauses.
struct SayingStore : quillory::records::RecordStore {
    explicit SayingStore(useconds_t pause) : pause(pause) {}
    useconds_t pause;
    int writes = 0;
    void before() {
        say('S', writes++);
        if (pause > 0)
            ::usleep(pause);
    }
    quillory::records::Result<> put(const QString& path, const QByteArray& bytes) override {
        before();
        return RecordStore::put(path, bytes);
    }
    quillory::records::Result<> erase(const QString& path) override {
        before();
        return RecordStore::erase(path);
    }
};
} // namespace

int main(int argc, char** argv) {
    using namespace quillory::test::crash;
    if (argc == 4 && std::strcmp(argv[2], "recover") == 0) {
        SayingStore store(useconds_t(std::atol(argv[3])));
        say('B', 0);
        quillory::lending::recoverAtStart(foldersIn(QString::fromLocal8Bit(argv[1])), store);
        say('E', 0);
        return 0;
    }
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: %s <program folder> <first step> <last step> [pause]\n",
                     argv[0]);
        return 2;
    }
    const quillory::Folders folders = foldersIn(QString::fromLocal8Bit(argv[1]));
    const int first = std::atoi(argv[2]);
    const int last = std::atoi(argv[3]);
    const useconds_t pause = argc == 5 ? useconds_t(std::atol(argv[4])) : 0;
    SayingStore store(pause);
    for (int step = first; step <= last; ++step) {
        say('B', step);
        store.writes = 0;
        if (!runOp(folders, opAt(step), store)) {
            say('X', step);
            return 3;
        }
        say('E', step);
    }
    return 0;
}
