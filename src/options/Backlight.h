#pragma once
// The fare display's backlight modes OFF (0), ON1 (1) and ON2 (2). Each mode
// has its own panel picture (the built-in one, or a picture file of the
// user's) and its own colour for the ticket-number labels; both live in the
// options dialog. The fare cells and the stop-name strip keep their colours
// in every mode.

#include "platform/Color.h"

#include <QImage>
#include <QString>
#include <cstdint>
#include <optional>

class Form1;
class QWidget;

namespace options {

// The operation panel's backlight buttons, as the options dialog sees them:
// it asks which mode is selected and has the mode applied again after its
// settings changed.
class BacklightSwitch {
public:
    virtual ~BacklightSwitch() = default;
    // 0 when OFF is selected, else 1 when ON1 is, else 2.
    virtual std::int16_t selectedBacklightMode() const = 0;
    // What selecting the mode does (applyBacklightMode), run for the mode.
    virtual void Option4_Click(std::int16_t index) = 0;
};

// Why a picture file could not be loaded, and the error numbers the message
// shows for it (the classic run-time's numbering).
enum class PictureFault {
    FileNotFound,  // 53
    PathNotFound,  // 76
    AccessDenied,  // 75: no permission, or not a file that can be opened
    DeviceError,   // 57: reading failed part-way
    DeviceMissing, // 68: the system ran out of file handles or the like
    NotAPicture,   // 481: the content is no picture that can be read
    OutOfMemory,   // 7: the picture is too large to hold
};
int pictureErrorNumber(PictureFault fault);

// The message for a picture that failed to load with error `code`: the
// reason follows the number for the codes that have one.
QString pictureErrorText(int code);

// The largest panel picture file read. The panel is some hundreds of pixels
// wide; even an uncompressed 24-bit bitmap of 3,800 by 2,900 pixels fits in
// this, so a larger file is a mistaken choice and is refused as too large to
// hold, before any of it is decoded.
inline constexpr qint64 kMaxPictureFileBytes = qint64(32) << 20;

// Loads a panel picture file at its own size. On failure the image is null
// and `error` holds the error number.
struct PictureLoad {
    QImage image;
    int error = 0;
};
PictureLoad loadPanelPicture(const QString& path);

// What a backlight mode shows besides the fare cells: the colour of the
// ticket-number labels, and the user's picture file when the mode uses one
// (else the built-in picture of the mode).
struct BacklightLook {
    platform::Color labelColour = 0;
    std::optional<QString> userPicture;
};

// Selecting backlight mode `index` (0..2): the display gets the mode's panel
// picture and all 84 ticket-number labels the mode's colour. A user picture
// whose file is gone leaves the picture as it is, silently; one that fails to
// load shows the error message (owned by `owner`) and leaves the picture as
// it is. The labels are recoloured in every case.
void applyBacklightMode(const BacklightLook& look, Form1& display, std::int16_t index, QWidget* owner = nullptr);

} // namespace options
