#pragma once
// Numbered-ticket plug-ins (*.4SP): what a ticket looks like, described in a
// small UTF-8 JSON file that our own renderer draws. Nothing in the file is
// run, opened or fetched: it holds numbers, colours, texts and a layout, so a
// plug-in can be shared as safely as a picture. docs/ticket-plugins.md is the
// format's reference for people who write one.
//
// This part reads and checks a file and works out the texts each element
// prints for one ticket; drawing them is platform_ui's (TicketRenderer.h).

#include "platform/Color.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <utility>
#include <variant>
#include <vector>

namespace ticket {

inline constexpr int kFormatVersion = 1;
inline constexpr qint64 kMaxFileBytes = qint64(1024) * 1024;
// The first field of the information record: "4SP" and the format version,
// as little-endian bytes.
inline constexpr std::int32_t kPlgHead = 0x34 | (0x53 << 8) | (0x50 << 16) | (kFormatVersion << 24);

// Limits of the file's values.
inline constexpr int kMinPreviewSize = 16;
inline constexpr int kMaxPreviewSize = 1000;
inline constexpr int kMaxElements = 256;
inline constexpr int kMaxCompanies = 16;
inline constexpr int kMaxCompanyLength = 40;
inline constexpr int kMaxTextLength = 200;
inline constexpr int kMaxRemarksLength = 4000;
inline constexpr int kMaxReplacements = 1000;
inline constexpr int kMaxBarcodeLength = 40;
inline constexpr int kMaxRouteMax = 99999;
inline constexpr int kMaxStopNumber = 999;
inline constexpr int kMaxTokenWidth = 9;

// The plug-in information record: fourteen signed 32-bit fields.
struct PlgInfo {
    std::int32_t PlgHead = 0;        // kPlgHead for our format
    std::int32_t PreviewWidth = 0;   // preview picture's size in the panel's units (pixels)
    std::int32_t PreviewHeight = 0;
    std::int32_t CanPrintDate = 0;   // 1: prints the date
    std::int32_t CanPrintTime = 0;   // 1: prints the time
    std::int32_t CanPrintRoute = 0;  // 1: prints the route number
    std::int32_t CanPrintStop = 0;   // 1: prints the stop name
    std::int32_t CanPrintBarcode = 0; // 1: prints barcodes
    std::int32_t BarcodeCount = 0;
    std::int32_t RouteMax = 0;       // routes 1..RouteMax can be encoded
    std::int32_t BarcodeMode = 0;    // 1: serial number; other: route number and direction flag
    std::int32_t StopMin = 0;        // stop orders the fare box recognises
    std::int32_t StopMax = 0;
    std::int32_t CorpSwitch = 0;     // 1 or more: company names to choose from

    bool operator==(const PlgInfo&) const = default;
};

enum class ElementKind { TicketNumber, Date, Time, Route, Stop, Company, Text, Rule, Box, Barcode };
enum class Typeface { Gothic, Mincho, PGothic, PMincho };
enum class HAlign { Left, Center, Right };
enum class VAlign { Top, Center, Bottom };
enum class LineStyle { Solid, Dashed, Dotted };

// A value filled into a text: a number zero-padded to `width` digits (0: as
// it is), or one of the texts.
enum class Token { Ticket, Year, Reiwa, Month, Day, Weekday, Hour, Minute, Second, Route, Stop, Order, Company };

struct Segment {
    QString literal; // used when isToken is false
    bool isToken = false;
    Token token = Token::Ticket;
    int width = 0;
};

struct Element {
    ElementKind kind = ElementKind::Text;
    int x = 0, y = 0, width = 0, height = 0; // the box (Rule: the start point; width and height unused)
    int x2 = 0, y2 = 0;                      // Rule: the end point
    platform::Color color = 0;               // ink

    // Texts.
    std::vector<Segment> format;
    Typeface typeface = Typeface::Gothic;
    int size = 12;   // pixel height of the letters
    int weight = 400; // 100 (thin) .. 900 (black); 700 is bold
    HAlign align = HAlign::Left;
    VAlign valign = VAlign::Center;
    int letterSpacing = 0; // extra pixels between letters

    // Rules and boxes.
    int thickness = 1;
    LineStyle style = LineStyle::Solid;
    int radius = 0;
    bool filled = false;
    platform::Color fill = 0;

    // Barcodes: the NW-7 (Codabar) data with tokens, the check character,
    // the digits printed under the bars.
    std::vector<Segment> data;
    bool checkDigit = false;
    bool showText = false;
    int textSize = 9;
};

struct TicketPlugin {
    PlgInfo info;
    QString remarks;
    QStringList companies;
    std::vector<std::pair<QString, QString>> stopNameReplacements; // from, to
    platform::Color paper = platform::rgbColor(255, 255, 255);
    std::vector<Element> elements;
};

// Why a file is not a plug-in: one line naming the place (a key, an
// element's number) and the fault.
struct PluginError {
    QString What;
    QString message() const { return What; }
};

using PluginResult = std::variant<TicketPlugin, PluginError>;

// Reads a plug-in from the file's bytes (a leading UTF-8 byte-order mark is
// allowed). Never throws; any bytes give a plug-in or an error.
PluginResult readTicketPlugin(const QByteArray& bytes);
// Reads the file at `path`; a file over kMaxFileBytes is refused unread.
PluginResult loadTicketPlugin(const QString& path);

// What the panel hands over for one ticket.
struct TicketValues {
    QString stopName;
    QString date;  // "mm-dd-yyyy" from the clock, or the fixed date "yyyy/mm/dd"
    QString time;  // "hh:mm:ss"
    std::int32_t route = 0;
    std::int16_t ticketNo = 0;
    std::int16_t stopOrder = 0; // row of the stop in the fare table, from 1
    std::int32_t company = -1;  // index into the company list; -1: none chosen
};

// The stop name as the plug-in prints it and hands back: its replacement, if
// the plug-in declares one for this name, or the name itself.
QString printedStopName(const TicketPlugin& plugin, const QString& stopName);

// The company printed: the chosen one, or the first when none (or one out of
// the list) is chosen; empty when the plug-in names none.
QString printedCompany(const TicketPlugin& plugin, std::int32_t index);

// The text a text element prints for this ticket. A date that is in neither
// of the two forms is printed as it came, in place of the whole format.
QString elementText(const TicketPlugin& plugin, const Element& element, const TicketValues& values);

// A barcode element's data for this ticket, or the empty text when the
// ticket is outside what the fare box recognises (the route above RouteMax or
// below 1, the stop order outside StopMin..StopMax, or a value with more
// digits than its place holds): the ticket is then printed without it.
QByteArray barcodeData(const TicketPlugin& plugin, const Element& element, const TicketValues& values);

} // namespace ticket
