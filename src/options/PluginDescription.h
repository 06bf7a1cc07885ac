#pragma once
// How the options dialog describes a numbered-ticket plug-in: the lines of
// its property list, from the information record the plug-in reports.

#include "platform_ui/ResourceLibrary.h"

#include <QStringList>

namespace options {

// Five capability lines ("---> 可能" only for a value of exactly 1), the four
// barcode lines when barcodes are printed, and the company-switching line
// (possible for 1 or more).
QStringList pluginPropertyLines(const ZelP4Res::PlgInfo& info);

} // namespace options
