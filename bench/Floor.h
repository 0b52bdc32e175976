#pragma once

// The floor every benchmark is measured against: what the plainest program does to show a
// folder's records. readdir, skip every name with a dot, sort with strcasecmp; nothing else
// (no decoding, no type check, no case-folded copy).

#include <cstddef>
#include <string>
#include <vector>

namespace quillory::bench {

// The folder's names without a dot, sorted ignoring ASCII case; empty when it cannot be opened.
std::vector<std::string> floorList(const char* folder);

} // namespace quillory::bench
