#include "remote/Published.h"

#include <QJsonDocument>

namespace remote {

Published::Published()
    : state_(std::make_shared<const StateSnapshot>()), picture_(std::make_shared<const PictureSnapshot>()),
      strip_(std::make_shared<const StripSnapshot>()) {}

std::shared_ptr<const StateSnapshot> Published::publishState(const QJsonObject& state, bool newPicture) {
    QMutexLocker lock(&mutex_);
    const quint64 version = state_->version + 1;
    auto next = std::make_shared<const StateSnapshot>(
        StateSnapshot{version, newPicture ? version : state_->pictureVersion, state,
                      QJsonDocument(state).toJson(QJsonDocument::Compact)});
    state_ = next;
    return next;
}

void Published::publishPicture(const QImage& image) {
    QMutexLocker lock(&mutex_);
    picture_ = std::make_shared<const PictureSnapshot>(PictureSnapshot{state_->version, image});
}

void Published::publishStrip(quint64 canvas, const QImage& image) {
    QMutexLocker lock(&mutex_);
    strip_ = std::make_shared<const StripSnapshot>(StripSnapshot{canvas, image});
}

std::shared_ptr<const StripSnapshot> Published::strip() const {
    QMutexLocker lock(&mutex_);
    return strip_;
}

std::shared_ptr<const StateSnapshot> Published::state() const {
    QMutexLocker lock(&mutex_);
    return state_;
}

std::shared_ptr<const PictureSnapshot> Published::picture() const {
    QMutexLocker lock(&mutex_);
    return picture_;
}

} // namespace remote
