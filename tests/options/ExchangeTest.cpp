// The dialog's controls to and from the settings record, and the settings
// applied to the fare display.
#include "tests/options/OptionFixture.h"
#include "display/ChimeiCtl_B.h"
#include "display/M_Degit.h"
#include "display/Typefaces.h"
#include "options/OptionWidgets.h"
#include "options/TicketLabels.h"
#include "settings/SettingsCodec.h"
#include "settings/mdlIniIo.h"
#include "tests/support/DialogFields.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>

using settings::SettingsRecord;

namespace {

// A record in which every exchanged field differs from the factory values.
SettingsRecord everythingChanged() {
    SettingsRecord r = SettingsRecord::initial(QDate(2026, 12, 6));
    r.FareDataDir = QStringLiteral("D:\\運賃データ");
    r.BroadcastDataDir = QStringLiteral("D:\\放送");
    r.TicketNumAutoShow = 0;
    r.TicketNumColorOff = 0x010101;
    r.TicketNumColorOn1 = 0x020202;
    r.TicketNumColorOn2 = 0x030303;
    r.TicketNumScheme = 7;
    r.TicketNumZeroPad = 1;
    r.PanelAutoBuiltIn = 0;
    r.PanelIndividual = -1;
    r.PanelOffBuiltIn = 0;
    r.PanelOffUser = -1;
    r.PanelOn1BuiltIn = 0;
    r.PanelOn1User = -1;
    r.PanelOn2BuiltIn = 0;
    r.PanelOn2User = -1;
    r.PanelOffUserFile = QStringLiteral("/gone/off.bmp");
    r.PanelOn1UserFile = QStringLiteral("/gone/on1.bmp");
    r.PanelOn2UserFile = QStringLiteral("/gone/on2.bmp");
    r.DigitBackColor = 0x040404;
    r.DigitBaseColor = 0x050505;
    r.DigitLitColor = 0x060606;
    r.InfoStopOrderOn = 1;
    r.InfoStopOrderCell = 83;
    r.InfoStopOrderFromZero = 1;
    r.InfoTicketNumOn = 2;
    r.InfoTicketNumCell = 5;
    r.InfoRouteNumOn = 1;
    r.InfoRouteNumCell = 6;
    r.InfoColumnOn = 1;
    r.InfoColumnIndex = 149;
    r.InfoColumnCell = 7;
    r.StopNameBackColor = 0x070707;
    r.StopNameForeColor = 0x080808;
    r.StopNameFontMode = 4;
    r.StopNameBold = 1;
    r.SoundRouteSetFile = QStringLiteral("route.wav");
    r.SoundResetFile = QStringLiteral("reset.mp3");
    r.AdvanceSoundAlways = 0;
    r.AdvanceSoundByColumn = -1;
    r.AdvanceSoundSync = -1;
    r.AdvanceSoundAsync = 0;
    r.AdvanceSoundFile = QStringLiteral("advance.mid");
    r.AdvanceSoundColumn = 89;
    r.AdvanceSoundFile1 = QStringLiteral("a1.wav");
    r.AdvanceSoundFile2 = QStringLiteral("a2.wav");
    r.AdvanceSoundFile3 = QStringLiteral("a3.wav");
    r.AnnounceSoundAlways = 0;
    r.AnnounceSoundByFlag = -1;
    r.AnnounceSoundSync = 0;
    r.AnnounceSoundAsync = -1;
    r.AnnounceSoundFile = QStringLiteral("chime.wav");
    r.AnnounceSoundFile1 = QStringLiteral("f1.wav");
    r.AnnounceSoundFile2 = QStringLiteral("f2.wav");
    r.AnnounceSoundFile3 = QStringLiteral("f3.wav");
    r.TicketPreviewOn = 1;
    r.TicketPluginFile = QStringLiteral("/plugins/西日本.4SP");
    r.TicketDatePerPrint = 0;
    r.TicketDateAtRouteSet = 0;
    r.TicketDateFixed = -1;
    r.TicketFixedDate = QStringLiteral("2009/03/05");
    return r;
}

// Fields 1-61 of a record as the file stores them.
QByteArray exchangedBytes(const SettingsRecord& r) { return settings::encodeSettings(settings::testing::dialogFieldsOf(r)); }

} // namespace

