#include "ticket/TicketPlugin.h"

#include "platform/Cp932.h"
#include "platform/Files.h"

#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QRegularExpression>
#include <QTime>
#include <cmath>
#include <optional>

namespace ticket {

namespace {

// A fault found while reading; carried out of the nested readers.
struct Fault {
    QString message;
};

QString quoted(const QString& text) { return QLatin1Char('"') + text + QLatin1Char('"'); }

// The tokens each kind of element may print, by their names in the file.
struct TokenName {
    const char* name;
    Token token;
    bool numeric;
};
constexpr TokenName kTokenNames[] = {
    {"ticket", Token::Ticket, true}, {"year", Token::Year, true},     {"reiwa", Token::Reiwa, true},
    {"month", Token::Month, true},   {"day", Token::Day, true},       {"weekday", Token::Weekday, false},
    {"hour", Token::Hour, true},     {"minute", Token::Minute, true}, {"second", Token::Second, true},
    {"route", Token::Route, true},   {"stop", Token::Stop, false},    {"order", Token::Order, true},
    {"company", Token::Company, false},
};

std::vector<Token> tokensOf(ElementKind kind) {
    switch (kind) {
    case ElementKind::TicketNumber: return {Token::Ticket};
    case ElementKind::Date: return {Token::Year, Token::Reiwa, Token::Month, Token::Day, Token::Weekday};
    case ElementKind::Time: return {Token::Hour, Token::Minute, Token::Second};
    case ElementKind::Route: return {Token::Route};
    case ElementKind::Stop: return {Token::Stop, Token::Order};
    case ElementKind::Company: return {Token::Company};
    case ElementKind::Barcode: return {Token::Route, Token::Ticket, Token::Order};
    default: return {};
    }
}

QString tokenList(ElementKind kind) {
    QStringList names;
    for (Token t : tokensOf(kind)) {
        for (const TokenName& n : kTokenNames)
            if (n.token == t) names << QLatin1String(n.name);
    }
    return names.join(QStringLiteral(", "));
}

const QString& defaultFormat(ElementKind kind) {
    static const QString ticket = QStringLiteral("{ticket}");
    static const QString date = QStringLiteral("{year}年{month}月{day}日");
    static const QString time = QStringLiteral("{hour:2}:{minute:2}");
    static const QString route = QStringLiteral("{route}");
    static const QString stop = QStringLiteral("{stop}");
    static const QString company = QStringLiteral("{company}");
    static const QString none;
    switch (kind) {
    case ElementKind::TicketNumber: return ticket;
    case ElementKind::Date: return date;
    case ElementKind::Time: return time;
    case ElementKind::Route: return route;
    case ElementKind::Stop: return stop;
    case ElementKind::Company: return company;
    default: return none;
    }
}

// "{name}" and "{name:width}" are values, "{{" and "}}" plain braces.
std::vector<Segment> parseFormat(const QString& text, ElementKind kind, const QString& where) {
    std::vector<Segment> segments;
    QString literal;
    const std::vector<Token> allowed = tokensOf(kind);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('}')) {
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('}')) ++i;
            literal += QLatin1Char('}');
            continue;
        }
        if (c != QLatin1Char('{')) {
            literal += c;
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == QLatin1Char('{')) {
            literal += QLatin1Char('{');
            ++i;
            continue;
        }
        const qsizetype close = text.indexOf(QLatin1Char('}'), i + 1);
        if (close < 0) throw Fault{where + QStringLiteral(": \"{\" without \"}\" (write \"{{\" for a brace)")};
        const QString inside = text.mid(i + 1, close - i - 1);
        const qsizetype colon = inside.indexOf(QLatin1Char(':'));
        const QString name = colon < 0 ? inside : inside.left(colon);
        int width = 0;
        const TokenName* found = nullptr;
        for (const TokenName& n : kTokenNames)
            if (name == QLatin1String(n.name)) found = &n;
        bool permitted = false;
        if (found)
            for (Token t : allowed) permitted = permitted || t == found->token;
        if (!permitted) {
            const QString list = tokenList(kind);
            throw Fault{where + QStringLiteral(": unknown value {%1}").arg(name) +
                        (list.isEmpty() ? QStringLiteral(" (this element prints no values)")
                                        : QStringLiteral(" (this element can print: %1)").arg(list))};
        }
        if (colon >= 0) {
            bool ok = false;
            width = inside.mid(colon + 1).toInt(&ok);
            if (!ok || width < 1 || width > kMaxTokenWidth)
                throw Fault{where + QStringLiteral(": the width in {%1} must be 1 to %2").arg(inside).arg(kMaxTokenWidth)};
            if (!found->numeric)
                throw Fault{where + QStringLiteral(": {%1} is a text and takes no width").arg(name)};
        }
        if (!literal.isEmpty()) segments.push_back({std::exchange(literal, QString())});
        segments.push_back({QString(), true, found->token, width});
        i = close;
    }
    if (!literal.isEmpty()) segments.push_back({literal});
    return segments;
}

