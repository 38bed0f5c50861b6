#include "process_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>
#include <system_error>

extern char** environ;

namespace orvgen::testing {

namespace {

// A run that goes on past these is runaway output from a fault, not a result to wait for.
constexpr auto Deadline = std::chrono::seconds(120);
constexpr std::size_t MaxCapture = std::size_t{64} << 20;

void Check(int result, const char* what) {
  if (result != 0) throw std::system_error(result, std::generic_category(), what);
}

void CheckErrno(int result, const char* what) {
  if (result == -1) throw std::system_error(errno, std::generic_category(), what);
}

struct Pipe {
  int read = -1;
  int write = -1;
  Pipe() {
    int fds[2];
    CheckErrno(pipe2(fds, O_CLOEXEC), "pipe2");
    read = fds[0];
    write = fds[1];
  }
};

void CloseFd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

}  // namespace

ProcessResult RunCliProcess(const std::vector<std::string>& args, const RunOptions& options) {
  std::vector<std::string> argvStrings{ORVGEN_CLI_PATH};
  argvStrings.insert(argvStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& s : argvStrings) argv.push_back(s.data());
  argv.push_back(nullptr);

  Pipe outPipe;
  Pipe errPipe;

  posix_spawn_file_actions_t actions;
  Check(posix_spawn_file_actions_init(&actions), "file actions");
  Check(posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0), "stdin");
  if (options.stdoutPath) {
    Check(posix_spawn_file_actions_addopen(&actions, 1, options.stdoutPath->c_str(), O_WRONLY, 0), "stdout file");
  } else {
    Check(posix_spawn_file_actions_adddup2(&actions, outPipe.write, 1), "stdout pipe");
  }
  Check(posix_spawn_file_actions_adddup2(&actions, errPipe.write, 2), "stderr pipe");

  // The program must handle SIGPIPE itself: start it with the default action, whatever
  // this test process inherited, so a program that leaves it alone is caught.
  posix_spawnattr_t attributes;
  Check(posix_spawnattr_init(&attributes), "spawn attributes");
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  Check(posix_spawnattr_setsigdefault(&attributes, &defaults), "signal defaults");
  Check(posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF), "spawn flags");

  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  CloseFd(outPipe.write);
  CloseFd(errPipe.write);
  if (options.stdoutPath) CloseFd(outPipe.read);
  if (spawned != 0) {
    CloseFd(outPipe.read);
    CloseFd(errPipe.read);
    Check(spawned, "posix_spawn");
  }

  ProcessResult result;
  const auto start = std::chrono::steady_clock::now();
  char chunk[65536];
  while (outPipe.read >= 0 || errPipe.read >= 0) {
    if (std::chrono::steady_clock::now() - start > Deadline || result.out.size() > MaxCapture) {
      kill(pid, SIGKILL);
      result.timedOut = true;
      break;
    }
    pollfd fds[2] = {{outPipe.read, POLLIN, 0}, {errPipe.read, POLLIN, 0}};
    const int ready = poll(fds, 2, 1000);
    if (ready < 0 && errno == EINTR) continue;
    CheckErrno(ready, "poll");
    for (int k = 0; k < 2; ++k) {
      if (fds[k].fd < 0 || fds[k].revents == 0) continue;
      const ssize_t got = read(fds[k].fd, chunk, sizeof chunk);
      if (got < 0) {
        if (errno == EINTR) continue;
        throw std::system_error(errno, std::generic_category(), "read");
      }
      if (got == 0) {
        CloseFd(k == 0 ? outPipe.read : errPipe.read);
        continue;
      }
      std::string& target = k == 0 ? result.out : result.err;
      target.append(chunk, static_cast<std::size_t>(got));
      if (k == 0 && options.closeStdoutAfter && result.out.size() >= *options.closeStdoutAfter) {
        CloseFd(outPipe.read);
      }
    }
  }
  CloseFd(outPipe.read);
  CloseFd(errPipe.read);

  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) throw std::system_error(errno, std::generic_category(), "waitpid");
  }
  result.exited = WIFEXITED(status);
  if (result.exited) result.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t end = text.find('\n', begin);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(begin, end - begin));
    begin = end + 1;
  }
  return lines;
}

}  // namespace orvgen::testing
