#include "options/PluginDescription.h"

namespace options {

namespace {

QString possible(bool yes) { return yes ? QStringLiteral("---> 可能") : QStringLiteral("---> 不可"); }

} // namespace

QStringList pluginPropertyLines(const ZelP4Res::PlgInfo& info) {
    QStringList lines = {
        QStringLiteral("日付の印字 ") + possible(info.CanPrintDate == 1),
        QStringLiteral("時刻の印字 ") + possible(info.CanPrintTime == 1),
        QStringLiteral("系統番号の印字 ") + possible(info.CanPrintRoute == 1),
        QStringLiteral("停名の印字 ") + possible(info.CanPrintStop == 1),
        QStringLiteral("バーコード印字 ") + possible(info.CanPrintBarcode == 1),
    };
    if (info.CanPrintBarcode == 1) {
        lines << QStringLiteral("バーコード本数 ---> ") + QString::number(info.BarcodeCount);
        lines << QStringLiteral("バーコード系統方式 ") +
                     (info.BarcodeMode == 1 ? QStringLiteral("---> 連番式") : QStringLiteral("---> 系統番号＋往復フラグ"));
        lines << QStringLiteral("設定可能な系統範囲 ") + QStringLiteral("---> 1 ～ ") + QString::number(info.RouteMax);
        lines << QStringLiteral("停留所認識範囲 ---> ") + QString::number(info.StopMin) + QStringLiteral(" ～ ") +
                     QString::number(info.StopMax);
    }
    lines << QStringLiteral("社名切り替え:") + possible(info.CorpSwitch >= 1);
    return lines;
}

} // namespace options