// Reads one JSON object, knowing which keys it may have.
class ObjectReader {
public:
    ObjectReader(const QJsonObject& object, QString where, const QStringList& known)
        : object_(object), where_(std::move(where)) {
        // Keys starting with "_" are the author's notes.
        for (auto it = object_.begin(); it != object_.end(); ++it) {
            if (it.key().startsWith(QLatin1Char('_'))) continue;
            if (!known.contains(it.key())) throw Fault{where_ + QStringLiteral(": unknown key ") + quoted(it.key())};
        }
    }

    bool has(const QString& key) const { return object_.contains(key); }
    QString place(const QString& key) const { return where_ + QStringLiteral(", ") + key; }
    const QString& where() const { return where_; }

    int integer(const QString& key, int min, int max, std::optional<int> fallback = std::nullopt) const {
        const QJsonValue v = object_.value(key);
        if (v.isUndefined()) {
            if (fallback) return *fallback;
            throw Fault{place(key) + QStringLiteral(": missing")};
        }
        const double d = v.toDouble(std::nan(""));
        if (!v.isDouble() || std::isnan(d) || d != std::floor(d))
            throw Fault{place(key) + QStringLiteral(": must be a whole number")};
        if (d < min || d > max) throw Fault{place(key) + QStringLiteral(": must be %1 to %2").arg(min).arg(max)};
        return int(d);
    }

    bool boolean(const QString& key, bool fallback) const {
        const QJsonValue v = object_.value(key);
        if (v.isUndefined()) return fallback;
        if (!v.isBool()) throw Fault{place(key) + QStringLiteral(": must be true or false")};
        return v.toBool();
    }

    QString text(const QString& key, int maxLength, std::optional<QString> fallback = std::nullopt) const {
        const QJsonValue v = object_.value(key);
        if (v.isUndefined()) {
            if (fallback) return *fallback;
            throw Fault{place(key) + QStringLiteral(": missing")};
        }
        if (!v.isString()) throw Fault{place(key) + QStringLiteral(": must be a text in quotes")};
        QString s = v.toString();
        if (s.size() > maxLength) throw Fault{place(key) + QStringLiteral(": longer than %1 characters").arg(maxLength)};
        return s;
    }

    // One of the names; its index.
    int choice(const QString& key, const QStringList& names, int fallback) const {
        const QJsonValue v = object_.value(key);
        if (v.isUndefined()) return fallback;
        const int i = v.isString() ? int(names.indexOf(v.toString())) : -1;
        if (i < 0) throw Fault{place(key) + QStringLiteral(": must be one of ") + names.join(QStringLiteral(", "))};
        return i;
    }

    platform::Color color(const QString& key, platform::Color fallback) const {
        const QJsonValue v = object_.value(key);
        if (v.isUndefined()) return fallback;
        static const QRegularExpression hex(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
        if (!v.isString() || !hex.match(v.toString()).hasMatch())
            throw Fault{place(key) + QStringLiteral(": must be a colour \"#RRGGBB\"")};
        const uint rgb = v.toString().mid(1).toUInt(nullptr, 16);
        return platform::rgbColor(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF));
    }

    QJsonValue value(const QString& key) const { return object_.value(key); }

private:
    const QJsonObject& object_;
    QString where_;
};

const QStringList& kindNames() {
    static const QStringList names = {QStringLiteral("TicketNumber"), QStringLiteral("Date"), QStringLiteral("Time"),
                                      QStringLiteral("Route"),        QStringLiteral("Stop"), QStringLiteral("Company"),
                                      QStringLiteral("Text"),         QStringLiteral("Rule"), QStringLiteral("Box"),
                                      QStringLiteral("Barcode")};
    return names;
}

