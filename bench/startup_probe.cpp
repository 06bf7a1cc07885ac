// Starts the program exactly as main() does (identity, locale, Qt's
// translations, message boxes, then the windows), waits until both windows are
// on the screen, then prints the time since the process was started and the
// resident memory, and leaves. Run by bench/startup.sh several times. The
// settings file is looked for in an empty folder, as on a first start.
#include "app/Program.h"
#include "app/Startup.h"
#include "display/Form1.h"
#include "panel/frmCtl.h"
#include "platform/ProgramIdentity.h"
#include "ProcessFigures.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {

// Seconds since the process started, from the kernel's start time.
double secondsSinceProcessStart() {
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly)) return -1;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const double startTicks = fields.value(19).toDouble(); // field 22 overall
    QFile uptime(QStringLiteral("/proc/uptime"));
    if (!uptime.open(QIODevice::ReadOnly)) return -1;
    const double up = uptime.readAll().split(' ').value(0).toDouble();
    return up - startTicks / double(sysconf(_SC_CLK_TCK));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app::prepareApplication(app, argc > 0 ? argv[0] : nullptr);
    QTemporaryDir dir;
    platform::setProgramIdentity({dir.path(), QStringLiteral("probe")});
    Program program;
    program.start();
    if (!QTest::qWaitForWindowExposed(&program.display()) || !QTest::qWaitForWindowExposed(&program.panel()))
        return 1;
    QCoreApplication::processEvents();
    std::printf("shown_after_ms %.1f\nrss_kib %ld\n", secondsSinceProcessStart() * 1000.0, residentKiB());
    std::fflush(stdout);
    std::_Exit(0);
}
