#include "options/SoundsPage.h"

#include "options/OptionWidgets.h"
#include "platform/Cp932.h"
#include "platform_ui/ResourceLibrary.h"
#include "route/FareTable.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace options {

using namespace index;

SoundsPage::SoundsPage(QWidget* parent) : QWidget(parent) {
    auto* pageLayout = new QVBoxLayout(this);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    auto* frame = new QGroupBox(QStringLiteral("サウンド（鳴らさなくてもいい項目にはファイル名を入れないで下さい）"), this);
    pageLayout->addWidget(frame);
    auto* layout = new QVBoxLayout(frame);

    auto soundBox = [&](size_t i, const QString& name, QWidget* parent) {
        txtSelectSound[i] = pathBox(name, parent);
        cmdSelectSound[i] = browseButton(name, parent);
        connect(cmdSelectSound[i], &QPushButton::clicked, this, [this, i] { cmdSelectSound_Click(int(i)); });
    };
    auto* fixed = new QGridLayout;
    const QString fixedCaptions[2] = {QStringLiteral("系統設定時のサウンド："), QStringLiteral("リセット時のサウンド：")};
    for (size_t i : {kSoundRouteSet, kSoundKey}) {
        soundBox(i, fixedCaptions[i], frame);
        fixed->addWidget(caption(fixedCaptions[i], frame), int(i), 0);
        fixed->addWidget(txtSelectSound[i], int(i), 1);
        fixed->addWidget(cmdSelectSound[i], int(i), 2);
    }
    fixed->setColumnStretch(1, 1);
    layout->addLayout(fixed);

    auto* subSelectors = new QHBoxLayout;
    const QString subCaptions[2] = {QStringLiteral("放送前のサウンド..."), QStringLiteral("送り・戻し時のサウンド...")};
    auto* subGroup = new QButtonGroup(this);
    for (int i = 0; i < 2; ++i) {
        Option5[size_t(i)] = new PageButton(subCaptions[i], frame);
        subGroup->addButton(Option5[size_t(i)]);
        connect(Option5[size_t(i)], &QAbstractButton::toggled, this, [this, i](bool on) {
            if (on) Option5_Click(i);
        });
        subSelectors->addWidget(Option5[size_t(i)]);
    }
    subSelectors->addStretch(1);
    layout->addLayout(subSelectors);

    soundPages = new QStackedWidget(frame);
    layout->addWidget(soundPages);

    // Three sounds chosen by a value 1..3, first sound box `first`.
    auto byValue = [&](QWidget* parent, size_t first) {
        auto* grid = new QGridLayout;
        grid->setContentsMargins(int(1.5 * em(this)), 0, 0, 0);
        for (int v = 0; v < 3; ++v) {
            const QString name = QStringLiteral("「%1」の場合").arg(v + 1);
            const size_t box = first + size_t(v);
            soundBox(box, name, parent);
            grid->addWidget(caption(name, parent), v, 0);
            grid->addWidget(txtSelectSound[box], v, 1);
            grid->addWidget(cmdSelectSound[box], v, 2);
        }
        grid->setColumnStretch(1, 1);
        return grid;
    };
    auto playing = [&](QWidget* parent, std::array<QRadioButton*, 2>& options, const QString& sync,
                       const QString& async) {
        auto* box = new QGroupBox(QStringLiteral("再生方法"), parent);
        auto* v = new QVBoxLayout(box);
        options[kSync] = new QRadioButton(sync, box);
        options[kAsync] = new QRadioButton(async, box);
        group(this, {options[kSync], options[kAsync]});
        v->addWidget(options[kSync]);
        v->addWidget(options[kAsync]);
        return box;
    };
    // "Always" with its sound box on the same line.
    auto always = [&](QWidget* parent, size_t option, size_t sound, QVBoxLayout* into) {
        auto* row = new QHBoxLayout;
        Option2[option] = new QRadioButton(QStringLiteral("常に右記のサウンドを鳴らす"), parent);
        soundBox(sound, Option2[option]->text(), parent);
        row->addWidget(Option2[option]);
        row->addWidget(txtSelectSound[sound], 1);
        row->addWidget(cmdSelectSound[sound]);
        into->addLayout(row);
    };

    // Sub-page 0: before an announcement.
    QGroupBox*& before = Frame2[kSoundsBeforeAnnouncements];
    before = new QGroupBox(
        QStringLiteral("放送前のサウンド：※音声合成放送機能が有効でない場合は以下の設定は意味を持ちません。"), soundPages);
    {
        auto* v = new QVBoxLayout(before);
        always(before, kAnnounceAlways, kSoundAnnounceAlways, v);
        Option2[kAnnounceByFlag] = new WrapRadioButton(
            QStringLiteral("放送データ(*.Tp.csv)内のフラグから判断して、以下の指定したサウンドを鳴らす"
                           "（フラグの内容が1～3以外の場合はサウンドは鳴りません）"),
            34, before);
        v->addWidget(Option2[kAnnounceByFlag]);
        v->addLayout(byValue(before, kSoundAnnounceByFlag));
        v->addWidget(playing(before, Option7, QStringLiteral("同期再生(サウンドが完全に再生された後で放送開始)"),
                             QStringLiteral("非同期再生(サウンドを再生しながら放送開始)")));
        v->addWidget(note(QStringLiteral("「放送前のサウンド」再生時は、停名のスクロールが停止することがありますので、"
                                         "あらかじめご了承ください。"),
                          before));
        v->addStretch(1);
        group(this, {Option2[kAnnounceAlways], Option2[kAnnounceByFlag]});
    }
    soundPages->addWidget(before);

    // Sub-page 1: data forward and back.
    QGroupBox*& forwardBack = Frame2[kSoundsForwardBack];
    forwardBack = new QGroupBox(QStringLiteral("送り・戻し時のサウンド"), soundPages);
    {
        auto* v = new QVBoxLayout(forwardBack);
        v->addWidget(playing(forwardBack, Option6, QStringLiteral("同期再生(サウンドが完全に再生された後で運賃切り替え)"),
                             QStringLiteral("非同期再生(サウンドを再生しながら運賃切り替え)")));
        always(forwardBack, kAdvanceAlways, kSoundAdvanceAlways, v);
        Option2[kAdvanceByColumn] = new WrapRadioButton(
            QStringLiteral("運賃データ(*.hy3)の特定の列のデータから判断して、以下の指定したサウンドを鳴らす"
                           "（指定した列のデータの内容が1～3以外の場合はサウンドは鳴りません）"),
            34, forwardBack);
        v->addWidget(Option2[kAdvanceByColumn]);
        auto* columnRow = new QHBoxLayout;
        columnRow->setContentsMargins(int(1.5 * em(this)), 0, 0, 0);
        Combo1 = new QComboBox(forwardBack);
        Combo1->setAccessibleName(QStringLiteral("運賃データの列"));
        for (int n = 1; n <= route::kFareColumns; ++n) Combo1->addItem(QString::number(n));
        Combo1->setCurrentIndex(0);
        columnRow->addWidget(caption(QStringLiteral("運賃データの"), forwardBack));
        columnRow->addWidget(Combo1);
        columnRow->addWidget(caption(QStringLiteral("列目のデータが、"), forwardBack));
        columnRow->addStretch(1);
        v->addLayout(columnRow);
        v->addLayout(byValue(forwardBack, kSoundAdvanceByValue));
        v->addStretch(1);
        group(this, {Option2[kAdvanceAlways], Option2[kAdvanceByColumn]});
    }
    soundPages->addWidget(forwardBack);
    Option5[kSoundsBeforeAnnouncements]->setChecked(true);
    holdLargestPage(soundPages);
}

void SoundsPage::Option5_Click(int index) {
    if (index >= 0 && index < int(Frame2.size())) soundPages->setCurrentWidget(Frame2[size_t(index)]);
}

void SoundsPage::cmdSelectSound_Click(int index) {
    QLineEdit* target = txtSelectSound[size_t(index)];
    if (!target) return;
    static const QByteArray filter = chooserFilter({"Waveサウンド(*.wav)", "*.wav", "MP3サウンド(*.mp3)", "*.mp3",
                                                    "MIDIシーケンス(*.mid)", "*.mid"});
    const QByteArray chosen =
        ZelP4Res::Zel3FileDlg(window(), 0, filter, QByteArray(), cp932::encode(QStringLiteral("サウンドの選択")));
    if (!chosen.isEmpty()) target->setText(cp932::decode(chosen));
}

} // namespace options
