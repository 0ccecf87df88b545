#pragma once

namespace vorlune {

// EGL's name for one of its error codes ("EGL_BAD_MATCH"), as eglGetError
// returns them.
const char* eglErrorName(int error);

}  // namespace vorlune
