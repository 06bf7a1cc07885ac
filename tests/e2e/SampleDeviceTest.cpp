// The sample device the build makes (build/data/sample): its settings name
// the sample route and sounds that exist and play, and the sample route's
// column 90 and announcements pick them.
#include "options/frmOption.h"
#include "platform/Files.h"
#include "audio/SdlAudio.h"
#include "route/FareDataFile.h"
#include "route/TapeData.h"
#include "settings/SettingsCodec.h"
#include "settings/mdlIniIo.h"
#include "sound/mdlSndAPI.h"
#include "tests/support/FakeResourceLibrary.h"
#include "tests/support/FakeSeams.h"
#include "tests/support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

const QString kSampleDir = QStringLiteral(FERROTAB_BUILD_DIR "/data/sample");

settings::SettingsRecord sampleSettings() {
    QFile f(mdlIniIo::settingsPath(kSampleDir, QStringLiteral("ferrotab-sample")));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << "the build makes the sample device";
    return settings::decodeSettings(f.readAll());
}

} // namespace

TEST(SampleDevice, ItsSettingsNameTheSampleRouteAndSoundsThatPlay) {
    const settings::SettingsRecord r = sampleSettings();
    EXPECT_TRUE(QFileInfo::exists(r.FareDataDir + QStringLiteral("1.hy3")));
    EXPECT_TRUE(QFileInfo::exists(r.BroadcastDataDir + QStringLiteral("1tp.csv")));
    EXPECT_TRUE(QFileInfo(QStringLiteral(FERROTAB_BUILD_DIR "/data/sample/ferrotab-sample")).exists());

    audio::SdlAudio audio(audio::SdlAudioOptions{"dummy", {}, {}});
    const QStringList sounds = {r.SoundRouteSetFile, r.SoundResetFile,     r.AdvanceSoundFile1, r.AdvanceSoundFile2,
                                r.AdvanceSoundFile3, r.AnnounceSoundFile,  r.AnnounceSoundFile2,
                                r.AnnounceSoundFile3};
    for (const QString& path : sounds) {
        ASSERT_TRUE(platform::FileExist(path)) << path.toStdString();
        EXPECT_TRUE(QFileInfo(path).isAbsolute()) << "found from any current folder";
        EXPECT_EQ(audio.sendString(QStringLiteral("open \"%1\" type waveaudio alias t wait").arg(path)), 0);
        EXPECT_EQ(audio.sendString(QStringLiteral("close t")), 0);
    }
}

TEST(SampleDevice, TheSampleRoutePicksItsSounds) {
    platform::testing::ScopedFakeTime time;
    platform::testing::ScopedMessageBoxes boxes;
    ZelP4Res::testing::ScopedResourceLibrary library;
    const settings::SettingsRecord r = sampleSettings();
    frmOption options;
    options.SetOptionInfo(r);
    EXPECT_TRUE(boxes.shown().empty());

    const auto fares = route::readFareDataFile(r.FareDataDir + QStringLiteral("1.hy3"));
    const auto& rows = std::get<route::FareData>(fares).Rows;
    const mdlSndAPI::AdvanceSoundSettings advance = options.advanceSound();
    EXPECT_TRUE(advance.sync) << "the fares change once the sound has ended";
    int sounding = 0;
    for (const auto& record : rows) {
        const route::FareRow row = record.toFareRow();
        const QString file = mdlSndAPI::AdvanceSoundFile(advance, row);
        if (row.StopName == QStringLiteral("県立桜川病院（正面玄関）")) {
            EXPECT_EQ(file, r.AdvanceSoundFile2);
        }
        if (!file.isEmpty()) ++sounding;
    }
    EXPECT_EQ(sounding, 4) << "a few stops of the route have a sound of their own";

    // Every "送り" has its chime; "戻し" goes by the announcement's flag.
    const mdlSndAPI::AnnounceSoundSettings announce = options.announceSound();
    EXPECT_EQ(mdlSndAPI::PreBroadcastSoundFile(announce, mdlSndAPI::TapeStep::Next, 0), r.AnnounceSoundFile);
    const auto tape = route::readTapeDataFile(r.BroadcastDataDir + QStringLiteral("1tp.csv"));
    const auto& entries = std::get<std::vector<route::TapeEntry>>(tape);
    EXPECT_EQ(mdlSndAPI::PreBroadcastSoundFile(announce, mdlSndAPI::TapeStep::Back, entries.back().SoundFlag),
              r.AnnounceSoundFile3);
}
