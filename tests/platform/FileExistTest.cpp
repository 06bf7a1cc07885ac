#include "platform/Files.h"
#include "tests/support/FileBytes.h"
#include "tests/support/NonRegularFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(FileExist, FindsFilesByNameOrPatternButNotFoldersOrNothing) {
    QTemporaryDir dir;
    testing_files::writeFile(dir.filePath(QStringLiteral("Panel_ON1.BMP")));
    QDir(dir.path()).mkdir(QStringLiteral("pictures"));
    // Wildcards in the name are matched without regard to case. A folder is
    // no picture file; an empty name (a box left empty) finds nothing.
    for (const auto& [name, found] : {std::pair{"/Panel_ON1.BMP", true}, {"/Panel_ON2.BMP", false}, {"/*.bmp", true},
                                      {"/panel_on?.bmp", true}, {"/*.gif", false}, {"/missing/*.bmp", false},
                                      {"/pictures", false}, {"/pic*", false}, {"/", false}})
        EXPECT_EQ(platform::FileExist(dir.path() + QString::fromLatin1(name)), found) << name;
    EXPECT_FALSE(platform::FileExist(QString()));
    EXPECT_FALSE(platform::FileExist(QStringLiteral("  ")));
}

TEST(FileExist, APathFromWindowsFindsTheFileWhateverItsSeparatorsAndLetterCase) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("sounds/keys"));
    testing_files::writeFile(dir.filePath(QStringLiteral("sounds/keys/chime.wav")));
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    // Relative to the current folder, as the settings file holds it.
    const QString relative = platform::findUserFile(QStringLiteral("Sounds\\KEYS\\Chime.WAV"));
    const bool pattern = platform::FileExist(QStringLiteral("SOUNDS\\keys\\*.wav"));
    const QString gone = platform::findUserFile(QStringLiteral("Sounds\\Gone.wav"));
    QDir::setCurrent(previous);
    EXPECT_EQ(relative, QStringLiteral("sounds/keys/chime.wav"));
    EXPECT_TRUE(pattern);
    EXPECT_EQ(gone, QString());
    EXPECT_EQ(platform::findUserFile(dir.path() + QStringLiteral("\\Sounds\\keys\\CHIME.wav")),
              dir.filePath(QStringLiteral("sounds/keys/chime.wav")));
}

TEST(ReadingUserFiles, OnlyRegularFilesAreReadAndNoFurtherThanTheLimit) {
    QTemporaryDir dir;
    using Kind = platform::ReadFailure::Kind;
    auto failureOf = [](const std::variant<QByteArray, platform::ReadFailure>& read) {
        return std::holds_alternative<platform::ReadFailure>(read) ? std::get<platform::ReadFailure>(read)
                                                                    : platform::ReadFailure{Kind::Missing, QStringLiteral("(read)"), 0};
    };
    for (const auto& f : testing_files::makeNonRegularFiles(dir.path(), QStringLiteral("1.hy3"), 101)) {
        const auto failure = failureOf(platform::readRegularFile(f.path, 100));
        EXPECT_EQ(failure.kind, f.kind) << f.what;
        EXPECT_EQ(failure.message(f.path), f.path + testing_files::reasonFor(f, 100)) << f.what;
        // A reader of the start only takes the first bytes of a large file.
        const auto start = platform::readRegularFileStart(f.path, 100);
        if (f.kind == Kind::TooLarge) EXPECT_EQ(std::get<QByteArray>(start), QByteArray(100, '\0'));
        else EXPECT_EQ(failureOf(start).kind, f.kind) << f.what;
    }

    const QString exact = dir.filePath(QStringLiteral("exact"));
    testing_files::writeFile(exact, QByteArray(100, 'x'));
    EXPECT_EQ(std::get<QByteArray>(platform::readRegularFile(exact, 100)), QByteArray(100, 'x'));
    const QString nowhere = dir.filePath(QStringLiteral("nowhere"));
    QFile::link(dir.filePath(QStringLiteral("gone")), nowhere);
    EXPECT_EQ(failureOf(platform::readRegularFile(nowhere, 100)).kind, Kind::Missing) << "a link that leads nowhere";
}