TEST_F(OptionTest, ControlsToRecordToFileAndBackLeaveEveryControlAsItWas) {
    const SettingsRecord changed = everythingChanged();
    dialog->SetOptionInfo(changed);
    SettingsRecord gathered;
    dialog->GetOptionInfo(gathered);
    EXPECT_EQ(exchangedBytes(gathered), exchangedBytes(changed));

    // Through the file into a second dialog, and out again.
    const SettingsRecord read = settings::decodeSettings(settings::encodeSettings(gathered));
    frmOption second(&display);
    second.SetOptionInfo(read);
    SettingsRecord again;
    second.GetOptionInfo(again);
    EXPECT_EQ(exchangedBytes(again), exchangedBytes(changed));

    // What the user finds in the second dialog.
    EXPECT_EQ(second.Text2[0]->text(), QStringLiteral("D:\\運賃データ"));
    EXPECT_EQ(second.Combo4[0]->currentText(), QStringLiteral("84"));
    EXPECT_EQ(second.Combo4[4]->currentText(), QStringLiteral("150"));
    EXPECT_EQ(second.Combo1->currentText(), QStringLiteral("90"));
    EXPECT_EQ(second.Check3[1]->checkState(), Qt::PartiallyChecked);
    EXPECT_TRUE(second.Combo4[1]->isEnabled());
    EXPECT_FALSE(second.Frame3->isEnabled());
    EXPECT_FALSE(second.Frame6[1]->isHidden());
    EXPECT_FALSE(second.Frame7->isHidden());
    EXPECT_TRUE(second.Option2[1]->isChecked() && second.Option2[3]->isChecked());
    EXPECT_EQ(second.Label10->text(), QStringLiteral("2009/03/05"));
    EXPECT_EQ(second.M_Degit1->BaseForeColor(), 0x050505);
}

TEST_F(OptionTest, SetOptionInfoReappliesTheBacklightModeAndRecoloursThePreview) {
    backlight.mode = 1;
    SettingsRecord r = SettingsRecord::initial(QDate(2026, 12, 6));
    r.TicketNumColorOn1 = 0x00FF00;
    r.DigitBackColor = 0x112233;
    dialog->SetOptionInfo(r);
    EXPECT_EQ(backlight.clicks, std::vector<std::int16_t>{1});
    EXPECT_EQ(labelColour(3), QColor(0, 255, 0));
    EXPECT_EQ(dialog->M_Degit1->BackColor(), 0x112233);
    // The fare cells are SetProp's, not this.
    EXPECT_NE(display.Degit[1]->BackColor(), 0x112233);
}

TEST_F(OptionTest, StoredFontModeNoneAndOptionPairs) {
    SettingsRecord r = SettingsRecord::initial(QDate(2026, 12, 6));
    dialog->Combo3->setCurrentIndex(2);
    r.StopNameFontMode = -1;
    // Both selected: the later assignment wins. Neither: no selection.
    r.AdvanceSoundAlways = -1;
    r.AdvanceSoundByColumn = -1;
    r.AnnounceSoundSync = 0;
    r.AnnounceSoundAsync = 0;
    r.PanelAutoBuiltIn = -1;
    r.PanelIndividual = -1;
    dialog->SetOptionInfo(r);
    EXPECT_EQ(dialog->Combo3->currentIndex(), -1);
    EXPECT_EQ(dialog->Combo3->currentText(), QString());
    EXPECT_FALSE(dialog->Option2[0]->isChecked());
    EXPECT_TRUE(dialog->Option2[1]->isChecked());
    EXPECT_FALSE(dialog->Option7[0]->isChecked());
    EXPECT_FALSE(dialog->Option7[1]->isChecked());
    EXPECT_TRUE(dialog->Option3[1]->isChecked());
    EXPECT_FALSE(dialog->Frame6[0]->isHidden());

    SettingsRecord gathered;
    dialog->GetOptionInfo(gathered);
    EXPECT_EQ(gathered.StopNameFontMode, -1);
    EXPECT_EQ(gathered.AnnounceSoundSync, 0);
    EXPECT_EQ(gathered.AnnounceSoundAsync, 0);
    EXPECT_EQ(gathered.AdvanceSoundAlways, 0);
    EXPECT_EQ(gathered.AdvanceSoundByColumn, -1);

    // The per-mode pictures hide only while the built-in panels are
    // assigned automatically: a pair with no selection shows them.
    r.PanelAutoBuiltIn = 0;
    r.PanelIndividual = 0;
    dialog->SetOptionInfo(r);
    EXPECT_FALSE(dialog->Option3[0]->isChecked() || dialog->Option3[1]->isChecked());
    EXPECT_FALSE(dialog->Frame6[2]->isHidden());
    EXPECT_TRUE(dialog->Frame6[2]->isEnabled());
}

