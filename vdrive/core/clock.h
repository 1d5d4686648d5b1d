// Wall-clock milliseconds, shared by every process that drives the drive.
#pragma once

#include <chrono>
#include <cstdint>

namespace zelvane::vdrive {

inline int64_t nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

} // namespace zelvane::vdrive
