#pragma once
// The built-in panel picture: the face of the fare display, drawn by code to
// the same grid as the cells, labels and stop-name strip that sit on it.

#include <QImage>

namespace display {

// 806 x 307: black panel with rounded corners on a light grey frame, one
// window per fare cell (a dark label strip over a grey digit window with faint
// segment outlines), the caption 整理券番号→ and the vertical captions 運賃は
// and まで around the stop-name strip.
QImage builtInPanelPicture();

} // namespace display
