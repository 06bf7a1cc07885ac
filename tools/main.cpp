// ferrotab-data: see FareDataTool.h.
#include "tools/FareDataTool.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    const faretool::ToolOutput result = faretool::runFareDataTool(args);
    if (!result.Out.isEmpty()) std::fwrite(result.Out.constData(), 1, size_t(result.Out.size()), stdout);
    if (!result.Err.isEmpty()) std::fputs(result.Err.toLocal8Bit().constData(), stderr);
    return result.ExitCode;
}
