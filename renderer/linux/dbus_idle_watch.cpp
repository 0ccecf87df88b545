#include <systemd/sd-bus.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "linux/idle_watch.hpp"

namespace vorlune {

namespace {

constexpr const char* kService = "org.gnome.Mutter.IdleMonitor";
constexpr const char* kPath = "/org/gnome/Mutter/IdleMonitor/Core";
constexpr const char* kInterface = "org.gnome.Mutter.IdleMonitor";

// Each sd_bus_error starts empty as {} (SD_BUS_ERROR_NULL is a C compound
// literal, which C++ compilers take only as an extension).

// What a D-Bus call failed with: the bus's error, or the system's reason.
std::string reason(const sd_bus_error& error, int code) {
    if (sd_bus_error_is_set(&error)) {
        return std::string(error.name) + (error.message != nullptr ? ": " : "") +
               (error.message != nullptr ? error.message : "");
    }
    return std::strerror(-code);
}

class MutterIdleWatch final : public IdleWatch {
  public:
    MutterIdleWatch(sd_bus* bus, std::uint32_t milliseconds)
        : bus_(bus), milliseconds_(milliseconds) {}
    ~MutterIdleWatch() override;
    MutterIdleWatch(const MutterIdleWatch&) = delete;
    MutterIdleWatch& operator=(const MutterIdleWatch&) = delete;

    // False when the bus has no idle monitor.
    bool start();

    int descriptor() const override { return sd_bus_get_fd(bus_); }
    void dispatch() override;
    bool idle() const override { return idle_; }
    std::string source() const override { return kService; }

  private:
    static int watchFired(sd_bus_message* message, void* data, sd_bus_error*);
    std::uint32_t addWatch(const char* method, bool withInterval);
    std::uint64_t idleTime();
    void removeWatch(std::uint32_t id);
    [[noreturn]] void failed(const char* call, sd_bus_error& error, int code) const;

