#pragma once

#include <optional>

namespace quillory {

// Num Lock and Caps Lock lights; empty where the system cannot tell.
struct LockState {
    std::optional<bool> numLock;
    std::optional<bool> capsLock;
};

class KeyboardLocks {
public:
    virtual ~KeyboardLocks() = default;
    virtual LockState state() const = 0;
};

} // namespace quillory
