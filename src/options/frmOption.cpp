#include "options/frmOption.h"

#include "display/ChimeiCtl_B.h"
#include "display/Form1.h"
#include "display/M_Degit.h"
#include "options/Backlight.h"
#include "options/ControlValues.h"
#include "options/OptionWidgets.h"
#include "options/PluginDescription.h"
#include "options/TicketLabels.h"
#include "platform/Cp932.h"
#include "platform/Seams.h"
#include "platform_ui/ResourceLibrary.h"
#include "platform_ui/Shell.h"
#include "settings/SettingsRecord.h"
#include "settings/mdlIniIo.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

using options::ColorButton;
using options::PageButton;
using options::WrapRadioButton;
using options::marked;
using options::setStoredCheck;

// The choosers' filters: description and pattern pairs, each part ended by a
// NUL, the list ended by one more.
QByteArray chooserFilter(std::initializer_list<const char*> parts) {
    QByteArray filter;
    for (const char* part : parts) {
        filter += cp932::encode(QString::fromUtf8(part));
        filter += '\0';
    }
    filter += '\0';
    return filter;
}

const QByteArray& soundFilter() {
    static const QByteArray filter = chooserFilter({"Waveサウンド(*.wav)", "*.wav", "MP3サウンド(*.mp3)", "*.mp3",
                                                    "MIDIシーケンス(*.mid)", "*.mid"});
    return filter;
}

const QByteArray& pictureFilter() {
    static const QByteArray filter =
        chooserFilter({"ビットマップ(*.bmp)", "*.bmp", "GIF画像(*.gif)", "*.gif", "JPEG画像(*.jpg)", "*.jpg"});
    return filter;
}

const QByteArray& pluginFilter() {
    static const QByteArray filter = chooserFilter({"整理券プラグイン(*.4SP)", "*.4SP"});
    return filter;
}

// Sizes follow the dialog's font, so the pages keep their proportions at any
// scale.
int em(const QWidget* w) { return w->fontMetrics().height(); }

QLabel* caption(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel* note(const QString& text, QWidget* parent) {
    auto* label = caption(text, parent);
    label->setWordWrap(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Active, QPalette::PlaceholderText).darker(150));
    label->setPalette(palette);
    return label;
}

QPushButton* button(const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setAutoDefault(false);
    return b;
}

// The "..." buttons beside a path: small, described by what they choose for.
QPushButton* browseButton(const QString& what, QWidget* parent) {
    auto* b = button(QStringLiteral("..."), parent);
    b->setAccessibleDescription(what);
    b->setFixedWidth(std::max(b->fontMetrics().horizontalAdvance(QStringLiteral("...")) + em(parent), 2 * em(parent)));
    return b;
}

QLineEdit* pathBox(const QString& name, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setAccessibleName(name);
    box->setMinimumWidth(14 * em(parent));
    return box;
}

ColorButton* colourButton(const QString& name, QWidget* parent) {
    auto* b = new ColorButton(parent);
    QString accessible = name;
    if (accessible.endsWith(QChar(0xFF1A))) accessible.chop(1); // the full-width colon of the caption
    b->setAccessibleName(accessible);
    return b;
}

// Option buttons: -1 (any non-zero) selects, 0 deselects even the selected
// member of a group, which then has none selected.
void setOption(QRadioButton* option, std::int16_t value) {
    const bool selected = options::optionSelected(value);
    if (option->isChecked() == selected) return;
    if (selected) {
        option->setChecked(true);
        return;
    }
    QButtonGroup* group = option->group();
    if (group) group->setExclusive(false);
    option->setChecked(false);
    if (group) group->setExclusive(true);
}

void setList(QComboBox* list, std::int16_t position, const char* name) {
    if (!options::listPositionAccepted(position, list->count()))
        throw mdlIniIo::SettingsError(options::kInvalidPropertyValue,
                                      options::invalidValueDescription(QLatin1String(name), position));
    list->setCurrentIndex(position);
}

std::int16_t checkOf(const QCheckBox* box) { return options::checkValueOf(box->checkState()); }
std::int16_t optionOf(const QRadioButton* option) { return options::optionValueOf(option->isChecked()); }
std::int16_t listOf(const QComboBox* list) { return std::int16_t(list->currentIndex()); }

// A stack of pages as large as its largest page, whichever is shown, so the
// dialog keeps its size when the pages change. Pages with wrapping notes are
// measured at the stack's width.
void holdLargestPage(QStackedWidget* stack) {
    QSize largest;
    for (int i = 0; i < stack->count(); ++i) largest = largest.expandedTo(stack->widget(i)->sizeHint());
    for (int i = 0; i < stack->count(); ++i) {
        QWidget* page = stack->widget(i);
        if (page->hasHeightForWidth()) largest.setHeight(std::max(largest.height(), page->heightForWidth(largest.width())));
    }
    stack->setMinimumSize(largest);
}

QButtonGroup* group(QObject* owner, std::initializer_list<QAbstractButton*> members) {
    auto* g = new QButtonGroup(owner);
    for (QAbstractButton* b : members) g->addButton(b);
    return g;
}

} // namespace