bool isTextKind(ElementKind k) {
    return k != ElementKind::Rule && k != ElementKind::Box && k != ElementKind::Barcode;
}

// The characters NW-7 (Codabar) encodes between its start and stop letters.
bool isCodabarInner(QChar c) {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || QStringLiteral("-$:/.+").contains(c);
}
bool isCodabarEnd(QChar c) { return c >= QLatin1Char('A') && c <= QLatin1Char('D'); }

// Most digits a value can take: 5 for route and ticket numbers, 3 for a
// stop order.
int widestDigits(Token t) { return t == Token::Order ? 3 : 5; }

void checkBarcodeData(const std::vector<Segment>& data, const QString& where) {
    QString pattern; // the data with each value as "0"s
    for (const Segment& s : data)
        pattern += s.isToken ? QString(s.width > 0 ? s.width : widestDigits(s.token), QLatin1Char('0')) : s.literal;
    if (pattern.size() < 3 || !isCodabarEnd(pattern.front()) || !isCodabarEnd(pattern.back()))
        throw Fault{where + QStringLiteral(": NW-7 data starts and ends with one of A, B, C, D and holds at least one "
                                           "character between them")};
    for (qsizetype i = 1; i + 1 < pattern.size(); ++i)
        if (!isCodabarInner(pattern[i]))
            throw Fault{where + QStringLiteral(": NW-7 data between the start and stop letters holds only 0-9 - $ : / . +")};
    if (pattern.size() > kMaxBarcodeLength)
        throw Fault{where + QStringLiteral(": NW-7 data longer than %1 characters").arg(kMaxBarcodeLength)};
}

