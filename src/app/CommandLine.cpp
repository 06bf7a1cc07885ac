#include "app/CommandLine.h"

#include "platform/ControlFile.h"
#include "platform/ProgramIdentity.h"
#include "protocol/Vocabulary.h"
#include "platform/SettingsPlace.h"

#include <QCommandLineParser>
#include <QHash>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHostAddress>
#include <algorithm>
#include <cstdio>
#include <string_view>

namespace app {

namespace {

// Where the settings go, and the file this device uses.
QString settingsHelp() {
    return QStringLiteral("\n設定は <型番>.in4 に、外部制御の設定は <型番>.control.json に保存します。\n"
                          "プログラムのフォルダに書き込めるときはそのフォルダに、書き込めないとき\n"
                          "（/usr/bin に入れたときなど）は $XDG_CONFIG_HOME/ferrotab/（既定は\n"
                          "~/.config/ferrotab/）に置きます。プログラムのフォルダにある設定ファイルは、\n"
                          "そちらに設定ファイルができるまで読み込みます。\n") +
           platform::settingsFileNote(platform::settingsPlace()) + u'\n';
}

// The sample device's folder: installed, <prefix>/share/ferrotab/sample
// beside <prefix>/bin; in a build tree, build/data/sample.
std::optional<QString> sampleDeviceFolder() {
    const QDir program(QCoreApplication::applicationDirPath());
    for (const char* relative : {"../share/ferrotab/sample", "../../data/sample"}) {
        const QString folder = QDir::cleanPath(program.filePath(QString::fromLatin1(relative)));
        if (QFileInfo::exists(platform::settingsFilePath(folder, kSampleModel))) return folder;
    }
    return std::nullopt;
}

} // namespace

bool asksOnlyForText(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--") return false;
        if (a == "-h" || a == "-?" || a == "--help" || a == "--help-all" || a == "-v" || a == "--version") return true;
    }
    return false;
}

