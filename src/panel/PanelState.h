#pragma once
// What the device shows and how its panel stands, as plain values. The panel
// makes a new one whenever any of it changes, so that whoever wants to know
// the device's state (the control interface, on a thread of its own) reads
// this and never a widget.

#include "platform/Device.h"

#include <QString>
#include <QVariant>
#include <array>
#include <optional>

namespace panel {

struct PanelState {
    bool routeSet = false; // a route setting has succeeded in this run
    QString route;         // the route as keyed in at the last route setting
    int section = 0;
    int rows = 0;
    struct Stop {
        int row = 0; // 1..rows
        QString name;
        int ticket = 0;
    };
    std::optional<Stop> stop; // once a route is set
    // What each fare cell (ticket 1..84) was last given: a number, a text
    // that is none, or nothing (blank). The device shows none while cleared.
    std::array<QVariant, device::kFareCellCount> cells{};
    bool lateNight = false;
    bool cleared = false; // display clear
    int backlight = 0;    // OFF, ON1, ON2
    struct Announcements {
        int index = 0; // the last one spoken
        int count = 0;
        bool speaking = false;
        bool approaching = false; // the one speaking announces the next stop
    } announcements;
    struct Entry {
        QString route;   // what the keypad page's displays hold
        QString section;
        bool toRoute = false; // the route display takes the digits
    } entry;
};

} // namespace panel
