#include "tools/FareDataTool.h"

#include "platform/Cp932.h"
#include "platform/Device.h"
#include "platform/Files.h"
#include "route/FareDataFile.h"
#include "route/RouteFiles.h"
#include "route/TapeData.h"
#include "route/Timetable.h"
#include "tools/FareCsv.h"
#include "tools/GtfsCommand.h"
#include "tools/GtfsCsv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <optional>
#include <tuple>

namespace faretool {

namespace {

// Highest fare cell: columns above it are data for other purposes (info
// digits, advance sounds), not fares.
constexpr int kFareCells = device::kFareCellCount; // the columns a passenger sees

// A CSV a person writes, or a device file, is far smaller than this.
constexpr qint64 kLargestInput = qint64(16) << 20;

struct Args {
    QString Command;
    QStringList Positional;
    QString Output;
    std::optional<QString> Stop;
    std::optional<QString> Number;
    QString Error;
};

Args parseArgs(const QStringList& args) {
    Args a;
    const std::pair<QString, std::optional<QString> Args::*> valued[] = {
        {QStringLiteral("--stop"), &Args::Stop},
        {QStringLiteral("--number"), &Args::Number},
    };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& s = args[i];
        auto value = [&](const QString& name) -> std::optional<QString> {
            if (i + 1 >= args.size()) {
                a.Error = QStringLiteral("%1 needs a value").arg(name);
                return std::nullopt;
            }
            return args[++i];
        };
        bool known = false;
        for (const auto& [name, member] : valued) {
            if (s == name) {
                a.*member = value(s);
            } else if (s.startsWith(name + u'=')) {
                a.*member = s.mid(name.size() + 1);
            } else {
                continue;
            }
            known = true;
            break;
        }
        if (known) {
            if (!a.Error.isEmpty()) break; // the value was missing
            continue;
        }
        if (s == u"-o" || s == u"--output") {
            if (auto v = value(s)) a.Output = *v;
        } else if (s.startsWith(u"--output=")) {
            a.Output = s.mid(9);
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
    auto read = platform::readRegularFile(path, kLargestInput);
    if (const auto* failure = std::get_if<platform::ReadFailure>(&read))
        return failure->kind == platform::ReadFailure::Kind::Missing ? path + QStringLiteral(": no such file")
                                                                      : failure->message(path);
    into = std::get<QByteArray>(std::move(read));
    return std::nullopt;
}

std::optional<QString> writeWhole(const QString& path, const QByteArray& bytes) {
    if (auto failure = platform::replaceFile(path, bytes))
        return QStringLiteral("cannot write %1: %2").arg(path, failure->reason);
    return std::nullopt;
}

ToolOutput done(const QString& out) {
    ToolOutput o;
    o.Out = out.toUtf8();
    return o;
}

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

// The summary of `check` for fare data, from the file or from a fare CSV.
QString fareSummary(const QString& heading, const route::FareData& data) {
    const int n = int(data.Rows.size());
    QString out = QStringLiteral("%1, %2 stop(s)\n").arg(heading, QString::number(n));
    if (n >= 2)
        out += QStringLiteral("sections a run can start at: 1..%1\n").arg(n - 1);
    else
        out += QStringLiteral("warning: with a single row no section can be set (a route needs at least 2 stops)\n");

    int highest = -1, highestRow = 0, highestCol = 0;
    QStringList unclean, belowNone;
    out += QStringLiteral("stops:\n");
    for (int r = 1; r <= n; ++r) {
        const auto& rec = data.Rows[size_t(r - 1)];
        const QString name = nameToText(rec.NameBytes);
        if (name.contains(kRawByteMark)) unclean << QString::number(r);
        // The name goes in as it is, never through a pattern.
        out += QStringLiteral("  ") + QString::number(r).rightJustified(3) + QStringLiteral("  ") +
               (name.isEmpty() ? QStringLiteral("(no name)") : name) +
               QStringLiteral("  (ticket %1)\n").arg(rec.TicketNo);
        for (int c = 1; c <= kFareCells; ++c) {
            const int fare = rec.Cols[size_t(c - 1)];
            if (fare < route::kNoFare) belowNone << QStringLiteral("stop %1 c%2 (%3)").arg(r).arg(c).arg(fare);
            if (fare > highest) {
                highest = fare;
                highestRow = r;
                highestCol = c;
            }
        }
    }
    if (highest >= 0)
        out += QStringLiteral("highest fare: %1 yen (stop %2, ticket %3)\n").arg(highest).arg(highestRow).arg(highestCol);
    else
        out += QStringLiteral("highest fare: none (no fare in c1..c%1)\n").arg(kFareCells);
    out += QStringLiteral("columns in use: %1\n").arg(columnsInUse(data));
    if (!belowNone.isEmpty())
        out += QStringLiteral("warning: fares below -1, which is no fare: %1\n").arg(belowNone.join(QStringLiteral(", ")));
    if (!unclean.isEmpty())
        out += QStringLiteral("warning: stop name(s) %1 hold bytes that are not clean code page 932 text\n")
                   .arg(unclean.join(QStringLiteral(", ")));
    return out;
}

ToolOutput checkFare(const QString& path) {
    auto result = route::readFareDataFile(path);
    if (auto* e = std::get_if<route::FareDataError>(&result)) return fail(kBadData, e->message());
    const auto& data = std::get<route::FareData>(result);
    QString out = fareSummary(path + QStringLiteral(": fare data"), data);
    qint64 used = 2;
    for (const auto& r : data.Rows) used += route::kFareRowFixedBytes + r.NameBytes.size();
    const qint64 size = QFileInfo(path).size();
    if (size > used) out += QStringLiteral("note: %1 byte(s) after the last row are ignored\n").arg(size - used);
    return done(out);
}

ToolOutput checkFareCsv(const QString& path, const QByteArray& bytes) {
    auto result = fareDataFromCsv(bytes);
    if (auto* e = std::get_if<CsvError>(&result)) return fail(kBadData, QStringLiteral("%1: %2").arg(path, e->message()));
    return done(fareSummary(path + QStringLiteral(": fare CSV (from-csv makes the fare data file)"),
                            std::get<route::FareData>(result)));
}

QString announcementList(const QString& heading, const std::vector<route::TapeEntry>& entries) {
    QString out = QStringLiteral("%1, %2 announcement(s)\n").arg(heading, QString::number(entries.size()));
    int k = 0;
    for (const auto& e : entries)
        out += QStringLiteral("  %1  advance %2  sound %3  ").arg(++k, 3).arg(e.AdvanceFlag).arg(e.SoundFlag) + e.Text +
               u'\n';
    return out;
}

ToolOutput checkTape(const QString& path, route::TapeDataResult result) {
    if (auto* e = std::get_if<route::TapeDataError>(&result)) {
        e->Path = path;
        return fail(kBadData, e->message());
    }
    return done(announcementList(path + QStringLiteral(": broadcast data"),
                                 std::get<std::vector<route::TapeEntry>>(result)));
}

// The announcements of a UTF-8 list, or why they cannot make a broadcast
// data file.
std::variant<std::vector<route::TapeEntry>, QString> readAnnouncementList(const QString& path, const QByteArray& bytes) {
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    auto result = route::parseTapeText(text);
    if (auto* e = std::get_if<route::TapeDataError>(&result)) {
        e->Path = path;
        return e->message();
    }
    auto& entries = std::get<std::vector<route::TapeEntry>>(result);
    for (size_t k = 0; k < entries.size(); ++k) {
        const QString line = QString::number(k + 1);
        if (!cp932::canEncode(entries[k].Text))
            return QStringLiteral("%1: line %2: the text has a character code page 932 cannot hold").arg(path, line);
        // The broadcast file has no escape for a quote: a doubled one would be
        // read differently by a reader that only strips the enclosing quotes.
        if (entries[k].Text.contains(u'"'))
            return QStringLiteral("%1: line %2: the text holds a double quote, which a broadcast data file cannot carry")
                .arg(path, line);
    }
    return std::move(entries);
}

// The timetable, checked against the fare data beside it when there is one.
ToolOutput checkTimetable(const QString& path) {
    const std::optional<QString> besideName = route::routeFileBeside(path, route::RouteFile::FareData);
    const QString fareFile = besideName ? platform::findFileIgnoringCase(*besideName) : QString();
    std::optional<route::FareData> fares;
    if (besideName && QFileInfo::exists(fareFile)) {
        auto read = route::readFareDataFile(fareFile);
        if (auto* e = std::get_if<route::FareDataError>(&read))
            return fail(kBadData, QStringLiteral("the fare data beside the timetable: %1").arg(e->message()));
        fares = std::get<route::FareData>(std::move(read));
    }
    auto result = route::readTimetableFile(path, fares ? std::optional<int>(int(fares->Rows.size())) : std::nullopt);
    if (auto* e = std::get_if<route::TimetableError>(&result)) return fail(kBadData, e->message());
    const auto& rows = std::get<route::Timetable>(result).Rows;
    const int first = rows.front().Depart.value_or(rows.front().Arrive.value_or(0));
    const int last = rows.back().Arrive.value_or(rows.back().Depart.value_or(0));
    QString out = QStringLiteral("%1: timetable, %2 stop(s), %3 to %4 (%5 min)\n")
                      .arg(path, QString::number(rows.size()), route::serviceTimeText(first),
                           route::serviceTimeText(last), QString::number((last - first + 30) / 60));
    if (fares)
        out += QStringLiteral("rows 1..%1 match the fare data beside it, %2\n")
                   .arg(QString::number(rows.size()), QDir::toNativeSeparators(fareFile));
    else if (besideName)
        out += QStringLiteral("note: no fare data beside it (%1): the rows are not checked against the stops\n")
                   .arg(QDir::toNativeSeparators(*besideName));
    else
        out += QStringLiteral("note: not named <route>tt.csv, so no fare data is looked for beside it: the rows are "
                              "not checked against the stops\n");
    out += QStringLiteral("  row  arrive    depart\n");
    auto time = [](const std::optional<int>& t) { return t ? route::serviceTimeText(*t) : QStringLiteral("        "); };
    for (size_t r = 0; r < rows.size(); ++r) {
        QString line = QStringLiteral("  ") + QString::number(r + 1).rightJustified(3) + QStringLiteral("  ") +
                       time(rows[r].Arrive) + QStringLiteral("  ") + time(rows[r].Depart);
        if (fares) line += QStringLiteral("  ") + nameToText(fares->Rows[r].NameBytes);
        while (line.endsWith(u' ')) line.chop(1);
        out += line + u'\n';
    }
    return done(out);
}

// The first line with something on it, without a byte order mark, split at
// its commas and trimmed.
QStringList firstLineFields(const QByteArray& bytes) {
    QString text = QString::fromUtf8(bytes.left(4096));
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    for (const QString& line : text.split(u'\n')) {
        if (line.trimmed().isEmpty()) continue;
        QStringList fields = line.split(u',');
        for (QString& f : fields) f = f.trimmed().toLower();
        return fields;
    }
    return {};
}

// `check` on a file whose name does not say what it is: what its content is.
ToolOutput checkByContent(const QString& path) {
    QByteArray bytes;
    if (auto why = readWhole(path, bytes)) return fail(kBadData, *why);
    const QStringList header = firstLineFields(bytes);
    if (header.size() >= 2 && header[0] == u"stop_name" && header[1] == u"ticket_no") return checkFareCsv(path, bytes);
    if (header == QStringList{QStringLiteral("row"), QStringLiteral("arrive"), QStringLiteral("depart")})
        return checkTimetable(path);
    if (std::holds_alternative<route::FareData>(route::decodeFareData(bytes))) return checkFare(path);
    // Text beyond ASCII that is all UTF-8 is not code page 932: the list
    // tape-from-csv reads.
    const bool utf8 = gtfs::firstNonUtf8Line(bytes) == 0 && std::any_of(bytes.begin(), bytes.end(), [](char c) {
                          return static_cast<unsigned char>(c) >= 0x80;
                      });
    if (utf8) {
        auto list = readAnnouncementList(path, bytes);
        if (auto* entries = std::get_if<std::vector<route::TapeEntry>>(&list))
            return done(announcementList(
                path + QStringLiteral(": announcement list in UTF-8 (tape-from-csv makes the broadcast data file)"),
                *entries));
    } else if (auto tape = route::decodeTapeData(bytes); std::holds_alternative<std::vector<route::TapeEntry>>(tape)) {
        return checkTape(path, std::move(tape));
    }
    return fail(kBadData,
                path + QStringLiteral(": neither its name nor its content says what it is. check reads a fare data "
                                      "file (<route>.hy3), a broadcast data file (<route>tp.csv), a timetable "
                                      "(<route>tt.csv) and the CSV files from-csv, tape-from-csv and "
                                      "timetable-from-csv read; a file named as one of those is checked as that "
                                      "kind, with the exact problem"));
}

ToolOutput check(const QString& path) {
    const auto kind = route::routeFileKind(path);
    if (!kind) return checkByContent(path);
    switch (*kind) {
    case route::RouteFile::FareData:
        return checkFare(path);
    case route::RouteFile::Timetable:
        return checkTimetable(path);
    case route::RouteFile::Broadcast:
        break;
    }
    // Read as the device reads it, with the device's limit.
    return checkTape(path, route::readTapeDataFile(path));
}

ToolOutput show(const QString& path, const QString& stopText) {
    bool ok = false;
    const int stop = stopText.toInt(&ok);
    auto result = route::readFareDataFile(path);
    if (auto* e = std::get_if<route::FareDataError>(&result)) return fail(kBadData, e->message());
    const auto& data = std::get<route::FareData>(result);
    const int n = int(data.Rows.size());
    if (!ok || stop < 1 || stop > n)
        return fail(kUsage, QStringLiteral("--stop must be a stop number from 1 to %1, not \"%2\"").arg(QString::number(n), stopText));
    const auto& rec = data.Rows[size_t(stop - 1)];
    QString out = QStringLiteral("stop %1 of %2: %3 (ticket %4 is issued here)\n")
                      .arg(QString::number(stop), QString::number(n), nameToText(rec.NameBytes),
                           QString::number(rec.TicketNo));
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
    return done(out);
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
    auto list = readAnnouncementList(in, bytes);
    if (auto* why = std::get_if<QString>(&list)) return fail(kBadData, *why);
    if (auto why = writeWhole(outPath, route::encodeTapeData(std::get<std::vector<route::TapeEntry>>(list))))
        return fail(kBadData, *why);
    return {};
}

// A timetable as a person wrote it, checked (against the fare data beside the
// output when it is there) and written as the device reads it.
ToolOutput timetableFromCsv(const QString& in, const QString& outPath) {
    QByteArray bytes;
    if (auto why = readWhole(in, bytes)) return fail(kBadData, *why);
    std::optional<int> fareRows;
    if (const auto fareFile = route::routeFileBeside(outPath, route::RouteFile::FareData)) {
        const QString found = platform::findFileIgnoringCase(*fareFile);
        if (QFileInfo::exists(found)) {
            auto read = route::readFareDataFile(found);
            if (auto* e = std::get_if<route::FareDataError>(&read))
                return fail(kBadData, QStringLiteral("the fare data beside the output: %1").arg(e->message()));
            fareRows = int(std::get<route::FareData>(read).Rows.size());
        }
    }
    auto result = route::decodeTimetable(bytes, fareRows);
    if (auto* e = std::get_if<route::TimetableError>(&result)) {
        e->Path = in;
        return fail(kBadData, e->message());
    }
    if (auto why = route::writeTimetableFile(outPath, std::get<route::Timetable>(result))) return fail(kBadData, *why);
    return {};
}

} // namespace

std::optional<int> routeNumberArg(const QString& text) {
    static const QRegularExpression kRouteNumber(QStringLiteral("^[0-9]{1,5}$"));
    if (!kRouteNumber.match(text).hasMatch()) return std::nullopt;
    const int number = text.toInt();
    return number >= 1 ? std::optional<int>(number) : std::nullopt;
}

QString routeNumberError(const QString& text) {
    return QStringLiteral("--number must be a route number from 1 to 99999, not \"%1\"").arg(text);
}

QString usageText() {
    return QStringLiteral(
        "Usage: ferrotab-data COMMAND FILE [options]\n"
        "\n"
        "Make, inspect and convert Ferrotab route data.\n"
        "\n"
        "Commands:\n"
        "  to-csv ROUTE.hy3 [-o FILE.csv]   fare data file to a UTF-8 CSV (standard output without -o)\n"
        "  from-csv FILE.csv -o ROUTE.hy3   UTF-8 CSV to a fare data file\n"
        "  tape-from-csv FILE.csv -o ROUTEtp.csv\n"
        "                                   UTF-8 announcement list to a broadcast data file (CP932, CR LF)\n"
        "  timetable-from-csv FILE.csv -o ROUTEtt.csv\n"
        "                                   a timetable, checked (against ROUTE.hy3 when it is beside the\n"
        "                                   output) and written as the device reads it\n"
        "      The three -from-csv commands take --number N: -o then names a folder, and the file in it\n"
        "      is named as route setting looks for route N: N.hy3, Ntp.csv, Ntt.csv (N 1..99999).\n"
        "  check FILE                       validate a file and summarise it, or give the exact problem:\n"
        "                                   ROUTE.hy3, ROUTEtp.csv, ROUTEtt.csv (checked against ROUTE.hy3\n"
        "                                   beside it, when it is there); a file named otherwise is known\n"
        "                                   by its content, the CSV files the -from-csv commands read too\n"
        "  show ROUTE.hy3 --stop N          the fares shown at stop N, ticket by ticket\n") +
           gtfsUsageText() +
           QStringLiteral(
        "\n"
        "Fare CSV: a header row stop_name,ticket_no,c1,...,c150, then one row per stop in running order.\n"
        "Column cK (c1..c84) is the fare for numbered ticket K: 0 and above, or -1 (no fare); an empty or\n"
        "missing cell is -1. Columns above c84 are not shown as fares and hold any whole number from -32768\n"
        "to 32767: an information digit may show one, and column c90 holds the advance-sound value the panel\n"
        "uses: 1, 2 or 3 plays advance sound 1, 2 or 3 when the bus reaches the stop, anything else none\n"
        "(the sample device is set up so; the column is chosen under 設定... → サウンド).\n"
        "A name byte with no code page 932 character of its own is written as U+FFFD and two hex digits.\n"
        "\n"
        "Announcement CSV: one line per announcement: text,advance flag,sound flag.\n"
        "Put a text holding a comma in double quotes; a text cannot hold a double quote itself.\n"
        "\n"
        "Timetable (ROUTEtt.csv, UTF-8): the header row,arrive,depart, then one line per stop of the fare\n"
        "data, rows 1, 2, 3, ... in order, times H:MM:SS since the service day's midnight (24:10:00 is after\n"
        "midnight). The first and the last stop may leave one of their times empty; no time is earlier\n"
        "than the one before it.\n"
        "\n"
        "Exit status: 0 done, 1 bad or unreadable data, 2 bad command line.\n");
}

ToolOutput runFareDataTool(const QStringList& rawArgs) {
    if (!rawArgs.isEmpty() && rawArgs.front() == u"gtfs") return runGtfsCommand(rawArgs.mid(1)); // options of its own
    const Args a = parseArgs(rawArgs);
    if (!a.Error.isEmpty()) return fail(kUsage, a.Error);
    if (a.Command.isEmpty()) return fail(kUsage, QStringLiteral("no command given"));
    if (a.Command == u"help") return done(usageText());
    auto needOne = [&](const QString& what) -> std::optional<ToolOutput> {
        if (a.Positional.isEmpty()) return fail(kUsage, QStringLiteral("%1 needs %2").arg(a.Command, what));
        if (a.Positional.size() > 1)
            return fail(kUsage, QStringLiteral("%1 takes one file, got %2").arg(a.Command, QString::number(a.Positional.size())));
        return std::nullopt;
    };
    // The file -o names, or with --number the route's file in the folder -o names.
    auto output = [&](route::RouteFile kind) -> std::variant<QString, ToolOutput> {
        if (a.Output.isEmpty()) return fail(kUsage, QStringLiteral("%1 needs -o OUTPUT").arg(a.Command));
        if (!a.Number) return a.Output;
        const auto number = routeNumberArg(*a.Number);
        if (!number) return fail(kUsage, routeNumberError(*a.Number));
        if (!QDir().mkpath(a.Output)) return fail(kBadData, QStringLiteral("cannot make the folder %1").arg(a.Output));
        return QDir(a.Output).filePath(route::routeFileName(kind, QString::number(*number)));
    };
    using Convert = ToolOutput (*)(const QString&, const QString&);
    const std::tuple<const char16_t*, route::RouteFile, Convert> conversions[] = {
        {u"from-csv", route::RouteFile::FareData, fromCsv},
        {u"tape-from-csv", route::RouteFile::Broadcast, tapeFromCsv},
        {u"timetable-from-csv", route::RouteFile::Timetable, timetableFromCsv},
    };
    for (const auto& [name, kind, convert] : conversions) {
        if (a.Command != name) continue;
        if (auto bad = needOne(QStringLiteral("a .csv file"))) return *bad;
        auto out = output(kind);
        if (auto* bad = std::get_if<ToolOutput>(&out)) return *bad;
        return convert(a.Positional[0], std::get<QString>(out));
    }
    if (a.Number) return fail(kUsage, QStringLiteral("%1 takes no --number").arg(a.Command));
    if (a.Command == u"to-csv") {
        if (auto bad = needOne(QStringLiteral("a .hy3 file"))) return *bad;
        return toCsv(a.Positional[0], a.Output);
    }
    if (a.Command == u"check") {
        if (auto bad = needOne(QStringLiteral("a file"))) return *bad;
        return check(a.Positional[0]);
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
    o.Err = QStringLiteral("ferrotab-data: ") + why + u'\n';
    if (code == kUsage) o.Err += QStringLiteral("Try 'ferrotab-data --help'.\n");
    return o;
}

} // namespace faretool
