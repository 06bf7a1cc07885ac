#pragma once
// The whole program started offscreen as a model "LED-84" living in a
// temporary folder, its settings file there, the message boxes and the clock
// faked (2026-12-06); no route is set before a test sets one.
#include "app/Program.h"
#include "panel/frmCtl.h"
#include "platform/ProgramIdentity.h"
#include "route/mdlOrv_000.h"
#include "settings/SettingsCodec.h"
#include "settings/mdlIniIo.h"
#include "sound/mdlM_Tape.h"
#include "tests/support/FakeSeams.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

class ProgramTest : public ::testing::Test {
protected:
    ProgramTest() {
        mdlOrv_000::resetState();
    }
    ~ProgramTest() override {
        mdlOrv_000::resetState();
        mdlM_Tape::TapeInit({}); // the announcements let go of this test's windows
    }
    ProgramTest(const ProgramTest&) = delete;
    ProgramTest& operator=(const ProgramTest&) = delete;

    std::unique_ptr<Program> startProgram() { return startProgram({{}, settingsFile, settingsFile}); }
    std::unique_ptr<Program> startProgram(const platform::SettingsPlace& place) {
        auto p = std::make_unique<Program>(place);
        p->endProcess = [this] { ++ended; };
        p->start();
        // The window system reports where the windows went.
        QCoreApplication::processEvents();
        return p;
    }
    void writeSettings(const settings::SettingsRecord& record) const {
        QFile f(settingsFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(settings::encodeSettings(record));
    }
    QByteArray settingsBytes() const {
        QFile f(settingsFile);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Quits with はい and reads back what the program wrote.
    settings::SettingsRecord quitAndReadSettings(Program& program) {
        boxes.answer(platform::MsgAnswer::Yes);
        program.panel().close();
        return settings::decodeSettings(settingsBytes());
    }

    QTemporaryDir home;
    platform::testing::ScopedProgramIdentity identity{home.path(), QStringLiteral("LED-84")};
    QString settingsFile = mdlIniIo::settingsPath();
    platform::testing::ScopedMessageBoxes boxes;
    platform::testing::ScopedFakeTime time;
    int ended = 0;
};
