#pragma once
// Where a seam keeps its implementation: the real one until a test (or the
// start-up of another platform) installs its own. Installing nothing puts a
// fresh real one back; the one replaced is handed to the caller, so that it
// can be put back later.
#include <memory>
#include <utility>

namespace platform {

template <class Interface, class Real> struct SeamSlot {
    std::unique_ptr<Interface> impl = std::make_unique<Real>();
    std::unique_ptr<Interface> replace(std::unique_ptr<Interface> next) {
        if (!next) next = std::make_unique<Real>();
        std::swap(impl, next);
        return next;
    }
};

} // namespace platform
