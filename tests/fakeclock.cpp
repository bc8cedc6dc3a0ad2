// SPDX-License-Identifier: MIT
// The tests' clock, which pins the reading osclock takes. Preloaded into the dynamically linked
// osclock, or linked with osclock's own source where nothing can be preloaded (a static or
// Windows build). FAKECLOCK holds the first reading, as seconds since the epoch with an optional
// fraction of up to nine digits (1172739903.999999999), or "fail" for a clock that cannot be read.
// Each later reading is one second on, so a program that reads the clock twice gives itself away.
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#ifndef _WIN32
#include <sys/syscall.h>
#include <unistd.h>

#include <time.h> // NOLINT(modernize-deprecated-headers): POSIX's clock_gettime; not on Windows, where
                  // it declares the call defined below as imported
#endif

namespace {

// The next reading, or false for a clock that fails.
bool pinned_reading(std::int64_t &seconds, long &nanoseconds)
{
    const char *setting = std::getenv("FAKECLOCK");
    if (setting == nullptr) {
        std::abort(); // the clock is replaced but no reading is pinned: the test itself is wrong
    }
    if (std::strcmp(setting, "fail") == 0) {
        return false;
    }
    char *end = nullptr;
    errno = 0;
    const long long first = std::strtoll(setting, &end, 10);
    if (end == setting || errno != 0) {
        std::abort();
    }
    const char *rest = end;
    nanoseconds = 0;
    if (*rest == '.') {
        ++rest;
        for (long scale = 100000000; scale > 0 && *rest >= '0' && *rest <= '9'; scale /= 10) {
            nanoseconds += (*rest++ - '0') * scale;
        }
    }
    if (*rest != '\0') {
        std::abort();
    }
    static unsigned long long calls = 0;
    // Unsigned, so that ticking past the largest reading wraps instead of overflowing.
    seconds = static_cast<std::int64_t>(static_cast<unsigned long long>(first) + calls++);
    return true;
}

} // namespace

#ifdef _WIN32
// time() is an inline call of msvcrt's _time64 through the import pointer that time.h declares
// it with; both are defined here, or the linker also takes msvcrt's and finds two. It has no
// fraction, and -1 is its failure, which it reports by nothing else: errno is left alone.
// NOLINTBEGIN(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
extern "C" std::int64_t __cdecl _time64(std::int64_t *out)
{
    std::int64_t seconds = 0;
    long nanoseconds = 0;
    if (!pinned_reading(seconds, nanoseconds)) {
        seconds = -1;
    }
    if (out != nullptr) {
        *out = seconds;
    }
    return seconds;
}
extern "C" {
std::int64_t(__cdecl *__MINGW_IMP_SYMBOL(_time64))(std::int64_t *) = _time64;
}
// NOLINTEND(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
#else
// Built with the program's time settings, this is whichever call clock_gettime() is bound to:
// clock_gettime itself, or __clock_gettime64 where a 32-bit C library keeps the plain name for
// its 32-bit calendar time. Any other clock is the kernel's own, asked for directly, as neither a
// preloaded library nor a static link can reach the C library's function it replaces.
// glibc names the parameters with reserved identifiers, which this file may not use.
// NOLINTNEXTLINE(readability-inconsistent-declaration-parameter-name)
extern "C" int clock_gettime(clockid_t clock, timespec *out) noexcept
{
    if (clock != CLOCK_REALTIME) {
#ifdef SYS_clock_gettime64
        return static_cast<int>(syscall(SYS_clock_gettime64, clock, out)); // its timespec is 64-bit
#else
        return static_cast<int>(syscall(SYS_clock_gettime, clock, out));
#endif
    }
    std::int64_t seconds = 0;
    long nanoseconds = 0;
    if (!pinned_reading(seconds, nanoseconds)) {
        errno = EFAULT; // what clock_gettime can fail with, and a number every C library names
        return -1;
    }
    out->tv_sec = static_cast<time_t>(seconds);
    out->tv_nsec = nanoseconds;
    return 0;
}
#endif
