// The program's command line: the control interface's switches, a refusal
// with a reason for anything else, and the answers that need no display.
#include "app/CommandLine.h"

#include <QProcess>
#include <gtest/gtest.h>

TEST(CommandLine, SwitchesTheInterfaceOnOrSaysWhatIsWrong) {
    const auto parse = [](QStringList args) {
        args.prepend(QStringLiteral("ferrotab"));
        return app::parseCommandLine(args);
    };
    EXPECT_FALSE(std::get<app::CommandLine>(parse({})).control.enable);
    const auto on = std::get<app::CommandLine>(parse({QStringLiteral("--control")})).control;
    EXPECT_TRUE(on.enable && !on.port && !on.listen);
    const auto port =
        std::get<app::CommandLine>(parse({QStringLiteral("--control-port"), QStringLiteral("0")})).control;
    EXPECT_TRUE(port.enable);
    EXPECT_EQ(port.port, quint16(0));
    const auto open =
        std::get<app::CommandLine>(parse({QStringLiteral("--control-listen=192.168.1.5")})).control;
    EXPECT_EQ(open.listen, QStringLiteral("192.168.1.5"));
    for (const QStringList& bad :
         {QStringList{QStringLiteral("--fly")}, QStringList{QStringLiteral("route.hy3")},
          QStringList{QStringLiteral("--control-port"), QStringLiteral("70000")},
          QStringList{QStringLiteral("--control-port"), QStringLiteral("+80")},
          QStringList{QStringLiteral("--control-listen"), QStringLiteral("myhost")}})
        EXPECT_FALSE(std::get<QString>(parse(bad)).isEmpty()) << bad.join(u' ').toStdString();
}

TEST(CommandLine, HelpAndVersionNeedNoDisplay) {
    // As on a server or over ssh: no display to open, no platform asked for.
    auto environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    for (const QString& option : {QStringLiteral("--help"), QStringLiteral("--version")}) {
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(FERROTAB_PROGRAM), {option});
        ASSERT_TRUE(program.waitForFinished(30000)) << option.toStdString();
        const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << option.toStdString();
        EXPECT_EQ(program.exitCode(), 0) << option.toStdString() << program.readAllStandardError().toStdString();
        EXPECT_TRUE(out.contains(option == u"--help" ? QStringLiteral("--control-port") : QStringLiteral("Ferrotab 4.")))
            << out.toStdString();
    }
}
