// Replacing a file whole: a device that fails half-way leaves the previous
// file as it was and no temporary file behind.
#include "platform/Files.h"

#include "tests/support/FailingSaveFile.h"
#include "tests/support/FileBytes.h"
#include "tests/support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using platform::testing::FailingSaveFile;
using testing_files::readFile;

namespace {

QByteArray pattern(int size, char first) {
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i) b[i] = char(first + i % 23);
    return b;
}

} // namespace

TEST(Files, ReplacesTheWholeFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("1.hy3"));
    ASSERT_FALSE(platform::replaceFile(path, pattern(5000, 'a')));
    EXPECT_EQ(readFile(path), pattern(5000, 'a'));
    // A shorter file replaces a longer one completely.
    ASSERT_FALSE(platform::replaceFile(path, QByteArrayLiteral("short")));
    EXPECT_EQ(readFile(path), QByteArrayLiteral("short"));
    ASSERT_FALSE(platform::replaceFile(path, QByteArray()));
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(QFile(path).size(), 0);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("1.hy3")});
}

TEST(Files, ADeviceThatFailsHalfWayLeavesThePreviousFileWhole) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("LED-84.in4"));
    const QByteArray before = pattern(752, 'a');
    ASSERT_FALSE(platform::replaceFile(path, before));

    for (qint64 goodBytes : {0, 1, 400, 751}) {
        FailingSaveFile file(path, goodBytes);
        const auto failure = platform::replaceWith(file, pattern(752, 'A'));
        ASSERT_TRUE(failure) << goodBytes;
        EXPECT_EQ(failure->error, QFileDevice::WriteError) << goodBytes;
        EXPECT_EQ(failure->reason, QStringLiteral("No space left on device")) << goodBytes;
        EXPECT_EQ(file.failedWrites(), 1);
        EXPECT_EQ(readFile(path), before) << goodBytes;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("LED-84.in4")})
            << "a temporary file was left behind after " << goodBytes << " bytes";
    }

    // Where there was no file, a failed write makes none.
    const QString fresh = dir.filePath(QStringLiteral("new.in4"));
    FailingSaveFile file(fresh, 10);
    EXPECT_TRUE(platform::replaceWith(file, pattern(100, 'x')));
    EXPECT_FALSE(QFile::exists(fresh));

    // The same device with room enough writes everything.
    FailingSaveFile roomy(path, 752);
    EXPECT_FALSE(platform::replaceWith(roomy, pattern(752, 'A')));
    EXPECT_EQ(readFile(path), pattern(752, 'A'));
}

TEST(Files, AFolderThatIsNotThereIsAnOpenFailure) {
    QTemporaryDir dir;
    const auto failure = platform::replaceFile(dir.filePath(QStringLiteral("missing/1.hy3")), "x");
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->error, QFileDevice::OpenError);
    EXPECT_FALSE(failure->reason.isEmpty());
}

TEST(DataFiles, FolderSeparatorsAndLetterCase) {
    // Typed with or without a closing separator, either kind: the same file.
    EXPECT_EQ(platform::dataFilePath(QString(), QStringLiteral("12.hy3")), QStringLiteral("12.hy3"));
#ifndef Q_OS_WIN
    for (const auto& [folder, name, path] : {std::tuple{"/data/fares", "12.hy3", "/data/fares/12.hy3"},
                                             {"/data/fares/", "12.hy3", "/data/fares/12.hy3"},
                                             {"/data/fares\\", "12.hy3", "/data/fares/12.hy3"},
                                             {"fares\\route", "12tp.csv", "fares/route/12tp.csv"}})
        EXPECT_EQ(platform::dataFilePath(QString::fromLatin1(folder), QString::fromLatin1(name)), QString::fromLatin1(path));

    // A file copied from Windows keeps its own spelling there; a name not
    // there at all stays as it was asked for.
    QTemporaryDir dir;
    for (const char* name : {"12.HY3", "12Tp.csv", "7.hy3"}) testing_files::writeFile(dir.filePath(QString::fromLatin1(name)));
    for (const auto& [asked, found] : {std::pair{"12.hy3", "12.HY3"}, {"12tp.csv", "12Tp.csv"}, {"7.hy3", "7.hy3"},
                                       {"8.hy3", "8.hy3"}, {"missing/12.hy3", "missing/12.hy3"}})
        EXPECT_EQ(platform::findFileIgnoringCase(dir.filePath(QString::fromLatin1(asked))), dir.filePath(QString::fromLatin1(found)));
#endif
}
