#include "geometry/vector3.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace vorlune {
namespace {

TEST(Vector3, ArithmeticMatchesSinglePrecision) {
    EXPECT_EQ(Vector3(), Vector3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(Vector3(1.0f, -2.0f, 0.5f).scale(-2.0f), Vector3(-2.0f, 4.0f, -1.0f));
    EXPECT_EQ(Vector3(3.0f, 4.0f, 0.0f).length(), 5.0f);
    EXPECT_EQ(Vector3(3.0f, 4.0f, 0.0f).normalise(), Vector3(0.6f, 0.8f, 0.0f));
    EXPECT_EQ(Vector3(1.0f, 2.0f, 3.0f) - Vector3(0.5f, 4.0f, -3.0f), Vector3(0.5f, -2.0f, 6.0f));
}

TEST(Vector3, NormaliseScalesByTheNarrowedReciprocal) {
    // (1, 1, 1): length is sqrt(3) narrowed, then 1/length narrowed, then a product
    Vector3 v(1.0f, 1.0f, 1.0f);
    const float length = static_cast<float>(std::sqrt(3.0));
    const float f = 1.0f / length;
    EXPECT_EQ(v.normalise(), Vector3(f, f, f));
}

}  // namespace
}  // namespace vorlune
