// What a scrolling stop name costs: CPU time of this process (from
// /proc/self/stat) and canvas repaints per second over 10 seconds while a
// long name runs through the strip, with the real clock and event loop.
//
//   bench_chimei_scroll [--seconds N] [--png FILE]
//
// --png also saves a picture of the strip with a six-character name beside
// the long name caught mid-scroll.
#include "display/ChimeiCtl_B.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QPainter>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

namespace {

// utime + stime of this process, in clock ticks.
long long cpuTicks() {
    QFile f(QStringLiteral("/proc/self/stat"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const QByteArray stat = f.readAll();
    // Fields after the command name, which is in parentheses and may hold spaces.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13) return -1;
    return fields[11].toLongLong() + fields[12].toLongLong(); // fields 14 and 15 of the line
}

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int seconds = 10;
    QString png;
    for (int i = 1; i + 1 < argc; ++i) {
        if (qstrcmp(argv[i], "--seconds") == 0) seconds = QByteArray(argv[++i]).toInt();
        else if (qstrcmp(argv[i], "--png") == 0) png = QString::fromLocal8Bit(argv[++i]);
    }

    const QString longName = QString::fromUtf8("市立中央病院前・ふれあい交流センター経由　駅前ターミナル行");
    QWidget window;
    window.setStyleSheet(QStringLiteral("background: black"));
    auto* layout = new QHBoxLayout(&window);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(12);
    auto* standing = new ChimeiCtl_B;
    auto* strip = new ChimeiCtl_B;
    display::PropertyBag flat;
    flat.set(QStringLiteral("appearance"), 0);
    for (ChimeiCtl_B* s : {standing, strip}) {
        s->ReadProperties(flat);
        s->setFixedSize(35, 192);
        layout->addWidget(s);
    }
    window.show();
    standing->SetChimei(QString::fromUtf8("中央病院前駅"));

    PaintCounter counter;
    QWidget* canvas = strip->findChild<QWidget*>(QStringLiteral("Picture1"));
    if (canvas) canvas->installEventFilter(&counter);

    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    const int warmUpMs = 2500; // past the start wait
    long long ticks0 = 0;
    int paints0 = 0;
    QElapsedTimer wall;
    QTimer::singleShot(warmUpMs, [&] {
        ticks0 = cpuTicks();
        paints0 = counter.paints;
        wall.start();
    });
    QTimer::singleShot(warmUpMs + seconds * 1000, [&] {
        const double elapsed = double(wall.nsecsElapsed()) / 1e9;
        const double cpu = double(cpuTicks() - ticks0) / double(ticksPerSecond);
        std::printf("scroll of a %d-character name, Speed %d, %.1f s measured\n", int(longName.size()),
                    strip->Speed(), elapsed);
        std::printf("CPU: %.2f %% of one core\n", 100.0 * cpu / elapsed);
        std::printf("frames: %.1f repaints of the canvas per second\n", double(counter.paints - paints0) / elapsed);
        std::printf("speed: %.1f pixels per second (nominal)\n",
                    ChimeiCtl_B::kScrollPassesPerSecond * strip->Speed() / 200.0);
        if (!png.isEmpty()) {
            window.grab().save(png);
            std::printf("picture: %s\n", qPrintable(png));
        }
        strip->SetChimei(QStringLiteral("X")); // ends the loop
        app.quit();
    });
    QTimer::singleShot(0, [&] { strip->SetChimei(longName); });
    return app.exec();
}
