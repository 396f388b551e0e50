#include "catalog/ui/VolumeRelay.h"

#include <optional>

namespace shelfmark {

VolumeRelay::VolumeRelay(Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)) {}

void VolumeRelay::post(const VolumeChange& change) {
    {
        const std::lock_guard lock(mutex_);
        pending_.push_back(change);
    }
    QMetaObject::invokeMethod(this, "deliver", Qt::QueuedConnection);
}

VolumeWatcher::Listener VolumeRelay::listener() {
    return [this](const VolumeChange& change) { post(change); };
}

void VolumeRelay::clear() {
    const std::lock_guard lock(mutex_);
    pending_.clear();
}

// One change per call, taken out under the lock and handled outside it: the handler may open a
// window whose event loop delivers the next change meanwhile. A call whose change was cleared, or
// already handled by an earlier call, finds nothing.
void VolumeRelay::deliver() {
    std::optional<VolumeChange> change;
    {
        const std::lock_guard lock(mutex_);
        if (pending_.empty())
            return;
        change = std::move(pending_.front());
        pending_.pop_front();
    }
    handler_(*change);
}

}  // namespace shelfmark
