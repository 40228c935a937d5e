#pragma once
// Millisecond wall-clock stamps and the elapsed-time rule used for every timing.

#include <cstdint>

namespace tamr {

struct TimeStamp {
    std::int64_t seconds = 0;
    int milliseconds = 0; // 0..999
};

TimeStamp Now();

// (seconds2 - seconds1) + (milliseconds2 - milliseconds1) * 0.001, held as float.
float ElapsedSeconds(const TimeStamp& start, const TimeStamp& end);

// Measures one interval from construction (or Restart) to Elapsed().
class Stopwatch {
public:
    Stopwatch() : start_(Now()) {}
    void Restart() { start_ = Now(); }
    float Elapsed() const { return ElapsedSeconds(start_, Now()); }

private:
    TimeStamp start_;
};

} // namespace tamr