Element readElement(const QJsonValue& value, int number, const TicketPlugin& plugin, platform::Color ink) {
    const QString where = QStringLiteral("element %1").arg(number);
    if (!value.isObject()) throw Fault{where + QStringLiteral(": must be an object { ... }")};
    const QJsonObject object = value.toObject();
    const QJsonValue type = object.value(QStringLiteral("Type"));
    const int kindIndex = type.isString() ? int(kindNames().indexOf(type.toString())) : -1;
    if (kindIndex < 0)
        throw Fault{where + QStringLiteral(", Type: must be one of ") + kindNames().join(QStringLiteral(", "))};
    Element e;
    e.kind = ElementKind(kindIndex);
    const QString named = where + QStringLiteral(" (") + type.toString() + QLatin1Char(')');

    QStringList keys = {QStringLiteral("Type"), QStringLiteral("Color")};
    const QStringList box = {QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("Width"), QStringLiteral("Height")};
    const QStringList textKeys = {QStringLiteral("Typeface"), QStringLiteral("Size"),  QStringLiteral("Weight"),
                                  QStringLiteral("Align"),    QStringLiteral("VAlign"), QStringLiteral("LetterSpacing")};
    if (e.kind == ElementKind::Rule) {
        keys << QStringLiteral("X1") << QStringLiteral("Y1") << QStringLiteral("X2") << QStringLiteral("Y2")
             << QStringLiteral("Thickness") << QStringLiteral("Style");
    } else {
        keys << box;
    }
    if (e.kind == ElementKind::Box)
        keys << QStringLiteral("Thickness") << QStringLiteral("Style") << QStringLiteral("Radius") << QStringLiteral("Fill");
    if (e.kind == ElementKind::Barcode)
        keys << QStringLiteral("Data") << QStringLiteral("CheckDigit") << QStringLiteral("ShowText")
             << QStringLiteral("TextSize") << QStringLiteral("Typeface");
    if (isTextKind(e.kind)) keys << textKeys << (e.kind == ElementKind::Text ? QStringLiteral("Text") : QStringLiteral("Format"));

    const ObjectReader r(object, named, keys);
    const int w = plugin.info.PreviewWidth;
    const int h = plugin.info.PreviewHeight;
    e.color = r.color(QStringLiteral("Color"), ink);

    if (e.kind == ElementKind::Rule) {
        e.x = r.integer(QStringLiteral("X1"), 0, w);
        e.y = r.integer(QStringLiteral("Y1"), 0, h);
        e.x2 = r.integer(QStringLiteral("X2"), 0, w);
        e.y2 = r.integer(QStringLiteral("Y2"), 0, h);
        e.thickness = r.integer(QStringLiteral("Thickness"), 1, 50, 1);
    } else {
        e.x = r.integer(QStringLiteral("X"), 0, w - 1);
        e.y = r.integer(QStringLiteral("Y"), 0, h - 1);
        e.width = r.integer(QStringLiteral("Width"), 1, w - e.x);
        e.height = r.integer(QStringLiteral("Height"), 1, h - e.y);
    }
    const QStringList styles = {QStringLiteral("Solid"), QStringLiteral("Dashed"), QStringLiteral("Dotted")};
    const QStringList typefaces = {QStringLiteral("Gothic"), QStringLiteral("Mincho"), QStringLiteral("PGothic"),
                                   QStringLiteral("PMincho")};
    if (e.kind == ElementKind::Rule || e.kind == ElementKind::Box)
        e.style = LineStyle(r.choice(QStringLiteral("Style"), styles, 0));
    if (e.kind == ElementKind::Box) {
        e.thickness = r.integer(QStringLiteral("Thickness"), 0, 50, 1);
        e.radius = r.integer(QStringLiteral("Radius"), 0, std::min(e.width, e.height) / 2, 0);
        e.filled = r.has(QStringLiteral("Fill"));
        e.fill = r.color(QStringLiteral("Fill"), 0);
    }
    if (isTextKind(e.kind)) {
        e.typeface = Typeface(r.choice(QStringLiteral("Typeface"), typefaces, 0));
        e.size = r.integer(QStringLiteral("Size"), 4, 400);
        const QJsonValue weight = r.value(QStringLiteral("Weight"));
        if (weight.isString()) e.weight = 400 + 300 * r.choice(QStringLiteral("Weight"), {QStringLiteral("Normal"), QStringLiteral("Bold")}, 0);
        else e.weight = r.integer(QStringLiteral("Weight"), 100, 900, 400);
        const QStringList aligns = {QStringLiteral("Left"), QStringLiteral("Center"), QStringLiteral("Right")};
        const QStringList valigns = {QStringLiteral("Top"), QStringLiteral("Center"), QStringLiteral("Bottom")};
        e.align = HAlign(r.choice(QStringLiteral("Align"), aligns, 0));
        e.valign = VAlign(r.choice(QStringLiteral("VAlign"), valigns, 1));
        e.letterSpacing = r.integer(QStringLiteral("LetterSpacing"), 0, 100, 0);
        if (e.kind == ElementKind::Text) {
            e.format = {{r.text(QStringLiteral("Text"), kMaxTextLength)}};
        } else {
            const QString format = r.text(QStringLiteral("Format"), kMaxTextLength, defaultFormat(e.kind));
            e.format = parseFormat(format, e.kind, r.place(QStringLiteral("Format")));
        }
    }
    if (e.kind == ElementKind::Barcode) {
        e.data = parseFormat(r.text(QStringLiteral("Data"), kMaxTextLength), e.kind, r.place(QStringLiteral("Data")));
        checkBarcodeData(e.data, r.place(QStringLiteral("Data")));
        e.checkDigit = r.boolean(QStringLiteral("CheckDigit"), false);
        e.showText = r.boolean(QStringLiteral("ShowText"), false);
        e.textSize = r.integer(QStringLiteral("TextSize"), 4, 100, 9);
        e.typeface = Typeface(r.choice(QStringLiteral("Typeface"), typefaces, 0));
        if (e.width < 16 || e.height < 4)
            throw Fault{named + QStringLiteral(": a barcode needs at least 16 x 4")};
    }
    return e;
}

// A capability the file states must be what its layout does; one it leaves
// out is taken from the layout.
std::int32_t capability(const ObjectReader& r, const QString& key, bool present) {
    if (!r.has(key)) return present ? 1 : 0;
    const int stated = r.integer(key, 0, 1);
    if (stated != (present ? 1 : 0))
        throw Fault{r.place(key) + (present ? QStringLiteral(": is 0, but the layout prints it")
                                            : QStringLiteral(": is 1, but no element prints it"))};
    return stated;
}

