// SPDX-License-Identifier: MIT
// Runs osclock as a whole process, its clock pinned by the tests' clock (fakeclock.cpp, preloaded
// or linked in) and its zone by a POSIX TZ string, and checks everything the process leaves behind.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

enum class Stdout : std::uint8_t { ToFile, Closed, DevFull, ReaderGone, CloseFails };

// failing_close.cpp's status where no seccomp filter can be installed.
constexpr int kNoSeccomp = 77;

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
    std::string text;
    if (std::fseek(file, 0, SEEK_SET) != 0) {
        ADD_FAILURE() << "cannot read back a temporary file: " << std::strerror(errno);
        return text;
    }
    char chunk[4096];
    std::size_t n = 0;
    do {
        n = std::fread(chunk, 1, sizeof chunk, file);
        text.append(chunk, n);
    } while (n == sizeof chunk);
    return text;
}

// The shipped osclock, or osclock as its clock can be pinned (itself with the tests' clock
// preloaded, or a build with it linked in); each behind an emulator where it needs one, as is the
// failing_close helper (FAILING_CLOSE_COMMAND, on Linux).
std::vector<std::string> osclock_command(bool pinned)
{
    if (pinned) {
        return {PINNED_OSCLOCK_COMMAND};
    }
    return {SHIPPED_OSCLOCK_COMMAND};
}

// The parent's environment with the zone replaced, and the clock pinned to CLOCK if there is one.
// Against the real clock the preloads stay: under a faked clock (libfaketime, as reproducible
// builds use) osclock must read the clock this harness reads.
std::vector<std::string> child_environment(const std::optional<std::string> &clock, const std::string &tz)
{
    std::vector<std::string> env;
    for (char **entry = environ; *entry != nullptr; ++entry) {
        const std::string var = *entry;
        const bool replaced =
            var.rfind("TZ=", 0) == 0 || var.rfind("FAKECLOCK=", 0) == 0 || (clock && var.rfind("LD_PRELOAD=", 0) == 0);
        if (!replaced) {
            env.push_back(var);
        }
    }
    env.push_back("TZ=" + tz);
    if (clock) {
        env.push_back("FAKECLOCK=" + *clock);
#ifdef FAKECLOCK_LIBRARY
        env.push_back(std::string("LD_PRELOAD=") + FAKECLOCK_LIBRARY);
#endif
    }
    return env;
}

std::vector<char *> pointers_to(std::vector<std::string> &strings)
{
    std::vector<char *> pointers(strings.size() + 1, nullptr);
    // Not const, whatever cppcheck says: the exec calls take char *.
    // cppcheck-suppress constParameterReference
    std::transform(strings.begin(), strings.end(), pointers.begin(), [](std::string &s) { return s.data(); });
    return pointers;
}

// Runs osclock under the zone TZ with its clock reading pinned to CLOCK (or "fail"), or the shipped
// osclock against the real clock where CLOCK is nullopt.
Result run_osclock(const std::optional<std::string> &clock, const std::string &tz = "UTC0",
                   const std::vector<std::string> &args = {}, Stdout stdout_to = Stdout::ToFile,
                   bool sigpipe_ignored = false)
{
    // Ignored here, so that a child spawned without resetting it inherits it ignored.
    ::signal(SIGPIPE, SIG_IGN);

    std::FILE *out = std::tmpfile();
    std::FILE *err = std::tmpfile();
    if (out == nullptr || err == nullptr) {
        std::perror("osclock_test: cannot make a temporary file");
        std::abort();
    }
    int gone_reader_pipe[2] = {-1, -1};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    switch (stdout_to) {
    case Stdout::ToFile:
    case Stdout::CloseFails:
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

    std::vector<std::string> argv_strings;
#ifdef FAILING_CLOSE_COMMAND
    if (stdout_to == Stdout::CloseFails) {
        argv_strings = {FAILING_CLOSE_COMMAND};
    }
#endif
    const std::vector<std::string> command = osclock_command(clock.has_value());
    argv_strings.insert(argv_strings.end(), command.begin(), command.end());
    argv_strings.insert(argv_strings.end(), args.begin(), args.end());
    std::vector<std::string> env_strings = child_environment(clock, tz);
    std::vector<char *> argv = pointers_to(argv_strings);
    std::vector<char *> envp = pointers_to(env_strings);

    Result result;
    pid_t pid = -1;
    const int spawn_error = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), envp.data());
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

// The table's name for the C library this harness runs on; its rows for "all" hold everywhere.
#ifdef __GLIBC__
constexpr const char *kCLibrary = "glibc";
#else
constexpr const char *kCLibrary = "";
#endif

// One line of the table that every target's runner reads; see pinned_clock.table.
struct PinnedCase {
    std::string name;
    std::string tz;
    std::string clock;
    int status = 0;
    std::string expected;
};

