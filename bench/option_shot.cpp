// Pictures of the options dialog and of the fare display's backlight modes:
// `option_shot OUT_DIR`. Writes one picture per page of the dialog (the sound
// page with each of its sub-pages, the panel page with individual pictures,
// the preview page with the preview on), then the fare display in OFF, ON1
// and ON2 with the built-in pictures and with user pictures (a smaller one
// and a larger one than the face). Run it under Xvfb, also with
// QT_SCALE_FACTOR=1.5, and look at every picture.
#include "display/Form1.h"
#include "display/M_Degit.h"
#include "options/Backlight.h"
#include "options/frmOption.h"
#include "options/OptionWidgets.h"
#include "platform/Device.h"
#include "platform_ui/QtSeams.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QTest>
#include <cstdio>

namespace {

bool save(QWidget& w, const QString& path) {
    QTest::qWait(50);
    const bool ok = w.grab().save(path);
    if (!ok) std::fprintf(stderr, "could not write %s\n", qPrintable(path));
    else std::printf("%s\n", qPrintable(path));
    return ok;
}

// A user's panel picture: a coloured ground with a caption, so a shot shows
// which picture is up and where it ends.
QString userPicture(const QString& dir, const QString& name, QSize size, QColor ground) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(ground);
    QPainter p(&image);
    p.setPen(Qt::white);
    p.drawRect(image.rect().adjusted(0, 0, -1, -1));
    QFont f = p.font();
    f.setPixelSize(28);
    p.setFont(f);
    p.drawText(image.rect(), Qt::AlignCenter, name);
    p.end();
    const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".bmp");
    image.save(path);
    return path;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    platform_ui::installQtMessageBoxes();
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("shots");
    QDir().mkpath(out);
    const QString scale = qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1"));
    auto name = [&](const QString& what) { return QStringLiteral("%1/%2@%3.png").arg(out, what, scale); };

    Form1 form;
    for (int k = 1; k <= device::kFareCellCount; ++k) {
        form.Degit[size_t(k)]->setDegitStyle(1);
        form.Degit[size_t(k)]->ResetDegit(false);
    }
    for (int k = 1; k <= 8; ++k) form.Degit[size_t(k)]->setValue(160 + (8 - k) * 30);
    form.imgRes[1] = form.imgRes[0];
    form.imgRes[2] = form.imgRes[0];

    frmOption dialog(&form);
    dialog.SetProp();
    dialog.show();
    for (int i = 0; i < 6; ++i) {
        dialog.Option1[size_t(i)]->click();
        save(dialog, name(QStringLiteral("page%1").arg(i)));
    }
    dialog.Option1[4]->click();
    dialog.Option5[1]->click();
    save(dialog, name(QStringLiteral("page4-forward-back")));
    dialog.Option1[1]->click();
    dialog.Option3[1]->click();
    save(dialog, name(QStringLiteral("page1-individual")));
    dialog.Option1[5]->click();
    dialog.chkUseSeiriPrev->click();
    save(dialog, name(QStringLiteral("page5-preview-on")));
    dialog.hide();

    form.move(0, 0);
    form.show();
    dialog.Option3[0]->click();
    for (std::int16_t mode = 0; mode < 3; ++mode) {
        options::applyBacklightMode(dialog.backlightLook(mode), form, mode);
        save(form, name(QStringLiteral("display-builtin-%1").arg(mode)));
    }
    const QString pictures = out + QStringLiteral("/pictures");
    QDir().mkpath(pictures);
    dialog.Option3[1]->click();
    dialog.Option3[6]->click();
    dialog.Option3[2]->click();
    dialog.Option3[5]->click();
    dialog.txtSelectPanel[0]->setText(userPicture(pictures, QStringLiteral("USER-OFF"), {806, 307}, QColor(20, 40, 90)));
    dialog.txtSelectPanel[1]->setText(userPicture(pictures, QStringLiteral("USER-ON1-small"), {600, 220}, QColor(30, 90, 40)));
    dialog.txtSelectPanel[2]->setText(userPicture(pictures, QStringLiteral("USER-ON2-large"), {1000, 400}, QColor(110, 40, 30)));
    for (std::int16_t mode = 0; mode < 3; ++mode) {
        options::applyBacklightMode(dialog.backlightLook(mode), form, mode);
        save(form, name(QStringLiteral("display-user-%1").arg(mode)));
    }
    return 0;
}
