// Hands the volume changes a VolumeWatcher reports on its own thread to this object's thread, in
// the order they came. `post` (and the function `listener` returns) may be called from any thread:
// the change is copied into a queue under the mutex and a queued call by name asks this object's
// thread to take it out, so nothing made on the watcher's thread is used or freed on the other
// one behind a lock of Qt's that the thread sanitizer cannot see.
//
// `clear` drops the changes not yet delivered: a watch that ended must not reach the next one.
// The watcher that posts must be stopped before the relay is destroyed; calls still queued then
// die with the relay, so a window that owns it never hears a change after it is gone.
//
//     VolumeRelay relay([this](const VolumeChange& change) { handleChange(change); });
//     VolumeWatcher watcher(relay.listener());
#pragma once

#include <QObject>
#include <deque>
#include <functional>
#include <mutex>

#include "platform/volumes/VolumeWatcher.h"

namespace shelfmark {

class VolumeRelay : public QObject {
    Q_OBJECT
  public:
    using Handler = std::function<void(const VolumeChange&)>;

    // `handler` runs on this object's thread, once for every change posted and not cleared.
    explicit VolumeRelay(Handler handler, QObject* parent = nullptr);

    // Any thread.
    void post(const VolumeChange& change);
    VolumeWatcher::Listener listener();
    // This object's thread.
    void clear();

  private slots:
    void deliver();

  private:
    Handler handler_;
    std::mutex mutex_;  // guards pending_
    std::deque<VolumeChange> pending_;
};

}  // namespace shelfmark
