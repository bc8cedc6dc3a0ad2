// Runs osclock as a whole process, its clock pinned by the fakeclock preload library and its
// zone by a POSIX TZ string, and checks everything the process leaves behind.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

enum class Stdout { ToFile, Closed, DevFull, ReaderGone };

struct Result {
    int wait_status = 0;
    std::string out;
    std::string err;

    [[nodiscard]] bool exited_with(int code) const
    {
        return WIFEXITED(wait_status) && WEXITSTATUS(wait_status) == code;
    }
};

std::string slurp(std::FILE *file)
{
    std::rewind(file);
    std::string text;
    char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) {
        text.append(chunk, n);
    }
    return text;
}

// The parent's environment with the clock, the zone and the preload replaced.
std::vector<std::string> child_environment(const std::string &clock, const std::string &tz)
{
    std::vector<std::string> env;
    for (char **entry = environ; *entry != nullptr; ++entry) {
        const std::string var = *entry;
        if (var.rfind("TZ=", 0) != 0 && var.rfind("FAKECLOCK=", 0) != 0 && var.rfind("LD_PRELOAD=", 0) != 0) {
            env.push_back(var);
        }
    }
    env.push_back("TZ=" + tz);
    env.push_back("FAKECLOCK=" + clock);
    env.push_back(std::string("LD_PRELOAD=") + FAKECLOCK_LIBRARY);
    return env;
}

std::vector<char *> pointers_to(std::vector<std::string> &strings)
{
    std::vector<char *> pointers(strings.size() + 1, nullptr);
    std::transform(strings.begin(), strings.end(), pointers.begin(), [](std::string &s) { return s.data(); });
    return pointers;
}

// Runs osclock with its clock reading pinned to CLOCK (or "fail") under the zone TZ.
Result run_osclock(const std::string &clock, const std::string &tz = "UTC0", const std::vector<std::string> &args = {},
                   Stdout stdout_to = Stdout::ToFile, bool sigpipe_ignored = false)
{
    // Ignored here, so that a child spawned without resetting it inherits it ignored.
    ::signal(SIGPIPE, SIG_IGN);

    std::FILE *out = std::tmpfile();
    std::FILE *err = std::tmpfile();
    int gone_reader_pipe[2] = {-1, -1};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    switch (stdout_to) {
    case Stdout::ToFile:
        posix_spawn_file_actions_adddup2(&actions, fileno(out), STDOUT_FILENO);
        break;
    case Stdout::Closed:
        posix_spawn_file_actions_addclose(&actions, STDOUT_FILENO);
        break;
    case Stdout::DevFull:
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/full", O_WRONLY, 0);
        break;
    case Stdout::ReaderGone:
        EXPECT_EQ(pipe2(gone_reader_pipe, O_CLOEXEC), 0);
        close(gone_reader_pipe[0]);
        posix_spawn_file_actions_adddup2(&actions, gone_reader_pipe[1], STDOUT_FILENO);
        break;
    }
    posix_spawn_file_actions_adddup2(&actions, fileno(err), STDERR_FILENO);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    if (!sigpipe_ignored) {
        sigset_t sigpipe;
        sigemptyset(&sigpipe);
        sigaddset(&sigpipe, SIGPIPE);
        posix_spawnattr_setsigdefault(&attributes, &sigpipe);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    }

    std::vector<std::string> argv_strings{OSCLOCK_PROGRAM};
    argv_strings.insert(argv_strings.end(), args.begin(), args.end());
    std::vector<std::string> env_strings = child_environment(clock, tz);
    std::vector<char *> argv = pointers_to(argv_strings);
    std::vector<char *> envp = pointers_to(env_strings);

    Result result;
    pid_t pid = -1;
    const int spawn_error = posix_spawn(&pid, OSCLOCK_PROGRAM, &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (gone_reader_pipe[1] != -1) {
        close(gone_reader_pipe[1]);
    }
    EXPECT_EQ(spawn_error, 0) << std::strerror(spawn_error);
    if (spawn_error == 0) {
        EXPECT_EQ(waitpid(pid, &result.wait_status, 0), pid);
    }
    result.out = slurp(out);
    result.err = slurp(err);
    std::fclose(out);
    std::fclose(err);
    return result;
}

std::string report(const std::string &time, const std::string &date)
{
    return "OS time: " + time + "\nOS date: " + date + "\n";
}

struct Expected {
    const char *tz;
    const char *clock;
    const char *time;
    const char *date;
};

void expect_reports(const std::vector<Expected> &cases)
{
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string("TZ=") + c.tz + " at " + c.clock);
        const Result result = run_osclock(c.clock, c.tz);
        EXPECT_TRUE(result.exited_with(0));
        EXPECT_EQ(result.out, report(c.time, c.date));
        EXPECT_EQ(result.err, "");
    }
}

constexpr const char *kUsEastern = "EST5EDT,M3.2.0,M11.1.0";
constexpr const char *kSydney = "AEST-10AEDT,M10.1.0,M4.1.0/3";

