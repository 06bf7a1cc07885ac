#pragma once
// The settings the windows ask for at the moment they use them, as plain
// values. The options dialog's controls hold the live settings (it has no
// cancel: a change counts at once), and it answers with what they say now;
// the sound slots, the announcements and the operation panel take these
// values and never look at the dialog's controls.

#include <QString>
#include <array>

namespace settings {

// The folders of the fare data (FareDataDir) and the broadcast data
// (BroadcastDataDir), as typed.
struct DataFolders {
    QString fareData;
    QString broadcastData;
};

// The two sounds of the entry: route setting (SoundRouteSetFile, "系統設定時
// のサウンド") and every key (SoundResetFile, "リセット時のサウンド").
struct KeySounds {
    QString routeSet;
    QString key;
};

// The data forward / back sound (sub-page "送り・戻し時のサウンド").
struct AdvanceSoundSettings {
    bool always = false;            // AdvanceSoundAlways: always `file`
    bool sync = false;              // AdvanceSoundSync: the fares change once the sound has ended
    QString file;                   // AdvanceSoundFile
    int columnIndex = 0;            // AdvanceSoundColumn: 0-based, fare data column index + 1
    std::array<QString, 3> byValue; // AdvanceSoundFile1..3: the column's value 1..3
};

// The pre-broadcast sound (sub-page "放送前のサウンド").
struct AnnounceSoundSettings {
    bool always = false;           // AnnounceSoundAlways: "next" always plays `file`
    bool sync = false;             // AnnounceSoundSync: the announcement starts once the sound has ended
    QString file;                  // AnnounceSoundFile
    std::array<QString, 3> byFlag; // AnnounceSoundFile1..3: the announcement's sound flag 1..3
};

// The information digits: each switch, and the cell (list position 0..83 for
// cells 1..84) it writes to.
struct InfoDigits {
    bool stopOrderOn = false;
    int stopOrderCell = 0;
    bool stopOrderFromZero = false;
    bool ticketNumOn = false;
    int ticketNumCell = 0;
    bool routeNumOn = false;
    int routeNumCell = 0;
    bool columnOn = false;
    int columnIndex = 0; // list position 0..149 for columns 1..150
    int columnCell = 0;
};

// Which date the ticket plug-in prints: today at each print, the day the
// route was set, or a fixed date; None when no choice is selected.
enum class TicketDateMode { PerPrint, AtRouteSet, Fixed, None };

struct TicketDateSettings {
    TicketDateMode mode = TicketDateMode::None;
    QString fixedDate; // TicketFixedDate as shown, "yyyy/mm/dd" (or whatever the file held)
};

// The numbered-ticket preview: on (checked, or grey) and the plug-in file.
struct TicketPreviewSettings {
    bool on = false;
    QString pluginFile;
};

} // namespace settings
