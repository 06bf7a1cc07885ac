#pragma once
// A save file whose device fails on purpose, as a full disc or a share that
// went away would: the first `goodBytes` bytes reach the temporary file, then
// every write reports an error. Tests run as root, so folder permissions
// cannot make a write fail; this can.

#include <QSaveFile>
#include <algorithm>

namespace platform::testing {

class FailingSaveFile final : public QSaveFile {
public:
    FailingSaveFile(const QString& name, qint64 goodBytes) : QSaveFile(name), left_(goodBytes) {}
    int failedWrites() const { return failedWrites_; }

protected:
    qint64 writeData(const char* data, qint64 len) override {
        if (left_ <= 0) {
            ++failedWrites_;
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        const qint64 written = QSaveFile::writeData(data, std::min(len, left_));
        left_ -= std::max<qint64>(written, 0);
        if (written < len) {
            ++failedWrites_;
            setErrorString(QStringLiteral("No space left on device"));
        }
        return written;
    }

private:
    qint64 left_;
    int failedWrites_ = 0;
};

} // namespace platform::testing
