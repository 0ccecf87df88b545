#include "scene/ball_geometry.hpp"

namespace vorlune {

namespace {

// Angular rates of the x (sine), y (cosine) and z (sine) motion, and the radius.
struct BallPath {
    float rateX;
    float rateY;
    float rateZ;
    float radius;
};

constexpr BallPath kBallPaths[kSceneBallCount] = {
    {1.0f, 1.3f, 2.0f, 0.15f}, {0.2f, 1.4f, 1.1f, 0.15f}, {1.4f, 0.7f, 1.3f, 0.2f},
    {1.1f, 2.1f, 1.2f, 0.15f}, {0.6f, 1.4f, 0.5f, 0.2f},
};

float squaredDistance(const Vector3& a, const Vector3& b) {
    const float dx = a.x - b.x;
    const float dy = a.y - b.y;
    const float dz = a.z - b.z;
    const float d2 = dx * dx + dy * dy + dz * dz;
    return d2 < kNearestSquaredDistance ? kNearestSquaredDistance : d2;
}

}  // namespace

std::unique_ptr<MetaballField> createSceneField(std::int32_t detail) {
    auto field = std::make_unique<MetaballField>(6 * detail + 10, kSceneExtent, kSceneBallCount);
    field->setBall(0, Vector3(0.0f, 0.0f, 0.0f), 0.2f);
    field->setBall(1, Vector3(-0.3f, -0.2f, 0.4f), 0.2f);
    return field;
}

void placeBalls(MetaballField& field, float t) {
    for (std::int32_t i = 0; i < kSceneBallCount; ++i) {
        const BallPath& path = kBallPaths[i];
        // each product is narrowed to single precision before the sine is taken
        const float ax = path.rateX * t;
        const float ay = path.rateY * t;
        const float az = path.rateZ * t;
        const Vector3 centre(static_cast<float>(sine(ax)), static_cast<float>(cosine(ay)),
                             static_cast<float>(sine(az)));
        field.setBall(i, centre, path.radius);
    }
}

void evaluateField(MetaballField& field) {
    float radiusSquared[kMaxBalls];
    const std::int32_t ballCount = field.ballCount;
    for (std::int32_t b = 0; b < ballCount; ++b) {
        radiusSquared[b] = field.balls[b].radius * field.balls[b].radius;
    }
    const std::int32_t nodeCount = field.nodeCount();
    for (std::int32_t n = 0; n < nodeCount; ++n) {
        FieldNode& node = field.nodes[n];
        node.value = 0.0f;
        for (std::int32_t b = 0; b < ballCount; ++b) {
            const Metaball& ball = field.balls[b];
            const float term = radiusSquared[b] / squaredDistance(node.position, ball.centre);
            if (ball.radius > 0.0f) {
                node.value += term;
            } else {
                node.value -= term;
            }
        }
    }
}

Vector3 interpolateEdge(const FieldNode& a, const FieldNode& b, float iso) {
    return interpolateCrossing(a.value, a.position, b.value, b.position, iso);
}

Vector3 fieldNormal(const MetaballField& field, const Vector3& point) {
    Vector3 sum;
    for (std::int32_t b = 0; b < field.ballCount; ++b) {
        const Metaball& ball = field.balls[b];
        const float d2 = squaredDistance(point, ball.centre);
        Vector3 term = point - ball.centre;
        term.scale((2.0f * ball.radius) / (d2 * d2));
        sum.x += term.x;
        sum.y += term.y;
        sum.z += term.z;
    }
    // Only an uncrossed edge, never drawn, or a point balanced between balls
    // can sum to zero; normalising that would make NaNs.
    const float length = sum.length();
    if (!(length > 0.0f) || !std::isfinite(length)) return {};
    return sum.normalise();
}

}  // namespace vorlune
