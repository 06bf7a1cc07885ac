#include "tools/FareDataTool.h"

#include "platform/Cp932.h"
#include "platform/Device.h"
#include "platform/Files.h"
#include "tools/FareCsv.h"
#include "tools/GtfsCommand.h"
#include "route/FareDataFile.h"
#include "route/TapeData.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <optional>

namespace faretool {

namespace {

// Highest fare cell: columns above it are data for other purposes (info
// digits, advance sounds), not fares.
constexpr int kFareCells = device::kFareCellCount; // the columns a passenger sees

struct Args {
    QString Command;
    QStringList Positional;
    QString Output;
    std::optional<QString> Stop;
    QString Error;
};

Args parseArgs(const QStringList& args) {
    Args a;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& s = args[i];
        auto value = [&](const QString& name) -> std::optional<QString> {
            if (i + 1 >= args.size()) {
                a.Error = QStringLiteral("%1 needs a value").arg(name);
                return std::nullopt;
            }
            return args[++i];
        };
        if (s == u"-o" || s == u"--output") {
            if (auto v = value(s)) a.Output = *v;
        } else if (s.startsWith(u"--output=")) {
            a.Output = s.mid(9);
        } else if (s == u"--stop") {
            if (auto v = value(s)) a.Stop = *v;
        } else if (s.startsWith(u"--stop=")) {
            a.Stop = s.mid(7);
        } else if (s == u"-h" || s == u"--help") {
            a.Command = QStringLiteral("help");
        } else if (s.startsWith(u'-') && s.size() > 1) {
            a.Error = QStringLiteral("unknown option %1").arg(s);
        } else if (a.Command.isEmpty()) {
            a.Command = s;
        } else {
            a.Positional << s;
        }
        if (!a.Error.isEmpty()) break;
    }
    return a;
}

std::optional<QString> readWhole(const QString& path, QByteArray& into) {
    const QFileInfo info(path);
    if (!info.exists() || info.isDir()) return QStringLiteral("%1: no such file").arg(path);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QStringLiteral("%1: %2").arg(path, f.errorString());
    into = f.readAll();
    return std::nullopt;
}

std::optional<QString> writeWhole(const QString& path, const QByteArray& bytes) {
    if (auto failure = platform::replaceFile(path, bytes))
        return QStringLiteral("cannot write %1: %2").arg(path, failure->reason);
    return std::nullopt;
}

bool isTapeFile(const QString& path) { return path.endsWith(u"tp.csv", Qt::CaseInsensitive); }

// "c1-c20, c90" for the columns where some row has a value other than -1.
QString columnsInUse(const route::FareData& data) {
    std::array<bool, route::kFareColumns> used{};
    for (const auto& r : data.Rows)
        for (int c = 0; c < route::kFareColumns; ++c)
            if (r.Cols[size_t(c)] != route::kNoFare) used[size_t(c)] = true;
    QStringList ranges;
    for (int c = 0; c < route::kFareColumns;) {
        if (!used[size_t(c)]) {
            ++c;
            continue;
        }
        int end = c;
        while (end + 1 < route::kFareColumns && used[size_t(end) + 1]) ++end;
        ranges << (end == c ? QStringLiteral("c%1").arg(c + 1) : QStringLiteral("c%1-c%2").arg(c + 1).arg(end + 1));
        c = end + 1;
    }
    return ranges.isEmpty() ? QStringLiteral("none (every cell is -1)") : ranges.join(QStringLiteral(", "));
}

ToolOutput checkFare(const QString& path) {
    auto result = route::readFareDataFile(path);
    if (auto* e = std::get_if<route::FareDataError>(&result)) return fail(kBadData, e->message());
    const auto& data = std::get<route::FareData>(result);
    const int n = int(data.Rows.size());
    QString out;
    out += QStringLiteral("%1: fare data, %2 stop(s)\n").arg(path).arg(n);
    if (n >= 2)
        out += QStringLiteral("sections a run can start at: 1..%1\n").arg(n - 1);
    else
        out += QStringLiteral("warning: with a single row no section can be set (a route needs at least 2 stops)\n");

    int highest = -1, highestRow = 0, highestCol = 0;
    QStringList unclean;
    out += QStringLiteral("stops:\n");
    for (int r = 1; r <= n; ++r) {
        const auto& rec = data.Rows[size_t(r - 1)];
        const QString name = nameToText(rec.NameBytes);
        if (name.contains(kRawByteMark)) unclean << QString::number(r);
        out += QStringLiteral("  %1  %2  (ticket %3)\n").arg(r, 3).arg(name.isEmpty() ? QStringLiteral("(no name)") : name).arg(rec.TicketNo);
        for (int c = 1; c <= kFareCells; ++c)
            if (rec.Cols[size_t(c - 1)] > highest) {
                highest = rec.Cols[size_t(c - 1)];
                highestRow = r;
                highestCol = c;
            }
    }
    if (highest >= 0)
        out += QStringLiteral("highest fare: %1 yen (stop %2, ticket %3)\n").arg(highest).arg(highestRow).arg(highestCol);
    else
        out += QStringLiteral("highest fare: none (no fare in c1..c%1)\n").arg(kFareCells);
    out += QStringLiteral("columns in use: %1\n").arg(columnsInUse(data));
    if (!unclean.isEmpty())
        out += QStringLiteral("warning: stop name(s) %1 hold bytes that are not clean code page 932 text\n")
                   .arg(unclean.join(QStringLiteral(", ")));
    qint64 used = 2;
    for (const auto& r : data.Rows) used += route::kFareRowFixedBytes + r.NameBytes.size();
    const qint64 size = QFileInfo(path).size();
    if (size > used) out += QStringLiteral("note: %1 byte(s) after the last row are ignored\n").arg(size - used);
    ToolOutput o;
    o.Out = out.toUtf8();
    return o;
}

ToolOutput checkTape(const QString& path) {
    auto result = route::readTapeDataFile(path);
    if (auto* e = std::get_if<route::TapeDataError>(&result)) return fail(kBadData, e->message());
    const auto& entries = std::get<std::vector<route::TapeEntry>>(result);
    QString out = QStringLiteral("%1: broadcast data, %2 announcement(s)\n").arg(path).arg(entries.size());
    int k = 0;
    for (const auto& e : entries)
        out += QStringLiteral("  %1  advance %2  sound %3  %4\n").arg(++k, 3).arg(e.AdvanceFlag).arg(e.SoundFlag).arg(e.Text);
    ToolOutput o;
    o.Out = out.toUtf8();
    return o;
}

ToolOutput show(const QString& path, const QString& stopText) {
    bool ok = false;
    const int stop = stopText.toInt(&ok);
    auto result = route::readFareDataFile(path);
    if (auto* e = std::get_if<route::FareDataError>(&result)) return fail(kBadData, e->message());
    const auto& data = std::get<route::FareData>(result);
    const int n = int(data.Rows.size());
    if (!ok || stop < 1 || stop > n)
        return fail(kUsage, QStringLiteral("--stop must be a stop number from 1 to %1, not \"%2\"").arg(n).arg(stopText));
    const auto& rec = data.Rows[size_t(stop - 1)];
    QString out = QStringLiteral("stop %1 of %2: %3 (ticket %4 is issued here)\n")
                      .arg(stop)
                      .arg(n)
                      .arg(nameToText(rec.NameBytes))
                      .arg(rec.TicketNo);
    int withFare = 0;
    for (int k = 1; k <= kFareCells; ++k) {
        const int v = rec.Cols[size_t(k - 1)];
        if (v == route::kNoFare) continue;
        out += QStringLiteral("  ticket %1: %2 yen\n").arg(k, 2).arg(v);
        ++withFare;
    }
    if (withFare == 0) out += QStringLiteral("  no ticket has a fare here\n");
    QStringList extra;
    for (int c = kFareCells + 1; c <= route::kFareColumns; ++c)
        if (rec.Cols[size_t(c - 1)] != route::kNoFare) extra << QStringLiteral("c%1=%2").arg(c).arg(rec.Cols[size_t(c - 1)]);
    if (!extra.isEmpty()) out += QStringLiteral("data columns (not fares): %1\n").arg(extra.join(u' '));
    ToolOutput o;
    o.Out = out.toUtf8();
    return o;
}

ToolOutput toCsv(const QString& in, const QString& outPath) {
    auto result = route::readFareDataFile(in);
    if (auto* e = std::get_if<route::FareDataError>(&result)) return fail(kBadData, e->message());
    const QByteArray csv = fareDataToCsv(std::get<route::FareData>(result));
    ToolOutput o;
    if (outPath.isEmpty() || outPath == u"-") {
        o.Out = csv;
    } else if (auto why = writeWhole(outPath, csv)) {
        return fail(kBadData, *why);
    }
    return o;
}

ToolOutput fromCsv(const QString& in, const QString& outPath) {
    QByteArray bytes;
    if (auto why = readWhole(in, bytes)) return fail(kBadData, *why);
    auto result = fareDataFromCsv(bytes);
    if (auto* e = std::get_if<CsvError>(&result)) return fail(kBadData, QStringLiteral("%1: %2").arg(in, e->message()));
    if (auto why = route::writeFareDataFile(outPath, std::get<route::FareData>(result))) return fail(kBadData, *why);
    return {};
}

ToolOutput tapeFromCsv(const QString& in, const QString& outPath) {
    QByteArray bytes;
    if (auto why = readWhole(in, bytes)) return fail(kBadData, *why);
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    auto result = route::parseTapeText(text);
    if (auto* e = std::get_if<route::TapeDataError>(&result)) {
        route::TapeDataError err = *e;
        err.Path = in;
        return fail(kBadData, err.message());
    }
    const auto& entries = std::get<std::vector<route::TapeEntry>>(result);
    for (size_t k = 0; k < entries.size(); ++k) {
        if (!cp932::canEncode(entries[k].Text))
            return fail(kBadData, QStringLiteral("%1: line %2: the text has a character code page 932 cannot hold").arg(in).arg(k + 1));
        // The broadcast file has no escape for a quote: a doubled one would be
        // read differently by a reader that only strips the enclosing quotes.
        if (entries[k].Text.contains(u'"'))
            return fail(kBadData, QStringLiteral("%1: line %2: the text holds a double quote, which a broadcast data "
                                                 "file cannot carry")
                                      .arg(in)
                                      .arg(k + 1));
    }
    if (auto why = writeWhole(outPath, route::encodeTapeData(entries))) return fail(kBadData, *why);
    return {};
}

} // namespace

