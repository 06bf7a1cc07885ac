#pragma once
// The resource library: the small dialogs and choosers the program borrows
// (digit-cell settings, text box, date, colour, file and folder choosers),
// the operating system's name, and the bridge to the numbered-ticket
// plug-ins. Like the other seams, the calls go through one interface: the
// program uses the Qt implementation, tests install the scripted fake of
// FakeResourceLibrary.h so that no test opens a modal dialog.
//
// Texts that cross this interface are code page 932 byte strings, as the
// callers keep them in their settings and files.

#include "platform/Color.h"
#include "platform/Device.h"
#include "ticket/TicketPlugin.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <memory>

class QComboBox;
class QPaintDevice;
class QPlainTextEdit;
class QWidget;

namespace ZelP4Res {

// Owner window of a dialog: the dialog is modal to it and centred on it.
using OwnerWindow = QWidget*;

// The Windows system-time layout: eight 16-bit fields.
struct SystemTime {
    std::int16_t wYear = 0;
    std::int16_t wMonth = 0;     // 1..12
    std::int16_t wDayOfWeek = 0; // 0 = Sunday .. 6 = Saturday
    std::int16_t wDay = 0;
    std::int16_t wHour = 0;
    std::int16_t wMinute = 0;
    std::int16_t wSecond = 0;
    std::int16_t wMilliseconds = 0;
};

// The ticket plug-in's information record: fourteen signed 32-bit fields.
using PlgInfo = ticket::PlgInfo;

// Colours are 0x00BBGGRR (red in the low byte).
using CustomColorTable = std::array<platform::Color, device::kCustomColorCount>;

class ResourceLibrary {
public:
    virtual ~ResourceLibrary() = default;

    // Digit-cell settings: zero mode, shift and zero fill of a cell of
    // `keta` digits. 1 on OK, 0 on cancel; the three values are always
    // written back (unchanged on cancel).
    virtual std::int32_t Call_dlg100(OwnerWindow owner, std::int16_t keta, std::int16_t& zeroMode,
                                     std::int16_t& shift, std::int16_t& fillZero) = 0;
    // A modal box showing a multi-line text (lines separated by CR LF).
    virtual std::int32_t Call_dlg110(OwnerWindow owner, std::int32_t kind, const QByteArray& text) = 0;
    // Date chooser; non-zero when a date was chosen, and only then is the
    // record filled.
    virtual std::int32_t Call_dlg111(OwnerWindow owner, SystemTime& date) = 0;
    // Colour chooser starting at `color`; non-zero when a colour was chosen,
    // and only then are the colour and the custom-colour table written back.
    virtual std::int32_t Zel3ChooseColor(OwnerWindow owner, std::int32_t& color, CustomColorTable& customColors) = 0;
    // File chooser. `filter`: description and pattern pairs, each part ended
    // by a NUL, the list ended by one more NUL. Returns the chosen path, or the
    // empty text when cancelled.
    virtual QByteArray Zel3FileDlg(OwnerWindow owner, std::int32_t mode, const QByteArray& filter,
                                   const QByteArray& initialName, const QByteArray& title) = 0;
    // Folder chooser with the prompt as its title; the empty text when
    // cancelled.
    virtual QByteArray Zel3FolderDlg(OwnerWindow owner, const QByteArray& prompt) = 0;
    // The operating system's name.
    virtual QByteArray GetOsInfo() = 0;

