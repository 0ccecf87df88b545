#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <utility>

namespace vorlune {

// The compositor's outputs by their global name, and the surface the renderer
// shows on each. An output gets its surface once the compositor has described
// it; an output that goes away takes its surface with it; a surface the
// compositor closes is gone for good, and its output gets no other.
//
// Output and Surface are the front end's own types (a wl_output and what it
// bound, a layer or toplevel surface); kept apart here so the bookkeeping can
// be checked without a compositor.
template <typename Output, typename Surface>
class OutputRoster {
  public:
    // A new output global, bound as `output`.
    Output& add(std::uint32_t name, std::unique_ptr<Output> output) {
        Entry& entry = entries_[name];
        entry = Entry{};
        entry.output = std::move(output);
        return *entry.output;
    }

    // Gives each output that has no surface, and never had one closed, the
    // surface make(output) returns for it; make returns none for an output
    // that is not ready (not yet described).
    template <typename Make>
    void cover(Make make) {
        for (auto& [name, entry] : entries_) {
            if (!entry.surface && !entry.closed) entry.surface = make(*entry.output);
        }
    }

    // The compositor closed the surfaces marked closed: each is destroyed,
    // and its output is never given another.
    template <typename IsClosed>
    void dropClosed(IsClosed isClosed) {
        for (auto& [name, entry] : entries_) {
            if (entry.surface && isClosed(*entry.surface)) {
                entry.surface.reset();
                entry.closed = true;
            }
        }
    }

    // The output with that global name went away, and its surface with it.
    // False when the name was not an output's.
    bool remove(std::uint32_t name) { return entries_.erase(name) > 0; }

    // Every output there is has had its surface closed: nothing is left to
    // show and none will be. With no outputs at all the run waits instead.
    bool allClosed() const {
        if (entries_.empty()) return false;
        for (const auto& [name, entry] : entries_) {
            if (!entry.closed) return false;
        }
        return true;
    }

    Output* output(std::uint32_t name) {
        const auto found = entries_.find(name);
        return found == entries_.end() ? nullptr : found->second.output.get();
    }

    const Surface* surface(std::uint32_t name) const {
        const auto found = entries_.find(name);
        return found == entries_.end() ? nullptr : found->second.surface.get();
    }

    template <typename Visit>
    void forEachSurface(Visit visit) const {
        for (const auto& [name, entry] : entries_) {
            if (entry.surface) visit(static_cast<const Surface&>(*entry.surface));
        }
    }
    template <typename Visit>
    void forEachSurface(Visit visit) {
        for (auto& [name, entry] : entries_) {
            if (entry.surface) visit(*entry.surface);
        }
    }

    void clear() { entries_.clear(); }

  private:
    // Destroyed in reverse: the surface before the output it is shown on.
    struct Entry {
        std::unique_ptr<Output> output;
        std::unique_ptr<Surface> surface;
        bool closed = false;
    };
    std::map<std::uint32_t, Entry> entries_;
};

}  // namespace vorlune