QString usageText() {
    return QStringLiteral(
        "Usage: ferrotab-data COMMAND FILE [options]\n"
        "\n"
        "Make, inspect and convert Ferrotab route data.\n"
        "\n"
        "Commands:\n"
        "  to-csv ROUTE.hy3 [-o FILE.csv]   fare data file to a UTF-8 CSV (standard output without -o)\n"
        "  from-csv FILE.csv -o ROUTE.hy3   UTF-8 CSV to a fare data file\n"
        "  check ROUTE.hy3                  validate a fare data file and summarise it\n"
        "  check ROUTEtp.csv                validate a broadcast data file and list its announcements\n"
        "  show ROUTE.hy3 --stop N          the fares shown at stop N, ticket by ticket\n"
        "  tape-from-csv FILE.csv -o ROUTEtp.csv\n"
        "                                   UTF-8 announcement list to a broadcast data file (CP932, CR LF)\n") +
           gtfsUsageText() +
           QStringLiteral(
        "\n"
        "Fare CSV: a header row stop_name,ticket_no,c1,...,c150, then one row per stop in running order.\n"
        "Column cK is the fare for numbered ticket K; an empty or missing cell is -1 (no fare).\n"
        "Columns above c84 are not shown as fares (info digits, advance sounds 1..3).\n"
        "A name byte with no code page 932 character of its own is written as U+FFFD and two hex digits.\n"
        "\n"
        "Announcement CSV: one line per announcement: text,advance flag,sound flag.\n"
        "Put a text holding a comma in double quotes; a text cannot hold a double quote itself.\n"
        "\n"
        "Exit status: 0 done, 1 bad or unreadable data, 2 bad command line.\n");
}

