// Shows the fare display with believable fares, ticket numbers and a stop
// name, and saves a picture of it: `display_shot OUT.png [STOP NAME] [MS]`.
// A long name is caught mid-scroll after MS milliseconds (default 1800).
// Under Xvfb the window is real and can also be captured from outside.
#include "display/ChimeiCtl_B.h"
#include "display/Form1.h"
#include "display/M_Degit.h"
#include "platform/Device.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("display.png");
    const QString name = argc > 2 ? QString::fromUtf8(argv[2]) : QStringLiteral("中央病院前");
    const int ms = argc > 3 ? std::atoi(argv[3]) : 1800;

    Form1 form;
    for (int k = 1; k <= device::kFareCellCount; ++k) {
        form.Degit[size_t(k)]->setDegitStyle(1);
        form.Degit[size_t(k)]->ResetDegit(false);
        form.lblSeiriNum[size_t(k)]->setText(QString::number(k));
    }
    // A bus at its eighth stop: tickets 1..8 have fares rising with distance,
    // the others have none yet.
    for (int k = 1; k <= 8; ++k) form.Degit[size_t(k)]->setValue(160 + (8 - k) * 30);
    form.move(0, 0);
    form.applyRoundRegion();
    form.show();

    QTimer::singleShot(ms, [&] {
        if (!form.grab().save(out)) std::fprintf(stderr, "could not write %s\n", qPrintable(out));
        std::fflush(nullptr);
        std::_Exit(0);
    });
    // SetChimei returns only when a long name's scroll loop ends, so it runs
    // from the event loop and the shot is taken from inside the scroll.
    QTimer::singleShot(50, [&] { form.ChimeiCtl->SetChimei(name); });
    return QApplication::exec();
}
