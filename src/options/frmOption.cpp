#include "options/frmOption.h"

#include "display/Form1.h"
#include "options/ControlIndex.h"
#include "options/ControlValues.h"
#include "options/DigitsPage.h"
#include "options/FoldersPage.h"
#include "options/OptionWidgets.h"
#include "options/PanelPage.h"
#include "options/SoundsPage.h"
#include "options/StopNamePage.h"
#include "options/TicketLabels.h"
#include "options/TicketPreviewPage.h"
#include "platform/Seams.h"
#include "settings/SettingsRecord.h"
#include "settings/mdlIniIo.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

using namespace options::index;

// ---- the record and the controls, mapped once -----------------------------------------------

// Fields 1-61 of the settings record beside the control that holds each, in
// the order they are written into the dialog, with the steps taken between
// them. Reading the dialog and writing it walk this one list, so the two
// directions cannot drift apart.
class frmOption::Fields {
public:
    enum class Step { Backlight, PreviewColours, Plugin };

    template <class Record, class V> static void visit(const frmOption& o, Record& r, V& v) {
        // 1. Folders and ticket-number labels.
        v.text(r.FareDataDir, o.Text2[kFareFolder]);
        v.text(r.BroadcastDataDir, o.Text2[kBroadcastFolder]);
        v.check(r.TicketNumAutoShow, o.Check1, "Check1");
        v.colour(r.TicketNumColorOff, o.Command5[kModeOff]);
        v.colour(r.TicketNumColorOn1, o.Command5[kModeOn1]);
        v.colour(r.TicketNumColorOn2, o.Command5[kModeOn2]);
        v.list(r.TicketNumScheme, o.Combo2, "Combo2");
        v.check(r.TicketNumZeroPad, o.Check2, "Check2");
        // 2. Panel pictures, in the order the groups are stored.
        v.option(r.PanelAutoBuiltIn, o.Option3[kPanelAuto]);
        v.option(r.PanelIndividual, o.Option3[kPanelIndividual]);
        v.option(r.PanelOffBuiltIn, o.Option3[kPanelBuiltIn[kModeOff]]);
        v.option(r.PanelOffUser, o.Option3[kPanelUser[kModeOff]]);
        v.option(r.PanelOn1BuiltIn, o.Option3[kPanelBuiltIn[kModeOn1]]);
        v.option(r.PanelOn1User, o.Option3[kPanelUser[kModeOn1]]);
        v.option(r.PanelOn2BuiltIn, o.Option3[kPanelBuiltIn[kModeOn2]]);
        v.option(r.PanelOn2User, o.Option3[kPanelUser[kModeOn2]]);
        v.text(r.PanelOffUserFile, o.txtSelectPanel[kModeOff]);
        v.text(r.PanelOn1UserFile, o.txtSelectPanel[kModeOn1]);
        v.text(r.PanelOn2UserFile, o.txtSelectPanel[kModeOn2]);
        // 3. The backlight mode under the new panel pictures.
        v.step(Step::Backlight);
        // 4. Digit colours; the preview cell follows them.
        v.colour(r.DigitBackColor, o.Command8[kCellBack]);
        v.colour(r.DigitBaseColor, o.Command8[kCellBase]);
        v.colour(r.DigitLitColor, o.Command8[kCellLit]);
        v.step(Step::PreviewColours);
        // 5. Information digits.
        v.check(r.InfoStopOrderOn, o.Check3[kInfoStopOrder], "Check3(0)");
        v.list(r.InfoStopOrderCell, o.Combo4[kInfoStopOrder], "Combo4(0)");
        v.check(r.InfoStopOrderFromZero, o.Check3[kInfoFromZero], "Check3(4)");
        v.check(r.InfoTicketNumOn, o.Check3[kInfoTicketNum], "Check3(1)");
        v.list(r.InfoTicketNumCell, o.Combo4[kInfoTicketNum], "Combo4(1)");
        v.check(r.InfoRouteNumOn, o.Check3[kInfoRouteNum], "Check3(2)");
        v.list(r.InfoRouteNumCell, o.Combo4[kInfoRouteNum], "Combo4(2)");
        v.check(r.InfoColumnOn, o.Check3[kInfoColumn], "Check3(3)");
        v.list(r.InfoColumnIndex, o.Combo4[kInfoColumnIndex], "Combo4(4)");
        v.list(r.InfoColumnCell, o.Combo4[kInfoColumn], "Combo4(3)");
        // 6. Stop name.
        v.colour(r.StopNameBackColor, o.Command9[0]);
        v.colour(r.StopNameForeColor, o.Command9[1]);
        v.list(r.StopNameFontMode, o.Combo3, "Combo3");
        v.check(r.StopNameBold, o.Check4, "Check4");
        // 7. Sounds.
        v.text(r.SoundRouteSetFile, o.txtSelectSound[kSoundRouteSet]);
        v.text(r.SoundResetFile, o.txtSelectSound[kSoundKey]);
        v.option(r.AdvanceSoundSync, o.Option6[kSync]);
        v.option(r.AdvanceSoundAsync, o.Option6[kAsync]);
        v.option(r.AdvanceSoundAlways, o.Option2[kAdvanceAlways]);
        v.option(r.AdvanceSoundByColumn, o.Option2[kAdvanceByColumn]);
        v.text(r.AdvanceSoundFile, o.txtSelectSound[kSoundAdvanceAlways]);
        v.list(r.AdvanceSoundColumn, o.Combo1, "Combo1");
        v.text(r.AdvanceSoundFile1, o.txtSelectSound[kSoundAdvanceByValue]);
        v.text(r.AdvanceSoundFile2, o.txtSelectSound[kSoundAdvanceByValue + 1]);
        v.text(r.AdvanceSoundFile3, o.txtSelectSound[kSoundAdvanceByValue + 2]);
        v.option(r.AnnounceSoundSync, o.Option7[kSync]);
        v.option(r.AnnounceSoundAsync, o.Option7[kAsync]);
        v.option(r.AnnounceSoundAlways, o.Option2[kAnnounceAlways]);
        v.option(r.AnnounceSoundByFlag, o.Option2[kAnnounceByFlag]);
        v.text(r.AnnounceSoundFile, o.txtSelectSound[kSoundAnnounceAlways]);
        v.text(r.AnnounceSoundFile1, o.txtSelectSound[kSoundAnnounceByFlag]);
        v.text(r.AnnounceSoundFile2, o.txtSelectSound[kSoundAnnounceByFlag + 1]);
        v.text(r.AnnounceSoundFile3, o.txtSelectSound[kSoundAnnounceByFlag + 2]);
        // 8. Ticket preview. The fixed date is taken as stored, date or not.
        v.check(r.TicketPreviewOn, o.chkUseSeiriPrev, "chkUseSeiriPrev");
        v.text(r.TicketPluginFile, o.txtSeiriPlgDir);
        v.option(r.TicketDatePerPrint, o.Option4[kDatePerPrint]);
        v.option(r.TicketDateAtRouteSet, o.Option4[kDateAtRouteSet]);
        v.option(r.TicketDateFixed, o.Option4[kDateFixed]);
        v.text(r.TicketFixedDate, o.Label10);
        // 9. The ticket plug-in described afresh from the stored path.
        v.step(Step::Plugin);
    }