    // ---- numbered-ticket plug-ins (*.4SP); the path is CP932 text --------------------------
    // Fills the record from the plug-in at `path`; non-zero when the file is a
    // usable plug-in, 0 (the record untouched) when it is not one or cannot
    // be read.
    virtual std::int32_t ZEL4_GetPlgInfo(const QByteArray& path, PlgInfo& info) = 0;
    // Shows the plug-in's remarks in the text box (emptied when it has none
    // or is not a plug-in). Non-zero on success.
    virtual std::int32_t ZEL4_SetPlgComment(const QByteArray& path, QPlainTextEdit* textBox) = 0;
    // Adds the plug-in's company names to the list, in order; their list
    // index is what ZEL4_DrawSeiriken takes back. Non-zero on success.
    virtual std::int32_t ZEL4_SetCorpAddList(const QByteArray& path, QComboBox* comboBox) = 0;
    // Draws the ticket into the picture's paint device, which the caller
    // clears before and shows after. The stop name (CP932) may be rewritten
    // with the name the plug-in prints for it. Non-zero when drawn.
    virtual std::int32_t ZEL4_DrawSeiriken(const QByteArray& path, QPaintDevice* deviceContext, QByteArray& stopName,
                                           const QByteArray& date, const QByteArray& time, std::int32_t route,
                                           std::int16_t ticketNo, std::int16_t stopOrder, std::int32_t company) = 0;
};

// The implementation in use, and replacing it (null puts the Qt one back);
// returns the one replaced.
ResourceLibrary& resourceLibrary();
std::unique_ptr<ResourceLibrary> install(std::unique_ptr<ResourceLibrary> impl);

// The library's entry points, under their own names and argument order.
inline std::int32_t Call_dlg100(OwnerWindow owner, std::int16_t keta, std::int16_t& zeroMode, std::int16_t& shift,
                                std::int16_t& fillZero) {
    return resourceLibrary().Call_dlg100(owner, keta, zeroMode, shift, fillZero);
}
inline std::int32_t Call_dlg110(OwnerWindow owner, std::int32_t kind, const QByteArray& text) {
    return resourceLibrary().Call_dlg110(owner, kind, text);
}
inline std::int32_t Call_dlg111(OwnerWindow owner, SystemTime& date) {
    return resourceLibrary().Call_dlg111(owner, date);
}
inline std::int32_t Zel3ChooseColor(OwnerWindow owner, std::int32_t& color, CustomColorTable& customColors) {
    return resourceLibrary().Zel3ChooseColor(owner, color, customColors);
}
inline QByteArray Zel3FileDlg(OwnerWindow owner, std::int32_t mode, const QByteArray& filter,
                              const QByteArray& initialName, const QByteArray& title) {
    return resourceLibrary().Zel3FileDlg(owner, mode, filter, initialName, title);
}
inline QByteArray Zel3FolderDlg(OwnerWindow owner, const QByteArray& prompt) {
    return resourceLibrary().Zel3FolderDlg(owner, prompt);
}
inline QByteArray GetOsInfo() { return resourceLibrary().GetOsInfo(); }
inline std::int32_t ZEL4_GetPlgInfo(const QByteArray& path, PlgInfo& info) {
    return resourceLibrary().ZEL4_GetPlgInfo(path, info);
}
inline std::int32_t ZEL4_SetPlgComment(const QByteArray& path, QPlainTextEdit* textBox) {
    return resourceLibrary().ZEL4_SetPlgComment(path, textBox);
}
inline std::int32_t ZEL4_SetCorpAddList(const QByteArray& path, QComboBox* comboBox) {
    return resourceLibrary().ZEL4_SetCorpAddList(path, comboBox);
}
inline std::int32_t ZEL4_DrawSeiriken(const QByteArray& path, QPaintDevice* deviceContext, QByteArray& stopName,
                                      const QByteArray& date, const QByteArray& time, std::int32_t route,
                                      std::int16_t ticketNo, std::int16_t stopOrder, std::int32_t company) {
    return resourceLibrary().ZEL4_DrawSeiriken(path, deviceContext, stopName, date, time, route, ticketNo, stopOrder,
                                               company);
}

// ---- pieces of the Qt implementation, usable on their own ----------------------

// The file chooser's filter list in Qt's form ("Description (*.a *.b)"), one
// entry per pair, from the NUL-separated pairs (CP932). Pattern lists
// separated by ";" become space-separated; "*.*" becomes "*" (every file,
// with or without an extension). A description that already ends with its
// patterns in brackets is not given them twice. An unpaired description at
// the end is ignored; an empty list gives no entries.
QStringList qtFileFilters(const QByteArray& nulSeparatedPairs);

// The colour chooser keeps 16 custom colours; the table has 17. The first
// 16 are carried into the chooser and back; the 17th is left as it is.
void carryCustomColorsIn(const CustomColorTable& table);
void carryCustomColorsOut(CustomColorTable& table);

// The plug-in file a path names: a backslash separates folders as "/" does,
// and the file's letter case need not match (a path stored on Windows).
QString pluginFilePath(const QByteArray& path);

// The Qt implementation, for the program.
std::unique_ptr<ResourceLibrary> makeQtResourceLibrary();

} // namespace ZelP4Res
