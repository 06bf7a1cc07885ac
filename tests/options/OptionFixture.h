#pragma once
// The options dialog with its fare display, the seams faked, and a stand-in
// for the operation panel's backlight buttons.
#include "display/Form1.h"
#include "options/Backlight.h"
#include "options/frmOption.h"
#include "tests/support/FakeResourceLibrary.h"
#include "tests/support/FakeSeams.h"
#include "tests/support/FakeShell.h"
#include "tests/support/QtPrinters.h"

#include <QLabel>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

// The panel's backlight buttons: a selected mode, and selecting a mode does
// what the panel does.
struct FakeBacklight final : options::BacklightSwitch {
    frmOption* dialog = nullptr;
    Form1* display = nullptr;
    std::int16_t mode = 0;
    std::vector<std::int16_t> clicks;
    std::int16_t selectedBacklightMode() const override { return mode; }
    void Option4_Click(std::int16_t index) override {
        clicks.push_back(index);
        options::applyBacklightMode(dialog->backlightLook(index), *display, index);
    }
};

class OptionTest : public ::testing::Test {
protected:
    OptionTest() {
        dialog = std::make_unique<frmOption>(&display);
        backlight.dialog = dialog.get();
        backlight.display = &display;
        dialog->setBacklightSwitch(&backlight);
    }
    QColor labelColour(int k) const { return display.lblSeiriNum[size_t(k)]->palette().color(QPalette::WindowText); }

    platform::testing::ScopedFakeTime time; // 2026-12-06
    platform::testing::ScopedMessageBoxes boxes;
    ZelP4Res::testing::ScopedResourceLibrary library;
    platform_ui::testing::ScopedShell shell;
    Form1 display;
    FakeBacklight backlight;
    std::unique_ptr<frmOption> dialog;
};
