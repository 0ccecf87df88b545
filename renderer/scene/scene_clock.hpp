#pragma once

namespace vorlune {

// Turns clock readings into the scene time. Readings are kept in double
// precision and only each frame's difference is narrowed: a clock that counts
// from boot would otherwise quantise every frame time once the machine has been
// up for hours (to 1/128 s after 18 hours, 1/16 s after 9 days).
//
// The scene time is summed in double precision too and narrowed as it is read.
// A single-precision sum rounds every addition to its own spacing, which is
// 1/64 s from 36 hours on: frames shorter than half of it would be lost, so
// the animation would run slow and then stand still (after 36 hours at 144
// frames a second, six days at 60).
class SceneClock {
  public:
    // The first frame takes a reading before its own, so it starts at a time of about 0.
    bool started() const { return started_; }
    void start(double reading) {
        lastReading_ = reading;
        started_ = true;
    }

    // Adds the time since the last reading, neither clamped nor smoothed, to
    // the scene time and returns that frame time.
    float advance(double reading) {
        const auto frameTime = static_cast<float>(reading - lastReading_);
        lastReading_ = reading;
        sceneTime_ += static_cast<double>(frameTime);
        return frameTime;
    }

    // The time the picture is drawn for, in single precision.
    float sceneTime() const { return static_cast<float>(sceneTime_); }

  private:
    bool started_ = false;
    double lastReading_ = 0.0;
    double sceneTime_ = 0.0;
};

}  // namespace vorlune
