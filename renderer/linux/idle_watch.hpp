#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace vorlune {

// Tells when the user has been idle for a time, and when they are back: the
// compositor's or the desktop's own account, so that what it holds back (a
// video playing, say) holds the saver back too. Nothing in it waits.
class IdleWatch {
  public:
    virtual ~IdleWatch() = default;

    // Readable when news may have come.
    virtual int descriptor() const = 0;
    // Handles what has come. Throws for a connection lost.
    virtual void dispatch() = 0;
    // Idle for the time asked for, and no activity since.
    virtual bool idle() const = 0;
    // What it watches through, for messages: "ext_idle_notifier_v1".
    virtual std::string source() const = 0;
};

// Through the Wayland compositor's idle protocol (ext_idle_notifier_v1, or
// org_kde_kwin_idle where only that is offered), on a connection of its own
// to WAYLAND_DISPLAY; null when the compositor offers neither or no seat.
// Throws WaylandError for a display that does not answer.
std::unique_ptr<IdleWatch> openWaylandIdleWatch(std::uint32_t milliseconds);

// Through mutter's idle monitor on the session bus; null where there is no
// session bus or no idle monitor on it. Throws std::runtime_error naming the
// call that failed otherwise.
std::unique_ptr<IdleWatch> openMutterIdleWatch(std::uint32_t milliseconds);

}  // namespace vorlune