    sd_bus* bus_;
    sd_bus_slot* signal_ = nullptr;
    std::uint32_t milliseconds_;
    std::uint32_t idleWatch_ = 0;
    std::uint32_t activeWatch_ = 0;
    bool idle_ = false;
    bool idleFired_ = false;
};

void MutterIdleWatch::failed(const char* call, sd_bus_error& error, int code) const {
    const std::string why = reason(error, code);
    sd_bus_error_free(&error);
    throw std::runtime_error(std::string(kInterface) + "." + call + " failed: " + why);
}

bool MutterIdleWatch::start() {
    // Listening first: a watch that fires at once is not missed.
    int code = sd_bus_match_signal(bus_, &signal_, kService, kPath, kInterface, "WatchFired",
                                   watchFired, this);
    if (code < 0) {
        throw std::runtime_error(std::string("sd_bus_match_signal(WatchFired) failed: ") +
                                 std::strerror(-code));
    }
    sd_bus_error error{};
    sd_bus_message* reply = nullptr;
    code = sd_bus_call_method(bus_, kService, kPath, kInterface, "AddIdleWatch", &error, &reply,
                              "t", static_cast<std::uint64_t>(milliseconds_));
    if (code < 0) {
        // No bus at its address, or nobody there answering for the monitor.
        const bool absent =
            sd_bus_error_has_name(&error, SD_BUS_ERROR_SERVICE_UNKNOWN) ||
            sd_bus_error_has_name(&error, SD_BUS_ERROR_NAME_HAS_NO_OWNER) ||
            (!sd_bus_error_is_set(&error) && (code == -ENOENT || code == -ECONNREFUSED));
        if (absent) {
            sd_bus_error_free(&error);
            return false;
        }
        const std::string why = reason(error, code);
        sd_bus_error_free(&error);
        throw std::runtime_error(std::string(kInterface) + ".AddIdleWatch failed: " + why);
    }
    code = sd_bus_message_read(reply, "u", &idleWatch_);
    sd_bus_message_unref(reply);
    if (code < 0) failed("AddIdleWatch's reply", error, code);
    return true;
}

MutterIdleWatch::~MutterIdleWatch() {
    // The monitor drops a client's watches once it leaves the bus; asking is
    // only tidier, so its answer is not waited for.
    if (idleWatch_ != 0) removeWatch(idleWatch_);
    if (activeWatch_ != 0) removeWatch(activeWatch_);
    sd_bus_flush(bus_);
    sd_bus_slot_unref(signal_);
    sd_bus_flush_close_unref(bus_);
}

void MutterIdleWatch::removeWatch(std::uint32_t id) {
    sd_bus_call_method_async(bus_, nullptr, kService, kPath, kInterface, "RemoveWatch", nullptr,
                             nullptr, "u", id);
}

int MutterIdleWatch::watchFired(sd_bus_message* message, void* data, sd_bus_error*) {
    auto* self = static_cast<MutterIdleWatch*>(data);
    std::uint32_t id = 0;
    if (sd_bus_message_read(message, "u", &id) < 0) return 0;
    if (id == self->idleWatch_) {
        self->idleFired_ = true;
    } else if (id != 0 && id == self->activeWatch_) {
        // A user-active watch fires once and is gone.
        self->activeWatch_ = 0;
        self->idle_ = false;
    }
    return 0;
}

std::uint32_t MutterIdleWatch::addWatch(const char* method, bool withInterval) {
    sd_bus_error error{};
    sd_bus_message* reply = nullptr;
    const int code =
        withInterval
            ? sd_bus_call_method(bus_, kService, kPath, kInterface, method, &error, &reply, "t",
                                 static_cast<std::uint64_t>(milliseconds_))
            : sd_bus_call_method(bus_, kService, kPath, kInterface, method, &error, &reply, "");
    if (code < 0) failed(method, error, code);
    std::uint32_t id = 0;
    const int read = sd_bus_message_read(reply, "u", &id);
    sd_bus_message_unref(reply);
    if (read < 0) failed(method, error, read);
    return id;
}

std::uint64_t MutterIdleWatch::idleTime() {
    sd_bus_error error{};
    sd_bus_message* reply = nullptr;
    const int code =
        sd_bus_call_method(bus_, kService, kPath, kInterface, "GetIdletime", &error, &reply, "");
    if (code < 0) failed("GetIdletime", error, code);
    std::uint64_t milliseconds = 0;
    const int read = sd_bus_message_read(reply, "t", &milliseconds);
    sd_bus_message_unref(reply);
    if (read < 0) failed("GetIdletime", error, read);
    return milliseconds;
}

void MutterIdleWatch::dispatch() {
    // The blocking calls below may read signals they leave unhandled, and
    // poll would not wake for those: round again until none is left.
    for (;;) {
        for (;;) {
            const int code = sd_bus_process(bus_, nullptr);
            if (code < 0) {
                throw std::runtime_error(std::string("sd_bus_process on the session bus failed: ") +
                                         std::strerror(-code));
            }
            if (code == 0) break;
        }
        if (!idleFired_) return;
        idleFired_ = false;
        if (activeWatch_ == 0) activeWatch_ = addWatch("AddUserActiveWatch", false);
        // Activity between the idle watch firing and the active watch being
        // added would fire nothing: the idle time says whether there was some,
        // having started again from 0. Not "below the interval": read just as
        // the watch fires, it may be a hair short of it, and the watch would
        // not fire again before the user's next activity.
        idle_ = idleTime() >= milliseconds_ / 2;
        if (!idle_) {
            removeWatch(activeWatch_);
            activeWatch_ = 0;
        }
    }
}

}  // namespace

std::unique_ptr<IdleWatch> openMutterIdleWatch(std::uint32_t milliseconds) {
    sd_bus* bus = nullptr;
    // No session bus: no GNOME to ask.
    if (sd_bus_open_user(&bus) < 0) return nullptr;
    auto watch = std::make_unique<MutterIdleWatch>(bus, milliseconds);
    if (!watch->start()) return nullptr;
    return watch;
}

}  // namespace vorlune
