// Preloaded into a program under the crash tests. Before each rename or unlink below
// QUILLORY_STEP_DIR it says "S <n>" on standard output and pauses QUILLORY_STEP_PAUSE
// microseconds, so a test can kill the unchanged binary between (and during) the steps of a
// change. Every record write ends in one rename and every delete is one unlink, so n counts the
// steps: 0 the intent record, 1 to 4 the four files, 5 the intent record's removal.
// QUILLORY_STEP_KILL=<n> makes the program kill itself just before step n of the first change
// it starts (the rename that creates the intent record is step 0); "<n>+" just after it.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <unistd.h>

namespace {
int steps;
int changeSteps = -1; // steps since the intent record was made; -1 before

void before(const char* path) {
    const char* dir = std::getenv("QUILLORY_STEP_DIR");
    if (!dir || std::strncmp(path, dir, std::strlen(dir)) != 0)
        return;
    char line[32];
    const int n = std::snprintf(line, sizeof line, "S %d\n", steps++);
    // One write per line, straight to the pipe: nothing waits in a buffer when the kill comes.
    if (write(STDOUT_FILENO, line, size_t(n)) != n)
        _exit(4);
    if (const char* pause = std::getenv("QUILLORY_STEP_PAUSE"))
        ::usleep(useconds_t(std::atoi(pause)));
}

// Kills the process when this is the chosen step and the chosen side of it.
void killAt(const char* path, bool after, bool renames) {
    const char* kill = std::getenv("QUILLORY_STEP_KILL");
    if (!kill || !*kill)
        return;
    const char* name = std::strrchr(path, '/');
    if (renames && !after && changeSteps < 0 && name && std::strcmp(name, "/.quillory-intent") == 0)
        changeSteps = 0;
    if (changeSteps >= 0 && changeSteps == std::atoi(kill) &&
        after == (std::strchr(kill, '+') != nullptr))
        ::raise(SIGKILL);
    if (after && changeSteps >= 0)
        ++changeSteps;
}
} // namespace

extern "C" int rename(const char* from, const char* to) noexcept {
    static const auto real =
        reinterpret_cast<int (*)(const char*, const char*)>(::dlsym(RTLD_NEXT, "rename"));
    before(to);
    killAt(to, false, true);
    const int result = real(from, to);
    killAt(to, true, true);
    return result;
}

extern "C" int unlink(const char* path) noexcept {
    static const auto real = reinterpret_cast<int (*)(const char*)>(::dlsym(RTLD_NEXT, "unlink"));
    before(path);
    killAt(path, false, false);
    const int result = real(path);
    killAt(path, true, false);
    return result;
}
