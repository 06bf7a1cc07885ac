#include "platform/Activity.h"

namespace platform {

namespace {

// The device's thread alone touches these.
Activity current = Activity::None;
std::function<void(Activity)>& watcher() {
    static std::function<void(Activity)> w;
    return w;
}

void become(Activity activity) {
    if (current == activity) return;
    current = activity;
    if (watcher()) watcher()(activity);
}

} // namespace

ActivityScope::ActivityScope(Activity activity) : outer_(current) { become(activity); }

ActivityScope::~ActivityScope() { become(outer_); }

Activity currentActivity() { return current; }

void watchActivity(std::function<void(Activity)> w) { watcher() = std::move(w); }

} // namespace platform
