#pragma once

namespace platform {

struct LocalDateTime {
    int Year = 1970;
    int Month = 1;
    int Day = 1;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    int Millisecond = 0;
};

// The current date and time in the user's time zone. Plain C++ and POSIX, no Qt, so that the
// evaluator's fuzz build can use it.
LocalDateTime LocalNow();

} // namespace platform