TicketPlugin readPlugin(const QJsonObject& root) {
    const ObjectReader top(root, QStringLiteral("the file"),
                           {QStringLiteral("FormatVersion"), QStringLiteral("PreviewWidth"), QStringLiteral("PreviewHeight"),
                            QStringLiteral("PlgInfo"), QStringLiteral("Remarks"), QStringLiteral("Companies"),
                            QStringLiteral("StopNameReplacements"), QStringLiteral("PaperColor"),
                            QStringLiteral("InkColor"), QStringLiteral("Elements")});
    if (!top.has(QStringLiteral("FormatVersion"))) throw Fault{QStringLiteral("FormatVersion: missing")};
    const QJsonValue version = top.value(QStringLiteral("FormatVersion"));
    if (!version.isDouble() || version.toDouble() != kFormatVersion)
        throw Fault{QStringLiteral("FormatVersion: this program reads version %1").arg(kFormatVersion)};

    TicketPlugin p;
    p.info.PlgHead = kPlgHead;
    p.info.PreviewWidth = top.integer(QStringLiteral("PreviewWidth"), kMinPreviewSize, kMaxPreviewSize);
    p.info.PreviewHeight = top.integer(QStringLiteral("PreviewHeight"), kMinPreviewSize, kMaxPreviewSize);
    p.remarks = top.text(QStringLiteral("Remarks"), kMaxRemarksLength, QString());
    p.paper = top.color(QStringLiteral("PaperColor"), platform::rgbColor(255, 255, 255));
    const platform::Color ink = top.color(QStringLiteral("InkColor"), platform::rgbColor(0, 0, 0));

    const QJsonValue companies = top.value(QStringLiteral("Companies"));
    if (!companies.isUndefined()) {
        if (!companies.isArray()) throw Fault{QStringLiteral("Companies: must be a list [ ... ] of names")};
        const QJsonArray list = companies.toArray();
        // An empty list is a plug-in that meant to name companies and names
        // none: the panel's list would offer nothing to choose.
        if (list.isEmpty() || list.size() > kMaxCompanies)
            throw Fault{QStringLiteral("Companies: must hold 1 to %1 names (leave it out for none)").arg(kMaxCompanies)};
        for (qsizetype i = 0; i < list.size(); ++i) {
            const QString name = list[i].toString();
            if (!list[i].isString() || name.isEmpty() || name.size() > kMaxCompanyLength)
                throw Fault{QStringLiteral("Companies, name %1: must be a text of 1 to %2 characters")
                                .arg(i + 1)
                                .arg(kMaxCompanyLength)};
            p.companies << name;
        }
    }

    const QJsonValue replacements = top.value(QStringLiteral("StopNameReplacements"));
    if (!replacements.isUndefined()) {
        if (!replacements.isObject())
            throw Fault{QStringLiteral("StopNameReplacements: must be an object { \"name\": \"printed name\", ... }")};
        const QJsonObject map = replacements.toObject();
        if (map.size() > kMaxReplacements)
            throw Fault{QStringLiteral("StopNameReplacements: more than %1 names").arg(kMaxReplacements)};
        for (auto it = map.begin(); it != map.end(); ++it) {
            const QString where = QStringLiteral("StopNameReplacements, ") + quoted(it.key());
            // The name goes back into the fare table, whose names are CP932.
            if (!it.value().isString() || it.value().toString().size() > kMaxTextLength ||
                !cp932::canEncode(it.value().toString()))
                throw Fault{where + QStringLiteral(": must be a text of at most %1 characters, all of them in the "
                                                   "Japanese Windows character set")
                                        .arg(kMaxTextLength)};
            p.stopNameReplacements.emplace_back(it.key(), it.value().toString());
        }
    }

    const QJsonValue elements = top.value(QStringLiteral("Elements"));
    if (!elements.isArray()) throw Fault{QStringLiteral("Elements: must be a list [ ... ] of elements")};
    const QJsonArray list = elements.toArray();
    if (list.isEmpty() || list.size() > kMaxElements)
        throw Fault{QStringLiteral("Elements: must hold 1 to %1 elements").arg(kMaxElements)};
    bool kinds[10] = {};
    int barcodes = 0;
    for (qsizetype i = 0; i < list.size(); ++i) {
        p.elements.push_back(readElement(list[i], int(i + 1), p, ink));
        kinds[int(p.elements.back().kind)] = true;
        if (p.elements.back().kind == ElementKind::Barcode) ++barcodes;
    }
    if (kinds[int(ElementKind::Company)] && p.companies.isEmpty())
        throw Fault{QStringLiteral("Companies: a Company element needs at least one name")};

    // The record. Capabilities and the barcode count follow the layout.
    const QJsonValue infoValue = top.value(QStringLiteral("PlgInfo"));
    if (!infoValue.isUndefined() && !infoValue.isObject())
        throw Fault{QStringLiteral("PlgInfo: must be an object { ... }")};
    const QJsonObject infoObject = infoValue.toObject();
    const ObjectReader info(infoObject, QStringLiteral("PlgInfo"),
                            {QStringLiteral("CanPrintDate"), QStringLiteral("CanPrintTime"), QStringLiteral("CanPrintRoute"),
                             QStringLiteral("CanPrintStop"), QStringLiteral("CanPrintBarcode"),
                             QStringLiteral("BarcodeCount"), QStringLiteral("RouteMax"), QStringLiteral("BarcodeMode"),
                             QStringLiteral("StopMin"), QStringLiteral("StopMax"), QStringLiteral("CorpSwitch")});
    PlgInfo& rec = p.info;
    rec.CanPrintDate = capability(info, QStringLiteral("CanPrintDate"), kinds[int(ElementKind::Date)]);
    rec.CanPrintTime = capability(info, QStringLiteral("CanPrintTime"), kinds[int(ElementKind::Time)]);
    rec.CanPrintRoute = capability(info, QStringLiteral("CanPrintRoute"), kinds[int(ElementKind::Route)]);
    rec.CanPrintStop = capability(info, QStringLiteral("CanPrintStop"), kinds[int(ElementKind::Stop)]);
    rec.CanPrintBarcode = capability(info, QStringLiteral("CanPrintBarcode"), barcodes > 0);
    rec.BarcodeCount = info.integer(QStringLiteral("BarcodeCount"), barcodes, barcodes, barcodes);
    // The fare box's ranges matter only with a barcode, and must be given then.
    const std::optional<int> none = barcodes > 0 ? std::nullopt : std::optional<int>(0);
    rec.BarcodeMode = info.integer(QStringLiteral("BarcodeMode"), barcodes > 0 ? 1 : 0, 2, none);
    rec.RouteMax = info.integer(QStringLiteral("RouteMax"), barcodes > 0 ? 1 : 0, kMaxRouteMax, none);
    rec.StopMin = info.integer(QStringLiteral("StopMin"), 0, kMaxStopNumber, none);
    // Without a barcode a StopMin given alone is a range of that one stop.
    rec.StopMax = info.integer(QStringLiteral("StopMax"), rec.StopMin, kMaxStopNumber,
                               barcodes > 0 ? std::nullopt : std::optional<int>(rec.StopMin));
    rec.CorpSwitch = info.integer(QStringLiteral("CorpSwitch"), 0, 1, 0);
    if (rec.CorpSwitch >= 1 && p.companies.size() < 2)
        throw Fault{QStringLiteral("PlgInfo, CorpSwitch: switching needs at least two Companies")};
    return p;
}