frmOption::frmOption(Form1* display, QWidget* parent) : QDialog(parent), display_(display) {
    setWindowTitle(QStringLiteral("オプション"));
    setModal(true);

    auto* outer = new QHBoxLayout(this);

    // The page buttons down the left side, tall like the device maker's.
    auto* selectors = new QVBoxLayout;
    const QString pageCaptions[6] = {
        QStringLiteral("運賃データと　放送用データ"), QStringLiteral("パネルと整理券番号表示"),
        QStringLiteral("デジタル部品と情報用数字"),   QStringLiteral("停名の設定"),
        QStringLiteral("サウンド"),                   QStringLiteral("　　整理券　　　プレビュー"),
    };
    auto* pageGroup = new QButtonGroup(this);
    for (int i = 0; i < 6; ++i) {
        auto* b = new PageButton(pageCaptions[i], this);
        b->setMinimumHeight(int(2.6 * em(this)));
        pageGroup->addButton(b);
        selectors->addWidget(b);
        Option1[size_t(i)] = b;
        // The page follows the button however it is chosen: click, keys, or code.
        connect(b, &QAbstractButton::toggled, this, [this, i](bool on) {
            if (on) Option1_Click(i);
        });
    }
    selectors->addStretch(1);
    outer->addLayout(selectors);

    auto* right = new QVBoxLayout;
    pages = new QStackedWidget(this);
    for (auto& page : Frame1) {
        page = new QWidget(pages);
        pages->addWidget(page);
    }
    right->addWidget(pages, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    Command4 = new QPushButton(QStringLiteral("OK"), this);
    Command4->setDefault(true);
    Command4->setMinimumWidth(6 * em(this));
    connect(Command4, &QPushButton::clicked, this, &frmOption::Command4_Click);
    buttons->addWidget(Command4);
    right->addLayout(buttons);
    outer->addLayout(right, 1);

    buildPage0();
    buildPage1();
    buildPage2();
    buildPage3();
    buildPage4();
    buildPage5();

    Load();

    // The design state: the values in force when there is no settings file.
    // Set through the same path as stored values, so the dependent controls
    // follow; the fare display is left alone until settings are applied.
    applyRecord(settings::SettingsRecord::initial(platform::clock().now().date()), false);
    updateDependents();
    // Frames that come and go keep their room, so the dialog does not jump.
    for (QWidget* frame : {Frame6[0], Frame6[1], Frame6[2], static_cast<QGroupBox*>(Frame10), Frame7}) {
        QSizePolicy policy = frame->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        frame->setSizePolicy(policy);
    }
    Option1[0]->setChecked(true);
    Option5[0]->setChecked(true);

    holdLargestPage(soundPages);
    holdLargestPage(pages);
    outer->setSizeConstraint(QLayout::SetFixedSize);
}

frmOption::~frmOption() = default;

// ---- the pages ----------------------------------------------------------------------------

void frmOption::buildPage0() {
    QWidget* page = Frame1[0];
    auto* layout = new QGridLayout(page);
    const QString folderCaptions[2] = {QStringLiteral("運賃データ(*.hy3)のあるフォルダー："),
                                       QStringLiteral("放送用データ(*****Tp.csv)のあるフォルダー：")};
    const QString openCaptions[2] = {QStringLiteral("上記運賃データの場所をエクスプローラで開く"),
                                     QStringLiteral("上記放送用データの場所をエクスプローラで開く")};
    int row = 0;
    for (int i = 0; i < 2; ++i) {
        auto* label = caption(folderCaptions[i], page);
        Text2[size_t(i)] = pathBox(folderCaptions[i], page);
        label->setBuddy(Text2[size_t(i)]);
        Command3[size_t(i)] = browseButton(folderCaptions[i], page);
        Command10[size_t(i)] = button(openCaptions[i], page);
        connect(Command3[size_t(i)], &QPushButton::clicked, this, [this, i] { Command3_Click(i); });
        connect(Command10[size_t(i)], &QPushButton::clicked, this, [this, i] { Command10_Click(i); });
        if (i > 0) layout->setRowMinimumHeight(row++, em(this));
        layout->addWidget(label, row++, 0, 1, 2);
        layout->addWidget(Text2[size_t(i)], row, 0);
        layout->addWidget(Command3[size_t(i)], row++, 1);
        layout->addWidget(Command10[size_t(i)], row++, 0, 1, 2, Qt::AlignLeft);
    }
    layout->setRowStretch(row, 1);
    layout->setColumnStretch(0, 1);
}

void frmOption::buildPage1() {
    QWidget* page = Frame1[1];
    auto* layout = new QVBoxLayout(page);

    Check1 = new QCheckBox(QStringLiteral("整理券番号自動表示機能を使用"), page);
    layout->addWidget(Check1);

    Frame3 = new QWidget(page);
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
        note(QStringLiteral("※ユーザーパネルに直接番号をデザインしている場合には上記チェックをOFFにしてください。"), page));
    layout->addSpacing(em(this) / 2);

    // Panel pictures: the built-in ones, or one chosen per backlight mode.
    Option3[0] = new QRadioButton(QStringLiteral("内蔵しているパネルを自動で割り当てる"), page);
    Option3[1] = new QRadioButton(QStringLiteral("個別に設定する"), page);
    group(this, {Option3[0], Option3[1]});
    layout->addWidget(Option3[0]);
    layout->addWidget(Option3[1]);

    const QString frameCaptions[3] = {QStringLiteral("バックライトOFF時の画像："), QStringLiteral("ON1の画像："),
                                      QStringLiteral("ON2の画像：")};
    // Built-in and user picture buttons of each mode, as they are numbered.
    const std::array<std::array<size_t, 2>, 3> builtInAndUser = {{{7, 6}, {3, 2}, {4, 5}}};
    auto* frames = new QVBoxLayout;
    frames->setContentsMargins(int(1.5 * em(this)), 0, 0, 0);
    for (int i = 0; i < 3; ++i) {
        auto* frame = new QGroupBox(frameCaptions[i], page);
        frame->setFlat(true);
        auto* row = new QHBoxLayout(frame);
        row->setContentsMargins(em(this) / 2, em(this) / 4, 0, 0);
        auto* builtIn = new QRadioButton(QStringLiteral("内蔵"), frame);
        auto* user = new QRadioButton(QStringLiteral("ユーザーパネル"), frame);
        Option3[builtInAndUser[size_t(i)][0]] = builtIn;
        Option3[builtInAndUser[size_t(i)][1]] = user;
        group(this, {builtIn, user});
        txtSelectPanel[size_t(i)] = pathBox(frameCaptions[i], frame);
        Command6[size_t(i)] = browseButton(frameCaptions[i], frame);
        connect(Command6[size_t(i)], &QPushButton::clicked, this, [this, i] { Command6_Click(i); });
        row->addWidget(builtIn);
        row->addWidget(user);
        row->addWidget(txtSelectPanel[size_t(i)], 1);
        row->addWidget(Command6[size_t(i)]);
        Frame6[size_t(i)] = frame;
        frames->addWidget(frame);
    }
    layout->addLayout(frames);
    layout->addWidget(note(QStringLiteral("※ユーザーパネルには、現在の機種に対応の画像をご使用ください。大きいパネルの場合、"
                                          "はみ出た部分（右・下）が切り取られます。逆に小さいパネルの場合は左上から表示され、"
                                          "余白部分はグレーになりますのでご注意ください。"),
                           page));
    layout->addStretch(1);

    connect(Check1, &QCheckBox::stateChanged, this, &frmOption::updateDependents);
    for (QRadioButton* option : Option3) connect(option, &QRadioButton::toggled, this, &frmOption::updateDependents);
}