TEST_F(OptionTest, ARefusedValueStopsAtItsControl) {
    SettingsRecord r = everythingChanged();
    r.InfoColumnIndex = 150; // one past "150"
    try {
        dialog->SetOptionInfo(r);
        FAIL() << "a position beyond the list was taken";
    } catch (const mdlIniIo::SettingsError& e) {
        EXPECT_EQ(e.code, 380);
        EXPECT_TRUE(e.description.contains(QStringLiteral("Combo4(4)")));
    }
    // Set before: the new values; the preview and the backlight too.
    EXPECT_EQ(dialog->Text2[1]->text(), QStringLiteral("D:\\放送"));
    EXPECT_EQ(dialog->Combo4[0]->currentIndex(), 83);
    EXPECT_TRUE(dialog->Combo4[3]->isEnabled()); // Check3(3) was set, and its rule ran
    EXPECT_EQ(backlight.clicks.size(), 1u);
    // From the refused control on: as before.
    EXPECT_EQ(dialog->Combo4[4]->currentIndex(), 0);
    EXPECT_EQ(dialog->Combo4[3]->currentIndex(), 0);
    EXPECT_EQ(dialog->Command9[1]->BackColor(), 0x00FFFF);
    EXPECT_EQ(dialog->txtSelectSound[0]->text(), QString());
    EXPECT_EQ(dialog->Label10->text(), QStringLiteral("2026/12/06"));

    // Refused before the backlight step: no re-application at all.
    backlight.clicks.clear();
    r = SettingsRecord::initial(QDate(2026, 12, 6));
    r.TicketNumAutoShow = 3;
    EXPECT_THROW(dialog->SetOptionInfo(r), mdlIniIo::SettingsError);
    EXPECT_TRUE(backlight.clicks.empty());
}

TEST_F(OptionTest, DamagedRecordsNeverLeaveADependentControlAgainstItsSwitch) {
    struct Damage {
        const char* what;
        std::function<void(SettingsRecord&)> apply;
        bool refused;
    };
    const std::vector<Damage> damages = {
        {"scheme 12", [](SettingsRecord& r) { r.TicketNumScheme = 12; }, true},
        {"column 150", [](SettingsRecord& r) { r.AdvanceSoundColumn = 150; }, true},
        {"cell -1", [](SettingsRecord& r) { r.InfoStopOrderCell = -1; }, false},
        {"font -2", [](SettingsRecord& r) { r.StopNameFontMode = -2; }, true},
        {"check 7", [](SettingsRecord& r) { r.TicketPreviewOn = 7; }, true},
        {"panels 0/0", [](SettingsRecord& r) { r.PanelAutoBuiltIn = r.PanelIndividual = 0; }, false},
        {"dates -1/-1/-1", [](SettingsRecord& r) { r.TicketDatePerPrint = r.TicketDateAtRouteSet = r.TicketDateFixed = -1; }, false},
        {"date not a date", [](SettingsRecord& r) { r.TicketFixedDate = QStringLiteral("来年の春"); }, false},
        {"all grey", [](SettingsRecord& r) {
             r.TicketNumAutoShow = r.InfoStopOrderOn = r.InfoColumnOn = r.TicketPreviewOn = r.StopNameBold = 2;
         }, false},
    };
    for (const Damage& d : damages) {
        frmOption fresh(&display);
        SettingsRecord r = everythingChanged();
        r.InfoStopOrderOn = 0;
        d.apply(r);
        bool refused = false;
        try {
            fresh.SetOptionInfo(r);
        } catch (const mdlIniIo::SettingsError&) {
            refused = true;
        }
        EXPECT_EQ(refused, d.refused) << d.what;
        EXPECT_EQ(fresh.Frame3->isEnabled(), fresh.Check1->checkState() != Qt::Unchecked) << d.what;
        EXPECT_EQ(fresh.Combo4[0]->isEnabled(), fresh.Check3[0]->checkState() != Qt::Unchecked) << d.what;
        EXPECT_EQ(fresh.Check3[4]->isEnabled(), fresh.Check3[0]->checkState() != Qt::Unchecked) << d.what;
        EXPECT_EQ(fresh.Combo4[4]->isEnabled(), fresh.Check3[3]->checkState() != Qt::Unchecked) << d.what;
        EXPECT_EQ(fresh.Frame6[0]->isHidden(), fresh.Option3[0]->isChecked()) << d.what;
        EXPECT_EQ(fresh.Frame10->isHidden(), fresh.chkUseSeiriPrev->checkState() == Qt::Unchecked) << d.what;
        EXPECT_EQ(fresh.Frame7->isEnabled(), fresh.chkUseSeiriPrev->checkState() != Qt::Unchecked) << d.what;
    }
    // The last two as the dialog shows them.
    frmOption fresh(&display);
    SettingsRecord r = everythingChanged();
    r.TicketDatePerPrint = r.TicketDateAtRouteSet = r.TicketDateFixed = -1;
    r.TicketFixedDate = QStringLiteral("来年の春");
    fresh.SetOptionInfo(r);
    EXPECT_TRUE(fresh.Option4[2]->isChecked());
    EXPECT_FALSE(fresh.Option4[0]->isChecked() || fresh.Option4[1]->isChecked());
    EXPECT_EQ(fresh.Label10->text(), QStringLiteral("来年の春"));
    // A grey box turns into a two-state box on the user's click.
    r.TicketNumAutoShow = 2;
    fresh.SetOptionInfo(r);
    fresh.Check1->click();
    EXPECT_EQ(fresh.Check1->checkState(), Qt::Checked);
    fresh.Check1->click();
    fresh.Check1->click();
    EXPECT_EQ(fresh.Check1->checkState(), Qt::Checked);
}

