#pragma once
// What the device last published, for the control server's thread: the
// whole state as JSON and the latest picture of the fare display. The device
// writes from the user-interface thread whenever something changes; the
// server reads from its own thread at any moment, so a reader never waits
// for a device that stands still (the lamp test, a sound played to its end,
// the strip's start wait).

#include <QByteArray>
#include <QImage>
#include <QJsonObject>
#include <QMutex>
#include <atomic>
#include <memory>

namespace remote {

// One published state: never changed once made, shared by whoever holds it.
struct StateSnapshot {
    quint64 version = 0;
    // The last version that changed what a picture of the display shows
    // beyond the strip's motion (a page moves the strip itself).
    quint64 pictureVersion = 0;
    QJsonObject state;
    QByteArray json; // `state`, compact
};

struct PictureSnapshot {
    quint64 stateVersion = 0; // the state the device showed when it was taken
    QImage image;
};

// The stop-name strip's canvas: the whole name as dots, which a page moves
// as the strip does.
struct StripSnapshot {
    quint64 canvas = 0; // the strip's number for it
    QImage image;
};

class Published {
public:
    Published();

    // On the user-interface thread.
    // `newPicture`: the display shows more than the strip's motion anew.
    std::shared_ptr<const StateSnapshot> publishState(const QJsonObject& state, bool newPicture = true);
    void publishPicture(const QImage& image);
    void publishStrip(quint64 canvas, const QImage& image);

    // On any thread.
    std::shared_ptr<const StateSnapshot> state() const;
    std::shared_ptr<const PictureSnapshot> picture() const;
    std::shared_ptr<const StripSnapshot> strip() const;

    // When a reader last asked for the picture (the monotonic clock, ms), so
    // the device takes pictures only while somebody looks.
    void notePictureWanted(qint64 atMs) const { pictureWantedMs_.store(atMs); }
    qint64 pictureWantedMs() const { return pictureWantedMs_.load(); }

private:
    mutable QMutex mutex_;
    std::shared_ptr<const StateSnapshot> state_;
    std::shared_ptr<const PictureSnapshot> picture_;
    std::shared_ptr<const StripSnapshot> strip_;
    mutable std::atomic<qint64> pictureWantedMs_{-1};
};

} // namespace remote
