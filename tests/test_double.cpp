// SPDX-License-Identifier: MIT
// The tests' double of the C library's clock and of fclose, linked with osclock's own source into
// the test build osclock_pinned on every target, so that it runs wherever osclock runs: natively,
// statically, under QEMU and under Wine. The linker binds the program's calls to the __wrap_
// functions here (its --wrap option); the shipped osclock is built without them.
//
// FAKECLOCK holds the first reading, as seconds since the epoch with an optional fraction of up to
// nine digits (1172739903.999999999), or "fail" for a clock that cannot be read. Each later reading
// is one second on, so a program that reads the clock twice gives itself away. The coarse clock
// (time(), CLOCK_REALTIME_COARSE) trails the fine one as Linux's does, by up to a tick: in the
// first 10 ms of a second it still reads the second before, so a program that reads it reports a
// run started just after a second turns as the second before.
//
// FAKECLOSE=fail makes the close of standard output fail with EIO once it has closed the stream,
// as NFS fails a close when the server could not store what was written, although every write
// succeeded.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#ifndef _WIN32
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

// NOLINTBEGIN(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp): the linker's names
extern "C" {
int __real_fclose(std::FILE *stream);
int __wrap_fclose(std::FILE *stream)
{
    const bool fail = stream == stdout && std::getenv("FAKECLOSE") != nullptr;
    const int closed = __real_fclose(stream);
    if (fail) {
        errno = EIO;
        return EOF;
    }
    return closed;
}
}

#ifdef _WIN32
// time() is an inline call of msvcrt's _time64 through the import pointer that time.h declares
// it with, which the linker cannot wrap: both are defined here, or the linker also takes msvcrt's
// and finds two. It has no fraction, and -1 is its failure, which it reports by nothing else: errno
// is left alone.
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
#else
// A 32-bit C library with a 64-bit calendar time keeps the plain names for its 32-bit calls, and
// osclock's calls go to these: glibc says so by __USE_TIME64_REDIRECTS from 2.39, and before by
// __USE_TIME_BITS64, which now means only that the calendar time is 64-bit.
#if defined(__USE_TIME64_REDIRECTS) || (defined(__USE_TIME_BITS64) && __TIMESIZE == 32)
#define WRAPPED(name) __wrap___##name##64
#define REAL(name) __real___##name##64
#else
#define WRAPPED(name) __wrap_##name
#define REAL(name) __real_##name
#endif

namespace {
// Within the first 10 ms of a second, the coarse clock still reads the second before.
constexpr long kCoarseTrail = 10000000;
} // namespace

extern "C" {
int REAL(clock_gettime)(clockid_t clock, timespec *out);
// NOLINTNEXTLINE(readability-inconsistent-declaration-parameter-name): glibc's are reserved
int WRAPPED(clock_gettime)(clockid_t clock, timespec *out)
{
    if (clock != CLOCK_REALTIME && clock != CLOCK_REALTIME_COARSE) {
        return REAL(clock_gettime)(clock, out);
    }
    std::int64_t seconds = 0;
    long nanoseconds = 0;
    if (!pinned_reading(seconds, nanoseconds)) {
        errno = EFAULT; // what clock_gettime can fail with, and a number every C library names
        return -1;
    }
    if (clock == CLOCK_REALTIME_COARSE && nanoseconds < kCoarseTrail) {
        seconds -= 1;
        nanoseconds += 1000000000 - kCoarseTrail;
    }
    out->tv_sec = static_cast<time_t>(seconds);
    out->tv_nsec = nanoseconds;
    return 0;
}
time_t WRAPPED(time)(time_t *out)
{
    timespec reading{};
    if (WRAPPED(clock_gettime)(CLOCK_REALTIME_COARSE, &reading) != 0) {
        reading.tv_sec = -1;
    }
    if (out != nullptr) {
        *out = reading.tv_sec;
    }
    return reading.tv_sec;
}
}
#endif
// NOLINTEND(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
