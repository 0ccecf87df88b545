#pragma once

namespace vorlune {

// Turns clock readings into the scene time. Readings are kept in double
// precision and only each frame's difference is narrowed: a clock that counts
// from boot would otherwise quantise every frame time once the machine has been
// up for hours (to 1/128 s after 18 hours, 1/16 s after 9 days).
class SceneClock {
  public:
    // The first frame takes a reading before its own, so it starts at a time of about 0.
    bool started() const { return started_; }
    void start(double reading) {
        lastReading_ = reading;
        started_ = true;
    }

    // Adds the time since the last reading, neither clamped nor smoothed, to
    // the scene time (a single-precision sum) and returns that frame time.
    float advance(double reading) {
        const auto frameTime = static_cast<float>(reading - lastReading_);
        lastReading_ = reading;
        sceneTime_ += frameTime * timeScale_;
        return frameTime;
    }

    float sceneTime() const { return sceneTime_; }

  private:
    bool started_ = false;
    double lastReading_ = 0.0;
    float sceneTime_ = 0.0f;
    float timeScale_ = 1.0f;
};

}  // namespace vorlune