void frmOption::buildPage2() {
    QWidget* page = Frame1[2];
    auto* layout = new QVBoxLayout(page);

    auto* top = new QHBoxLayout;
    auto* colourForm = new QFormLayout;
    colourForm->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    const QString colourCaptions[3] = {QStringLiteral("背景色："), QStringLiteral("未発光時の文字色："),
                                       QStringLiteral("発光時の文字色：")};
    for (int i = 0; i < 3; ++i) {
        Command8[size_t(i)] = colourButton(colourCaptions[i], page);
        connect(Command8[size_t(i)], &QPushButton::clicked, this, [this, i] { Command8_Click(i); });
        // The preview follows every change of the three colours.
        connect(Command8[size_t(i)], &ColorButton::backColorChanged, this, &frmOption::updatePreviewColours);
        colourForm->addRow(caption(colourCaptions[i], page), Command8[size_t(i)]);
    }
    top->addLayout(colourForm);
    top->addSpacing(2 * em(this));
    auto* preview = new QVBoxLayout;
    preview->addWidget(caption(QStringLiteral("プレビュー"), page));
    M_Degit1 = new M_Degit(page);
    M_Degit1->setAccessibleName(QStringLiteral("プレビュー"));
    preview->addWidget(M_Degit1, 0, Qt::AlignLeft);
    preview->addStretch(1);
    top->addLayout(preview);
    top->addStretch(1);
    layout->addLayout(top);

    auto* rule = new QFrame(page);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    layout->addWidget(rule);

    for (auto& list : Combo4) list = new QComboBox(page);
    for (auto& box : Check3) box = nullptr;
    // One line per information digit: the box, the lists in the blank room
    // of the sentence, and the sentence's rest.
    auto line = [&](QCheckBox* box, std::initializer_list<QWidget*> rest, int indent = 0) {
        auto* row = new QHBoxLayout;
        row->setSpacing(em(this) / 3);
        if (indent) row->addSpacing(indent);
        row->addWidget(box);
        for (QWidget* w : rest) row->addWidget(w);
        row->addStretch(1);
        layout->addLayout(row);
    };
    const QString cellTail = QStringLiteral("コマ目に表示する。");
    Check3[0] = new QCheckBox(QStringLiteral("停留所の順番（区間・個数）を、"), page);
    line(Check3[0], {Combo4[0], caption(cellTail, page)});
    Check3[4] = new QCheckBox(QStringLiteral("0から数える"), page);
    line(Check3[4], {}, int(1.5 * em(this)));
    Check3[1] = new QCheckBox(QStringLiteral("整理券番号を、"), page);
    line(Check3[1], {Combo4[1], caption(cellTail, page)});
    Check3[2] = new QCheckBox(QStringLiteral("系統番号を、"), page);
    line(Check3[2], {Combo4[2], caption(cellTail, page)});
    Check3[3] = new QCheckBox(QStringLiteral("データの"), page);
    line(Check3[3], {Combo4[4], caption(QStringLiteral("列目の値を、"), page), Combo4[3], caption(cellTail, page)});
    Combo4[0]->setAccessibleName(QStringLiteral("停留所の順番のコマ"));
    Combo4[1]->setAccessibleName(QStringLiteral("整理券番号のコマ"));
    Combo4[2]->setAccessibleName(QStringLiteral("系統番号のコマ"));
    Combo4[3]->setAccessibleName(QStringLiteral("データの値のコマ"));
    Combo4[4]->setAccessibleName(QStringLiteral("データの列"));

    layout->addSpacing(em(this) / 2);
    layout->addWidget(note(QStringLiteral("デジタル数字の桁ずらし、ゼロ埋めの設定は各部品をダブルクリックして設定してください。"
                                          "また、これら情報用数字は運賃の表示よりも優先されます。"),
                           page));
    layout->addStretch(1);

    for (int i = 0; i < 4; ++i)
        connect(Check3[size_t(i)], &QCheckBox::stateChanged, this, &frmOption::updateDependents);
}

void frmOption::buildPage3() {
    QWidget* page = Frame1[3];
    auto* layout = new QVBoxLayout(page);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    const QString colourCaptions[2] = {QStringLiteral("背景色："), QStringLiteral("文字色：")};
    for (int i = 0; i < 2; ++i) {
        Command9[size_t(i)] = colourButton(colourCaptions[i], page);
        connect(Command9[size_t(i)], &QPushButton::clicked, this, [this, i] { Command9_Click(i); });
        form->addRow(caption(colourCaptions[i], page), Command9[size_t(i)]);
    }
    Combo3 = new QComboBox(page);
    Combo3->setAccessibleName(QStringLiteral("フォントオプション"));
    form->addRow(caption(QStringLiteral("フォントオプション："), page), Combo3);
    layout->addLayout(form);
    Check4 = new QCheckBox(QStringLiteral("太字（表示の不具合はサポート対象外）"), page);
    layout->addWidget(Check4);
    layout->addStretch(1);
}