std::vector<PinnedCase> pinned_cases()
{
    std::ifstream table(PINNED_CLOCK_TABLE);
    if (!table) {
        std::fprintf(stderr, "cannot read %s\n", PINNED_CLOCK_TABLE);
        std::exit(EXIT_FAILURE);
    }
    std::vector<PinnedCase> cases;
    for (std::string line; std::getline(table, line);) {
        if (line.find_first_not_of(' ') == std::string::npos || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        PinnedCase c;
        std::string on;
        if (!(fields >> c.name >> on >> c.tz >> c.clock >> c.status >> std::ws) || !std::getline(fields, c.expected)) {
            std::fprintf(stderr, "%s: not a case: %s\n", PINNED_CLOCK_TABLE, line.c_str());
            std::exit(EXIT_FAILURE);
        }
        if (on == "all" || on == kCLibrary) {
            cases.push_back(c);
        }
    }
    return cases;
}

// Names a case in test listings and failures.
void PrintTo(const PinnedCase &c, std::ostream *out)
{
    *out << "TZ=" << c.tz << " at " << c.clock;
}

class PinnedClock : public testing::TestWithParam<PinnedCase> {};

TEST_P(PinnedClock, Case)
{
    const PinnedCase &c = GetParam();
    const Result result = run_osclock(c.clock, c.tz);
    EXPECT_TRUE(result.exited_with(c.status));
    if (c.status == 0) {
        const std::size_t space = c.expected.find(' ');
        EXPECT_EQ(result.out, report(c.expected.substr(0, space), c.expected.substr(space + 1)));
        EXPECT_EQ(result.err, "");
    } else {
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, c.expected + "\n");
    }
}

INSTANTIATE_TEST_SUITE_P(Table, PinnedClock, testing::ValuesIn(pinned_cases()),
                         [](const testing::TestParamInfo<PinnedCase> &info) { return info.param.name; });

TEST(Report, ShowsALeapSecondAsSecond60)
{
    // LEAP_SECOND_ZONE counts one leap second, at the end of 2016, so its clock is one ahead.
    const std::string zone = LEAP_SECOND_ZONE;
    const Result leap_second = run_osclock("1483228800", zone);
    EXPECT_TRUE(leap_second.exited_with(0));
    EXPECT_EQ(leap_second.out, report("23:59:60", "12/31/2016"));
    const Result next_second = run_osclock("1483228801", zone);
    EXPECT_TRUE(next_second.exited_with(0));
    EXPECT_EQ(next_second.out, report("0:0:0", "1/1/2017"));
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

// osclock's report of INSTANT under TZ=UTC0.
std::string utc_report(std::time_t instant)
{
    std::tm fields{};
    gmtime_r(&instant, &fields);
    return report(std::to_string(fields.tm_hour) + ":" + std::to_string(fields.tm_min) + ":" +
                      std::to_string(fields.tm_sec),
                  std::to_string(fields.tm_mon + 1) + "/" + std::to_string(fields.tm_mday) + "/" +
                      std::to_string(fields.tm_year + 1900));
}

// A clock that turns a second up to a tick late (time() on Linux) reports the second before the
// one in which a run started just after the turn: a job started at midnight would log yesterday.
// Under an emulator, a start takes longer than a tick and this tells nothing.
TEST(LiveClock, ReportsNoSecondBeforeTheRunStarted)
{
    for (int run = 0; run < 3; ++run) {
        timespec before{};
        clock_gettime(CLOCK_REALTIME, &before);
        const timespec nap{0, std::max(0L, 999'000'000L - before.tv_nsec)};
        nanosleep(&nap, nullptr);
        timespec started{};
        do {
            clock_gettime(CLOCK_REALTIME, &started);
        } while (started.tv_sec == before.tv_sec);
        const Result result = run_osclock(std::nullopt);
        timespec ended{};
        clock_gettime(CLOCK_REALTIME, &ended);

        ASSERT_TRUE(result.exited_with(0)) << result.err;
        bool of_the_run = false;
        for (std::time_t second = started.tv_sec; second <= ended.tv_sec; ++second) {
            of_the_run = of_the_run || result.out == utc_report(second);
        }
        EXPECT_TRUE(of_the_run) << "started " << started.tv_nsec << " ns into second " << started.tv_sec
                                << ", ended in second " << ended.tv_sec << "; reported\n"
                                << result.out
                                << (result.out == utc_report(started.tv_sec - 1) ? "the second before" : "");
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
        // Every write succeeded, but closing the file failed, as NFS may report a full quota.
        {Stdout::CloseFails, false, "osclock: write error: Input/output error\n"},
    };
    std::string skipped;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message);
#ifndef FAILING_CLOSE_COMMAND
        if (c.stdout_to == Stdout::CloseFails) {
            skipped = "the failing_close helper needs Linux's seccomp filters";
            continue;
        }
#endif
        const Result result = run_osclock("1172739903", "UTC0", {}, c.stdout_to, c.sigpipe_ignored);
        if (c.stdout_to == Stdout::CloseFails && result.exited_with(kNoSeccomp)) {
            skipped = result.err;
            continue;
        }
        EXPECT_TRUE(result.exited_with(1));
        EXPECT_EQ(result.err, c.message);
    }
    if (!skipped.empty()) {
        GTEST_SKIP() << "failing close of standard output not tested: " << skipped;
    }
}

TEST(Failure, GoneReaderEndsTheProcessBySigpipeByDefault)
{
    const Result result = run_osclock("1172739903", "UTC0", {}, Stdout::ReaderGone);
    EXPECT_TRUE(WIFSIGNALED(result.wait_status) && WTERMSIG(result.wait_status) == SIGPIPE);
    EXPECT_EQ(result.err, "");
}

} // namespace
