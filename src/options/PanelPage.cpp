#include "options/PanelPage.h"

#include "options/OptionWidgets.h"
#include "options/TicketLabels.h"
#include "platform/Cp932.h"
#include "platform_ui/ResourceLibrary.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace options {

PanelPage::PanelPage(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);

    Check1 = new QCheckBox(QStringLiteral("整理券番号自動表示機能を使用"), this);
    layout->addWidget(Check1);

    Frame3 = new QWidget(this);
    auto* frame3 = new QVBoxLayout(Frame3);
    frame3->setContentsMargins(int(1.5 * em(this)), 0, 0, 0);
    auto* colours = new QGroupBox(QStringLiteral("整理券番号のバックライトカラー(文字色)"), Frame3);
    auto* colourRow = new QHBoxLayout(colours);
    const QString modeCaptions[3] = {QStringLiteral("OFF："), QStringLiteral("ON1："), QStringLiteral("ON2：")};
    for (int i = 0; i < 3; ++i) {
        auto* label = caption(modeCaptions[i], colours);
        Command5[size_t(i)] = colourButton(modeCaptions[i], colours);
        label->setBuddy(Command5[size_t(i)]);
        connect(Command5[size_t(i)], &QPushButton::clicked, this, [this, i] { Command5_Click(i); });
        colourRow->addWidget(label);
        colourRow->addWidget(Command5[size_t(i)]);
        colourRow->addSpacing(em(this));
    }
    colourRow->addStretch(1);
    frame3->addWidget(colours);
    auto* schemeRow = new QHBoxLayout;
    auto* schemeLabel = caption(QStringLiteral("整理券番号表示設定"), Frame3);
    Combo2 = new QComboBox(Frame3);
    Combo2->setAccessibleName(schemeLabel->text());
    schemeLabel->setBuddy(Combo2);
    schemeRow->addWidget(schemeLabel);
    schemeRow->addWidget(Combo2);
    schemeRow->addStretch(1);
    frame3->addLayout(schemeRow);
    Check2 = new QCheckBox(QStringLiteral("数字が1桁の番号は頭に0を付け足す"), Frame3);
    frame3->addWidget(Check2);
    layout->addWidget(Frame3);
    layout->addWidget(
        note(QStringLiteral("※ユーザーパネルに直接番号をデザインしている場合には上記チェックをOFFにしてください。"), this));
    layout->addSpacing(em(this) / 2);

    // Panel pictures: the built-in ones, or one chosen per backlight mode.
    Option3[index::kPanelAuto] = new QRadioButton(QStringLiteral("内蔵しているパネルを自動で割り当てる"), this);
    Option3[index::kPanelIndividual] = new QRadioButton(QStringLiteral("個別に設定する"), this);
    group(this, {Option3[index::kPanelAuto], Option3[index::kPanelIndividual]});
    layout->addWidget(Option3[index::kPanelAuto]);
    layout->addWidget(Option3[index::kPanelIndividual]);

    const QString frameCaptions[3] = {QStringLiteral("バックライトOFF時の画像："), QStringLiteral("ON1の画像："),
                                      QStringLiteral("ON2の画像：")};
    auto* frames = new QVBoxLayout;
    frames->setContentsMargins(int(1.5 * em(this)), 0, 0, 0);
    for (size_t mode = 0; mode < index::kModeCount; ++mode) {
        auto* frame = new QGroupBox(frameCaptions[mode], this);
        frame->setFlat(true);
        auto* row = new QHBoxLayout(frame);
        row->setContentsMargins(em(this) / 2, em(this) / 4, 0, 0);
        auto* builtIn = new QRadioButton(QStringLiteral("内蔵"), frame);
        auto* user = new QRadioButton(QStringLiteral("ユーザーパネル"), frame);
        Option3[index::kPanelBuiltIn[mode]] = builtIn;
        Option3[index::kPanelUser[mode]] = user;
        group(this, {builtIn, user});
        txtSelectPanel[mode] = pathBox(frameCaptions[mode], frame);
        Command6[mode] = browseButton(frameCaptions[mode], frame);
        connect(Command6[mode], &QPushButton::clicked, this, [this, mode] { Command6_Click(int(mode)); });
        row->addWidget(builtIn);
        row->addWidget(user);
        row->addWidget(txtSelectPanel[mode], 1);
        row->addWidget(Command6[mode]);
        Frame6[mode] = frame;
        frames->addWidget(frame);
    }
    layout->addLayout(frames);
    layout->addWidget(note(QStringLiteral("※ユーザーパネルには、現在の機種に対応の画像をご使用ください。大きいパネルの場合、"
                                          "はみ出た部分（右・下）が切り取られます。逆に小さいパネルの場合は左上から表示され、"
                                          "余白部分はグレーになりますのでご注意ください。"),
                           this));
    layout->addStretch(1);

    AddComboItem();
    for (QCheckBox* box : {Check1, Check2}) untristateWhenClicked(box);
    connect(Check1, &QCheckBox::stateChanged, this, &PanelPage::updateDependents);
    for (QRadioButton* option : Option3) connect(option, &QRadioButton::toggled, this, &PanelPage::updateDependents);
    // Frames that come and go keep their room, so the dialog does not jump.
    for (QGroupBox* frame : Frame6) {
        QSizePolicy policy = frame->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        frame->setSizePolicy(policy);
    }
}

void PanelPage::AddComboItem() {
    Combo2->clear();
    Combo2->addItems(numberingSchemeItems());
    Combo2->setCurrentIndex(0);
}

void PanelPage::Command5_Click(int index) { GetBtnColor(Command5[size_t(index)]); }

void PanelPage::Command6_Click(int index) {
    static const QByteArray filter =
        chooserFilter({"ビットマップ(*.bmp)", "*.bmp", "GIF画像(*.gif)", "*.gif", "JPEG画像(*.jpg)", "*.jpg"});
    const QByteArray chosen =
        ZelP4Res::Zel3FileDlg(window(), 0, filter, QByteArray(), cp932::encode(QStringLiteral("パネル画像の選択")));
    if (!chosen.isEmpty()) txtSelectPanel[size_t(index)]->setText(cp932::decode(chosen));
}

void PanelPage::updateDependents() {
    Frame3->setEnabled(marked(Check1));
    // The per-mode pictures are there unless the built-in panels are
    // assigned automatically (also when neither way is chosen).
    const bool perMode = !Option3[index::kPanelAuto]->isChecked();
    for (QGroupBox* frame : Frame6) {
        frame->setEnabled(perMode);
        frame->setVisible(perMode);
    }
}

} // namespace options
