// Reading numbered-ticket plug-ins: the samples read as the plug-ins they
// say they are, every kind of bad file is refused with a reason that names
// the place, and the texts a ticket prints follow the values handed over.
#include "ticket/TicketPlugin.h"

#include "tests/support/QtPrinters.h"
#include "tests/support/Results.h"
#include "tests/support/NonRegularFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using namespace ticket;

namespace {

const QString kSamples = QStringLiteral(FERROTAB_TEST_DATA "/../../data/sample/plugins/");

TicketPlugin sample(const char* name) {
    return testing_results::expect<TicketPlugin>(loadTicketPlugin(kSamples + QLatin1String(name)));
}

// The smallest plug-in: a ticket number on a 100 x 80 slip.
QJsonObject minimal() {
    return QJsonObject{
        {"FormatVersion", 1},
        {"PreviewWidth", 100},
        {"PreviewHeight", 80},
        {"Elements", QJsonArray{QJsonObject{{"Type", "TicketNumber"}, {"X", 0}, {"Y", 0}, {"Width", 100},
                                            {"Height", 80}, {"Size", 60}}}},
    };
}

PluginResult read(const QJsonObject& o) { return readTicketPlugin(QJsonDocument(o).toJson()); }

QString errorOf(const PluginResult& r) { return testing_results::expect<PluginError>(r).message(); }

// The plug-in with one more element.
QJsonObject withElement(QJsonObject o, const QJsonObject& element) {
    QJsonArray elements = o[QStringLiteral("Elements")].toArray();
    elements.append(element);
    o[QStringLiteral("Elements")] = elements;
    return o;
}

QJsonObject text(const char* type, const char* format = nullptr) {
    QJsonObject e{{"Type", type}, {"X", 0}, {"Y", 0}, {"Width", 100}, {"Height", 20}, {"Size", 12}};
    if (format) e[QString::fromLatin1(std::string_view(type) == "Text" ? "Text" : "Format")] = QString::fromUtf8(format);
    return e;
}

const Element& only(const TicketPlugin& p, ElementKind kind) {
    for (const Element& e : p.elements)
        if (e.kind == kind) return e;
    ADD_FAILURE() << "no element of that kind";
    static const Element none;
    return none;
}

TicketPlugin plugin(const QJsonObject& o) { return testing_results::expect<TicketPlugin>(read(o)); }

} // namespace

