#include "remote/Published.h"

#include <QJsonDocument>

namespace remote {

Published::Published()
    : state_(std::make_shared<const StateSnapshot>()), picture_(std::make_shared<const PictureSnapshot>()) {}

std::shared_ptr<const StateSnapshot> Published::publishState(const QJsonObject& state) {
    QMutexLocker lock(&mutex_);
    auto next = std::make_shared<const StateSnapshot>(
        StateSnapshot{state_->version + 1, state, QJsonDocument(state).toJson(QJsonDocument::Compact)});
    state_ = next;
    return next;
}

void Published::publishPicture(const QImage& image) {
    QMutexLocker lock(&mutex_);
    picture_ = std::make_shared<const PictureSnapshot>(PictureSnapshot{state_->version, image});
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
