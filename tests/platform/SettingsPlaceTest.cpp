#include "platform/SettingsPlace.h"

#include "tests/support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(SettingsPlace, TheConfigurationFolderFollowsXdgConfigHome) {
    const QByteArray before = qgetenv("XDG_CONFIG_HOME");
    const bool wasSet = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    QTemporaryDir elsewhere;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(elsewhere.path()));
    EXPECT_EQ(platform::userConfigFolder(), elsewhere.path() + QStringLiteral("/ferrotab"));
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(platform::userConfigFolder(), QDir::homePath() + QStringLiteral("/.config/ferrotab"));
    if (wasSet) qputenv("XDG_CONFIG_HOME", before);
}

TEST(SettingsPlace, AnInstalledProgramsFoldersAreNeverWrittenAUsersFolderIs) {
    // <prefix>/bin/ferrotab beside <prefix>/share/ferrotab/sample, as the
    // package lays them out; the tests run as root, who may write anywhere.
    const QTemporaryDir prefix;
    const QDir root(prefix.path());
    ASSERT_TRUE(root.mkpath(QStringLiteral("bin")) && root.mkpath(QStringLiteral("share/ferrotab/sample")));
    QFile program(root.filePath(QStringLiteral("bin/ferrotab")));
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.close();
    EXPECT_FALSE(platform::programMayWriteIn(root.filePath(QStringLiteral("bin"))));
    EXPECT_FALSE(platform::programMayWriteIn(root.filePath(QStringLiteral("share/ferrotab/sample"))));
    EXPECT_FALSE(platform::programMayWriteIn(root.filePath(QStringLiteral("missing"))));

    // A folder of the user's keeps the settings beside the program.
    const platform::SettingsPlace own = platform::settingsPlace(prefix.path(), QStringLiteral("LED-84"));
    EXPECT_EQ(own.folder, prefix.path());
    EXPECT_EQ(own.settingsFileToRead, root.filePath(QStringLiteral("LED-84.in4")));
    // Without the program beside it, a share/ferrotab folder is a user's too.
    ASSERT_TRUE(program.remove());
    EXPECT_TRUE(platform::programMayWriteIn(root.filePath(QStringLiteral("bin"))));
}
