#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace quillory::fuzz {

// A private folder for the files the readers are given: in memory (/dev/shm) when the system
// has it, so a run is not slowed by the disk. Removed at exit.
QString scratchFolder();
// Writes the bytes to scratchFolder()/name, replacing the file; returns the path.
QString writeScratch(const QString& name, const uint8_t* data, size_t size);
QString writeScratch(const QString& name, const QByteArray& bytes);
QByteArray readScratch(const QString& path);

// A broken expectation: report it and abort, which libFuzzer records as a crash with the input.
[[noreturn]] void fail(const char* condition, const char* file, int line);

} // namespace quillory::fuzz

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ::quillory::fuzz::fail(#condition, __FILE__, __LINE__);                                \
    } while (false)
