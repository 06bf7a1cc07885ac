#include "tools/GtfsSource.h"

#include "platform/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <memory>
#include <zip.h>

namespace gtfs {

namespace {

const QString kStops = QStringLiteral("stops.txt");

QString tooLarge(qint64 size) {
    return QStringLiteral("%1 MB, more than the %2 MB this tool reads").arg(size >> 20).arg(kMaxFeedFileBytes >> 20);
}

FeedSource folderSource(const QString& path) {
    QDir dir(path);
    if (!dir.exists(kStops)) {
        // Unpacked with one folder more: the feed is in the only subfolder
        // that has a stops.txt.
        QStringList found;
        for (const QString& sub : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            if (QFileInfo(dir.filePath(sub + u'/' + kStops)).isFile()) found << sub;
        if (found.size() == 1) dir.setPath(dir.filePath(found.front()));
    }
    return [dir](const QString& name) {
        FeedFile f;
        const QString path = dir.filePath(name);
        auto read = platform::readRegularFile(path, kMaxFeedFileBytes);
        if (auto* bytes = std::get_if<QByteArray>(&read)) {
            f.Status = FeedFile::State::Present;
            f.Bytes = std::move(*bytes);
            return f;
        }
        const auto& failure = std::get<platform::ReadFailure>(read);
        using Kind = platform::ReadFailure::Kind;
        if (failure.kind == Kind::Missing) return f;
        f.Status = FeedFile::State::Unreadable;
        switch (failure.kind) {
        case Kind::Folder: f.Reason = QStringLiteral("a folder, not a file"); break;
        case Kind::NotRegular: f.Reason = QStringLiteral("not a regular file"); break;
        case Kind::TooLarge: f.Reason = tooLarge(QFileInfo(path).size()); break;
        case Kind::Missing:
        case Kind::Unreadable: f.Reason = failure.systemError; break;
        }
        return f;
    };
}

QString zipErrorText(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    QString text = QString::fromLocal8Bit(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

struct ZipCloser {
    void operator()(zip_t* z) const { zip_discard(z); } // read only: nothing to write back
};

std::variant<FeedSource, GtfsError> zipSource(const QString& path) {
    int code = 0;
#ifdef _WIN32
    const QByteArray name = path.toUtf8(); // libzip takes UTF-8 names on Windows
#else
    const QByteArray name = QFile::encodeName(path);
#endif
    std::shared_ptr<zip_t> archive(zip_open(name.constData(), ZIP_RDONLY, &code), ZipCloser{});
    if (!archive)
        return GtfsError{{}, 0, QStringLiteral("%1: not a zip file or folder (%2)").arg(path, zipErrorText(code))};

    // The feed's files by name, lower case, from the folder in the zip that
    // holds stops.txt (the shallowest one; macOS's resource folder aside).
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    QString root;
    int rootDepth = -1;
    std::vector<std::pair<QString, zip_uint64_t>> entries;
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* raw = zip_get_name(archive.get(), zip_uint64_t(i), 0);
        if (!raw) continue;
        const QString name = QString::fromUtf8(raw);
        if (name.startsWith(u"__MACOSX/") || name.endsWith(u'/')) continue;
        entries.emplace_back(name, zip_uint64_t(i));
        const qsizetype slash = name.lastIndexOf(u'/');
        if (name.mid(slash + 1).compare(kStops, Qt::CaseInsensitive) != 0) continue;
        const int depth = int(name.count(u'/'));
        if (rootDepth < 0 || depth < rootDepth) {
            rootDepth = depth;
            root = name.left(slash + 1);
        }
    }
    auto index = std::make_shared<QHash<QString, zip_uint64_t>>();
    for (const auto& [name, i] : entries) {
        if (!name.startsWith(root)) continue;
        const QString rest = name.mid(root.size());
        if (!rest.contains(u'/')) index->insert(rest.toLower(), i);
    }

    return FeedSource([archive, index](const QString& name) {
        FeedFile f;
        const auto it = index->constFind(name.toLower());
        if (it == index->cend()) return f;
        f.Status = FeedFile::State::Unreadable;
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(archive.get(), *it, 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE)) {
            f.Reason = QString::fromLocal8Bit(zip_strerror(archive.get()));
            return f;
        }
        if (st.size > zip_uint64_t(kMaxFeedFileBytes)) {
            f.Reason = tooLarge(qint64(st.size));
            return f;
        }
        zip_file_t* file = zip_fopen_index(archive.get(), *it, 0);
        if (!file) {
            f.Reason = QString::fromLocal8Bit(zip_strerror(archive.get()));
            return f;
        }
        f.Bytes.resize(qsizetype(st.size));
        zip_uint64_t done = 0;
        while (done < st.size) {
            const zip_int64_t got = zip_fread(file, f.Bytes.data() + done, st.size - done);
            if (got <= 0) break;
            done += zip_uint64_t(got);
        }
        // The checksum is compared when the end is read: read on to it.
        if (done == st.size) {
            char extra = 0;
            if (zip_fread(file, &extra, 1) != 0) done = 0;
        }
        QString why;
        if (done != st.size) why = QString::fromLocal8Bit(zip_file_strerror(file));
        // Closing checks the data's CRC: a damaged zip fails here.
        const int closed = zip_fclose(file);
        if (why.isEmpty() && closed != 0) why = zipErrorText(closed);
        if (done != st.size || closed != 0) {
            f.Reason = QStringLiteral("the zip is damaged (%1)").arg(why);
            f.Bytes.clear();
            return f;
        }
        f.Status = FeedFile::State::Present;
        return f;
    });
}

} // namespace

std::variant<FeedSource, GtfsError> openFeed(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) return GtfsError{{}, 0, QStringLiteral("%1: no such file or folder").arg(path)};
    if (info.isDir()) return folderSource(path);
    // libzip would wait on a named pipe for ever, and read a device to no end.
    if (const auto refused = platform::checkRegularFile(path)) return GtfsError{{}, 0, refused->message(path)};
    return zipSource(path);
}

} // namespace gtfs
