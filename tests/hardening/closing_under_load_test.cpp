// Closing the real window while jobs are mid-fetch and a message box is open: the program must
// end at once, with exit code 0 and without a sanitizer report. The window runs in a child
// program (closing_child.cpp), since closing it ends the process.

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>

namespace tevrin {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using Clock = std::chrono::steady_clock;

struct ChildRun {
  bool finished = false;
  int status = 0;
  std::string out;
  std::string err;
  /// From the moment the child said it was closing the window to its end.
  std::optional<Clock::duration> afterClosing;
};

/// Runs the child program in `mode`, killing it when it outlives `limit`.
ChildRun RunChild(const char* mode, Clock::duration limit) {
  ChildRun run;
  int out[2];
  int err[2];
  if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return run;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(out[1], STDOUT_FILENO);
    ::dup2(err[1], STDERR_FILENO);
    ::execl(TEVRIN_CLOSING_CHILD, TEVRIN_CLOSING_CHILD, mode, static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);
  const Clock::time_point deadline = Clock::now() + limit;
  std::optional<Clock::time_point> closing;
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  int open = 2;
  while (open > 0 && pid > 0) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0 || ::poll(fds, 2, static_cast<int>(left.count())) == 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
      if (got <= 0) {
        fds[i].fd = -1;
        --open;
        continue;
      }
      (i == 0 ? run.out : run.err).append(buffer, static_cast<std::size_t>(got));
      if (i == 0 && !closing && run.out.find("closing\n") != std::string::npos) {
        closing = Clock::now();
      }
    }
  }
  if (open > 0 && pid > 0) ::kill(pid, SIGKILL);
  if (pid > 0 && ::waitpid(pid, &run.status, 0) == pid) run.finished = open == 0;
  const Clock::time_point ended = Clock::now();
  if (closing) run.afterClosing = ended - *closing;
  ::close(out[0]);
  ::close(err[0]);
  return run;
}

TEST(ClosingUnderLoadTest, ThreeJobsMidFetchAndAMessageBoxOpen) {
  // Every job waits on a server that never answers (10 or 30 seconds before it gives up), so a
  // process that waited for them could not end within the bound.
  constexpr auto kPromptly = std::chrono::seconds(5);
  for (const char* mode : {"job-box", "window-box"}) {
    for (int round = 1; round <= 3; ++round) {
      SCOPED_TRACE(std::string(mode) + ", round " + std::to_string(round));
      const ChildRun run = RunChild(mode, std::chrono::seconds(60));
      ASSERT_TRUE(run.finished) << "the child did not end; it wrote:\n" << run.err;
      EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0)
          << "status " << run.status << "; the child wrote:\n"
          << run.err;
      EXPECT_EQ(run.out, "closing\n");
      ASSERT_TRUE(run.afterClosing.has_value());
      EXPECT_LT(*run.afterClosing, kPromptly);
      EXPECT_THAT(run.err, Not(HasSubstr("Sanitizer")));
      EXPECT_THAT(run.err, Not(HasSubstr("runtime error")));
      std::printf("%s, round %d: ended %.0f ms after closing\n", mode, round,
                  std::chrono::duration<double, std::milli>(*run.afterClosing).count());
    }
  }
}

}  // namespace
}  // namespace tevrin
