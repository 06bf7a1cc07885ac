#pragma once
// The device's state as the control interface tells it: what the panel
// published, the ride's part and what the device is doing meanwhile, with
// the model and version of the program.

#include "panel/PanelState.h"
#include "platform/Activity.h"

#include <QJsonObject>

namespace remote {

// `display`: the fare display's layout and the strip's motion.
QJsonObject stateObject(const panel::PanelState& panel, const QJsonObject& ride, platform::Activity busy,
                        const QJsonObject& display);

// The name of what the device is doing while it stands still, empty when
// nothing: "lampTest", "sound", "stripWait".
QString activityName(platform::Activity activity);

} // namespace remote