QString number(long long value, int width) {
    if (value < 0 || width <= 0) return QString::number(value);
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

std::optional<QDate> ticketDate(const QString& text) {
    static const QRegularExpression printed(QStringLiteral("^(\\d{2})-(\\d{2})-(\\d{4})$"));
    static const QRegularExpression fixed(QStringLiteral("^(\\d{4})/(\\d{1,2})/(\\d{1,2})$"));
    QDate d;
    if (const auto m = printed.match(text); m.hasMatch())
        d = QDate(m.captured(3).toInt(), m.captured(1).toInt(), m.captured(2).toInt());
    else if (const auto f = fixed.match(text); f.hasMatch())
        d = QDate(f.captured(1).toInt(), f.captured(2).toInt(), f.captured(3).toInt());
    if (!d.isValid()) return std::nullopt;
    return d;
}

} // namespace

PluginResult readTicketPlugin(const QByteArray& bytes) {
    if (bytes.size() > kMaxFileBytes) return PluginError{QStringLiteral("the file is larger than 1 MiB")};
    QByteArray json = bytes;
    if (json.startsWith("\xEF\xBB\xBF")) json.remove(0, 3);
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return PluginError{QStringLiteral("not JSON: %1 at byte %2").arg(parseError.errorString()).arg(parseError.offset)};
    if (!document.isObject()) return PluginError{QStringLiteral("not a plug-in: the file must be one object { ... }")};
    try {
        return readPlugin(document.object());
    } catch (const Fault& fault) {
        return PluginError{fault.message};
    }
}

