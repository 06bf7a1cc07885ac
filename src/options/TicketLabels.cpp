#include "options/TicketLabels.h"

#include "display/Form1.h"
#include "platform/Seams.h"

#include <exception>
#include <new>

namespace options {

namespace {

// Label 1's word for "no ticket" under schemes 2..11, two by two; the plain
// schemes 10 and 11 leave it empty.
QString firstLabelWord(int scheme) {
    switch (scheme) {
    case 2:
    case 3: return QStringLiteral("な し");
    case 4:
    case 5: return QStringLiteral("無 券");
    case 6:
    case 7: return QStringLiteral("券なし");
    case 8:
    case 9: return QStringLiteral("券無し");
    default: return QString();
    }
}

} // namespace

QStringList numberingSchemeItems() {
    return {
        QStringLiteral("1,2,3... 84 （既定の表示）"),
        QStringLiteral("0,1,2... 83"),
        QStringLiteral("「なし」、1,2... 83"),
        QStringLiteral("「なし」、2,3... 84"),
        QStringLiteral("「無券」、1,2... 83"),
        QStringLiteral("「無券」、2,3... 84"),
        QStringLiteral("「券なし」、1,2... 83"),
        QStringLiteral("「券なし」、2,3... 84"),
        QStringLiteral("「券無し」、1,2... 83"),
        QStringLiteral("「券無し」、2,3... 84"),
        QStringLiteral("(無地)、1,2... 83"),
        QStringLiteral("(無地)、2,3... 84"),
    };
}

QString toFullWidth(const QString& text) {
    QString wide;
    wide.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u' ') wide += QChar(0x3000);
        else if (u >= 0x21 && u <= 0x7E) wide += QChar(char16_t(u + 0xFEE0));
        else wide += c;
    }
    return wide;
}

QString ticketNumberText(int n, bool zeroPad) {
    const QString digits = zeroPad ? QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')) : QString::number(n);
    return toFullWidth(digits);
}

TicketLabelPlan ticketLabelPlan(int scheme, int zeroPad) {
    TicketLabelPlan plan;
    const bool pad = zeroPad == 1;
    if (scheme >= 2) {
        // Label 1 carries the scheme's word (or nothing) in the smaller size.
        plan.firstPoints = kWordPoints;
        plan.texts[1] = firstLabelWord(scheme);
    }
    if (scheme < 0 || scheme >= kNumberingSchemeCount) return plan;

    // Schemes 0 and 1 number every label; the others leave label 1 to the
    // word. Scheme 0 and the odd ones from 3 on give a label its own number,
    // scheme 1 and the even ones one less.
    const int first = scheme <= 1 ? 1 : 2;
    const int offset = (scheme == 0 || (scheme >= 3 && scheme % 2 == 1)) ? 0 : -1;
    for (int k = first; k <= device::kFareCellCount; ++k) plan.texts[size_t(k)] = ticketNumberText(k + offset, pad);
    return plan;
}

QString ticketLabelErrorText(int code, const QString& description) {
    return QStringLiteral("エラーです！\r\n\r\nコード：%1\r\n\r\n内容：%2\r\n\r\nモジュール：IniIO-SeirikenNumSet( )")
        .arg(code)
        .arg(description);
}

} // namespace options

namespace mdlOrv_000 {

void SeirikenNumSet(Form1& display, std::int16_t& scheme, std::int16_t& zeroPad) {
    try {
        const options::TicketLabelPlan plan = options::ticketLabelPlan(scheme, zeroPad);
        display.setTicketLabelTexts(plan.texts, plan.firstPoints);
    } catch (const std::bad_alloc&) {
        platform::MsgBox(options::ticketLabelErrorText(7, QStringLiteral("メモリが不足しています。")),
                         platform::MsgButtons::Ok, platform::MsgIcon::Critical, QStringLiteral("エラー！"));
    } catch (const std::exception& e) {
        platform::MsgBox(options::ticketLabelErrorText(51, QString::fromLocal8Bit(e.what())), platform::MsgButtons::Ok,
                         platform::MsgIcon::Critical, QStringLiteral("エラー！"));
    }
}

} // namespace mdlOrv_000
