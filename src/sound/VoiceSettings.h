#pragma once
// The speaking voice's adjustable qualities, set in the dialog "音声の調節"
// and kept for the run.

namespace sound {

struct VoiceSettings {
    static constexpr int kRateMin = 80, kRateMax = 450, kRateNormal = 175; // words a minute
    static constexpr int kPitchMin = 0, kPitchMax = 100, kPitchNormal = 50;
    static constexpr int kVolumeMin = 0, kVolumeMax = 200, kVolumeNormal = 100; // percent

    int rate = kRateNormal;
    int pitch = kPitchNormal;
    int volume = kVolumeNormal;

    bool operator==(const VoiceSettings&) const = default;
};

} // namespace sound
