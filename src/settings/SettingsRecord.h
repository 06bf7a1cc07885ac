#pragma once
// The settings record: every setting the program keeps between runs, in the
// order the settings file holds them. While the program runs the live values
// are the windows' controls; this record is only the buffer between them and
// the file.

#include "platform/Color.h"
#include "platform/Device.h"

#include <QDate>
#include <QString>
#include <array>
#include <cstdint>

namespace settings {

using platform::Color; // 0x00BBGGRR: red in the low byte

struct CellFormatEntry {
    std::int16_t Shift = 0;
    std::int16_t ZeroMode = 0;
    std::int16_t FillZero = 0;
    friend bool operator==(const CellFormatEntry&, const CellFormatEntry&) = default;
};

// Check states: 0 unchecked, 1 checked, 2 grey. Option states: -1 selected,
// 0 not. List positions: zero-based, -1 for none.
struct SettingsRecord {
    // Block 1: data folders
    QString FareDataDir;
    QString BroadcastDataDir;

    // Block 2: panel pictures and ticket-number labels
    std::int16_t TicketNumAutoShow = 0;
    Color TicketNumColorOff = 0;
    Color TicketNumColorOn1 = 0;
    Color TicketNumColorOn2 = 0;
    std::int16_t TicketNumScheme = 0;
    std::int16_t TicketNumZeroPad = 0;
    std::int16_t PanelAutoBuiltIn = 0;
    std::int16_t PanelIndividual = 0;
    std::int16_t PanelOffBuiltIn = 0;
    std::int16_t PanelOffUser = 0;
    std::int16_t PanelOn1BuiltIn = 0;
    std::int16_t PanelOn1User = 0;
    std::int16_t PanelOn2BuiltIn = 0;
    std::int16_t PanelOn2User = 0;
    QString PanelOffUserFile;
    QString PanelOn1UserFile;
    QString PanelOn2UserFile;

    // Block 3: digit cells and information digits
    Color DigitBackColor = 0;
    Color DigitBaseColor = 0;
    Color DigitLitColor = 0;
    std::int16_t InfoStopOrderOn = 0;
    std::int16_t InfoStopOrderCell = 0;
    std::int16_t InfoStopOrderFromZero = 0;
    std::int16_t InfoTicketNumOn = 0;
    std::int16_t InfoTicketNumCell = 0;
    std::int16_t InfoRouteNumOn = 0;
    std::int16_t InfoRouteNumCell = 0;
    std::int16_t InfoColumnOn = 0;
    std::int16_t InfoColumnIndex = 0;
    std::int16_t InfoColumnCell = 0;

    // Block 4: stop-name display
    Color StopNameBackColor = 0;
    Color StopNameForeColor = 0;
    std::int16_t StopNameFontMode = 0;
    std::int16_t StopNameBold = 0;

    // Block 5: sounds
    QString SoundRouteSetFile;
    QString SoundResetFile;
    std::int16_t AdvanceSoundAlways = 0;
    std::int16_t AdvanceSoundByColumn = 0;
    std::int16_t AdvanceSoundSync = 0;
    std::int16_t AdvanceSoundAsync = 0;
    QString AdvanceSoundFile;
    std::int16_t AdvanceSoundColumn = 0;
    QString AdvanceSoundFile1;
    QString AdvanceSoundFile2;
    QString AdvanceSoundFile3;
    std::int16_t AnnounceSoundAlways = 0;
    std::int16_t AnnounceSoundByFlag = 0;
    std::int16_t AnnounceSoundSync = 0;
    std::int16_t AnnounceSoundAsync = 0;
    QString AnnounceSoundFile;
    QString AnnounceSoundFile1;
    QString AnnounceSoundFile2;
    QString AnnounceSoundFile3;

    // Block 6: numbered-ticket preview
    std::int16_t TicketPreviewOn = 0;
    QString TicketPluginFile;
    std::int16_t TicketDatePerPrint = 0;
    std::int16_t TicketDateAtRouteSet = 0;
    std::int16_t TicketDateFixed = 0;
    QString TicketFixedDate; // "yyyy/mm/dd"

    // Block 7: operation panel
    std::int16_t CtlPageBack = 0;
    std::int32_t ScrollSpeed = 0;
    std::int32_t ScrollStartWait = 0;
    std::int16_t LateNightFare = 0;
    std::int16_t TicketPreviewShown = 0;
    std::int32_t CtlLeft = 0;  // twips
    std::int32_t CtlTop = 0;   // twips

    // Block 8: fare display window
    std::int32_t DisplayLeft = 0; // twips
    std::int32_t DisplayTop = 0;  // twips

    // Block 9: the colour chooser's custom colours
    std::array<Color, device::kCustomColorCount> CustomColors{};

    // Block 10: always written as 84, read and ignored
    std::int16_t CellCount = device::kFareCellCount;

    // Block 11: per fare cell (1..84 at index 0..83)
    std::array<CellFormatEntry, device::kFareCellCount> CellFormat{};

    // The values in force when no settings file exists: the options dialog's
    // design values with the start-up factory defaults for the ticket-number
    // labels. `today` is the day the dialog was created (the fixed ticket date).
    static SettingsRecord initial(const QDate& today);

    bool operator==(const SettingsRecord&) const = default;
};

// The fixed ticket date as the options dialog shows and the settings file
// keeps it: "yyyy/MM/dd".
QString fixedTicketDateText(const QDate& date);

} // namespace settings