TEST(TicketPlugin, TheSamplesAndABareNumberReportWhatTheirLayoutsPrint) {
    const TicketPlugin plain = sample("sakuragawa_plain.4SP");
    EXPECT_EQ(plain.info, (PlgInfo{kPlgHead, 180, 288, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(plain.companies, QStringList{QStringLiteral("桜川交通")});
    const TicketPlugin barcode = sample("minatodai_barcode.4SP");
    EXPECT_EQ(barcode.info, (PlgInfo{kPlgHead, 180, 284, 1, 1, 1, 1, 1, 1, 999, 1, 1, 99, 1}));
    EXPECT_EQ(barcode.companies, (QStringList{QStringLiteral("みなと台バス"), QStringLiteral("桜川交通")}));

    // A ticket number alone, with a note and a byte-order mark: a plug-in
    // that prints nothing else, on white paper.
    QJsonObject o = minimal();
    o[QStringLiteral("_note")] = QStringLiteral("keys with _ are notes");
    const TicketPlugin p = testing_results::expect<TicketPlugin>(
        readTicketPlugin("\xEF\xBB\xBF" + QJsonDocument(o).toJson()));
    EXPECT_EQ(p.info, (PlgInfo{kPlgHead, 100, 80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(p.paper, platform::rgbColor(255, 255, 255));
}

TEST(TicketPlugin, WhatIsNotAPluginIsRefusedWithTheReasonAndThePlace) {
    struct Case {
        const char* what;
        std::function<QJsonObject(QJsonObject)> change;
        const char* reasonHas;
    };
    auto set = [](const char* key, const QJsonValue& v) {
        return [key, v](QJsonObject o) {
            o[QLatin1String(key)] = v;
            return o;
        };
    };
    auto element = [](const QJsonObject& e) { return [e](QJsonObject o) { return withElement(std::move(o), e); }; };
    auto changed = [](QJsonObject e, const char* key, const QJsonValue& v) {
        e[QLatin1String(key)] = v;
        return e;
    };
    const QJsonObject date = text("Date");
    const Case cases[] = {
        {"a later version", set("FormatVersion", 2), "FormatVersion"},
        {"the version as text", set("FormatVersion", "1"), "FormatVersion"},
        {"no version", [](QJsonObject o) { o.remove(QStringLiteral("FormatVersion")); return o; }, "FormatVersion"},
        {"a slip too narrow", set("PreviewWidth", 15), "PreviewWidth: must be 16 to 1000"},
        {"a slip too tall", set("PreviewHeight", 5000), "PreviewHeight"},
        {"a fraction", set("PreviewWidth", 100.5), "whole number"},
        {"a misspelt key", set("PreviewHieght", 80), "unknown key \"PreviewHieght\""},
        {"no elements", set("Elements", QJsonArray{}), "Elements"},
        {"elements not a list", set("Elements", 3), "Elements"},
        {"an unknown kind", element(QJsonObject{{"Type", "Logo"}}), "element 2, Type"},
        {"an element past the edge", element(changed(text("Text", "x"), "Width", 101)), "element 2 (Text), Width: must be 1 to 100"},
        {"an element below the slip", element(changed(text("Text", "x"), "Y", 80)), "element 2 (Text), Y"},
        {"letters too large", element(changed(text("Text", "x"), "Size", 401)), "Size"},
        {"a colour by name", element(changed(text("Text", "x"), "Color", "red")), "#RRGGBB"},
        {"a value the element cannot print", element(text("Date", "{ticket}")), "unknown value {ticket} (this element can print: year"},
        {"an unclosed brace", element(text("Date", "{year")), "without \"}\""},
        {"a width on a text", element(text("Stop", "{stop:3}")), "takes no width"},
        {"a width of ten digits", element(text("TicketNumber", "{ticket:10}")), "width"},
        {"an unknown alignment", element(changed(text("Text", "x"), "Align", "Middle")), "Align"},
        {"a key of another kind", element(changed(text("Text", "x"), "Radius", 3)), "unknown key \"Radius\""},
        {"a rule off the slip", element(QJsonObject{{"Type", "Rule"}, {"X1", 0}, {"Y1", 0}, {"X2", 101}, {"Y2", 0}}), "X2"},
        {"a date stated but not printed",
         set("PlgInfo", QJsonObject{{"CanPrintDate", 1}}), "CanPrintDate: is 1, but no element prints it"},
        {"a date printed but denied",
         [&](QJsonObject o) { o = withElement(o, date); o[QStringLiteral("PlgInfo")] = QJsonObject{{"CanPrintDate", 0}}; return o; },
         "CanPrintDate: is 0"},
        {"a capability of 2", set("PlgInfo", QJsonObject{{"CanPrintTime", 2}}), "CanPrintTime: must be 0 to 1"},
        {"switching with one company",
         [](QJsonObject o) {
             o[QStringLiteral("Companies")] = QJsonArray{"A"};
             o[QStringLiteral("PlgInfo")] = QJsonObject{{"CorpSwitch", 1}};
             return o;
         },
         "CorpSwitch"},
        {"a company printed from no list", element(text("Company")), "Companies"},
        {"an empty company list", set("Companies", QJsonArray{}), "Companies: must hold 1 to 16 names"},
        {"an empty company name", set("Companies", QJsonArray{""}), "Companies, name 1"},
        {"a printed name outside the code page",
         set("StopNameReplacements", QJsonObject{{"東", QString::fromUtf8("東\xF0\x9F\x9A\x8C")}}), "StopNameReplacements, \"東\""},
    };
    for (const Case& c : cases) {
        const PluginResult r = read(c.change(minimal()));
        ASSERT_TRUE(std::holds_alternative<PluginError>(r)) << c.what;
        EXPECT_TRUE(errorOf(r).contains(QString::fromUtf8(c.reasonHas))) << c.what << ": " << errorOf(r).toStdString();
    }
}

TEST(TicketPlugin, BarcodesAreCheckedAsNw7AndNeedTheFareBoxRanges) {
    const QJsonObject barcode{{"Type", "Barcode"}, {"X", 0}, {"Y", 0}, {"Width", 100}, {"Height", 40},
                              {"Data", "A{route:3}{order:2}A"}};
    const QJsonObject ranges{{"BarcodeMode", 2}, {"RouteMax", 500}, {"StopMin", 3}, {"StopMax", 40}};
    QJsonObject good = withElement(minimal(), barcode);
    good[QStringLiteral("PlgInfo")] = ranges;
    const TicketPlugin p = plugin(good);
    EXPECT_EQ(p.info.CanPrintBarcode, 1);
    EXPECT_EQ(p.info.BarcodeCount, 1);
    EXPECT_EQ(p.info.BarcodeMode, 2);
    EXPECT_EQ(p.info.RouteMax, 500);

    EXPECT_TRUE(errorOf(read(withElement(minimal(), barcode))).contains(QStringLiteral("PlgInfo, BarcodeMode: missing")));
    for (const char* data : {"1{route:3}A", "A{route:3}", "A{route:3}BA", "A{route:3}xA", "AA", "A{stop}A",
                             "A{ticket:9}{ticket:9}{ticket:9}{ticket:9}{ticket:9}A"}) {
        QJsonObject bad = good;
        QJsonArray elements = bad[QStringLiteral("Elements")].toArray();
        QJsonObject b = barcode;
        b[QStringLiteral("Data")] = QString::fromLatin1(data);
        elements[1] = b;
        bad[QStringLiteral("Elements")] = elements;
        EXPECT_TRUE(std::holds_alternative<PluginError>(read(bad))) << data;
    }
    // Without a barcode the ranges may be left out, but never cross: a
    // StopMin alone is a range of one stop.
    QJsonObject noBarcode = minimal();
    noBarcode[QStringLiteral("PlgInfo")] = QJsonObject{{"StopMin", 99}};
    EXPECT_EQ(plugin(noBarcode).info.StopMax, 99);
    noBarcode[QStringLiteral("PlgInfo")] = QJsonObject{{"StopMin", 99}, {"StopMax", 98}};
    EXPECT_TRUE(errorOf(read(noBarcode)).contains(QStringLiteral("StopMax: must be 99 to 999")));

    QJsonObject countWrong = good;
    QJsonObject info = ranges;
    info[QStringLiteral("BarcodeCount")] = 2;
    countWrong[QStringLiteral("PlgInfo")] = info;
    EXPECT_TRUE(errorOf(read(countWrong)).contains(QStringLiteral("BarcodeCount")));
}

TEST(TicketPlugin, FilesThatAreNoJsonOrTooLargeAreRefusedUnread) {
    EXPECT_TRUE(errorOf(readTicketPlugin("{\"FormatVersion\": 1,")).startsWith(QStringLiteral("not JSON")));
    EXPECT_TRUE(errorOf(readTicketPlugin("[1, 2]")).contains(QStringLiteral("one object")));
    EXPECT_TRUE(errorOf(readTicketPlugin("\xFF\xFE{}")).startsWith(QStringLiteral("not JSON")));
    EXPECT_TRUE(std::holds_alternative<PluginError>(readTicketPlugin(QByteArray())));

    QTemporaryDir dir;
    EXPECT_TRUE(std::holds_alternative<PluginError>(loadTicketPlugin(dir.filePath(QStringLiteral("none.4SP")))));
    // A pipe or a device by a plug-in's name is never opened, a file past
    // 1 MiB never read.
    for (const auto& f : testing_files::makeNonRegularFiles(dir.path(), QStringLiteral("p.4SP"), kMaxFileBytes + 1))
        EXPECT_EQ(errorOf(loadTicketPlugin(f.path)), f.path + testing_files::reasonFor(f, kMaxFileBytes)) << f.what;
}

TEST(TicketPlugin, DatesAndTimesArePrintedInTheElementsFormats) {
    QJsonObject o = minimal();
    o = withElement(o, text("Date", "{year}年{month}月{day}日({weekday})"));
    const TicketPlugin p = plugin(withElement(o, text("Time", "{hour}時{minute:2}分{second:2}")));
    const Element& date = only(p, ElementKind::Date);
    const Element& time = only(p, ElementKind::Time);
    TicketValues v;
    v.date = QStringLiteral("03-05-2026"); // from the clock: mm-dd-yyyy
    v.time = QStringLiteral("07:04:09");
    EXPECT_EQ(elementText(p, date, v), QStringLiteral("2026年3月5日(木)"));
    EXPECT_EQ(elementText(p, time, v), QStringLiteral("7時04分09"));
    v.date = QStringLiteral("2009/03/05"); // the fixed date
    EXPECT_EQ(elementText(p, date, v), QStringLiteral("2009年3月5日(木)"));
    // Neither form (a fixed date typed by hand): the text itself.
    v.date = QStringLiteral("次の日曜日");
    EXPECT_EQ(elementText(p, date, v), QStringLiteral("次の日曜日"));
    v.date = QStringLiteral("02-30-2026");
    EXPECT_EQ(elementText(p, date, v), QStringLiteral("02-30-2026"));
    v.time = QStringLiteral("25:00:00");
    EXPECT_EQ(elementText(p, time, v), QStringLiteral("25:00:00"));

    const TicketPlugin short_ = plugin(withElement(minimal(), text("Date", "R{reiwa}.{month:2}.{day:2} '{year:2} {{{year:4}}}")));
    v.date = QStringLiteral("12-06-2026");
    EXPECT_EQ(elementText(short_, only(short_, ElementKind::Date), v), QStringLiteral("R8.12.06 '26 {2026}"));
}

TEST(TicketPlugin, NumbersNamesAndCompaniesArePrintedAsHandedOver) {
    QJsonObject o = minimal();
    o[QStringLiteral("Companies")] = QJsonArray{"みなと台バス", "桜川交通"};
    o[QStringLiteral("StopNameReplacements")] = QJsonObject{{"桜川駅（北口）", "桜川駅北口"}};
    o = withElement(o, text("Route", "{route:3}系統"));
    o = withElement(o, text("Stop", "{order}. {stop}"));
    o = withElement(o, text("Company"));
    o = withElement(o, text("Text", "{ticket} は そのまま"));
    QJsonArray elements = o[QStringLiteral("Elements")].toArray();
    QJsonObject number = elements[0].toObject();
    number[QStringLiteral("Format")] = QStringLiteral("No.{ticket:2}");
    elements[0] = number;
    o[QStringLiteral("Elements")] = elements;
    const TicketPlugin p = plugin(o);
    ASSERT_EQ(p.elements.size(), 5u);

    TicketValues v;
    v.route = 12;
    v.ticketNo = 7;
    v.stopOrder = 3;
    v.stopName = QStringLiteral("桜川駅（北口）");
    v.company = 1;
    EXPECT_EQ(elementText(p, p.elements[0], v), QStringLiteral("No.07"));
    EXPECT_EQ(elementText(p, only(p, ElementKind::Route), v), QStringLiteral("012系統"));
    EXPECT_EQ(elementText(p, only(p, ElementKind::Stop), v), QStringLiteral("3. 桜川駅北口"));
    EXPECT_EQ(elementText(p, only(p, ElementKind::Company), v), QStringLiteral("桜川交通"));
    EXPECT_EQ(elementText(p, only(p, ElementKind::Text), v), QStringLiteral("{ticket} は そのまま"));
    v.ticketNo = 123;
    EXPECT_EQ(elementText(p, p.elements[0], v), QStringLiteral("No.123")) << "a wider number is printed whole";
    v.ticketNo = -1;
    EXPECT_EQ(elementText(p, p.elements[0], v), QStringLiteral("No.-1"));
    // No company chosen, or one the list does not have: the first.
    for (std::int32_t none : {-1, 2, 99}) EXPECT_EQ(printedCompany(p, none), QStringLiteral("みなと台バス")) << none;
    EXPECT_EQ(printedStopName(p, QStringLiteral("東")), QStringLiteral("東"));
}

TEST(TicketPlugin, BarcodeDataOnlyForTicketsTheFareBoxRecognises) {
    QJsonObject o = withElement(minimal(), QJsonObject{{"Type", "Barcode"}, {"X", 0}, {"Y", 0}, {"Width", 100},
                                                       {"Height", 40}, {"Data", "A{route:3}{order:2}{ticket}B"}});
    o[QStringLiteral("PlgInfo")] = QJsonObject{{"BarcodeMode", 1}, {"RouteMax", 999}, {"StopMin", 2}, {"StopMax", 40}};
    const TicketPlugin p = plugin(o);
    const Element& b = only(p, ElementKind::Barcode);
    TicketValues v;
    v.route = 12;
    v.stopOrder = 3;
    v.ticketNo = 3;
    EXPECT_EQ(barcodeData(p, b, v), QByteArray("A012033B"));
    v.ticketNo = 25;
    EXPECT_EQ(barcodeData(p, b, v), QByteArray("A0120325B"));
    struct Outside {
        std::int32_t route;
        std::int16_t order, ticket;
    };
    for (const Outside& x : {Outside{1000, 3, 3}, Outside{0, 3, 3}, Outside{12, 1, 3}, Outside{12, 41, 3},
                             Outside{12, 3, -1}}) {
        v.route = x.route;
        v.stopOrder = x.order;
        v.ticketNo = x.ticket;
        EXPECT_TRUE(barcodeData(p, b, v).isEmpty()) << x.route << " " << x.order << " " << x.ticket;
    }
}