void frmOption::buildPage4() {
    QWidget* page = Frame1[4];
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    auto* frame = new QGroupBox(QStringLiteral("サウンド（鳴らさなくてもいい項目にはファイル名を入れないで下さい）"), page);
    pageLayout->addWidget(frame);
    auto* layout = new QVBoxLayout(frame);

    auto soundBox = [&](int i, const QString& name, QWidget* parent) {
        txtSelectSound[size_t(i)] = pathBox(name, parent);
        cmdSelectSound[size_t(i)] = browseButton(name, parent);
        connect(cmdSelectSound[size_t(i)], &QPushButton::clicked, this, [this, i] { cmdSelectSound_Click(i); });
    };
    auto* fixed = new QGridLayout;
    const QString fixedCaptions[2] = {QStringLiteral("系統設定時のサウンド："), QStringLiteral("リセット時のサウンド：")};
    for (int i = 0; i < 2; ++i) {
        soundBox(i, fixedCaptions[i], frame);
        fixed->addWidget(caption(fixedCaptions[i], frame), i, 0);
        fixed->addWidget(txtSelectSound[size_t(i)], i, 1);
        fixed->addWidget(cmdSelectSound[size_t(i)], i, 2);
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
    auto byValue = [&](QWidget* parent, int first) {
        auto* grid = new QGridLayout;
        grid->setContentsMargins(int(1.5 * em(this)), 0, 0, 0);
        for (int v = 0; v < 3; ++v) {
            const QString name = QStringLiteral("「%1」の場合").arg(v + 1);
            const int box = first + v;
            soundBox(box, name, parent);
            grid->addWidget(caption(name, parent), v, 0);
            grid->addWidget(txtSelectSound[size_t(box)], v, 1);
            grid->addWidget(cmdSelectSound[size_t(box)], v, 2);
        }
        grid->setColumnStretch(1, 1);
        return grid;
    };
    auto playing = [&](QWidget* parent, std::array<QRadioButton*, 2>& options, const QString& sync,
                       const QString& async) {
        auto* box = new QGroupBox(QStringLiteral("再生方法"), parent);
        auto* v = new QVBoxLayout(box);
        options[0] = new QRadioButton(sync, box);
        options[1] = new QRadioButton(async, box);
        group(this, {options[0], options[1]});
        v->addWidget(options[0]);
        v->addWidget(options[1]);
        return box;
    };
    // "Always" with its sound box on the same line.
    auto always = [&](QWidget* parent, int option, int sound, QVBoxLayout* into) {
        auto* row = new QHBoxLayout;
        Option2[size_t(option)] = new QRadioButton(QStringLiteral("常に右記のサウンドを鳴らす"), parent);
        soundBox(sound, Option2[size_t(option)]->text(), parent);
        row->addWidget(Option2[size_t(option)]);
        row->addWidget(txtSelectSound[size_t(sound)], 1);
        row->addWidget(cmdSelectSound[size_t(sound)]);
        into->addLayout(row);
    };

    // Sub-page 0: before an announcement.
    Frame2[0] = new QGroupBox(
        QStringLiteral("放送前のサウンド：※音声合成放送機能が有効でない場合は以下の設定は意味を持ちません。"), soundPages);
    {
        auto* v = new QVBoxLayout(Frame2[0]);
        always(Frame2[0], 2, 3, v);
        Option2[3] = new WrapRadioButton(
            QStringLiteral("放送データ(*.Tp.csv)内のフラグから判断して、以下の指定したサウンドを鳴らす"
                           "（フラグの内容が1～3以外の場合はサウンドは鳴りません）"),
            34, Frame2[0]);
        v->addWidget(Option2[3]);
        v->addLayout(byValue(Frame2[0], 4));
        v->addWidget(playing(Frame2[0], Option7, QStringLiteral("同期再生(サウンドが完全に再生された後で放送開始)"),
                             QStringLiteral("非同期再生(サウンドを再生しながら放送開始)")));
        v->addWidget(note(QStringLiteral("「放送前のサウンド」再生時は、停名のスクロールが停止することがありますので、"
                                         "あらかじめご了承ください。"),
                          Frame2[0]));
        v->addStretch(1);
        group(this, {Option2[2], Option2[3]});
    }
    soundPages->addWidget(Frame2[0]);

    // Sub-page 1: data forward and back.
    Frame2[1] = new QGroupBox(QStringLiteral("送り・戻し時のサウンド"), soundPages);
    {
        auto* v = new QVBoxLayout(Frame2[1]);
        v->addWidget(playing(Frame2[1], Option6, QStringLiteral("同期再生(サウンドが完全に再生された後で運賃切り替え)"),
                             QStringLiteral("非同期再生(サウンドを再生しながら運賃切り替え)")));
        always(Frame2[1], 0, 7, v);
        Option2[1] = new WrapRadioButton(
            QStringLiteral("運賃データ(*.hy3)の特定の列のデータから判断して、以下の指定したサウンドを鳴らす"
                           "（指定した列のデータの内容が1～3以外の場合はサウンドは鳴りません）"),
            34, Frame2[1]);
        v->addWidget(Option2[1]);
        auto* columnRow = new QHBoxLayout;
        columnRow->setContentsMargins(int(1.5 * em(this)), 0, 0, 0);
        Combo1 = new QComboBox(Frame2[1]);
        Combo1->setAccessibleName(QStringLiteral("運賃データの列"));
        columnRow->addWidget(caption(QStringLiteral("運賃データの"), Frame2[1]));
        columnRow->addWidget(Combo1);
        columnRow->addWidget(caption(QStringLiteral("列目のデータが、"), Frame2[1]));
        columnRow->addStretch(1);
        v->addLayout(columnRow);
        v->addLayout(byValue(Frame2[1], 8));
        v->addStretch(1);
        group(this, {Option2[0], Option2[1]});
    }
    soundPages->addWidget(Frame2[1]);
}

void frmOption::buildPage5() {
    QWidget* page = Frame1[5];
    auto* layout = new QVBoxLayout(page);
    chkUseSeiriPrev = new QCheckBox(QStringLiteral("整理券プレビュー機能を使用する"), page);
    layout->addWidget(chkUseSeiriPrev);

    Frame10 = new QGroupBox(QStringLiteral("整理券プラグイン設定"), page);
    {
        auto* grid = new QGridLayout(Frame10);
        const QString pluginCaption =
            QStringLiteral("整理券プラグイン（整理券プレビューを使用しない場合は、何も入れないでください）：");
        grid->addWidget(caption(pluginCaption, Frame10), 0, 0, 1, 2);
        auto* row = new QHBoxLayout;
        txtSeiriPlgDir = pathBox(pluginCaption, Frame10);
        Command1 = browseButton(pluginCaption, Frame10);
        // The clear button shows a cross.
        Command11 = button(QStringLiteral("×"), Frame10);
        Command11->setFixedWidth(Command1->width());
        Command11->setAccessibleName(QStringLiteral("整理券プラグインの指定を消去"));
        connect(Command1, &QPushButton::clicked, this, &frmOption::Command1_Click);
        connect(Command11, &QPushButton::clicked, this, &frmOption::Command11_Click);
        row->addWidget(txtSeiriPlgDir, 1);
        row->addWidget(Command1);
        row->addWidget(Command11);
        grid->addLayout(row, 1, 0, 1, 2);
        const QString listCaption = QStringLiteral("上記プラグインのプロパティ：");
        const QString commentCaption = QStringLiteral("上記プラグインの特記事項：");
        grid->addWidget(caption(listCaption, Frame10), 2, 0);
        grid->addWidget(caption(commentCaption, Frame10), 2, 1);
        List1 = new QListWidget(Frame10);
        List1->setAccessibleName(listCaption);
        txtPlginComment = new QPlainTextEdit(Frame10);
        txtPlginComment->setReadOnly(true);
        txtPlginComment->setAccessibleName(commentCaption);
        for (QWidget* w : {static_cast<QWidget*>(List1), static_cast<QWidget*>(txtPlginComment)}) {
            w->setFixedHeight(5 * em(this));
            w->setMinimumWidth(12 * em(this));
        }
        grid->addWidget(List1, 3, 0);
        grid->addWidget(txtPlginComment, 3, 1);
    }
    layout->addWidget(Frame10);

    Frame7 = new QGroupBox(QStringLiteral("日付の設定（整理券プラグインが日付の印字をサポートしているときに有効）"), page);
    {
        auto* v = new QVBoxLayout(Frame7);
        Option4[0] = new QRadioButton(QStringLiteral("システムの日付を使用（整理券印字と同時に日付を更新、デフォルト）"), Frame7);
        Option4[1] = new QRadioButton(QStringLiteral("システムの日付を使用（系統設定した時点の日付を保持）"), Frame7);
        Option4[2] = new QRadioButton(QStringLiteral("右記の日付に固定"), Frame7);
        group(this, {Option4[0], Option4[1], Option4[2]});
        v->addWidget(Option4[0]);
        v->addWidget(Option4[1]);
        auto* held = note(QStringLiteral("系統設定した際の日付が保持され、日付が途中で変わっても次回系統設定するまで整理券の日付変更を"
                                         "行いません。"),
                          Frame7);
        held->setContentsMargins(int(1.5 * em(this)), 0, 0, 0);
        v->addWidget(held);
        auto* fixedRow = new QHBoxLayout;
        fixedRow->addWidget(Option4[2]);
        Label10 = new QLabel(Frame7);
        Label10->setFrameShape(QFrame::StyledPanel);
        Label10->setFrameShadow(QFrame::Sunken);
        Label10->setMinimumWidth(7 * em(this));
        Label10->setAlignment(Qt::AlignCenter);
        Label10->setTextFormat(Qt::PlainText);
        Label10->setAccessibleName(Option4[2]->text());
        fixedRow->addWidget(Label10);
        Command7 = button(QStringLiteral("日付選択..."), Frame7);
        connect(Command7, &QPushButton::clicked, this, &frmOption::Command7_Click);
        fixedRow->addWidget(Command7);
        fixedRow->addStretch(1);
        v->addLayout(fixedRow);
    }
    layout->addWidget(Frame7);
    layout->addStretch(1);

    connect(chkUseSeiriPrev, &QCheckBox::stateChanged, this, &frmOption::updateDependents);
}

// ---- loading and methods -----------------------------------------------------------------------

void frmOption::Load() {
    M_Degit1->setDegitSize(0);
    M_Degit1->setFixedSize(M_Degit1->size());
    // The fare cells' lamp style and a fare, so all three colours show.
    M_Degit1->setDegitStyle(1);
    M_Degit1->setValue(180);

    for (int n = 1; n <= device::kFareCellCount; ++n) {
        for (int i = 0; i < 4; ++i) Combo4[size_t(i)]->addItem(QString::number(n));
    }
    for (int i = 0; i < 4; ++i) Combo4[size_t(i)]->setCurrentIndex(0);
    for (int n = 1; n <= 150; ++n) {
        Combo1->addItem(QString::number(n));
        Combo4[4]->addItem(QString::number(n));
    }
    Combo1->setCurrentIndex(0);
    Combo4[4]->setCurrentIndex(0);
    AddComboItem();
    Label10->setText(settings::ticketDateText(platform::clock().now().date()));

    Combo3->addItems({QStringLiteral("ゴシック体"), QStringLiteral("明朝体"),
                      QStringLiteral("漢字はゴシック、それ以外は明朝"), QStringLiteral("漢字は明朝、それ以外はゴシック"),
                      QStringLiteral("英数字はゴシック、それ以外は明朝")});
    Combo3->setCurrentIndex(-1);

    // A grey box goes back to two states once the user clicks it.
    for (QCheckBox* box : {Check1, Check2, Check3[0], Check3[1], Check3[2], Check3[3], Check3[4], Check4, chkUseSeiriPrev}) {
        connect(box, &QCheckBox::clicked, box, [box] {
            if (box->checkState() != Qt::PartiallyChecked) box->setTristate(false);
        });
    }
}

// Changes the dialog through its list, so not const.
void frmOption::AddComboItem() { // NOLINT(readability-make-member-function-const)
    Combo2->clear();
    Combo2->addItems(options::numberingSchemeItems());
    Combo2->setCurrentIndex(0);
}

QString frmOption::GetPathString(const QString&) {
    return cp932::decode(ZelP4Res::Zel3FolderDlg(this, cp932::encode(QStringLiteral("フォルダーを選択してください"))));
}

void frmOption::GetBtnColor(options::ColorButton* colourButton) {
    std::int32_t colour = colourButton->BackColor();
    // The chooser keeps its custom colours in the settings, and may change them.
    if (ZelP4Res::Zel3ChooseColor(this, colour, mdlIniIo::record().CustomColors) != 0)
        colourButton->setBackColor(colour);
}

std::int16_t frmOption::backlightMode() const {
    if (!backlight_) return 0;
    const std::int16_t mode = backlight_->selectedBacklightMode();
    return mode == 0 || mode == 1 ? mode : std::int16_t(2);
}

void frmOption::reapplyBacklight() {
    if (backlight_) backlight_->Option4_Click(backlightMode());
    else if (display_) options::applyBacklightMode(*this, *display_, 0, this);
}

void frmOption::updateDependents() {
    Frame3->setEnabled(marked(Check1));
    Combo4[0]->setEnabled(marked(Check3[0]));
    Check3[4]->setEnabled(marked(Check3[0]));
    Combo4[1]->setEnabled(marked(Check3[1]));
    Combo4[2]->setEnabled(marked(Check3[2]));
    Combo4[3]->setEnabled(marked(Check3[3]));
    Combo4[4]->setEnabled(marked(Check3[3]));
    const bool individual = Option3[1]->isChecked();
    for (QGroupBox* frame : Frame6) {
        frame->setEnabled(individual);
        frame->setVisible(individual);
    }
    const bool preview = marked(chkUseSeiriPrev);
    for (QGroupBox* frame : {Frame10, Frame7}) {
        frame->setEnabled(preview);
        frame->setVisible(preview);
    }
}

void frmOption::updatePreviewColours() {
    M_Degit1->setBackColor(Command8[0]->BackColor());
    M_Degit1->setBaseForeColor(Command8[1]->BackColor());
    M_Degit1->setDegitForeColor(Command8[2]->BackColor());
}

// ---- exchange with the settings record ---------------------------------------------------------

void frmOption::GetOptionInfo(settings::SettingsRecord& r) const {
    r.FareDataDir = Text2[0]->text();
    r.BroadcastDataDir = Text2[1]->text();
    r.TicketNumAutoShow = checkOf(Check1);
    r.TicketNumColorOff = Command5[0]->BackColor();
    r.TicketNumColorOn1 = Command5[1]->BackColor();
    r.TicketNumColorOn2 = Command5[2]->BackColor();
    r.TicketNumScheme = listOf(Combo2);
    r.TicketNumZeroPad = checkOf(Check2);
    r.PanelAutoBuiltIn = optionOf(Option3[0]);
    r.PanelIndividual = optionOf(Option3[1]);
    r.PanelOffBuiltIn = optionOf(Option3[7]);
    r.PanelOffUser = optionOf(Option3[6]);
    r.PanelOn1BuiltIn = optionOf(Option3[3]);
    r.PanelOn1User = optionOf(Option3[2]);
    r.PanelOn2BuiltIn = optionOf(Option3[4]);
    r.PanelOn2User = optionOf(Option3[5]);
    r.PanelOffUserFile = txtSelectPanel[0]->text();
    r.PanelOn1UserFile = txtSelectPanel[1]->text();
    r.PanelOn2UserFile = txtSelectPanel[2]->text();

    r.DigitBackColor = Command8[0]->BackColor();
    r.DigitBaseColor = Command8[1]->BackColor();
    r.DigitLitColor = Command8[2]->BackColor();
    r.InfoStopOrderOn = checkOf(Check3[0]);
    r.InfoStopOrderCell = listOf(Combo4[0]);
    r.InfoStopOrderFromZero = checkOf(Check3[4]);
    r.InfoTicketNumOn = checkOf(Check3[1]);
    r.InfoTicketNumCell = listOf(Combo4[1]);
    r.InfoRouteNumOn = checkOf(Check3[2]);
    r.InfoRouteNumCell = listOf(Combo4[2]);
    r.InfoColumnOn = checkOf(Check3[3]);
    r.InfoColumnIndex = listOf(Combo4[4]);
    r.InfoColumnCell = listOf(Combo4[3]);

    r.StopNameBackColor = Command9[0]->BackColor();
    r.StopNameForeColor = Command9[1]->BackColor();
    r.StopNameFontMode = listOf(Combo3);
    r.StopNameBold = checkOf(Check4);

    r.SoundRouteSetFile = txtSelectSound[0]->text();
    r.SoundResetFile = txtSelectSound[1]->text();
    r.AdvanceSoundAlways = optionOf(Option2[0]);
    r.AdvanceSoundByColumn = optionOf(Option2[1]);
    r.AdvanceSoundSync = optionOf(Option6[0]);
    r.AdvanceSoundAsync = optionOf(Option6[1]);
    r.AdvanceSoundFile = txtSelectSound[7]->text();
    r.AdvanceSoundColumn = listOf(Combo1);
    r.AdvanceSoundFile1 = txtSelectSound[8]->text();
    r.AdvanceSoundFile2 = txtSelectSound[9]->text();
    r.AdvanceSoundFile3 = txtSelectSound[10]->text();
    r.AnnounceSoundAlways = optionOf(Option2[2]);
    r.AnnounceSoundByFlag = optionOf(Option2[3]);
    r.AnnounceSoundSync = optionOf(Option7[0]);
    r.AnnounceSoundAsync = optionOf(Option7[1]);
    r.AnnounceSoundFile = txtSelectSound[3]->text();
    r.AnnounceSoundFile1 = txtSelectSound[4]->text();
    r.AnnounceSoundFile2 = txtSelectSound[5]->text();
    r.AnnounceSoundFile3 = txtSelectSound[6]->text();

    r.TicketPreviewOn = checkOf(chkUseSeiriPrev);
    r.TicketPluginFile = txtSeiriPlgDir->text();
    r.TicketDatePerPrint = optionOf(Option4[0]);
    r.TicketDateAtRouteSet = optionOf(Option4[1]);
    r.TicketDateFixed = optionOf(Option4[2]);
    r.TicketFixedDate = Label10->text();
}

void frmOption::SetOptionInfo(const settings::SettingsRecord& record) { applyRecord(record, true); }

void frmOption::applyRecord(const settings::SettingsRecord& r, bool followUps) {
    // 1. Folders and ticket-number labels.
    Text2[0]->setText(r.FareDataDir);
    Text2[1]->setText(r.BroadcastDataDir);
    setStoredCheck(Check1, r.TicketNumAutoShow, "Check1");
    Command5[0]->setBackColor(r.TicketNumColorOff);
    Command5[1]->setBackColor(r.TicketNumColorOn1);
    Command5[2]->setBackColor(r.TicketNumColorOn2);
    setList(Combo2, r.TicketNumScheme, "Combo2");
    setStoredCheck(Check2, r.TicketNumZeroPad, "Check2");

    // 2. Panel pictures, in the order the groups are stored.
    setOption(Option3[0], r.PanelAutoBuiltIn);
    setOption(Option3[1], r.PanelIndividual);
    setOption(Option3[7], r.PanelOffBuiltIn);
    setOption(Option3[6], r.PanelOffUser);
    setOption(Option3[3], r.PanelOn1BuiltIn);
    setOption(Option3[2], r.PanelOn1User);
    setOption(Option3[4], r.PanelOn2BuiltIn);
    setOption(Option3[5], r.PanelOn2User);
    txtSelectPanel[0]->setText(r.PanelOffUserFile);
    txtSelectPanel[1]->setText(r.PanelOn1UserFile);
    txtSelectPanel[2]->setText(r.PanelOn2UserFile);

    // 3. The backlight mode under the new panel pictures.
    if (followUps) reapplyBacklight();

    // 4. Digit colours; the preview cell follows them.
    Command8[0]->setBackColor(r.DigitBackColor);
    Command8[1]->setBackColor(r.DigitBaseColor);
    Command8[2]->setBackColor(r.DigitLitColor);
    updatePreviewColours();

    // 5. Information digits.
    setStoredCheck(Check3[0], r.InfoStopOrderOn, "Check3(0)");
    setList(Combo4[0], r.InfoStopOrderCell, "Combo4(0)");
    setStoredCheck(Check3[4], r.InfoStopOrderFromZero, "Check3(4)");
    setStoredCheck(Check3[1], r.InfoTicketNumOn, "Check3(1)");
    setList(Combo4[1], r.InfoTicketNumCell, "Combo4(1)");
    setStoredCheck(Check3[2], r.InfoRouteNumOn, "Check3(2)");
    setList(Combo4[2], r.InfoRouteNumCell, "Combo4(2)");
    setStoredCheck(Check3[3], r.InfoColumnOn, "Check3(3)");
    setList(Combo4[4], r.InfoColumnIndex, "Combo4(4)");
    setList(Combo4[3], r.InfoColumnCell, "Combo4(3)");

    // 6. Stop name.
    Command9[0]->setBackColor(r.StopNameBackColor);
    Command9[1]->setBackColor(r.StopNameForeColor);
    setList(Combo3, r.StopNameFontMode, "Combo3");
    setStoredCheck(Check4, r.StopNameBold, "Check4");

    // 7. Sounds.
    txtSelectSound[0]->setText(r.SoundRouteSetFile);
    txtSelectSound[1]->setText(r.SoundResetFile);
    setOption(Option6[0], r.AdvanceSoundSync);
    setOption(Option6[1], r.AdvanceSoundAsync);
    setOption(Option2[0], r.AdvanceSoundAlways);
    setOption(Option2[1], r.AdvanceSoundByColumn);
    txtSelectSound[7]->setText(r.AdvanceSoundFile);
    setList(Combo1, r.AdvanceSoundColumn, "Combo1");
    txtSelectSound[8]->setText(r.AdvanceSoundFile1);
    txtSelectSound[9]->setText(r.AdvanceSoundFile2);
    txtSelectSound[10]->setText(r.AdvanceSoundFile3);
    setOption(Option7[0], r.AnnounceSoundSync);
    setOption(Option7[1], r.AnnounceSoundAsync);
    setOption(Option2[2], r.AnnounceSoundAlways);
    setOption(Option2[3], r.AnnounceSoundByFlag);
    txtSelectSound[3]->setText(r.AnnounceSoundFile);
    txtSelectSound[4]->setText(r.AnnounceSoundFile1);
    txtSelectSound[5]->setText(r.AnnounceSoundFile2);
    txtSelectSound[6]->setText(r.AnnounceSoundFile3);

    // 8. Ticket preview. The fixed date is taken as stored, date or not.
    setStoredCheck(chkUseSeiriPrev, r.TicketPreviewOn, "chkUseSeiriPrev");
    txtSeiriPlgDir->setText(r.TicketPluginFile);
    setOption(Option4[0], r.TicketDatePerPrint);
    setOption(Option4[1], r.TicketDateAtRouteSet);
    setOption(Option4[2], r.TicketDateFixed);
    Label10->setText(r.TicketFixedDate);

    // 9. The ticket plug-in described afresh from the stored path; a path
    // that names no plug-in stays as it is, silently.
    if (followUps) SetPlgin(txtSeiriPlgDir->text());
}

// ---- applying to the display -----------------------------------------------------------------

void frmOption::SetProp() {
    if (!display_) return;
    Form1& f = *display_;

    // 1. Labels shown unless the box is unchecked (grey shows them too).
    const bool shown = marked(Check1);
    for (int k = 1; k <= device::kFareCellCount; ++k) f.lblSeiriNum[size_t(k)]->setVisible(shown);

    // 2. Numbering, also for hidden labels.
    std::int16_t scheme = listOf(Combo2);
    std::int16_t zeroPad = checkOf(Check2);
    mdlOrv_000::SeirikenNumSet(f, scheme, zeroPad);

    // 3. Label colour of the panel's backlight mode.
    options::setTicketLabelColour(f, Command5[size_t(backlightMode())]->BackColor());

    // 4-5. Fare cells, then the clock cells.
    auto paint = [this](M_Degit* cell) {
        cell->setBackColor(Command8[0]->BackColor());
        cell->setBaseForeColor(Command8[1]->BackColor());
        cell->setDegitForeColor(Command8[2]->BackColor());
    };
    for (int k = 1; k <= device::kFareCellCount; ++k) paint(f.Degit[size_t(k)]);
    for (M_Degit* clockCell : f.TimeDegit) paint(clockCell);

    // 6-7. The stop-name strip: colours, typeface (-1, none chosen, passes
    // through), bold only when checked.
    f.ChimeiCtl->setBackColor(Command9[0]->BackColor());
    f.ChimeiCtl->setForeColor(Command9[1]->BackColor());
    f.ChimeiCtl->setFontMode(listOf(Combo3));
    f.ChimeiCtl->setFontBold(Check4->checkState() == Qt::Checked);

    // 8. The backlight mode again, under the possibly new pictures.
    reapplyBacklight();
}

// ---- event handlers ----------------------------------------------------------------------------

void frmOption::Option1_Click(int index) {
    if (index >= 0 && index < int(Frame1.size())) pages->setCurrentWidget(Frame1[size_t(index)]);
}

void frmOption::Option5_Click(int index) {
    if (index >= 0 && index < int(Frame2.size())) soundPages->setCurrentWidget(Frame2[size_t(index)]);
}

void frmOption::Command3_Click(int index) {
    const QString folder = GetPathString(Text2[size_t(index)]->text());
    if (!folder.isEmpty()) Text2[size_t(index)]->setText(folder);
}

void frmOption::Command10_Click(int index) {
    // Whatever goes wrong (no folder, no file manager) is ignored.
    platform_ui::ShellOpen(Text2[size_t(index)]->text());
}

void frmOption::cmdSelectSound_Click(int index) {
    QLineEdit* target = txtSelectSound[size_t(index)];
    if (!target) return;
    const QByteArray chosen =
        ZelP4Res::Zel3FileDlg(this, 0, soundFilter(), QByteArray(), cp932::encode(QStringLiteral("サウンドの選択")));
    if (!chosen.isEmpty()) target->setText(cp932::decode(chosen));
}

void frmOption::Command6_Click(int index) {
    const QByteArray chosen = ZelP4Res::Zel3FileDlg(this, 0, pictureFilter(), QByteArray(),
                                                    cp932::encode(QStringLiteral("パネル画像の選択")));
    if (!chosen.isEmpty()) txtSelectPanel[size_t(index)]->setText(cp932::decode(chosen));
}

void frmOption::Command5_Click(int index) { GetBtnColor(Command5[size_t(index)]); }

void frmOption::Command8_Click(int index) {
    GetBtnColor(Command8[size_t(index)]);
    updatePreviewColours();
}

void frmOption::Command9_Click(int index) { GetBtnColor(Command9[size_t(index)]); }

void frmOption::Command7_Click() {
    ZelP4Res::SystemTime date;
    // The chooser starts at the fixed date when the label holds one.
    const QDate shown = QDate::fromString(Label10->text(), QStringLiteral("yyyy/MM/dd"));
    if (shown.isValid()) {
        date.wYear = std::int16_t(shown.year());
        date.wMonth = std::int16_t(shown.month());
        date.wDay = std::int16_t(shown.day());
        date.wDayOfWeek = std::int16_t(shown.dayOfWeek() % 7);
    }
    if (ZelP4Res::Call_dlg111(this, date) != 0)
        Label10->setText(options::fixedDateText(date.wYear, date.wMonth, date.wDay));
}

void frmOption::Command1_Click() {
    const QByteArray chosen = ZelP4Res::Zel3FileDlg(this, 0, pluginFilter(), QByteArray(),
                                                    cp932::encode(QStringLiteral("プラグインの選択")));
    if (chosen.isEmpty()) return;
    // The previous plug-in's company names go whether or not the new file is one.
    if (companyList_) companyList_->clear();
    const QString path = cp932::decode(chosen);
    if (SetPlgin(path)) {
        txtSeiriPlgDir->setText(path);
        return;
    }
    platform::MsgBox(QStringLiteral("指定したファイルはプラグインでないか、内容が不正です"), platform::MsgButtons::Ok,
                     platform::MsgIcon::Critical, QStringLiteral("プラグインロードエラー"), this);
}

void frmOption::Command11_Click() const {
    // The panel's company list and the preview's size stay as they are.
    txtSeiriPlgDir->clear();
    txtPlginComment->clear();
    List1->clear();
}

bool frmOption::SetPlgin(const QString& path) {
    if (path.isEmpty()) return false;
    const QByteArray pathBytes = cp932::encode(path);
    ZelP4Res::PlgInfo info;
    if (ZelP4Res::ZEL4_GetPlgInfo(pathBytes, info) == 0) return false;
    ZelP4Res::ZEL4_SetPlgComment(pathBytes, txtPlginComment);
    List1->clear();
    List1->addItems(options::pluginPropertyLines(info));
    if (ticketPicture_) ticketPicture_->setFixedSize(std::max(0, info.PreviewWidth), std::max(0, info.PreviewHeight));
    if (info.CorpSwitch >= 1 && companyList_) ZelP4Res::ZEL4_SetCorpAddList(pathBytes, companyList_);
    return true;
}

void frmOption::Command4_Click() {
    SetProp();
    hide();
}