// ---- SetProp --------------------------------------------------------------------------------

TEST_F(OptionTest, SetPropPutsTheDialogsSettingsOnTheDisplay) {
    dialog->Command8[0]->setBackColor(0x111111);
    dialog->Command8[1]->setBackColor(0x222222);
    dialog->Command8[2]->setBackColor(0x333333);
    dialog->Command9[0]->setBackColor(0x444444);
    dialog->Command9[1]->setBackColor(0x555555);
    dialog->Combo3->setCurrentIndex(3);
    dialog->Check4->setCheckState(Qt::Checked);
    dialog->Command5[2]->setBackColor(0x0000FF);
    backlight.mode = 2;
    dialog->SetProp();

    for (int k : {1, 84}) {
        EXPECT_EQ(display.Degit[size_t(k)]->BackColor(), 0x111111);
        EXPECT_EQ(display.Degit[size_t(k)]->BaseForeColor(), 0x222222);
        EXPECT_EQ(display.Degit[size_t(k)]->DegitForeColor(), 0x333333);
    }
    // The clock cells too.
    for (M_Degit* clockCell : display.TimeDegit) {
        EXPECT_EQ(clockCell->BackColor(), 0x111111);
        EXPECT_EQ(clockCell->DegitForeColor(), 0x333333);
    }
    EXPECT_EQ(display.ChimeiCtl->BackColor(), 0x444444);
    EXPECT_EQ(display.ChimeiCtl->ForeColor(), 0x555555);
    EXPECT_EQ(display.ChimeiCtl->FontMode(), 3);
    EXPECT_TRUE(display.ChimeiCtl->FontBold());
    EXPECT_EQ(labelColour(50), QColor(255, 0, 0));
    EXPECT_EQ(display.lblSeiriNum[1]->text(), QStringLiteral("１"));
    EXPECT_EQ(display.lblSeiriNum[84]->text(), QStringLiteral("８４"));
    EXPECT_FALSE(display.lblSeiriNum[9]->isHidden());
    // The mode that is selected, applied again.
    EXPECT_EQ(backlight.clicks, std::vector<std::int16_t>{2});
}

// ---- the labels themselves -------------------------------------------------------------------

TEST_F(OptionTest, TicketLabelsChangeSchemeAndLabelOnesSize) {
    auto number = [](int pt) { return display::layoutFont(display::kPGothicTypeface, pt, true).pixelSize(); };
    std::int16_t scheme = 2, pad = 0;
    mdlOrv_000::SeirikenNumSet(display, scheme, pad);
    EXPECT_EQ(display.lblSeiriNum[1]->text(), QStringLiteral("な し"));
    EXPECT_EQ(display.lblSeiriNum[1]->font().pixelSize(), number(10));
    EXPECT_EQ(display.lblSeiriNum[2]->text(), QStringLiteral("１"));
    EXPECT_EQ(display.lblSeiriNum[1]->font().family(), display::typefaceFamily(display::kPGothicTypeface));
    // Back to scheme 0: the number and the larger size return.
    scheme = 0;
    mdlOrv_000::SeirikenNumSet(display, scheme, pad);
    EXPECT_EQ(display.lblSeiriNum[1]->text(), QStringLiteral("１"));
    EXPECT_EQ(display.lblSeiriNum[1]->font().pixelSize(), number(11));
    EXPECT_TRUE(display.lblSeiriNum[1]->font().bold());
    // A scheme out of the list's range numbers nothing and leaves the rest.
    scheme = 40;
    mdlOrv_000::SeirikenNumSet(display, scheme, pad);
    EXPECT_EQ(display.lblSeiriNum[1]->text(), QString());
    EXPECT_EQ(display.lblSeiriNum[1]->font().pixelSize(), number(10));
    EXPECT_EQ(display.lblSeiriNum[84]->text(), QStringLiteral("８４"));
    scheme = -1;
    mdlOrv_000::SeirikenNumSet(display, scheme, pad);
    EXPECT_EQ(display.lblSeiriNum[1]->text(), QString());
    EXPECT_EQ(display.lblSeiriNum[1]->font().pixelSize(), number(11));
    EXPECT_TRUE(boxes.shown().empty());
}
