// What a piece of work costs: the CPU time the process spent on it and how far the process's resident memory rose above where it
// stood before (the kernel's peak counter is reset first, so the peak is the work's own). For tests that
// bound the cost of damaged or huge input. Sanitizer builds run slower and hold freed memory a while, so
// bounds are scaled by sanitizerAllowance().
#pragma once

#include <QtGlobal>

#include <functional>

namespace sorvanta::test {

struct ResourceUse {
    double seconds = 0;   // CPU seconds
    qint64 peakGrowthBytes = 0;
};

ResourceUse measureResources(const std::function<void()>& work);

// 1 in a normal build; larger under AddressSanitizer, whose checks and quarantine cost time and memory.
constexpr double sanitizerAllowance()
{
#if defined(__SANITIZE_ADDRESS__)
    return 4;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return 4;
#else
    return 1;
#endif
#else
    return 1;
#endif
}

inline constexpr qint64 kMegabyte = 1024 * 1024;

}  // namespace sorvanta::test
