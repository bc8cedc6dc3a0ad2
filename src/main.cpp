// SPDX-License-Identifier: MIT
// osclock: report the local time of day and the date from one reading of the system clock.
#include <cerrno>
#include <cinttypes>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#ifndef _WIN32
#include <time.h> // NOLINT(modernize-deprecated-headers): POSIX's clock_gettime, which <ctime> need not declare
#endif

// A 32-bit calendar time runs out on 19 January 2038; refuse to build with one.
static_assert(sizeof(std::time_t) * CHAR_BIT >= 64, "osclock needs a 64-bit time_t");

namespace {

// Reports "osclock: WHAT: REASON" from errno, or just WHAT when the library gave no reason.
int fail(const char *what)
{
    const int reason = errno;
    if (reason != 0) {
        std::fprintf(stderr, "osclock: %s: %s\n", what, std::strerror(reason));
    } else {
        std::fprintf(stderr, "osclock: %s\n", what);
    }
    return EXIT_FAILURE;
}

} // namespace

int main()
{
    std::time_t now{};
#ifdef _WIN32
    // msvcrt's time() is the system time as of the last tick, as every Windows tool shows it; a
    // finer clock would need Windows 8. (time_t)-1 is its only failure signal, although it is
    // also the instant 1969-12-31 23:59:59 UTC, which no working clock reads today.
    errno = 0;
    if (std::time(&now) == static_cast<std::time_t>(-1)) {
        return fail("cannot read the system clock");
    }
#else
    // Not time(): on Linux it reads the kernel's coarse clock, which trails the real-time clock by
    // up to a tick, so a run started just after a second turns would report the second before
    // (and at midnight, yesterday). The fraction is dropped, never rounded, so the report never
    // names a second that has not begun; failure comes by the return value alone.
    timespec reading{};
    if (clock_gettime(CLOCK_REALTIME, &reading) != 0) {
        return fail("cannot read the system clock");
    }
    now = reading.tv_sec;
#endif

    // Both lines come from this one record, so a run that straddles midnight still reports one
    // instant. Nothing may convert another time before both lines are printed.
    errno = 0;
    const std::tm *local = std::localtime(&now);
    if (local == nullptr) {
        return fail("cannot convert the clock reading to local time");
    }

    // With a 64-bit time_t, tm_year reaches INT_MAX, so the full year needs more than an int.
    const std::int64_t year = std::int64_t{local->tm_year} + 1900;

    // A report that did not reach its destination must not end in status 0. Redirected output is
    // usually buffered, so a failed write may show only at the flush; some C libraries report it
    // through the stream's error flag alone, with printf and fflush both claiming success, and
    // some file systems (NFS) only when the file is closed, which the process exit would not tell.
    errno = 0;
    if (std::printf("OS time: %d:%d:%d\n", local->tm_hour, local->tm_min, local->tm_sec) < 0 ||
        std::printf("OS date: %d/%d/%" PRId64 "\n", local->tm_mon + 1, local->tm_mday, year) < 0 ||
        std::fflush(stdout) == EOF || std::ferror(stdout) != 0 || std::fclose(stdout) == EOF) {
        return fail("write error");
    }
    return EXIT_SUCCESS;
}
