#include "geometry/vector3.hpp"

#include <cmath>

namespace vorlune {

double sine(float x) {
    return std::sin(static_cast<double>(x));
}
double cosine(float x) {
    return std::cos(static_cast<double>(x));
}
double squareRoot(float x) {
    return std::sqrt(static_cast<double>(x));
}

}  // namespace vorlune
