// Preloaded into a program under the crash test: before each rename or unlink below
// QUILLORY_STEP_DIR it says "S <n>" on standard output and pauses QUILLORY_STEP_PAUSE
// microseconds, so the test can kill the unchanged binary between (and during) the steps of a
// change. Every record write ends in one rename and every delete is one unlink, so n counts the
// steps: 0 the intent record, 1 to 4 the four files, 5 the intent record's removal.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <unistd.h>

namespace {
int steps;

void before(const char* path) {
    const char* dir = std::getenv("QUILLORY_STEP_DIR");
    if (!dir || std::strncmp(path, dir, std::strlen(dir)) != 0)
        return;
    char line[32];
    const int n = std::snprintf(line, sizeof line, "S %d\n", steps++);
    // One write per line, straight to the pipe: nothing waits in a buffer when the kill comes.
    if (write(STDOUT_FILENO, line, size_t(n)) != n)
        _exit(4);
    const char* pause = std::getenv("QUILLORY_STEP_PAUSE");
    if (pause)
        ::usleep(useconds_t(std::atoi(pause)));
}
} // namespace

extern "C" int rename(const char* from, const char* to) noexcept {
    static const auto real =
        reinterpret_cast<int (*)(const char*, const char*)>(::dlsym(RTLD_NEXT, "rename"));
    before(to);
    return real(from, to);
}

extern "C" int unlink(const char* path) noexcept {
    static const auto real = reinterpret_cast<int (*)(const char*)>(::dlsym(RTLD_NEXT, "unlink"));
    before(path);
    return real(path);
}
