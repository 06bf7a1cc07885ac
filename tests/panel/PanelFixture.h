#pragma once
// The operation panel with its fare display and options dialog, as the
// program puts them together, the seams faked, and a folder for fare data
// files. Stop names here are short, so no name scrolls.
#include "display/ChimeiCtl_B.h"
#include "display/Form1.h"
#include "display/M_Degit.h"
#include "options/frmOption.h"
#include "platform/Cp932.h"
#include "panel/PanelWidgets.h"
#include "panel/frmCtl.h"
#include "route/FareDataFile.h"
#include "route/mdlOrv_000.h"
#include "settings/SettingsRecord.h"
#include "settings/mdlIniIo.h"
#include "sound/mdlM_Tape.h"
#include "tests/support/FakeAudio.h"
#include "tests/support/FakeResourceLibrary.h"
#include "tests/support/FakeSeams.h"
#include "tests/support/FakeSpeech.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/Settings.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <initializer_list>
#include <memory>

class PanelTest : public ::testing::Test {
protected:
    PanelTest() {
        mdlOrv_000::resetState();
        mdlIniIo::record() = settings::SettingsRecord::initial(QDate(2026, 12, 6));
        dialog = std::make_unique<frmOption>(&display);
        panel = std::make_unique<frmCtl>(&display, dialog.get());
        dialog->setBacklightSwitch(panel.get());
        display.setOperationPanel(panel.get());
        testing_settings::change(*dialog, [&](settings::SettingsRecord& r) { r.FareDataDir = folder.path(); });
    }
    ~PanelTest() override {
        mdlOrv_000::resetState();
        // The announcements let go of this test's panel, without an engine.
        speech->refuseToStart = true;
        mdlM_Tape::TapeInit({});
    }

    // A route file in the fare data folder: one row per stop, each with a
    // name, its ticket number and the first fares (the rest -1).
    struct Stop {
        const char* name;
        std::initializer_list<int> fares;
    };
    void writeRoute(const QString& fileName, std::initializer_list<Stop> stops) const {
        route::FareData data;
        int ticket = 0;
        for (const Stop& stop : stops) {
            route::FareRecord rec;
            rec.NameBytes = cp932::encode(QString::fromUtf8(stop.name));
            rec.TicketNo = std::int16_t(++ticket);
            rec.Cols.fill(-1);
            int c = 0;
            for (int fare : stop.fares) rec.Cols[size_t(c++)] = std::int16_t(fare);
            data.Rows.push_back(rec);
        }
        ASSERT_FALSE(route::writeFareDataFile(folder.filePath(fileName), data).has_value());
    }

    // Keys pressed on the keypad page, by their captions' indexes.
    void press(std::initializer_list<int> keys) const {
        for (int key : keys) panel->CommandButton1[size_t(key)]->click();
    }
    // Route and section on the keypad, then its "リセット".
    void setRoute(const QString& route, const QString& section) const {
        press({panel::kKeyRoute});
        for (QChar c : route) press({c.digitValue()});
        press({panel::kKeySection});
        for (QChar c : section) press({c.digitValue()});
        panel->Command1[1]->click();
    }

    QString shown(int cell) const { return display.Degit[size_t(cell)]->shownText().trimmed(); }

    platform::testing::ScopedAudio audio;       // nothing sounds; the commands are kept
    sound::testing::ScopedSpeechEngine speech; // a speech engine that only records
    platform::testing::ScopedFakeTime time;    // 2026-12-06 09:05
    platform::testing::ScopedMessageBoxes boxes;
    ZelP4Res::testing::ScopedResourceLibrary library;
    QTemporaryDir folder;
    Form1 display;
    std::unique_ptr<frmOption> dialog;
    std::unique_ptr<frmCtl> panel;
};
