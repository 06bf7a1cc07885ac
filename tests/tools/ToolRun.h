#pragma once
// Runs ferrotab-data as a command line would: the words of `line`, each "%" in
// a word taking the next of `paths` (so a path with spaces stays one argument).
#include "tools/FareDataTool.h"

#include <QStringList>

inline faretool::ToolOutput runTool(const QString& line, const QStringList& paths = {}) {
    QStringList args;
    qsizetype next = 0;
    for (QString word : line.split(u' ', Qt::SkipEmptyParts))
        args << (word.contains(u'%') ? word.replace(u'%', paths.value(next++)) : word);
    return faretool::runFareDataTool(args);
}
