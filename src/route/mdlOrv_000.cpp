#include "route/mdlOrv_000.h"

#include <algorithm>
#include <memory>

namespace mdlOrv_000 {

namespace {
// Held on the heap: the table is some 90 KB.
std::unique_ptr<RunState>& holder() {
    static auto s = std::make_unique<RunState>();
    return s;
}
} // namespace

RunState& state() { return *holder(); }

int lastRow() { return std::clamp<int>(state().RowCount, 0, route::kMaxFareRows); }

void resetState() { holder() = std::make_unique<RunState>(); }

} // namespace mdlOrv_000
