#pragma once

#include <windows.h>

namespace vorlune {

// The shell that started the renderer, opened at the start while it is
// known to be alive (see parent_watch.hpp). Without a shell parent, or when
// it cannot be found or opened, there is nothing to watch and ended() stays
// false; the reason of a failure goes to the debugger's output.
class ParentWatch {
  public:
    ParentWatch();
    ~ParentWatch();
    ParentWatch(const ParentWatch&) = delete;
    ParentWatch& operator=(const ParentWatch&) = delete;

    // True once, when the watched process has ended; cheap enough to ask every frame.
    bool ended();

  private:
    HANDLE parent_ = nullptr;
};

}  // namespace vorlune
