// The calendar time of this machine's time zone, which the C library gives in a different,
// thread-safe call on each system.
#pragma once

#include <ctime>

namespace brindle::platform {

std::tm LocalTime(std::time_t seconds);

}  // namespace brindle::platform
