#include "platform/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(FileExist, FindsFilesByNameOrPatternButNotFoldersOrNothing) {
    QTemporaryDir dir;
    const QString folder = dir.path();
    {
        QFile f(folder + QStringLiteral("/Panel_ON1.BMP"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QDir(folder).mkdir(QStringLiteral("pictures"));

    EXPECT_TRUE(platform::FileExist(folder + QStringLiteral("/Panel_ON1.BMP")));
    EXPECT_FALSE(platform::FileExist(folder + QStringLiteral("/Panel_ON2.BMP")));
    // Wildcards in the name, matched without regard to case.
    EXPECT_TRUE(platform::FileExist(folder + QStringLiteral("/*.bmp")));
    EXPECT_TRUE(platform::FileExist(folder + QStringLiteral("/panel_on?.bmp")));
    EXPECT_FALSE(platform::FileExist(folder + QStringLiteral("/*.gif")));
    EXPECT_FALSE(platform::FileExist(folder + QStringLiteral("/missing/*.bmp")));
    // A folder is no picture file; an empty name (a box left empty) finds nothing.
    EXPECT_FALSE(platform::FileExist(folder + QStringLiteral("/pictures")));
    EXPECT_FALSE(platform::FileExist(folder + QStringLiteral("/pic*")));
    EXPECT_FALSE(platform::FileExist(folder + QStringLiteral("/")));
    EXPECT_FALSE(platform::FileExist(QString()));
    EXPECT_FALSE(platform::FileExist(QStringLiteral("  ")));
}