PluginResult loadTicketPlugin(const QString& path) {
    // Only a regular file is read, and no more of it than a plug-in may hold:
    // a named pipe or a device by a plug-in's name is refused unread.
    const auto read = platform::readRegularFile(path, kMaxFileBytes);
    if (const auto* failure = std::get_if<platform::ReadFailure>(&read)) return PluginError{failure->message(path)};
    return readTicketPlugin(std::get<QByteArray>(read));
}

QString printedStopName(const TicketPlugin& plugin, const QString& stopName) {
    for (const auto& [from, to] : plugin.stopNameReplacements)
        if (from == stopName) return to;
    return stopName;
}

QString printedCompany(const TicketPlugin& plugin, std::int32_t index) {
    if (plugin.companies.isEmpty()) return {};
    if (index < 0 || index >= plugin.companies.size()) return plugin.companies.front();
    return plugin.companies[index];
}

QString elementText(const TicketPlugin& plugin, const Element& element, const TicketValues& values) {
    const std::optional<QDate> date = element.kind == ElementKind::Date ? ticketDate(values.date) : std::nullopt;
    if (element.kind == ElementKind::Date && !date) return values.date;
    QTime time;
    if (element.kind == ElementKind::Time) {
        time = QTime::fromString(values.time, QStringLiteral("HH:mm:ss"));
        if (!time.isValid()) return values.time;
    }
    QString text;
    for (const Segment& s : element.format) {
        if (!s.isToken) {
            text += s.literal;
            continue;
        }
        switch (s.token) {
        case Token::Ticket: text += number(values.ticketNo, s.width); break;
        case Token::Year: {
            // A width below four keeps the last digits: {year:2} is "26".
            int year = date->year();
            if (s.width > 0 && s.width < 4) year %= int(std::pow(10, s.width));
            text += number(year, s.width);
            break;
        }
        case Token::Reiwa: {
            const int era = date->year() - 2018;
            text += number(era >= 1 ? era : date->year(), s.width);
            break;
        }
        case Token::Month: text += number(date->month(), s.width); break;
        case Token::Day: text += number(date->day(), s.width); break;
        case Token::Weekday: text += QStringLiteral("月火水木金土日").at(date->dayOfWeek() - 1); break;
        case Token::Hour: text += number(time.hour(), s.width); break;
        case Token::Minute: text += number(time.minute(), s.width); break;
        case Token::Second: text += number(time.second(), s.width); break;
        case Token::Route: text += number(values.route, s.width); break;
        case Token::Stop: text += printedStopName(plugin, values.stopName); break;
        case Token::Order: text += number(values.stopOrder, s.width); break;
        case Token::Company: text += printedCompany(plugin, values.company); break;
        }
    }
    return text;
}

QByteArray barcodeData(const TicketPlugin& plugin, const Element& element, const TicketValues& values) {
    const PlgInfo& info = plugin.info;
    if (values.route < 1 || values.route > info.RouteMax) return {};
    if (values.stopOrder < info.StopMin || values.stopOrder > info.StopMax) return {};
    QByteArray data;
    for (const Segment& s : element.data) {
        if (!s.isToken) {
            data += s.literal.toLatin1();
            continue;
        }
        long long value = 0;
        switch (s.token) {
        case Token::Route: value = values.route; break;
        case Token::Ticket: value = values.ticketNo; break;
        default: value = values.stopOrder; break;
        }
        const QString digits = number(value, s.width);
        if (value < 0 || (s.width > 0 && digits.size() > s.width) || digits.size() > widestDigits(s.token)) return {};
        data += digits.toLatin1();
    }
    return data;
}

} // namespace ticket
