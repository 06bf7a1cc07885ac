// A pipe, a device, a folder or a huge file by a route file's name: never
// waited on, never read without end, and the message says what it is.
#include "route/FareDataFile.h"
#include "route/TapeData.h"
#include "route/Timetable.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/Results.h"
#include "tests/support/NonRegularFiles.h"

#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using testing_results::expect;

TEST(RouteFiles, APipeADeviceAFolderOrAHugeFileIsNotReadAndSaysWhatItIs) {
    QTemporaryDir dir;
    struct Reader {
        QString name;
        qint64 limit;
        QString tooLarge; // what a file one byte over the limit gives
        std::function<QString(const QString&)> message;
    };
    const Reader readers[] = {
        {QStringLiteral("1.hy3"), route::kLargestFareDataFile,
         QStringLiteral(": the row count is 0 (the route may not be registered)"), // its start is read, no more
         [](const QString& p) { return expect<route::FareDataError>(route::readFareDataFile(p)).message(); }},
        {QStringLiteral("1tp.csv"), route::kMaxTapeDataBytes, QStringLiteral(" is larger than 8388608 bytes"),
         [](const QString& p) { return expect<route::TapeDataError>(route::readTapeDataFile(p)).message(); }},
        {QStringLiteral("1tt.csv"), route::kMaxTimetableBytes, QStringLiteral(": larger than 64 KiB, too large for a timetable"),
         [](const QString& p) { return expect<route::TimetableError>(route::readTimetableFile(p)).message(); }},
    };
    using Kind = platform::ReadFailure::Kind;
    for (const Reader& r : readers) {
        for (const auto& f : testing_files::makeNonRegularFiles(dir.filePath(r.name), r.name, r.limit + 1)) {
            const QString expected = f.kind == Kind::TooLarge ? r.tooLarge
                                     : f.kind == Kind::Folder ? QStringLiteral(" is a folder")
                                                              : QStringLiteral(" is not a regular file");
            EXPECT_EQ(r.message(f.path), f.path + expected) << f.what;
        }
    }
    // The device's message for a fare data file that is no file.
    EXPECT_EQ(expect<route::FareDataError>(route::readFareDataFile(dir.path())).userMessage(),
              QStringLiteral("運賃データファイルを読み込めません。\n") + dir.path());
}
