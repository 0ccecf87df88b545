#pragma once

namespace vorlune {

// Seconds since an arbitrary origin from the platform's high-resolution clock.
double clockSeconds();

}  // namespace vorlune
