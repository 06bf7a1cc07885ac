#include "app/CommandLine.h"

#include "platform/ControlFile.h"
#include "platform/ProgramIdentity.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>
#include <algorithm>
#include <cstdio>

namespace app {

namespace {

// The options the program knows, ready to parse.
struct Options {
    QCommandLineParser parser;
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption control{
        QStringLiteral("control"),
        QStringLiteral("外部制御を開く（既定のポート %1）").arg(platform::control::kDefaultPort)};
    const QCommandLineOption port{QStringLiteral("control-port"),
                                  QStringLiteral("外部制御のポート（0 は空いているポート）"),
                                  QStringLiteral("N")};
    const QCommandLineOption listen{QStringLiteral("control-listen"),
                                    QStringLiteral("外部制御を開くアドレス（ネットワークへ開くときだけ）"),
                                    QStringLiteral("ADDRESS")};
    const QCommandLineOption ride{QStringLiteral("ride"), QStringLiteral("系統を時刻表どおりに自動運行する"),
                                  QStringLiteral("ROUTE")};
    const QCommandLineOption section{QStringLiteral("section"),
                                     QStringLiteral("自動運行を始める区間（既定 1）"), QStringLiteral("N")};
    const QCommandLineOption speed{QStringLiteral("speed"),
                                   QStringLiteral("時間の速さ（1 は実時間、60 は1分を1秒で）"),
                                   QStringLiteral("X")};
    const QCommandLineOption interval{QStringLiteral("interval"),
                                      QStringLiteral("時刻表のない系統の停留所の間隔（秒、既定 60）"),
                                      QStringLiteral("S")};
    const QCommandLineOption maxGap{QStringLiteral("max-gap"),
                                    QStringLiteral("次の出来事まで待つ最長の実時間（秒、既定 30）"),
                                    QStringLiteral("S")};
    const QCommandLineOption loop{QStringLiteral("loop"), QStringLiteral("終点で折り返して繰り返す")};

    Options() {
        parser.setApplicationDescription(
            QStringLiteral("Ferrotab: 路線バスの運賃表示器と集中操作盤のシミュレータ"));
        parser.addOptions({control, port, listen, ride, section, speed, interval, maxGap, loop});
    }
};

} // namespace

std::optional<int> answerWithoutWindows(int& argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    Options options;
    if (!options.parser.parse(arguments) ||
        !(options.parser.isSet(options.help) || options.parser.isSet(options.version)))
        return std::nullopt;
    // Printing needs no window system, only the program's name for the
    // usage line.
    const QCoreApplication application(argc, argv);
    const auto line = parseCommandLine(QCoreApplication::arguments());
    if (const auto* why = std::get_if<QString>(&line)) {
        std::fprintf(stderr, "ferrotab: %s\n", why->toLocal8Bit().constData());
        return 2;
    }
    return 0;
}

std::variant<CommandLine, QString> parseCommandLine(const QStringList& arguments) {
    Options options;
    QCommandLineParser& parser = options.parser;
    if (!parser.parse(arguments)) return parser.errorText();
    if (!parser.positionalArguments().isEmpty())
        return QStringLiteral("知らない引数です: %1").arg(parser.positionalArguments().join(u' '));

    CommandLine line;
    if (parser.isSet(options.help) || parser.isSet(options.version)) {
        const platform::ProgramVersion v = platform::programVersion();
        const QString text = parser.isSet(options.help) ? parser.helpText()
                                                        : QStringLiteral("Ferrotab %1.%2.%3\n")
                                                              .arg(v.majorVersion)
                                                              .arg(v.minorVersion)
                                                              .arg(v.revision);
        std::fputs(text.toLocal8Bit().constData(), stdout);
        line.helpShown = true;
        return line;
    }
    // A port or address alone asks for the interface too.
    line.control.enable =
        parser.isSet(options.control) || parser.isSet(options.port) || parser.isSet(options.listen);
    if (parser.isSet(options.port)) {
        const QString text = parser.value(options.port);
        bool ok = !text.isEmpty() && text.size() <= 5 &&
                  std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
        const uint n = ok ? text.toUInt() : 0;
        if (!ok || n > 65535)
            return QStringLiteral("--control-port は 0 から 65535 までの数です: %1")
                .arg(parser.value(options.port));
        line.control.port = quint16(n);
    }
    if (parser.isSet(options.listen)) {
        const QString address = parser.value(options.listen);
        if (!platform::control::isLoopbackListen(address) && QHostAddress(address).isNull())
            return QStringLiteral("--control-listen は IP アドレスです: %1").arg(address);
        line.control.listen = address;
    }
    // The ride's options are checked as the control interface's "ride"
    // command checks its arguments.
    const std::pair<const QCommandLineOption*, const char*> rideArguments[] = {
        {&options.ride, "route"},
        {&options.section, "section"},
        {&options.speed, "speed"},
        {&options.interval, "interval"},
        {&options.maxGap, "maxgap"}};
    QList<QPair<QString, QString>> args{{QStringLiteral("do"), QStringLiteral("start")}};
    for (const auto& [option, name] : rideArguments)
        if (parser.isSet(*option)) args.append({QString::fromLatin1(name), parser.value(*option)});
    if (parser.isSet(options.loop)) args.append({QStringLiteral("loop"), QStringLiteral("1")});
    if (args.size() > 1 && !parser.isSet(options.ride))
        return QStringLiteral("--section, --speed, --interval, --max-gap, --loop は --ride と共に使います");
    if (parser.isSet(options.ride)) {
        const auto call = protocol::checkedCommand(QStringLiteral("ride"), args);
        if (const auto* refused = std::get_if<protocol::Refusal>(&call)) return refused->message;
        line.ride = std::get<protocol::CommandCall>(call);
    }
    return line;
}

} // namespace app
