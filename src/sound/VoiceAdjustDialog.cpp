#include "sound/VoiceAdjustDialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace sound {

namespace {

QSlider* addRow(QGridLayout* grid, int row, const QString& caption, int minimum, int maximum, int step,
                QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setRange(minimum, maximum);
    slider->setSingleStep(step);
    slider->setPageStep(step * 5);
    slider->setMinimumWidth(220);
    slider->setAccessibleName(caption);
    label->setBuddy(slider);
    auto* value = new QLabel(parent);
    value->setMinimumWidth(40);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QObject::connect(slider, &QSlider::valueChanged, value, [value](int v) { value->setNum(v); });
    grid->addWidget(label, row, 0);
    grid->addWidget(slider, row, 1);
    grid->addWidget(value, row, 2);
    return slider;
}

} // namespace

VoiceAdjustDialog::VoiceAdjustDialog(QWidget* owner, const QString& title, const VoiceSettings& current,
                                     std::function<void(const VoiceSettings&)> trial)
    : QDialog(owner), trial_(std::move(trial)) {
    setWindowTitle(title);
    setModal(true);

    auto* grid = new QGridLayout;
    using V = VoiceSettings;
    rateSlider = addRow(grid, 0, QStringLiteral("速さ"), V::kRateMin, V::kRateMax, 5, this);
    pitchSlider = addRow(grid, 1, QStringLiteral("高さ"), V::kPitchMin, V::kPitchMax, 1, this);
    volumeSlider = addRow(grid, 2, QStringLiteral("音量"), V::kVolumeMin, V::kVolumeMax, 5, this);

    trialButton = new QPushButton(QStringLiteral("試聴"), this);
    standardButton = new QPushButton(QStringLiteral("標準に戻す"), this);
    okButton = new QPushButton(QStringLiteral("OK"), this);
    cancelButton = new QPushButton(QStringLiteral("キャンセル"), this);
    okButton->setDefault(true);
    trialButton->setEnabled(bool(trial_));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(trialButton);
    buttons->addWidget(standardButton);
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons);

    connect(trialButton, &QPushButton::clicked, this, [this] {
        if (trial_) trial_(settings());
    });
    connect(standardButton, &QPushButton::clicked, this, [this] { setSettings(VoiceSettings{}); });
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    setSettings(current);
    // The value labels show their numbers from the start.
    for (QSlider* s : {rateSlider, pitchSlider, volumeSlider}) emit s->valueChanged(s->value());
}

VoiceSettings VoiceAdjustDialog::settings() const {
    return VoiceSettings{rateSlider->value(), pitchSlider->value(), volumeSlider->value()};
}

void VoiceAdjustDialog::setSettings(const VoiceSettings& s) {
    rateSlider->setValue(s.rate);
    pitchSlider->setValue(s.pitch);
    volumeSlider->setValue(s.volume);
}

} // namespace sound
