// Draws a numbered ticket from a plug-in file and saves it, as the panel's
// preview would show it and three times larger, for looking at the details:
//
//   ticket_shot PLUGIN.4SP OUT.png [STOP NAME] [TICKET] [ROUTE] [STOP ORDER] [COMPANY]
//
// A file that is not a plug-in gives the reason and exit status 1.
#include "platform/Cp932.h"
#include "ticket/TicketPlugin.h"
#include "platform_ui/ResourceLibrary.h"

#include <QApplication>
#include <QDateTime>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: ticket_shot PLUGIN.4SP OUT.png [STOP NAME] [TICKET] [ROUTE] [STOP ORDER] [COMPANY]\n");
        return 2;
    }
    const QString pluginPath = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    const QString stop = argc > 3 ? QString::fromUtf8(argv[3]) : QStringLiteral("桜川駅（北口）");
    const auto ticketNo = std::int16_t(argc > 4 ? std::atoi(argv[4]) : 12);
    const std::int32_t route = argc > 5 ? std::atoi(argv[5]) : 1;
    const auto order = std::int16_t(argc > 6 ? std::atoi(argv[6]) : ticketNo);
    const std::int32_t company = argc > 7 ? std::atoi(argv[7]) : 0;

    if (const auto read = ticket::loadTicketPlugin(pluginPath); std::holds_alternative<ticket::PluginError>(read)) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(pluginPath), qPrintable(std::get<ticket::PluginError>(read).message()));
        return 1;
    }
    const QByteArray path = cp932::encode(pluginPath);
    ZelP4Res::PlgInfo info;
    ZelP4Res::ZEL4_GetPlgInfo(path, info);
    QImage image(info.PreviewWidth, info.PreviewHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QByteArray stopName = cp932::encode(stop);
    const QDateTime now = QDateTime::currentDateTime();
    ZelP4Res::ZEL4_DrawSeiriken(path, &image, stopName, cp932::encode(now.date().toString(QStringLiteral("MM-dd-yyyy"))),
                                cp932::encode(now.time().toString(QStringLiteral("HH:mm:ss"))), route, ticketNo, order,
                                company);

    // Side by side: as shown, and three times larger without smoothing.
    QImage sheet(image.width() * 4 + 30, image.height() * 3 + 20, QImage::Format_RGB32);
    sheet.fill(QColor(0x9A, 0xA0, 0xA6));
    QPainter p(&sheet);
    p.drawImage(10, 10, image);
    p.drawImage(QRect(image.width() + 20, 10, image.width() * 3, image.height() * 3), image);
    p.end();
    if (!sheet.save(out)) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(out));
        return 1;
    }
    return 0;
}
