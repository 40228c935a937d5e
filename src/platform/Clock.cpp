#include "platform/Clock.h"

#include <chrono>

namespace tamr {

TimeStamp Now()
{
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    const auto totalMilliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count();
    return TimeStamp{totalMilliseconds / 1000, static_cast<int>(totalMilliseconds % 1000)};
}

float ElapsedSeconds(const TimeStamp& start, const TimeStamp& end)
{
    const float wholeSeconds = static_cast<float>(end.seconds - start.seconds);
    const float milliseconds = static_cast<float>(end.milliseconds - start.milliseconds);
    return wholeSeconds + milliseconds * 0.001f;
}

} // namespace tamr
