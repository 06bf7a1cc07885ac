// Draws a row of digit cells for every style in every size and saves the
// picture, for looking at the lamps by eye: `degit_gallery OUT.png`. An
// enlarged copy (OUT-x4.png) shows single pixels.
#include "display/M_Degit.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("degit-gallery.png");

    constexpr int kGap = 8;
    const std::vector<QVariant> values = {QStringLiteral("8888"), 1234, 567, 90, -1, QStringLiteral(" -  ")};
    int width = 0, height = kGap;
    for (int size = 0; size < 4; ++size) {
        const QSize d = M_Degit::digitPixelSize(size);
        width = std::max<int>(width, kGap + int(values.size()) * (d.width() * 4 + kGap));
        height += 3 * (d.height() + kGap);
    }
    QImage gallery(width, height, QImage::Format_RGB32);
    gallery.fill(qRgb(24, 24, 24));
    QPainter p(&gallery);
    int y = kGap;
    for (int size = 0; size < 4; ++size) {
        for (int style = 0; style < 3; ++style) {
            int x = kGap;
            for (const QVariant& v : values) {
                M_Degit cell;
                cell.setDegitSize(std::int16_t(size));
                cell.setDegitStyle(std::int16_t(style));
                cell.setZeroMode(1);
                cell.setValue(v);
                p.drawImage(x, y, cell.grab().toImage());
                x += cell.width() + kGap;
            }
            y += M_Degit::digitPixelSize(size).height() + kGap;
        }
    }
    p.end();

    QString enlarged = out;
    enlarged.insert(out.endsWith(QLatin1String(".png"), Qt::CaseInsensitive) ? out.size() - 4 : out.size(),
                    QStringLiteral("-x4"));
    const bool saved =
        gallery.save(out) &&
        gallery.scaled(gallery.size() * 4, Qt::IgnoreAspectRatio, Qt::FastTransformation).save(enlarged);
    if (!saved) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(out));
        return 1;
    }
    std::printf("%s\n%s\n", qPrintable(out), qPrintable(enlarged));
    return 0;
}
