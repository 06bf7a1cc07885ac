#pragma once
// Where everything sits on the fare display, in pixels of the 806 x 307 face.
// The layout is given in twips; these functions turn it into pixels once.

#include "platform/Device.h"

#include <QRect>
#include <array>

namespace display {

using device::kFareCellCount;
using device::kGridColumns;
using device::kGridRows;

// Fare cell k (1..84): row (k - 1) / 12, column (k - 1) % 12.
QRect fareCellRect(int k);
// The numbered-ticket label above fare cell k.
QRect ticketLabelRect(int k);
// The stop-name strip at the left.
QRect stopNameRect();
// The hidden cells and label of the layout.
QRect hiddenCellRect();     // Degit(0)
QRect hiddenLabelRect();    // lblSeiriNum(0)
QRect clockCellRect(int i); // TimeDegit(0) hours, TimeDegit(1) minutes

} // namespace display
