#include "instrument/SleepPauser.h"

#include <chrono>
#include <thread>

namespace corvin::instrument {

void SleepPauser::Pause(int n) {
    if (n <= 0)
        return;
    std::this_thread::sleep_for(std::chrono::microseconds(100) * n);
}

} // namespace corvin::instrument
