#include "panel/frmCtl.h"

#include "display/ChimeiCtl_B.h"
#include "display/Form1.h"
#include "display/M_Degit.h"
#include "options/ControlValues.h"
#include "options/OptionWidgets.h"
#include "options/frmOption.h"
#include "panel/PanelWidgets.h"
#include "platform/Activity.h"
#include "platform/Cp932.h"
#include "platform/ProgramIdentity.h"
#include "platform/Seams.h"
#include "platform/Twips.h"
#include "platform/Files.h"
#include "platform_ui/PlainButton.h"
#include "platform_ui/Regions.h"
#include "platform_ui/ResourceLibrary.h"
#include "platform_ui/WindowPlacer.h"
#include "route/FareDataFile.h"
#include "route/RouteFiles.h"
#include "route/mdlOrv_000.h"
#include "settings/SettingsRecord.h"
#include "settings/mdlIniIo.h"
#include "sound/mdlM_Tape.h"
#include "sound/mdlSndAPI.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// The entry pages look like the console they stand for: a dark body with
// light writing.
void paintConsole(QWidget* page) {
    QPalette palette = page->palette();
    palette.setColor(QPalette::Window, QColor(0x3A, 0x3F, 0x44));
    palette.setColor(QPalette::WindowText, QColor(0xF0, 0xF0, 0xF0));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x98, 0x9E, 0xA4));
    page->setPalette(palette);
    page->setAutoFillBackground(true);
}

// A small liquid-crystal display of the keypad page.
QLabel* lcd(int digits, const QString& name, QWidget* parent) {
    auto* label = new QLabel(parent);
    QFont face = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    face.setPointSizeF(QFontInfo(parent->font()).pointSizeF() * 1.6);
    face.setBold(true);
    label->setFont(face);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setTextFormat(Qt::PlainText);
    const QFontMetrics metrics(face);
    label->setFixedSize(metrics.horizontalAdvance(QString(digits, QLatin1Char('0'))) + 16, metrics.height() + 8);
    label->setAccessibleName(name);
    return label;
}

// Green digits on a dark glass; the display that takes the keypad's digits
// has a bright rim.
void markTarget(QLabel* display, bool target) {
    display->setStyleSheet(QStringLiteral("QLabel { background-color: #1C2A1E; color: #A6F58E; padding-right: 3px;"
                                          " border: 2px solid %1; }")
                               .arg(target ? QStringLiteral("#F2B233") : QStringLiteral("#2E3A30")));
}

} // namespace

