#pragma once
// What the device is doing while it stands still: the lamp test, a sound
// played to its end, the strip's start wait. Each of these blocks the
// device's thread, as the real device stands still; whoever serves the
// device's state from elsewhere is told when one begins and ends, so it can
// say what the device is doing meanwhile.

#include <functional>

namespace platform {

enum class Activity { None, LampTest, Sound, StripWait };

// While one lives, the device is doing `activity`; scopes may nest, the
// innermost counts.
class ActivityScope {
public:
    explicit ActivityScope(Activity activity);
    ~ActivityScope();
    ActivityScope(const ActivityScope&) = delete;
    ActivityScope& operator=(const ActivityScope&) = delete;

private:
    Activity outer_;
};

// What the device is doing now (on the device's thread).
Activity currentActivity();

// The one watcher, told on the device's thread at every change; empty: none.
void watchActivity(std::function<void(Activity)> watcher);

} // namespace platform
