#pragma once
// Other processes of this user, as far as the device needs to know them: a
// process that announced itself is believed only while it still runs.

#include <QDateTime>

namespace platform {

// True when process `pid` runs, is this user's, and was started no later
// than `announcedAt` (so a number the system gave again to a newer process
// is not taken for the one that announced itself).
bool processRunningSince(qint64 pid, const QDateTime& announcedAt);

} // namespace platform