frmCtl::frmCtl(Form1* display, frmOption* options, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      display_(display), options_(options) {
    setWindowTitle(QStringLiteral("集中操作盤"));

    mainColumn_ = new QWidget(this);
    auto* column = new QVBoxLayout(mainColumn_);
    column->setContentsMargins(8, 8, 8, 8);
    column->setSpacing(6);

    // The two entry pages at one place; the keypad is in front at a first
    // start (the list page counts as the one last sent to the back).
    entryPages = new QStackedWidget(mainColumn_);
    entryPages->addWidget(buildListPage());
    entryPages->addWidget(buildKeypadPage());
    for (int i = 0; i < 2; ++i)
        connect(Frame1[size_t(i)], &panel::EntryPage::doubleClicked, this, [this, i] { Frame1_DblClick(i); });
    entryPages->setCurrentWidget(Frame1[1]);
    column->addWidget(entryPages);
    column->addWidget(buildRideControls());
    column->addStretch(1);

    previewPane_ = buildPreviewPane();

    // Fixed, like the real panel: narrow, or widened by the preview pane.
    const int height = mainColumn_->sizeHint().height();
    mainColumn_->setGeometry(0, 0, kNarrowWidth, height);
    previewPane_->setGeometry(kNarrowWidth, 0, kWideWidth - kNarrowWidth, height);
    previewPane_->hide();
    setFixedSize(kNarrowWidth, height);

    // The options dialog sizes the preview for its plug-in and fills the
    // company list from it.
    if (options_) options_->setTicketPreview(picSeirikenPrev, Combo1);
    setUpKeyboard();
}

// ---- the keyboard ---------------------------------------------------------------------------

namespace {

// A key pressed on the keyboard works its button at once (a quick typist's
// "11" is two presses), and the button shows a moment pressed.
void press(QAbstractButton* button) {
    if (!button->isEnabled()) return;
    button->setDown(true);
    QTimer::singleShot(90, button, [button] { button->setDown(false); });
    button->click();
}

} // namespace

void frmCtl::setUpKeyboard() {
    // The keys themselves are handled where they arrive when the focused
    // control does not take them (keyPressEvent).
    for (panel::KeyCap* key : CommandButton1) key->setFocusPolicy(Qt::ClickFocus);
    for (QScrollBar* slider : HScroll1) slider->setFocusPolicy(Qt::StrongFocus);

    // Tab goes as a driver works: the entry, リセット, the stop buttons, the
    // switches, the announcements, then the rest.
    QList<QWidget*> order;
    for (panel::DigitWheel* wheel : List2) order << wheel;
    for (panel::DigitWheel* wheel : List3) order << wheel;
    order << Command1[0] << Command1[1] << Command2[0] << Command2[1] << Check1 << Check2 << HScroll1[0]
          << HScroll1[1] << cmdTapeNext << cmdTapeBack << cmdTapeStop << cmdTapeSet;
    for (QRadioButton* mode : Option4) order << mode;
    order << Command8 << Command4 << Check4 << Combo1;
    for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

QAbstractButton* frmCtl::keyboardButton(const QKeyEvent& event) const {
    // A key reaches the panel when the focused control did not take it: a
    // digit wheel takes its digits and page keys, a slider its page keys.
    const int key = event.key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) return qobject_cast<QAbstractButton*>(focusWidget());
    // Shift makes * on many keyboards, and the number pad's keys carry
    // their own modifier; with any other modifier a key is not the panel's.
    if (event.modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) return nullptr;
    // The bus moves a stop on and back with the page keys.
    if (key == Qt::Key_PageDown) return Command2[1];
    if (key == Qt::Key_PageUp) return Command2[0];
    // The ten-key pad is typed on, not tabbed through: digits go to it
    // while its page is in front, and so do the two entry keys (系統: * or
    // R, 区間: / or S).
    if (entryPages->currentWidget() != Frame1[1]) return nullptr;
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return CommandButton1[size_t(key - Qt::Key_0)];
    if (key == Qt::Key_Asterisk || key == Qt::Key_R) return CommandButton1[size_t(panel::kKeyRoute)];
    if (key == Qt::Key_Slash || key == Qt::Key_S) return CommandButton1[size_t(panel::kKeySection)];
    return nullptr;
}

void frmCtl::keyPressEvent(QKeyEvent* event) {
    // A key press works the on-screen button, so it is seen and heard as a
    // click would be, and does nothing while the button is disabled
    // (display clear, no route set).
    if (QAbstractButton* button = keyboardButton(*event)) {
        press(button);
        return;
    }
    QWidget::keyPressEvent(event);
}

frmCtl::~frmCtl() = default;

// ---- building ------------------------------------------------------------------------------

QWidget* frmCtl::buildListPage() {
    auto* page = new panel::EntryPage;
    Frame1[0] = page;
    paintConsole(page);
    page->setAccessibleName(QStringLiteral("リスト入力"));
    page->setToolTip(QStringLiteral("ダブルクリックでテンキー入力に切り替えます"));

    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(10, 6, 10, 8);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(6);

    Label5 = new QLabel(QStringLiteral("系統設定"), page);
    QFont title = Label5->font();
    title.setBold(true);
    Label5->setFont(title);
    grid->addWidget(Label5, 0, 0, 1, 7);

    Label6 = new QLabel(QStringLiteral("系　統"), page);
    grid->addWidget(Label6, 1, 0);
    for (int i = 0; i < 5; ++i) {
        auto* wheel = new panel::DigitWheel(page);
        wheel->setAccessibleName(QStringLiteral("系統%1桁目").arg(i + 1));
        connect(wheel, &panel::DigitWheel::clickedDigit, this, [this, i] { List2_Click(i); });
        List2[size_t(i)] = wheel;
        grid->addWidget(wheel, 1, 1 + i);
    }

    Label7 = new QLabel(QStringLiteral("区間"), page);
    grid->addWidget(Label7, 2, 0);
    for (int i = 0; i < 3; ++i) {
        auto* wheel = new panel::DigitWheel(page);
        wheel->setAccessibleName(QStringLiteral("区間%1桁目").arg(i + 1));
        connect(wheel, &panel::DigitWheel::clickedDigit, this, [this, i] { List3_Click(i); });
        List3[size_t(i)] = wheel;
        grid->addWidget(wheel, 2, 1 + i);
    }

    Command1[0] = platform_ui::plainButton(QStringLiteral("リセット"), page);
    Command1[0]->setMinimumHeight(List3[0]->sizeHint().height());
    connect(Command1[0], &QPushButton::clicked, this, [this] { Command1_Click(0); });
    grid->addWidget(Command1[0], 2, 4, 1, 2);
    grid->setColumnStretch(6, 1);
    grid->setRowStretch(3, 1);
    return page;
}

QWidget* frmCtl::buildKeypadPage() {
    auto* page = new panel::EntryPage;
    Frame1[1] = page;
    paintConsole(page);
    page->setAccessibleName(QStringLiteral("テンキー入力"));
    page->setToolTip(QStringLiteral("ダブルクリックでリスト入力に切り替えます"));

    auto* row = new QHBoxLayout(page);
    row->setContentsMargins(10, 8, 10, 8);
    row->setSpacing(12);

    // The ten-key pad: 7 8 9 / 4 5 6 / 1 2 3 / 系統 0 区間.
    auto* keys = new QGridLayout;
    keys->setSpacing(1);
    const int place[12][2] = {{3, 1}, {2, 0}, {2, 1}, {2, 2}, {1, 0}, {1, 1},
                              {1, 2}, {0, 0}, {0, 1}, {0, 2}, {3, 0}, {3, 2}};
    for (int i = 0; i < 12; ++i) {
        const QString caption = i == panel::kKeyRoute     ? QStringLiteral("系統")
                                : i == panel::kKeySection ? QStringLiteral("区間")
                                                          : QString::number(i);
        auto* key = new panel::KeyCap(caption, page);
        connect(key, &QPushButton::clicked, this, [this, i] { CommandButton1_Click(i); });
        CommandButton1[size_t(i)] = key;
        keys->addWidget(key, place[i][0], place[i][1]);
    }
    row->addLayout(keys);

    auto* right = new QVBoxLayout;
    right->setSpacing(8);
    // The two displays, each with what it holds written above it.
    auto* displays = new QGridLayout;
    displays->setHorizontalSpacing(4);
    displays->setVerticalSpacing(1);
    Label2[0] = lcd(panel::kRouteDigits, QStringLiteral("系統表示"), page);
    Label2[1] = new QLabel(QStringLiteral("-"), page);
    Label2[2] = lcd(panel::kSectionDigits, QStringLiteral("区間表示"), page);
    displays->addWidget(new QLabel(QStringLiteral("系統"), page), 0, 0);
    displays->addWidget(new QLabel(QStringLiteral("区間"), page), 0, 2);
    displays->addWidget(Label2[0], 1, 0);
    displays->addWidget(Label2[1], 1, 1);
    displays->addWidget(Label2[2], 1, 2);
    displays->setColumnStretch(3, 1);
    right->addLayout(displays);
    right->addStretch(1);
    Command1[1] = platform_ui::plainButton(QStringLiteral("リセット"), page);
    Command1[1]->setMinimumHeight(2 * panel::KeyCap::kHeight);
    connect(Command1[1], &QPushButton::clicked, this, [this] { Command1_Click(1); });
    right->addWidget(Command1[1]);
    row->addLayout(right, 1);
    showKeypadEntry();
    return page;
}

QWidget* frmCtl::buildRideControls() {
    auto* box = new QWidget(mainColumn_);
    auto* rows = new QVBoxLayout(box);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(6);

    // Data back and forward, the large buttons the driver uses at every
    // stop; display clear beside them, outside Frame6, so that it can be
    // switched off again while Frame6 is disabled.
    auto* advance = new QHBoxLayout;
    Command2[0] = platform_ui::plainButton(QStringLiteral("データ戻し"), box);
    Command2[1] = platform_ui::plainButton(QStringLiteral("データ送り"), box);
    Check1 = new QCheckBox(QStringLiteral("表示消去"), box);
    for (int i = 0; i < 2; ++i) {
        Command2[size_t(i)]->setMinimumHeight(36);
        Command2[size_t(i)]->setEnabled(false);
        connect(Command2[size_t(i)], &QPushButton::clicked, this, [this, i] { Command2_Click(i); });
        advance->addWidget(Command2[size_t(i)], 1);
    }
    Check1->setEnabled(false);
    connect(Check1, &QCheckBox::toggled, this, [this] { Check1_Click(); });
    advance->addWidget(Check1);
    rows->addLayout(advance);

    // Late night and the stop name's scrolling.
    Frame6 = new QGroupBox(box);
    auto* grid = new QGridLayout(Frame6);
    grid->setContentsMargins(8, 6, 8, 6);
    grid->setVerticalSpacing(4);
    Check2 = new QCheckBox(QStringLiteral("深夜料金"), Frame6);
    connect(Check2, &QCheckBox::toggled, this, [this](bool on) {
        publishState();
        emit lateNightChanged(on);
    });
    grid->addWidget(Check2, 0, 0, 1, 3);
    const QString captions[2] = {QStringLiteral("ｽｸﾛｰﾙ速度"), QStringLiteral("ｽｸﾛｰﾙ間隔")};
    const int ranges[2][3] = {{1, 2000, 1}, {0, 3000, 0}}; // minimum, maximum, design value
    for (int i = 0; i < 2; ++i) {
        Label3[size_t(i)] = new QLabel(captions[i], Frame6);
        auto* slider = new QScrollBar(Qt::Horizontal, Frame6);
        slider->setRange(ranges[i][0], ranges[i][1]);
        slider->setValue(ranges[i][2]);
        slider->setSingleStep(1);
        slider->setPageStep(i == 0 ? 10 : 100);
        slider->setAccessibleName(captions[i]);
        Label3[size_t(i)]->setBuddy(slider);
        Label1[size_t(i)] = new QLabel(QString::number(slider->value()), Frame6);
        Label1[size_t(i)]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        Label1[size_t(i)]->setMinimumWidth(Label1[size_t(i)]->fontMetrics().horizontalAdvance(QStringLiteral("00000")));
        HScroll1[size_t(i)] = slider;
        connect(slider, &QScrollBar::valueChanged, this, [this, i] { HScroll1_Change(i); });
        grid->addWidget(Label3[size_t(i)], 1 + i, 0);
        grid->addWidget(slider, 1 + i, 1);
        grid->addWidget(Label1[size_t(i)], 1 + i, 2);
    }
    grid->setColumnStretch(1, 1);
    rows->addWidget(Frame6);

    // Announcements and the backlight side by side.
    auto* middle = new QHBoxLayout;
    grpM_Tape = new QGroupBox(mdlM_Tape::kCaptionUnavailable, box);
    auto* tape = new QHBoxLayout(grpM_Tape);
    tape->setContentsMargins(6, 4, 6, 6);
    tape->setSpacing(3);
    cmdTapeNext = platform_ui::plainButton(QStringLiteral("送り"), grpM_Tape);
    cmdTapeBack = platform_ui::plainButton(QStringLiteral("戻し"), grpM_Tape);
    cmdTapeSet = platform_ui::plainButton(QStringLiteral("調整"), grpM_Tape);
    cmdTapeStop = platform_ui::plainButton(QStringLiteral("■"), grpM_Tape);
    cmdTapeStop->setAccessibleDescription(QStringLiteral("放送を止めます"));
    for (QPushButton* b : {cmdTapeBack, cmdTapeNext, cmdTapeSet, cmdTapeStop}) {
        b->setMinimumWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("調整")) + 12);
        b->setEnabled(false);
        tape->addWidget(b);
    }
    connect(cmdTapeNext, &QPushButton::clicked, this, [this] { cmdTapeNext_Click(); });
    connect(cmdTapeBack, &QPushButton::clicked, this, [this] { cmdTapeBack_Click(); });
    connect(cmdTapeSet, &QPushButton::clicked, this, [this] { cmdTapeSet_Click(); });
    connect(cmdTapeStop, &QPushButton::clicked, this, [this] { cmdTapeStop_Click(); });
    // The group is usable with the speech engine, its buttons once a route's
    // announcements are loaded.
    grpM_Tape->setEnabled(false);
    middle->addWidget(grpM_Tape);

    backlightFrame = new QGroupBox(QStringLiteral("バックライト"), box);
    auto* modes = new QHBoxLayout(backlightFrame);
    modes->setContentsMargins(6, 4, 6, 6);
    modes->setSpacing(4);
    auto* modeGroup = new QButtonGroup(this);
    const QString modeCaptions[3] = {QStringLiteral("OFF"), QStringLiteral("ON1"), QStringLiteral("ON2")};
    for (int i = 0; i < 3; ++i) {
        Option4[size_t(i)] = new QRadioButton(modeCaptions[i], backlightFrame);
        modeGroup->addButton(Option4[size_t(i)]);
        modes->addWidget(Option4[size_t(i)]);
    }
    Option4[0]->setChecked(true);
    for (int i = 0; i < 3; ++i) {
        connect(Option4[size_t(i)], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) Option4_Click(std::int16_t(i));
        });
    }
    middle->addWidget(backlightFrame, 1);
    rows->addLayout(middle);

    // The version box, the options, and the preview pane's toggle.
    auto* bottom = new QHBoxLayout;
    Command8 = platform_ui::plainButton(QStringLiteral("ﾊﾞｰｼﾞｮﾝ"), box);
    Command4 = platform_ui::plainButton(QStringLiteral("設定..."), box);
    Check4 = platform_ui::plainButton(QStringLiteral(">>"), box);
    Check4->setCheckable(true);
    Check4->setToolTip(QStringLiteral("整理券プレビューを開きます"));
    Check4->setAccessibleDescription(Check4->toolTip());
    connect(Command8, &QPushButton::clicked, this, [this] { Command8_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(Check4, &QPushButton::toggled, this, [this] { Check4_Click(); });
    bottom->addWidget(Command8);
    bottom->addWidget(Command4);
    // Lit while a ride by the timetable runs, so a hand knows it is not
    // alone at the panel; hidden otherwise, the row looks as it always did.
    rideLamp = new QLabel(QStringLiteral("自動運行中"), box);
    rideLamp->setObjectName(QStringLiteral("rideLamp"));
    rideLamp->setAlignment(Qt::AlignCenter);
    rideLamp->setStyleSheet(QStringLiteral("QLabel { background: #f2b233; color: black; border-radius: 3px; "
                                           "padding: 1px 6px; font-weight: bold; }"));
    rideLamp->setAccessibleName(rideLamp->text());
    rideLamp->hide();
    bottom->addStretch(1);
    bottom->addWidget(rideLamp);
    bottom->addStretch(1);
    bottom->addWidget(Check4);
    rows->addLayout(bottom);
    return box;
}

QWidget* frmCtl::buildPreviewPane() {
    auto* pane = new QWidget(this);
    auto* column = new QVBoxLayout(pane);
    column->setContentsMargins(4, 8, 8, 8);
    column->setSpacing(6);
    Label4 = new QLabel(QStringLiteral("整理券プレビュー"), pane);
    column->addWidget(Label4);
    picSeirikenPrev = new panel::PreviewPicture(pane);
    picSeirikenPrev->setAccessibleName(Label4->text());
    picSeirikenPrev->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    connect(picSeirikenPrev, &panel::PreviewPicture::mouseDown, this,
            [this](Qt::MouseButton button, QPoint pos) { picSeirikenPrev_MouseDown(button, pos); });
    // The whole pane until a plug-in gives the ticket its size; then the
    // ticket, centred at the top.
    column->addWidget(picSeirikenPrev, 1, Qt::AlignHCenter);
    Combo1 = new QComboBox(pane);
    Combo1->setAccessibleName(QStringLiteral("整理券プラグインの項目"));
    column->addWidget(Combo1);
    // Choosing another company reprints the ticket at once.
    connect(Combo1, &QComboBox::activated, this, [this] { Combo1_Click(); });

    MnuHide = new QMenu(this);
    MnuHideCopy = MnuHide->addAction(QStringLiteral("コピー(&C)"));
    connect(MnuHideCopy, &QAction::triggered, this, [this] { MnuHideCopy_Click(); });
    return pane;
}

// ---- the load step ------------------------------------------------------------------------

void frmCtl::Load() {
    if (display_)
        display_->setWindowTitle(QStringLiteral("Ferrotab - 型番:") + platform::programIdentity().model);
    // The keys are rounded caps: each is cut to a rounded rectangle from
    // (2, 2) to (28, 25) with 2 x 2 corners.
    for (size_t i = 0; i < CommandButton1.size(); ++i) {
        KeyRegions[i] = platform_ui::roundRectRegion(panel::KeyCap::faceRect(), 2, 2);
        CommandButton1[i]->setMask(KeyRegions[i]);
    }
    // The speech engine, and with it the announcement group's caption.
    std::function<settings::AnnounceSoundSettings()> announceSound;
    if (options_) announceSound = [options = options_] { return options->announceSound(); };
    mdlM_Tape::TapeInit({this, grpM_Tape, cmdTapeNext, cmdTapeBack, cmdTapeSet, cmdTapeStop, announceSound});
    mdlM_Tape::TapeOnSpoken([this](std::int32_t index, bool next) {
        noteAnnouncementStarted(next);
        emit announcementStarted(index, next);
    });
    publishState();
}

// ---- entry ---------------------------------------------------------------------------------

void frmCtl::CommandButton1_Click(int index) {
    if (index < 0 || index > panel::kKeySection) return;
    // Every key clicks, also one that changes nothing.
    if (options_) mdlSndAPI::PlayKeySound(options_->keySounds());
    keypad_.press(index);
    showKeypadEntry();
}

void frmCtl::showKeypadEntry() {
    Label2[0]->setText(keypad_.route);
    Label2[2]->setText(keypad_.section);
    Label2[0]->setAccessibleDescription(keypad_.route);
    Label2[2]->setAccessibleDescription(keypad_.section);
    markTarget(Label2[0], keypad_.toRoute);
    markTarget(Label2[2], !keypad_.toRoute);
    publishState();
    emit keypadEntryChanged();
}

void frmCtl::List2_Click(int) {
    // The choice is read at route setting; a click only sounds: the key
    // sound for a route digit, the route-setting sound for a section digit.
    if (options_) mdlSndAPI::PlayKeySound(options_->keySounds());
}

void frmCtl::List3_Click(int) {
    if (options_) mdlSndAPI::PlayRouteSetSound(options_->keySounds());
}

void frmCtl::Frame1_DblClick(int index) {
    if (index != 0 && index != 1) return;
    PageBack = std::int16_t(index);
    entryPages->setCurrentWidget(Frame1[size_t(1 - index)]);
}

// ---- route setting -------------------------------------------------------------------------

QString frmCtl::routeSetting(int index) {
    QString refusal = setRoute(index);
    // What a refused setting took of the entry (the route, the section, the
    // rows it read) shows too.
    if (!refusal.isEmpty()) publishState();
    return refusal;
}

QString frmCtl::setRoute(int index) {
    if (!display_ || !options_) return {};
    namespace mo = mdlOrv_000;

    mdlSndAPI::PlayRouteSetSound(options_->keySounds());
    const settings::DataFolders folders = options_->dataFolders();

    // The entry: the keypad's two displays, or the digit wheels.
    QString routeText;
    qint64 section = 0;
    if (index != 0) {
        routeText = Label2[0]->text();
        section = panel::leadingNumber(Label2[2]->text());
    } else {
        std::vector<int> route, sections;
        for (const panel::DigitWheel* wheel : List2) route.push_back(wheel->chosenRow());
        for (const panel::DigitWheel* wheel : List3) sections.push_back(wheel->chosenRow());
        routeText = panel::wheelDigits(route);
        section = panel::leadingNumber(panel::wheelDigits(sections));
    }
    const std::int16_t startSection = panel::clampSection(section);
    const QString routeNumber = panel::routeNumberText(routeText);

    // The route's announcements come first, before the fare data is looked
    // at; a route without them still runs, without the announcement buttons.
    mdlM_Tape::TapeLoad(platform::dataFolder(folders.broadcastData), routeNumber);

    // The route's fare data file, in the fare data folder as it reads now.
    // Copied from Windows, its name may differ in case ("12.HY3").
    const QString path = route::routeFilePath(folders.fareData, route::RouteFile::FareData, routeNumber);
    const route::FareDataResult file = route::readFareDataFile(path);
    panel::RouteSetOutcome outcome;
    try {
        outcome = panel::takeFareData(routeText, startSection, file);
    } catch (const std::exception& e) {
        outcome = {false, QString::fromUtf8(e.what())};
    }
    if (!outcome.loaded) return outcome.message;

    display_->ChimeiCtl->SetChimei(QStringLiteral("系統選別中"));

    // The lamp test: every segment of every cell lit for three seconds, in
    // which the whole program stands still, as the device does.
    display_->setLampTest(true);
    platform::DoEvents();
    {
        const platform::ActivityScope lampTest(platform::Activity::LampTest);
        platform::Sleep(3000);
    }
    display_->setLampTest(false);

    Command2[0]->setEnabled(true);
    Command2[1]->setEnabled(true);
    Check1->setEnabled(true);

    routeIsSet_ = true;
    const settings::TicketDateSettings date = options_->ticketDate();
    TicketDateText = panel::routeSetTicketDate(date.mode, platform::clock().now().date(), date.fixedDate, TicketDateText);
    publishState();
    emit routeSet();
    DispData(mo::state().CurrentRow + 1);
    return {};
}

// ---- the fares on the device -------------------------------------------------------------

bool frmCtl::lateNight() const { return options::marked(Check2); }

QString frmCtl::ticketDateForPrint() const {
    const settings::TicketDateSettings date = options_ ? options_->ticketDate() : settings::TicketDateSettings{};
    return panel::printTicketDate(date.mode, platform::clock().now().date(), TicketDateText, date.fixedDate);
}

void frmCtl::DispData(int n) {
    if (!display_ || n < 1 || n > route::kMaxFareRows) return;
    const mdlOrv_000::RunState& s = mdlOrv_000::state();
    const route::FareRow& row = s.FareTable[size_t(n - 1)];

    const settings::InfoDigits info = options_ ? options_->infoDigits() : settings::InfoDigits{};
    const std::vector<panel::CellWrite> writes =
        panel::fareCellWrites(row, n, s.StartSection, lateNight(), info, s.RouteText);
    for (const panel::CellWrite& w : writes) display_->Degit[size_t(w.cell)]->setValue(w.value);
    noteCellWrites(writes);

    // The numbered-ticket preview, which may give the stop another name.
    drawTicketPreview(n);

    // The cells and the preview repaint before the stop name changes. The
    // name is taken now: what runs meanwhile may load another route.
    const QString stopName = row.StopName;
    platform::DoEvents();
    publishState();
    emit stopShown(n);
    display_->ChimeiCtl->SetChimei(stopName);
}

void frmCtl::drawTicketPreview(int n) {
    if (n < 1 || n > route::kMaxFareRows) return;
    picSeirikenPrev->clear();
    const settings::TicketPreviewSettings preview = options_ ? options_->ticketPreview() : settings::TicketPreviewSettings{};
    if (preview.on) {
        mdlOrv_000::RunState& s = mdlOrv_000::state();
        route::FareRow& row = s.FareTable[size_t(n - 1)];
        // The library gets the name as bytes it may rewrite; what it leaves
        // there is the stop's name from now on.
        const QByteArray given = cp932::encode(row.StopName);
        QByteArray stopName = given;
        const QString time = platform::clock().now().time().toString(QStringLiteral("HH:mm:ss"));
        ZelP4Res::ZEL4_DrawSeiriken(cp932::encode(preview.pluginFile), &picSeirikenPrev->image, stopName,
                                    cp932::encode(ticketDateForPrint()), cp932::encode(time),
                                    std::int32_t(s.RouteText.toInt()), row.TicketNo, std::int16_t(n),
                                    std::int32_t(Combo1->currentIndex()));
        if (stopName != given) row.StopName = cp932::decode(stopName);
    }
    picSeirikenPrev->refresh();
}

void frmCtl::redrawCurrentTicket() {
    const mdlOrv_000::RunState& s = mdlOrv_000::state();
    if (routeIsSet_ && !Check1->isChecked()) drawTicketPreview(s.CurrentRow + 1);
}

void frmCtl::Combo1_Click() { redrawCurrentTicket(); }

QString frmCtl::fareDataFolder() const { return options_ ? options_->dataFolders().fareData : QString(); }

// ---- the ride ------------------------------------------------------------------------------

void frmCtl::Command2_Click(int index) {
    mdlOrv_000::RunState& s = mdlOrv_000::state();
    if (index == 0) {
        if (atFirstStop()) return;
        --s.CurrentRow;
    } else if (index == 1) {
        if (atLastStop()) return;
        ++s.CurrentRow;
    } else {
        return;
    }
    // The stop's sound; played to its end first when so set, so that the
    // fares change only after it.
    if (options_) mdlSndAPI::PlayAdvanceSound(options_->advanceSound(), s.FareTable[size_t(s.CurrentRow)]);
    DispData(s.CurrentRow + 1);
}

void frmCtl::Check1_Click() {
    if (!display_) return;
    if (Check1->isChecked()) {
        // The device goes dark: no stop name, no fares, no clock. The ticket
        // labels, the backlight and the preview stay as they are.
        display_->setDark(true);
        for (QWidget* w : {static_cast<QWidget*>(Frame1[0]), static_cast<QWidget*>(Frame1[1]),
                           static_cast<QWidget*>(Command2[0]), static_cast<QWidget*>(Command2[1]),
                           static_cast<QWidget*>(grpM_Tape), static_cast<QWidget*>(Frame6)})
            w->setEnabled(false);
        publishState();
        emit displayClearChanged(true);
        return;
    }
    for (QWidget* w : {static_cast<QWidget*>(Frame1[0]), static_cast<QWidget*>(Frame1[1]),
                       static_cast<QWidget*>(Command2[0]), static_cast<QWidget*>(Command2[1]),
                       static_cast<QWidget*>(Frame6)})
        w->setEnabled(true);
    // The announcements come back where the speech engine is.
    display_->setDark(false);
    grpM_Tape->setEnabled(mdlM_Tape::TapeEngineOK());
    publishState();
    emit displayClearChanged(false);
    DispData(mdlOrv_000::state().CurrentRow + 1);
}

void frmCtl::HScroll1_Change(int index) {
    if (index < 0 || index > 1) return;
    Label1[size_t(index)]->setText(QString::number(HScroll1[size_t(index)]->value()));
    // Both go to the strip, whichever moved.
    if (!display_) return;
    display_->ChimeiCtl->setSpeed(std::int16_t(HScroll1[0]->value()));
    display_->ChimeiCtl->setScrollStartWait(HScroll1[1]->value());
}

// ---- announcements ---------------------------------------------------------------------------

void frmCtl::cmdTapeNext_Click() {
    // An announcement that says so moves the bus on, as "データ送り" does.
    mdlM_Tape::cmdTapeNext_Click([this] { Command2_Click(1); });
}

void frmCtl::cmdTapeBack_Click() {
    mdlM_Tape::cmdTapeBack_Click([this] { Command2_Click(0); });
}

void frmCtl::cmdTapeSet_Click() { mdlM_Tape::cmdTapeSet_Click(); }

void frmCtl::cmdTapeStop_Click() { mdlM_Tape::cmdTapeStop_Click(); }

// ---- the rest of the panel -------------------------------------------------------------------

QString frmCtl::versionText() {
    const platform::ProgramVersion v = platform::programVersion();
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("型番：") + platform::programIdentity().model + crlf +
           QStringLiteral("バージョン：%1.%2.%3").arg(v.majorVersion).arg(v.minorVersion).arg(v.revision) + crlf + crlf +
           QStringLiteral("配布元：Ferrotab プロジェクト") + crlf + QStringLiteral("開発：Ferrotab 開発チーム") + crlf;
}

void frmCtl::Command8_Click() {
    if (display_) display_->setEnabled(false);
    ZelP4Res::Call_dlg110(this, 1, cp932::encode(versionText()));
    if (display_) display_->setEnabled(true);
}

void frmCtl::Check4_Click() {
    const bool open = Check4->isChecked();
    setFixedWidth(open ? kWideWidth : kNarrowWidth);
    // The pane opens to the right; a panel at the screen's right edge (where
    // a first start puts it) moves left by as much as would be off the screen.
    if (open && isVisible() && screen()) platform_ui::keepRightEdgeIn(*this, screen()->availableGeometry());
    // A closed pane takes no part in Tab.
    previewPane_->setVisible(open);
    Check4->setText(open ? QStringLiteral("<<") : QStringLiteral(">>"));
    Check4->setToolTip(open ? QStringLiteral("整理券プレビューを隠します") : QStringLiteral("整理券プレビューを開きます"));
    Check4->setAccessibleDescription(Check4->toolTip());
}

void frmCtl::Command4_Click() {
    if (!options_) return;
    if (display_) display_->setEnabled(false);
    setEnabled(false);
    options_->exec();
    if (display_) display_->setEnabled(true);
    setEnabled(true);
    emit settingsApplied();
    if (!display_) return;
    // The ticket of the current stop again, from the plug-in now chosen (or
    // cleared away when the preview was turned off), before the name is
    // taken: the plug-in may rename the stop.
    redrawCurrentTicket();
    // The stop name starts again, in the strip's new font and colours; the
    // fares stay as they are.
    display_->ChimeiCtl->SetChimei(QString());
    const mdlOrv_000::RunState& s = mdlOrv_000::state();
    const int row = std::clamp<int>(s.CurrentRow, 0, route::kMaxFareRows - 1);
    const QString stopName = s.FareTable[size_t(row)].StopName;
    display_->ChimeiCtl->SetChimei(stopName);
}

void frmCtl::picSeirikenPrev_MouseDown(Qt::MouseButton button, QPoint pos) const {
    if (button == Qt::RightButton) MnuHide->popup(picSeirikenPrev->mapToGlobal(pos));
}

void frmCtl::MnuHideCopy_Click() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setImage(picSeirikenPrev->image);
}

