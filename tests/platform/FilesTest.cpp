// Replacing a file whole: a device that fails half-way leaves the previous
// file as it was and no temporary file behind.
#include "platform/Files.h"

#include "support/FailingSaveFile.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using platform::testing::FailingSaveFile;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

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
    EXPECT_EQ(readAll(path), pattern(5000, 'a'));
    // A shorter file replaces a longer one completely.
    ASSERT_FALSE(platform::replaceFile(path, QByteArrayLiteral("short")));
    EXPECT_EQ(readAll(path), QByteArrayLiteral("short"));
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
        EXPECT_EQ(readAll(path), before) << goodBytes;
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
    EXPECT_EQ(readAll(path), pattern(752, 'A'));
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
    EXPECT_EQ(platform::dataFilePath(QStringLiteral("/data/fares"), QStringLiteral("12.hy3")),
              QStringLiteral("/data/fares/12.hy3"));
    EXPECT_EQ(platform::dataFilePath(QStringLiteral("/data/fares/"), QStringLiteral("12.hy3")),
              QStringLiteral("/data/fares/12.hy3"));
    EXPECT_EQ(platform::dataFilePath(QStringLiteral("/data/fares\\"), QStringLiteral("12.hy3")),
              QStringLiteral("/data/fares/12.hy3"));
    EXPECT_EQ(platform::dataFilePath(QStringLiteral("fares\\route"), QStringLiteral("12tp.csv")),
              QStringLiteral("fares/route/12tp.csv"));

    // A file copied from Windows keeps its own spelling there.
    QTemporaryDir dir;
    for (const char* name : {"12.HY3", "12Tp.csv", "7.hy3"}) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(platform::findFileIgnoringCase(dir.filePath(QStringLiteral("12.hy3"))), dir.filePath(QStringLiteral("12.HY3")));
    EXPECT_EQ(platform::findFileIgnoringCase(dir.filePath(QStringLiteral("12tp.csv"))),
              dir.filePath(QStringLiteral("12Tp.csv")));
    EXPECT_EQ(platform::findFileIgnoringCase(dir.filePath(QStringLiteral("7.hy3"))), dir.filePath(QStringLiteral("7.hy3")));
    EXPECT_EQ(platform::findFileIgnoringCase(dir.filePath(QStringLiteral("8.hy3"))), dir.filePath(QStringLiteral("8.hy3")));
    EXPECT_EQ(platform::findFileIgnoringCase(dir.filePath(QStringLiteral("missing/12.hy3"))),
              dir.filePath(QStringLiteral("missing/12.hy3")));
#endif
}
