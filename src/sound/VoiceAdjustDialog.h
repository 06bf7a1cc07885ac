#pragma once
// The speech engine's voice adjustment dialog: speed, pitch and volume of
// the voice, a button that speaks a sample with the values as they stand,
// one that puts back the standard values, OK and キャンセル.

#include "sound/VoiceSettings.h"

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;
class QSlider;

namespace sound {

class VoiceAdjustDialog : public QDialog {
    Q_OBJECT
public:
    // `trial` speaks a sample with the settings given; may be empty.
    VoiceAdjustDialog(QWidget* owner, const QString& title, const VoiceSettings& current,
                      std::function<void(const VoiceSettings&)> trial = {});

    VoiceSettings settings() const;
    void setSettings(const VoiceSettings& settings);

    QSlider* rateSlider = nullptr;   // 速さ
    QSlider* pitchSlider = nullptr;  // 高さ
    QSlider* volumeSlider = nullptr; // 音量
    QPushButton* trialButton = nullptr;    // 試聴
    QPushButton* standardButton = nullptr; // 標準に戻す
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

private:
    std::function<void(const VoiceSettings&)> trial_;
};

} // namespace sound