ToolOutput runFareDataTool(const QStringList& rawArgs) {
    if (!rawArgs.isEmpty() && rawArgs.front() == u"gtfs") return runGtfsCommand(rawArgs.mid(1)); // options of its own
    const Args a = parseArgs(rawArgs);
    if (!a.Error.isEmpty()) return fail(kUsage, a.Error);
    if (a.Command.isEmpty()) {
        ToolOutput o = fail(kUsage, QStringLiteral("no command given"));
        return o;
    }
    if (a.Command == u"help") {
        ToolOutput o;
        o.Out = usageText().toUtf8();
        return o;
    }
    auto needOne = [&](const QString& what) -> std::optional<ToolOutput> {
        if (a.Positional.isEmpty()) return fail(kUsage, QStringLiteral("%1 needs %2").arg(a.Command, what));
        if (a.Positional.size() > 1)
            return fail(kUsage, QStringLiteral("%1 takes one file, got %2").arg(a.Command).arg(a.Positional.size()));
        return std::nullopt;
    };
    auto needOutput = [&]() -> std::optional<ToolOutput> {
        if (a.Output.isEmpty()) return fail(kUsage, QStringLiteral("%1 needs -o OUTPUT").arg(a.Command));
        return std::nullopt;
    };
    if (a.Command == u"to-csv") {
        if (auto bad = needOne(QStringLiteral("a .hy3 file"))) return *bad;
        return toCsv(a.Positional[0], a.Output);
    }
    if (a.Command == u"from-csv") {
        if (auto bad = needOne(QStringLiteral("a .csv file"))) return *bad;
        if (auto bad = needOutput()) return *bad;
        return fromCsv(a.Positional[0], a.Output);
    }
    if (a.Command == u"tape-from-csv") {
        if (auto bad = needOne(QStringLiteral("a .csv file"))) return *bad;
        if (auto bad = needOutput()) return *bad;
        return tapeFromCsv(a.Positional[0], a.Output);
    }
    if (a.Command == u"check") {
        if (auto bad = needOne(QStringLiteral("a .hy3 or tp.csv file"))) return *bad;
        return isTapeFile(a.Positional[0]) ? checkTape(a.Positional[0]) : checkFare(a.Positional[0]);
    }
    if (a.Command == u"show") {
        if (auto bad = needOne(QStringLiteral("a .hy3 file"))) return *bad;
        if (!a.Stop) return fail(kUsage, QStringLiteral("show needs --stop N"));
        return show(a.Positional[0], *a.Stop);
    }
    return fail(kUsage, QStringLiteral("unknown command \"%1\"").arg(a.Command));
}

ToolOutput fail(int code, const QString& why) {
    ToolOutput o;
    o.ExitCode = code;
    o.Err = QStringLiteral("ferrotab-data: %1\n").arg(why);
    if (code == kUsage) o.Err += QStringLiteral("Try 'ferrotab-data --help'.\n");
    return o;
}

} // namespace faretool
