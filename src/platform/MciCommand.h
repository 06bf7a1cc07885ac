#pragma once
// The multimedia command strings the program sends to its sound slots, in
// the form of the classic command-string interface:
//
//   open "<path>" type waveaudio|mpegvideo|sequencer alias <alias> wait
//   play <alias> from 0 [wait]
//   stop <alias>
//   close <alias>
//
// Only these four forms are understood. Keywords are matched without regard
// to case, as the classic interface does; tokens may be separated by more
// than one space. The path must be enclosed in double quotes and cannot hold
// one: a path with a quote in it could otherwise close the quotes early and
// smuggle keywords of its own into the command, so such a command is refused
// as a whole rather than split.

#include <QString>
#include <optional>

namespace platform::mci {

// Error codes in the classic interface's numbering; 0 is success.
inline constexpr int kUnrecognizedKeyword = 259;
inline constexpr int kUnrecognizedCommand = 261;
inline constexpr int kHardware = 262;
inline constexpr int kInvalidDeviceName = 263; // no device open under that alias
inline constexpr int kCannotLoadDriver = 266;
inline constexpr int kFileNotFound = 275;
inline constexpr int kDuplicateAlias = 289;
inline constexpr int kInvalidFile = 296; // the file is not of the device's kind, or is damaged

enum class DeviceType { WaveAudio, MpegVideo, Sequencer };

struct Command {
    enum class Verb { Open, Play, Stop, Close };
    Verb verb = Verb::Close;
    QString alias;
    QString path;                             // Open only
    DeviceType type = DeviceType::WaveAudio;  // Open only
    bool wait = false;                        // Open (always) and Play: return only when done

    bool operator==(const Command&) const = default;
};

// The command a text stands for, or nothing when the text is not exactly one
// of the four forms (an unknown verb or keyword, a missing or extra part, a
// third quote, an empty path or alias).
std::optional<Command> parseCommand(const QString& text);

// The keyword of a device type as it stands after "type".
QString typeKeyword(DeviceType type);

} // namespace platform::mci