std::variant<CommandLine, QString> parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Ferrotab: 路線バスの運賃表示器と集中操作盤のシミュレータ"));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption control(
        QStringLiteral("control"),
        QStringLiteral("外部制御を開く（既定のポート %1）").arg(platform::control::kDefaultPort));
    const QCommandLineOption port(QStringLiteral("control-port"),
                                  QStringLiteral("外部制御のポート（0 は空いているポート）"),
                                  QStringLiteral("N"));
    const QCommandLineOption listen(QStringLiteral("control-listen"),
                                    QStringLiteral("外部制御を開くアドレス（ネットワークへ開くときだけ）"),
                                    QStringLiteral("ADDRESS"));
    const QCommandLineOption ride(QStringLiteral("ride"),
                                  QStringLiteral("系統を時刻表どおりに自動運行する"), QStringLiteral("ROUTE"));
    // The ride's options are the control interface's "ride" command's, by
    // the same names; what each means is said here, in the program's words.
    const QHash<QString, QString> rideHelp{
        {QStringLiteral("section"), QStringLiteral("自動運行を始める区間")},
        {QStringLiteral("speed"), QStringLiteral("時間の速さ（1 は実時間、60 は1分を1秒で）")},
        {QStringLiteral("interval"), QStringLiteral("時刻表のない系統の停留所の間隔（秒）")},
        {QStringLiteral("maxGap"), QStringLiteral("次の出来事まで待つ最長の実時間（秒）")},
        {QStringLiteral("loop"), QStringLiteral("終点で折り返して繰り返す")},
    };
    const protocol::CommandShape& rideShape = *protocol::findCommand(QStringLiteral("ride"));
    std::vector<std::pair<QCommandLineOption, const protocol::Parameter*>> rideOptions;
    for (const protocol::Parameter& p : rideShape.parameters) {
        if (p.positional) continue;
        QString help = rideHelp.value(p.name, p.name);
        if (p.defaultValue.isValid() && p.kind != protocol::ParameterKind::Switch)
            help += QStringLiteral("（既定 %1）").arg(p.defaultValue.toString());
        rideOptions.emplace_back(p.kind == protocol::ParameterKind::Switch
                                     ? QCommandLineOption(p.name, help)
                                     : QCommandLineOption(p.name, help, p.name.toUpper()),
                                 &p);
    }
    const QCommandLineOption sample(QStringLiteral("sample"),
                                    QStringLiteral("見本の装置（型番 %1）を見本の路線で起動する").arg(kSampleModel));
    const QCommandLineOption fareData(QStringLiteral("fare-data"),
                                      QStringLiteral("この起動だけ運賃データをこのフォルダから読む（設定は変えない）"),
                                      QStringLiteral("DIR"));
    const QCommandLineOption broadcastData(
        QStringLiteral("broadcast-data"),
        QStringLiteral("この起動だけ放送用データをこのフォルダから読む（設定は変えない）"), QStringLiteral("DIR"));
    parser.addOptions({control, port, listen, ride, sample, fareData, broadcastData});
    for (const auto& [option, parameter] : rideOptions) parser.addOption(option);
    if (!parser.parse(arguments)) return parser.errorText();
    if (!parser.positionalArguments().isEmpty())
        return QStringLiteral("知らない引数です: %1").arg(parser.positionalArguments().join(u' '));

    CommandLine line;
    if (parser.isSet(help) || parser.isSet(version)) {
        const platform::ProgramVersion v = platform::programVersion();
        const QString text = parser.isSet(help) ? parser.helpText() + settingsHelp()
                                                : QStringLiteral("Ferrotab %1.%2.%3\n")
                                                      .arg(v.majorVersion)
                                                      .arg(v.minorVersion)
                                                      .arg(v.revision);
        std::fputs(text.toLocal8Bit().constData(), stdout);
        line.helpShown = true;
        return line;
    }
    if (parser.isSet(sample)) {
        line.sampleFolder = sampleDeviceFolder();
        if (!line.sampleFolder) return QStringLiteral("見本の装置が見つかりません（%1）").arg(kSampleModel);
    }
    const std::pair<const QCommandLineOption*, std::optional<QString>*> folders[] = {
        {&fareData, &line.fareDataFolder}, {&broadcastData, &line.broadcastDataFolder}};
    for (const auto& [option, folder] : folders) {
        if (!parser.isSet(*option)) continue;
        const QString path = parser.value(*option);
        if (!QFileInfo(path).isDir())
            return QStringLiteral("--%1 のフォルダがありません: %2").arg(option->names().constFirst(), path);
        *folder = QFileInfo(path).absoluteFilePath();
    }
    // A port or address alone asks for the interface too.
    line.control.enable = parser.isSet(control) || parser.isSet(port) || parser.isSet(listen);
    if (parser.isSet(port)) {
        const QString text = parser.value(port);
        bool ok = !text.isEmpty() && text.size() <= 5 &&
                  std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
        const uint n = ok ? text.toUInt() : 0;
        if (!ok || n > 65535)
            return QStringLiteral("--control-port は 0 から 65535 までの数です: %1").arg(parser.value(port));
        line.control.port = quint16(n);
    }
    if (parser.isSet(listen)) {
        const QString address = parser.value(listen);
        if (!platform::control::isLoopbackListen(address) && QHostAddress(address).isNull())
            return QStringLiteral("--control-listen は IP アドレスです: %1").arg(address);
        line.control.listen = address;
    }
    // The ride's options are checked as the control interface's "ride"
    // command checks its arguments.
    QList<QPair<QString, QString>> args{{QStringLiteral("do"), QStringLiteral("start")}};
    if (parser.isSet(ride)) args.append({QStringLiteral("route"), parser.value(ride)});
    QStringList rideOnly;
    for (const auto& [option, parameter] : rideOptions) {
        rideOnly << QStringLiteral("--") + parameter->name;
        if (!parser.isSet(option)) continue;
        if (!parser.isSet(ride))
            return QStringLiteral("%1 は --ride と共に使います").arg(rideOnly.constLast());
        args.append({parameter->name, parameter->kind == protocol::ParameterKind::Switch ? QStringLiteral("on")
                                                                                         : parser.value(option)});
    }
    if (parser.isSet(ride)) {
        const auto call = protocol::checkedCommand(QStringLiteral("ride"), args);
        if (const auto* refused = std::get_if<protocol::Refusal>(&call)) return refused->message;
        line.ride = std::get<protocol::CommandCall>(call);
    }
    return line;
}

} // namespace app
