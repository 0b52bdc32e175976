#pragma once

#include <QSize>

namespace quillory {

// Size of the primary screen in pixels.
class ScreenInfo {
public:
    virtual ~ScreenInfo() = default;
    virtual QSize primarySize() const = 0;
};

} // namespace quillory
