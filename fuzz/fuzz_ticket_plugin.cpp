// Any bytes as a numbered-ticket plug-in (*.4SP): the reader gives a plug-in
// or a reason. A plug-in it accepts keeps every promise the rest of the
// program relies on: the record's ranges, every element on the slip, names
// it hands back that fit the fare table's code page, barcode data Zint can
// encode; and its ticket draws for ordinary and odd values alike.
#include "platform/Cp932.h"
#include "ticket/TicketPlugin.h"
#include "platform_ui/Codabar.h"
#include "platform_ui/TicketRenderer.h"

#include <QGuiApplication>
#include <QImage>
#include <cstdlib>
#include <memory>

namespace {

void check(bool promise) {
    if (!promise) std::abort();
}

void checkRecord(const ticket::TicketPlugin& p) {
    const ticket::PlgInfo& i = p.info;
    check(i.PlgHead == ticket::kPlgHead);
    check(i.PreviewWidth >= ticket::kMinPreviewSize && i.PreviewWidth <= ticket::kMaxPreviewSize);
    check(i.PreviewHeight >= ticket::kMinPreviewSize && i.PreviewHeight <= ticket::kMaxPreviewSize);
    for (std::int32_t flag : {i.CanPrintDate, i.CanPrintTime, i.CanPrintRoute, i.CanPrintStop, i.CanPrintBarcode})
        check(flag == 0 || flag == 1);
    int barcodes = 0;
    for (const ticket::Element& e : p.elements) {
        if (e.kind == ticket::ElementKind::Barcode) ++barcodes;
        if (e.kind == ticket::ElementKind::Rule) {
            check(e.x >= 0 && e.x <= i.PreviewWidth && e.x2 >= 0 && e.x2 <= i.PreviewWidth);
            check(e.y >= 0 && e.y <= i.PreviewHeight && e.y2 >= 0 && e.y2 <= i.PreviewHeight);
        } else {
            check(e.x >= 0 && e.width >= 1 && e.x + e.width <= i.PreviewWidth);
            check(e.y >= 0 && e.height >= 1 && e.y + e.height <= i.PreviewHeight);
        }
    }
    check(i.BarcodeCount == barcodes && i.CanPrintBarcode == (barcodes > 0 ? 1 : 0));
    check(i.StopMin <= i.StopMax);
    check(i.CorpSwitch == 0 || p.companies.size() >= 2);
    for (const auto& [from, to] : p.stopNameReplacements) check(cp932::canEncode(to));
}

// A ticket's values: the usual ones, and the ends of every range.
ticket::TicketValues values(int which) {
    ticket::TicketValues v;
    v.stopName = QStringLiteral("桜川駅（北口）");
    v.date = QStringLiteral("12-06-2026");
    v.time = QStringLiteral("09:05:00");
    v.route = 12;
    v.ticketNo = 7;
    v.stopOrder = 7;
    v.company = 0;
    if (which == 1) {
        v.stopName = QString();
        v.date = QStringLiteral("0001/1/1");
        v.time = QStringLiteral("23:59:59");
        v.route = 99999;
        v.ticketNo = 32767;
        v.stopOrder = 301;
        v.company = 1000;
    } else if (which == 2) {
        v.stopName = QString(300, QChar(0x6771));
        v.date = QStringLiteral("昨日");
        v.time = QStringLiteral("xx");
        v.route = -5;
        v.ticketNo = -32768;
        v.stopOrder = 0;
        v.company = -1;
    }
    return v;
}

} // namespace

// Fontconfig keeps its font cache for the whole process; it is no leak of
// ours when the sanitizer looks at the end. The name is the sanitizer's hook.
extern "C" const char* __lsan_default_suppressions() { // NOLINT(bugprone-reserved-identifier)
    return "leak:libfontconfig\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // The renderer lays text out with the platform's fonts; no window opens.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static std::unique_ptr<QGuiApplication> app(new QGuiApplication(*argc, *argv));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const ticket::PluginResult result = ticket::readTicketPlugin(bytes);
    if (const auto* e = std::get_if<ticket::PluginError>(&result)) {
        check(!e->message().isEmpty());
        return 0;
    }
    const ticket::TicketPlugin& plugin = std::get<ticket::TicketPlugin>(result);
    checkRecord(plugin);

    QImage slip(plugin.info.PreviewWidth, plugin.info.PreviewHeight, QImage::Format_RGB32);
    for (int which = 0; which < 3; ++which) {
        const ticket::TicketValues v = values(which);
        for (const ticket::Element& e : plugin.elements) {
            if (e.kind != ticket::ElementKind::Barcode) {
                (void)ticket::elementText(plugin, e, v);
                continue;
            }
            const QByteArray code = ticket::barcodeData(plugin, e, v);
            check(code.size() <= ticket::kMaxBarcodeLength);
            check(code.isEmpty() || !platform_ui::codabarModules(code, e.checkDigit).empty());
        }
        slip.fill(Qt::white);
        platform_ui::drawTicket(slip, plugin, v);
    }
    return 0;
}