// ---- backlight -------------------------------------------------------------------------------

void frmCtl::Option4_Click(std::int16_t index) {
    if (options_ && display_) options::applyBacklightMode(options_->backlightLook(index), *display_, index, this);
    publishState();
    emit backlightChanged(index);
}

std::int16_t frmCtl::selectedBacklightMode() const {
    if (Option4[0]->isChecked()) return 0;
    if (Option4[1]->isChecked()) return 1;
    return 2;
}

// ---- settings ------------------------------------------------------------------------------

void frmCtl::GetCtrlDataInfo(settings::SettingsRecord& record) const {
    const QPoint p = platform_ui::outerTopLeft(*this);
    record.CtlLeft = platform::pixelsToTwips(p.x());
    record.CtlTop = platform::pixelsToTwips(p.y());
    record.ScrollSpeed = HScroll1[0]->value();
    record.ScrollStartWait = HScroll1[1]->value();
    record.CtlPageBack = PageBack;
    record.TicketPreviewShown = Check4->isChecked() ? 1 : 0;
    record.LateNightFare = options::checkValueOf(Check2->checkState());
}

void frmCtl::SetCtrlDataInfo(const settings::SettingsRecord& record) {
    // The pane takes its state before the panel is placed, so the window
    // system is asked for the place once the panel has its final width: a
    // window widened after its place was asked for, and before the window
    // manager has drawn its frame, lands by its client area's corner.
    const auto pane = options::checkStateFor(record.TicketPreviewShown);
    if (pane) Check4->setChecked(options::isMarked(*pane));
    placeWindow(platform::twipsToPixels(record.CtlLeft, record.CtlTop));
    // A slider takes the nearest value of its range.
    HScroll1[0]->setValue(record.ScrollSpeed);
    HScroll1[1]->setValue(record.ScrollStartWait);
    // Only 0 and 1 name a page; any other stored index leaves the pages as
    // they are, and is kept to be written back as it was read.
    PageBack = record.CtlPageBack;
    if (!pane)
        throw mdlIniIo::SettingsError(options::kInvalidPropertyValue,
                                      options::invalidValueDescription(QStringLiteral("Check4"), record.TicketPreviewShown));
    options::setStoredCheck(Check2, record.LateNightFare, "Check2");
    Frame1_DblClick(PageBack);
}

void frmCtl::placeWindow(std::optional<QPoint> outerTopLeft) {
    platform::Placement placement{outerTopLeft, platform::Corner::BottomRight, platform::GrabHandle::TitleBar, {}};
    // Widened by the preview pane, the panel stays on its screen.
    if (Check4->isChecked() && screen()) placement.keepRightEdgeIn = screen()->availableGeometry();
    platform_ui::placeWindow(*this, placement);
}

void frmCtl::closeEvent(QCloseEvent* event) {
    // Asked whatever closes the panel: its close box, the window manager, the
    // end of the session.
    const auto answer = platform::MsgBox(QStringLiteral("Ferrotabを終了しますか？"), platform::MsgButtons::YesNo,
                                         platform::MsgIcon::Question, QStringLiteral("Ferrotabの終了確認"), this);
    if (answer != platform::MsgAnswer::Yes) {
        event->ignore();
        return;
    }
    event->ignore(); // the quit procedure ends the program itself
    if (onQuitConfirmed) onQuitConfirmed();
}
