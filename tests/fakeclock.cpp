// Preloaded into osclock by the tests to pin its clock. FAKECLOCK holds the first reading, in
// seconds since the epoch, or "fail" for a clock that cannot be read. Each later call reads one
// second on, so a program that reads the clock twice gives itself away.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

// glibc names the parameter with a reserved identifier, which this file may not use.
extern "C" std::time_t time(std::time_t *out) // NOLINT(readability-inconsistent-declaration-parameter-name)
{
    const char *setting = std::getenv("FAKECLOCK");
    if (setting == nullptr) {
        std::abort(); // preloaded without a pinned reading: the test itself is wrong
    }
    std::time_t reading = -1;
    if (std::strcmp(setting, "fail") == 0) {
        errno = EOVERFLOW;
    } else {
        static unsigned long long calls = 0;
        char *end = nullptr;
        errno = 0;
        const long long first = std::strtoll(setting, &end, 10);
        if (end == setting || *end != '\0' || errno != 0) {
            std::abort();
        }
        // Unsigned, so that ticking past the largest reading wraps instead of overflowing.
        reading = static_cast<std::time_t>(static_cast<unsigned long long>(first) + calls++);
    }
    if (out != nullptr) {
        *out = reading;
    }
    return reading;
}
