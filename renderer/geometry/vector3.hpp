#pragma once

namespace vorlune {

// The scalar helpers take a single-precision argument and evaluate in double
// precision; callers narrow the result when they store it.
double sine(float x);
double cosine(float x);
double squareRoot(float x);

// Three single-precision components with value semantics. In-place operations
// return the vector itself so they can be chained.
struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    constexpr Vector3() = default;
    constexpr Vector3(float ax, float ay, float az) : x(ax), y(ay), z(az) {}

    Vector3& set(float ax, float ay, float az) {
        x = ax;
        y = ay;
        z = az;
        return *this;
    }

    Vector3& scale(float f) {
        x *= f;
        y *= f;
        z *= f;
        return *this;
    }

    // The sum of squares is rounded to single precision before the root.
    float length() const {
        const float sumOfSquares = x * x + y * y + z * z;
        return static_cast<float>(squareRoot(sumOfSquares));
    }

    // A zero vector is outside the domain: callers that can meet one check first.
    Vector3& normalise() {
        const float f = 1.0f / length();
        return scale(f);
    }

    friend constexpr Vector3 operator-(const Vector3& a, const Vector3& b) {
        return {a.x - b.x, a.y - b.y, a.z - b.z};
    }
    friend constexpr bool operator==(const Vector3&, const Vector3&) = default;
};

}  // namespace vorlune