TEST(Report, FieldsAreUnpaddedAndDateIsMonthDayYear)
{
    expect_reports({
        {"UTC0", "1172739903", "9:5:3", "3/1/2007"},
        {"UTC0", "1172707205", "0:0:5", "3/1/2007"},
        {"UTC0", "1767225600", "0:0:0", "1/1/2026"},
        {"UTC0", "1798761599", "23:59:59", "12/31/2026"},
        // The clock ticks once per reading: a second reading would show the next day.
        {"UTC0", "1172793599", "23:59:59", "3/1/2007"},
    });
}

TEST(Report, FollowsZoneAndDaylightSavingTime)
{
    expect_reports({
        {kUsEastern, "1784116800", "8:0:0", "7/15/2026"},
        {kUsEastern, "1768478400", "7:0:0", "1/15/2026"},
        {kUsEastern, "1772953199", "1:59:59", "3/8/2026"},
        {kUsEastern, "1772953200", "3:0:0", "3/8/2026"},
        {kSydney, "1784116800", "22:0:0", "7/15/2026"},
        {kSydney, "1768478400", "23:0:0", "1/15/2026"},
        {"IST-5:30", "1784116800", "17:30:0", "7/15/2026"},
        {"<+0545>-5:45", "1784116800", "17:45:0", "7/15/2026"},
        {"<+14>-14", "1784116800", "2:0:0", "7/16/2026"},
    });
}

TEST(Report, PrintsTheTrueYearAcrossTheWholeRange)
{
    expect_reports({
        {"UTC0", "-14182940", "20:17:40", "7/20/1969"},
        {"UTC0", "-2147483649", "20:45:51", "12/13/1901"},
        {"UTC0", "2147483648", "3:14:8", "1/19/2038"},
        {"UTC0", "253402300800", "0:0:0", "1/1/10000"},
        // The last second the library converts: tm_year is INT_MAX, so adding 1900 in an int overflows.
        {"UTC0", "67768036191676799", "23:59:59", "12/31/2147485547"},
    });
}

TEST(Report, ShowsALeapSecondAsSecond60)
{
    if (access("/usr/share/zoneinfo/right/UTC", R_OK) != 0) {
        GTEST_SKIP() << "no right/UTC zone file (Debian package tzdata): leap seconds not tested";
    }
    expect_reports({
        {"right/UTC", "1483228826", "23:59:60", "12/31/2016"},
        {"right/UTC", "1483228827", "0:0:0", "1/1/2017"},
    });
}

TEST(Report, IgnoresItsArguments)
{
    const std::string expected = report("9:5:3", "3/1/2007");
    const std::vector<std::vector<std::string>> argument_lists{
        {"--help"},
        {"--version", "-h", "-"},
        {""},
        {"TZ=IST-5:30", "%s%n%d"},
        {"\xff\xfe not UTF-8"},
        {std::string(100000, 'x')},
    };
    for (const auto &args : argument_lists) {
        SCOPED_TRACE(args.front().substr(0, 20));
        const Result result = run_osclock("1172739903", "UTC0", args);
        EXPECT_TRUE(result.exited_with(0));
        EXPECT_EQ(result.out, expected);
        EXPECT_EQ(result.err, "");
    }
}

TEST(Failure, ClockOrConversionFailsWithAMessage)
{
    const char *const kCannotConvert =
        "osclock: cannot convert the clock reading to local time: Value too large for defined data type\n";
    const struct {
        const char *clock;
        const char *message;
    } cases[] = {
        {"fail", "osclock: cannot read the system clock: Value too large for defined data type\n"},
        // Past the last second the library converts, and the largest reading of all.
        {"67768036191676800", kCannotConvert},
        {"9223372036854775807", kCannotConvert},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.clock);
        const Result result = run_osclock(c.clock);
        EXPECT_TRUE(result.exited_with(1));
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, c.message);
    }
}

TEST(Failure, LostReportIsAnErrorNotSuccess)
{
    const struct {
        Stdout stdout_to;
        bool sigpipe_ignored;
        const char *message;
    } cases[] = {
        {Stdout::DevFull, false, "osclock: write error: No space left on device\n"},
        {Stdout::Closed, false, "osclock: write error: Bad file descriptor\n"},
        {Stdout::ReaderGone, true, "osclock: write error: Broken pipe\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message);
        const Result result = run_osclock("1172739903", "UTC0", {}, c.stdout_to, c.sigpipe_ignored);
        EXPECT_TRUE(result.exited_with(1));
        EXPECT_EQ(result.err, c.message);
    }
}

TEST(Failure, GoneReaderEndsTheProcessBySigpipeByDefault)
{
    const Result result = run_osclock("1172739903", "UTC0", {}, Stdout::ReaderGone);
    EXPECT_TRUE(WIFSIGNALED(result.wait_status) && WTERMSIG(result.wait_status) == SIGPIPE);
    EXPECT_EQ(result.err, "");
}

} // namespace
