#pragma once

namespace trevalune {

struct LocalDateTime {
    int year = 0;
    int month = 0;  ///< 1..12
    int day = 0;
    int hour = 0;  ///< 0..23
    int minute = 0;
    int second = 0;
};

/// Blocking waits and the local time. The program sleeps for real (the window's one
/// thread must not run other events meanwhile); tests record the waits instead.
class Clock {
public:
    virtual ~Clock() = default;
    virtual void sleepMs(int milliseconds) = 0;
    virtual LocalDateTime now() = 0;
};

class SystemClock final : public Clock {
public:
    void sleepMs(int milliseconds) override;
    LocalDateTime now() override;
};

}  // namespace trevalune