    // The controls into the record.
    struct Read {
        template <class Box> void text(QString& field, const Box* box) { field = box->text(); }
        void check(std::int16_t& field, const QCheckBox* box, const char*) {
            field = options::checkValueOf(box->checkState());
        }
        void option(std::int16_t& field, const QRadioButton* option) {
            field = options::optionValueOf(option->isChecked());
        }
        void colour(platform::Color& field, const options::ColorButton* button) { field = button->BackColor(); }
        void list(std::int16_t& field, const QComboBox* list, const char*) { field = std::int16_t(list->currentIndex()); }
        void step(Step) {}
    };

    // The record into the controls, each change as the user's own.
    struct Write {
        frmOption& dialog;
        bool followUps;

        template <class Box> void text(const QString& field, Box* box) { box->setText(field); }
        void check(std::int16_t field, QCheckBox* box, const char* name) { options::setStoredCheck(box, field, name); }
        // Option buttons: -1 (any non-zero) selects, 0 deselects even the
        // selected member of a group, which then has none selected.
        void option(std::int16_t field, QRadioButton* option) {
            const bool selected = options::optionSelected(field);
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
        void colour(platform::Color field, options::ColorButton* button) { button->setBackColor(field); }
        void list(std::int16_t field, QComboBox* list, const char* name) {
            if (!options::listPositionAccepted(field, list->count()))
                throw mdlIniIo::SettingsError(options::kInvalidPropertyValue,
                                              options::invalidValueDescription(QLatin1String(name), field));
            list->setCurrentIndex(field);
        }
        void step(Step step) {
            switch (step) {
            case Step::Backlight:
                if (followUps) dialog.reapplyBacklight();
                break;
            case Step::PreviewColours: dialog.digits->updatePreviewColours(); break;
            case Step::Plugin:
                // A path that names no plug-in stays as it is, silently.
                if (followUps) dialog.SetPlgin(dialog.txtSeiriPlgDir->text());
                break;
            }
        }
    };
};

// ---- building ------------------------------------------------------------------------------

frmOption::frmOption(Form1* display, QWidget* parent)
    : QDialog(parent), folders(new options::FoldersPage), panelPage(new options::PanelPage),
      digits(new options::DigitsPage), stopName(new options::StopNamePage), sounds(new options::SoundsPage),
      ticketPage(new options::TicketPreviewPage), Text2(folders->Text2), Command3(folders->Command3),
      Command10(folders->Command10), Check1(panelPage->Check1), Frame3(panelPage->Frame3),
      Command5(panelPage->Command5), Combo2(panelPage->Combo2), Check2(panelPage->Check2),
      Option3(panelPage->Option3), Frame6(panelPage->Frame6), txtSelectPanel(panelPage->txtSelectPanel),
      Command6(panelPage->Command6), Command8(digits->Command8), M_Degit1(digits->M_Degit1), Check3(digits->Check3),
      Combo4(digits->Combo4), Command9(stopName->Command9), Combo3(stopName->Combo3), Check4(stopName->Check4),
      txtSelectSound(sounds->txtSelectSound), cmdSelectSound(sounds->cmdSelectSound), Option5(sounds->Option5),
      Frame2(sounds->Frame2), soundPages(sounds->soundPages), Option6(sounds->Option6), Option2(sounds->Option2), Combo1(sounds->Combo1),
      Option7(sounds->Option7), chkUseSeiriPrev(ticketPage->chkUseSeiriPrev), Frame10(ticketPage->Frame10),
      txtSeiriPlgDir(ticketPage->txtSeiriPlgDir), Command1(ticketPage->Command1), Command11(ticketPage->Command11), List1(ticketPage->List1),
      txtPlginComment(ticketPage->txtPlginComment), Frame7(ticketPage->Frame7), Option4(ticketPage->Option4),
      Label10(ticketPage->Label10), Command7(ticketPage->Command7), display_(display) {
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
        auto* b = new options::PageButton(pageCaptions[i], this);
        b->setMinimumHeight(int(2.6 * options::em(this)));
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
    Frame1 = {folders, panelPage, digits, stopName, sounds, ticketPage};
    for (QWidget* page : Frame1) pages->addWidget(page);
    right->addWidget(pages, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    Command4 = new QPushButton(QStringLiteral("OK"), this);
    Command4->setDefault(true);
    Command4->setMinimumWidth(6 * options::em(this));
    connect(Command4, &QPushButton::clicked, this, &frmOption::Command4_Click);
    buttons->addWidget(Command4);
    right->addLayout(buttons);
    outer->addLayout(right, 1);

    // The design state: the values in force when there is no settings file.
    // Set through the same path as stored values, so the dependent controls
    // follow; the fare display is left alone until settings are applied.
    applyRecord(settings::SettingsRecord::initial(platform::clock().now().date()), false);
    updateDependents();
    Option1[0]->setChecked(true);

    options::holdLargestPage(pages);
    outer->setSizeConstraint(QLayout::SetFixedSize);
}

frmOption::~frmOption() = default;

void frmOption::setTicketPreview(QWidget* picture, QComboBox* companies) {
    ticketPage->setTicketPreview(picture, companies);
}

void frmOption::updateDependents() {
    panelPage->updateDependents();
    digits->updateDependents();
    ticketPage->updateDependents();
}

bool frmOption::SetPlgin(const QString& path) { return ticketPage->SetPlgin(path); }

// ---- the settings, by name -------------------------------------------------------------------

settings::DataFolders frmOption::dataFolders() const {
    return {Text2[kFareFolder]->text(), Text2[kBroadcastFolder]->text()};
}

void frmOption::setDataFolders(const settings::DataFolders& folders) {
    Text2[kFareFolder]->setText(folders.fareData);
    Text2[kBroadcastFolder]->setText(folders.broadcastData);
}

settings::KeySounds frmOption::keySounds() const {
    return {txtSelectSound[kSoundRouteSet]->text(), txtSelectSound[kSoundKey]->text()};
}

settings::AdvanceSoundSettings frmOption::advanceSound() const {
    settings::AdvanceSoundSettings s;
    s.always = Option2[kAdvanceAlways]->isChecked();
    s.sync = Option6[kSync]->isChecked();
    s.file = txtSelectSound[kSoundAdvanceAlways]->text();
    s.columnIndex = Combo1->currentIndex();
    for (size_t k = 0; k < 3; ++k) s.byValue[k] = txtSelectSound[kSoundAdvanceByValue + k]->text();
    return s;
}

settings::AnnounceSoundSettings frmOption::announceSound() const {
    settings::AnnounceSoundSettings s;
    s.always = Option2[kAnnounceAlways]->isChecked();
    s.sync = Option7[kSync]->isChecked();
    s.file = txtSelectSound[kSoundAnnounceAlways]->text();
    for (size_t k = 0; k < 3; ++k) s.byFlag[k] = txtSelectSound[kSoundAnnounceByFlag + k]->text();
    return s;
}

settings::InfoDigits frmOption::infoDigits() const {
    settings::InfoDigits info;
    info.stopOrderOn = options::marked(Check3[kInfoStopOrder]);
    info.stopOrderCell = Combo4[kInfoStopOrder]->currentIndex();
    info.stopOrderFromZero = options::marked(Check3[kInfoFromZero]);
    info.ticketNumOn = options::marked(Check3[kInfoTicketNum]);
    info.ticketNumCell = Combo4[kInfoTicketNum]->currentIndex();
    info.routeNumOn = options::marked(Check3[kInfoRouteNum]);
    info.routeNumCell = Combo4[kInfoRouteNum]->currentIndex();
    info.columnOn = options::marked(Check3[kInfoColumn]);
    info.columnIndex = Combo4[kInfoColumnIndex]->currentIndex();
    info.columnCell = Combo4[kInfoColumn]->currentIndex();
    return info;
}

settings::TicketDateSettings frmOption::ticketDate() const {
    using Mode = settings::TicketDateMode;
    Mode mode = Mode::None;
    if (Option4[kDatePerPrint]->isChecked()) mode = Mode::PerPrint;
    else if (Option4[kDateAtRouteSet]->isChecked()) mode = Mode::AtRouteSet;
    else if (Option4[kDateFixed]->isChecked()) mode = Mode::Fixed;
    return {mode, Label10->text()};
}

settings::TicketPreviewSettings frmOption::ticketPreview() const {
    return {options::marked(chkUseSeiriPrev), txtSeiriPlgDir->text()};
}

options::BacklightLook frmOption::backlightLook(std::int16_t mode) const {
    options::BacklightLook look;
    if (mode < 0 || mode >= std::int16_t(kModeCount)) return look;
    const auto m = size_t(mode);
    look.labelColour = Command5[m]->BackColor();
    if (Option3[kPanelIndividual]->isChecked() && Option3[kPanelUser[m]]->isChecked())
        look.userPicture = txtSelectPanel[m]->text();
    return look;
}

std::int16_t frmOption::backlightMode() const {
    if (!backlight_) return 0;
    const std::int16_t mode = backlight_->selectedBacklightMode();
    return mode == 0 || mode == 1 ? mode : std::int16_t(2);
}

void frmOption::reapplyBacklight() {
    if (backlight_) backlight_->Option4_Click(backlightMode());
    else if (display_) options::applyBacklightMode(backlightLook(0), *display_, 0, this);
}

// ---- exchange with the settings record ---------------------------------------------------------

void frmOption::GetOptionInfo(settings::SettingsRecord& record) const {
    Fields::Read read;
    Fields::visit(*this, record, read);
}

void frmOption::SetOptionInfo(const settings::SettingsRecord& record) { applyRecord(record, true); }

void frmOption::applyRecord(const settings::SettingsRecord& record, bool followUps) {
    Fields::Write write{*this, followUps};
    Fields::visit(*this, record, write);
}

// ---- applying to the display -----------------------------------------------------------------

void frmOption::SetProp() {
    if (!display_) return;
    Form1& f = *display_;

    // 1. Labels shown unless the box is unchecked (grey shows them too).
    f.setTicketLabelsShown(options::marked(Check1));

    // 2. Numbering, also for hidden labels.
    auto scheme = std::int16_t(Combo2->currentIndex());
    std::int16_t zeroPad = options::checkValueOf(Check2->checkState());
    mdlOrv_000::SeirikenNumSet(f, scheme, zeroPad);

    // 3. Label colour of the panel's backlight mode.
    f.setTicketLabelColour(Command5[size_t(backlightMode())]->BackColor());

    // 4-5. Fare cells, then the clock cells.
    f.setCellColours(Command8[kCellBack]->BackColor(), Command8[kCellBase]->BackColor(),
                     Command8[kCellLit]->BackColor());

    // 6-7. The stop-name strip: colours, typeface (-1, none chosen, passes
    // through), bold only when checked.
    f.setStopNameStyle(Command9[0]->BackColor(), Command9[1]->BackColor(), std::int16_t(Combo3->currentIndex()),
                       Check4->checkState() == Qt::Checked);

    // 8. The backlight mode again, under the possibly new pictures.
    reapplyBacklight();
}

// ---- event handlers ----------------------------------------------------------------------------

void frmOption::Option1_Click(int index) {
    if (index >= 0 && index < int(Frame1.size())) pages->setCurrentWidget(Frame1[size_t(index)]);
}

void frmOption::Command4_Click() {
    SetProp();
    hide();
}

void frmOption::reject() { Command4_Click(); }
