// SPDX-License-Identifier: MIT
// The tests' clock, which pins the reading osclock takes. Preloaded into the dynamically linked
// osclock, or linked with osclock's own object file where nothing can be preloaded (a static or
// Windows build). FAKECLOCK holds the first reading, in seconds since the epoch, or "fail" for a
// clock that cannot be read. Each later call reads one second on, so a program that reads the
// clock twice gives itself away.
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#ifndef _WIN32
#include <ctime> // on Windows it declares the call defined below as imported
#endif

namespace {

// The next reading, stored through OUT as time() does when OUT is not null.
template <typename Time> Time pinned_reading(Time *out)
{
    const char *setting = std::getenv("FAKECLOCK");
    if (setting == nullptr) {
        std::abort(); // the clock is replaced but no reading is pinned: the test itself is wrong
    }
    Time reading = -1;
    if (std::strcmp(setting, "fail") == 0) {
        errno = EFAULT; // what time(2) can fail with, and a number every C library names
    } else {
        static unsigned long long calls = 0;
        char *end = nullptr;
        errno = 0;
        const long long first = std::strtoll(setting, &end, 10);
        if (end == setting || *end != '\0' || errno != 0) {
            std::abort();
        }
        // Unsigned, so that ticking past the largest reading wraps instead of overflowing.
        reading = static_cast<Time>(static_cast<unsigned long long>(first) + calls++);
    }
    if (out != nullptr) {
        *out = reading;
    }
    return reading;
}

} // namespace

#ifdef _WIN32
// time() is an inline call of msvcrt's _time64 through the import pointer that time.h declares
// it with; both are defined here, or the linker also takes msvcrt's and finds two.
// NOLINTBEGIN(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
extern "C" std::int64_t __cdecl _time64(std::int64_t *out)
{
    return pinned_reading(out);
}
extern "C" {
std::int64_t(__cdecl *__MINGW_IMP_SYMBOL(_time64))(std::int64_t *) = _time64;
}
// NOLINTEND(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
#else
// Built with the program's time settings, this is whichever call time() is bound to: time
// itself, or __time64 where a 32-bit C library keeps time() for its 32-bit calendar time.
// glibc names the parameter with a reserved identifier, which this file may not use.
extern "C" std::time_t time(std::time_t *out) // NOLINT(readability-inconsistent-declaration-parameter-name)
{
    return pinned_reading(out);
}
#endif
