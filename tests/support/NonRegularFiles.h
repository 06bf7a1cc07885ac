#pragma once
// Names a user may give by mistake that are no regular files: a named pipe
// (opening it for reading waits for a writer, so a reader that opens it hangs
// the test until ctest's timeout), a link to /dev/zero (a device that never
// ends), a folder, and a file larger than a reader takes (sparse: it takes no
// room on the disk).
#include "platform/Files.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace testing_files {

struct UnusualFile {
    const char* what;
    platform::ReadFailure::Kind kind; // what the shared reader says of it
    QString folder;                   // a folder of its own, holding only it
    QString path;                     // the file in it
};

// One of each, named `name`, each in its own folder under `root`; the large
// file holds `largeBytes`.
inline std::vector<UnusualFile> makeNonRegularFiles(const QString& root, const QString& name, qint64 largeBytes) {
    using Kind = platform::ReadFailure::Kind;
    std::vector<UnusualFile> made;
    for (const auto& [what, kind] : {std::pair{"a named pipe", Kind::NotRegular}, {"a link to /dev/zero", Kind::NotRegular},
                                     {"a folder", Kind::Folder}, {"a file too large", Kind::TooLarge}}) {
        const QString folder = root + QStringLiteral("/special") + QString::number(made.size());
        QDir().mkpath(folder);
        made.push_back({what, kind, folder, folder + u'/' + name});
    }
    ::mkfifo(QFile::encodeName(made[0].path).constData(), 0600);
    QFile::link(QStringLiteral("/dev/zero"), made[1].path);
    QDir().mkdir(made[2].path);
    QFile large(made[3].path);
    if (large.open(QIODevice::WriteOnly)) large.resize(largeBytes);
    return made;
}

// What the shared reader says of it after its name, for a reader whose limit
// is `limit`.
inline QString reasonFor(const UnusualFile& f, qint64 limit) {
    switch (f.kind) {
    case platform::ReadFailure::Kind::Folder: return QStringLiteral(" is a folder");
    case platform::ReadFailure::Kind::TooLarge: return QStringLiteral(" is larger than %1 bytes").arg(limit);
    default: return QStringLiteral(" is not a regular file");
    }
}

} // namespace testing_files
