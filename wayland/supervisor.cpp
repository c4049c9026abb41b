#include "wayland/supervisor.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>

#include "wayland/layer_shell.h"
#include "wayland/connection.h"
#include "wayland/output_saver.h"

namespace wayland {

namespace {

// Each signal becomes a byte, its number, for the loop to poll.
int signalPipe[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGCHLD};

void OnSignal(int number) {
  const int saved = errno;  // the code it interrupted may be about to read it
  const char byte = char(number);
  [[maybe_unused]] const auto written = write(signalPipe[1], &byte, 1);
  errno = saved;
}

void CatchSignals(bool children) {
  for (int& fd : signalPipe)
    if (fd >= 0) close(fd);
  if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("cannot make a pipe");
  struct sigaction action{};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  for (int number : kSignals) {
    if (number == SIGCHLD && !children) action.sa_handler = SIG_DFL;
    sigaction(number, &action, nullptr);
  }
}

// Held back while a child still shares the parent's pipe.
void BlockSignals(bool block) {
  sigset_t set;
  sigemptyset(&set);
  for (int number : kSignals) sigaddset(&set, number);
  sigprocmask(block ? SIG_BLOCK : SIG_UNBLOCK, &set, nullptr);
}

void Say(const std::string& line) { std::fprintf(stderr, "quillmere-wayland: %s\n", line.c_str()); }

// The board of one output, in its own process: its status for the supervisor.
int RunBoard(std::uint32_t output, std::optional<std::uint64_t> seed) {
  try {
    return RunOutput(output, seed, signalPipe[0]);
  } catch (const Stopped&) {
    return kEnded;
  } catch (const ConnectionLost&) {
    return kConnectionLost;
  } catch (const BadSurroundings& error) {
    Say(error.what());
    return kBadSurroundings;
  } catch (const std::exception& error) {
    Say(error.what());
    return kFailed;
  }
}

// The globals every board needs, each named if missing.
void RequireShell(const Connection& connection) {
  std::string missing;
  for (const wl_interface* needed : {&wl_compositor_interface, &wl_shm_interface, &zwlr_layer_shell_v1_interface})
    if (connection.VersionOf(*needed) == 0) missing += std::string(missing.empty() ? "" : ", ") + needed->name;
  if (!missing.empty())
    throw BadSurroundings("the compositor lacks " + missing +
                          " (the wlroots layer shell is what covers an output): nothing to show on");
  if (connection.VersionOf(wl_output_interface) == 0) throw BadSurroundings("the compositor has no output");
}

class Supervisor {
 public:
  Supervisor(Connection& connection, std::optional<std::uint64_t> seed)
      : connection_(connection), seed_(seed) {}

  void Start(std::uint32_t output) {
    std::fflush(nullptr);
    const pid_t parent = getpid();
    BlockSignals(true);
    const pid_t pid = fork();
    if (pid != 0) {
      BlockSignals(false);
      if (pid < 0) throw std::runtime_error("cannot start a process for an output");
      children_[pid] = output;
      return;
    }
    // The board goes with the supervisor, even one killed outright.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) std::_Exit(kEnded);
    connection_.Abandon();
    CatchSignals(false);
    BlockSignals(false);
    std::_Exit(RunBoard(output, seed_));
  }

  // The saver's exit status, once a board has ended by input or a signal, or
  // for the compositor's end. A board that failed leaves its output alone
  // (it said why) and the others go on; with none left, the saver ends: 0
  // if an output went away, 1 if none could be served.
  std::optional<int> Reap() {
    int status = 0;
    for (pid_t pid; (pid = waitpid(-1, &status, WNOHANG)) > 0;) {
      children_.erase(pid);
      const int code = WIFEXITED(status) ? WEXITSTATUS(status) : kFailed;
      if (!WIFEXITED(status)) Say("the board of an output ended by signal " + std::to_string(WTERMSIG(status)));
      if (code == kEnded) return kEnded;
      if (code == kConnectionLost) return Lost();
      outputWent_ |= code == kOutputGone;
      if (children_.empty()) return outputWent_ ? kEnded : kFailed;
    }
    return std::nullopt;
  }

  int Lost() {
    if (!lostSaid_) Say("lost the connection to the Wayland compositor");
    lostSaid_ = true;
    return kFailed;
  }

  // Ends every board still running, by its pid; returns `status`.
  int EndAll(int status) {
    for (const auto& [pid, output] : children_) kill(pid, SIGTERM);
    const auto until = Clock::now() + std::chrono::seconds(2);
    while (!children_.empty() && Clock::now() < until) {
      if (const pid_t pid = waitpid(-1, nullptr, WNOHANG); pid > 0)
        children_.erase(pid);
      else
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    for (const auto& [pid, output] : children_) kill(pid, SIGKILL), waitpid(pid, nullptr, 0);
    children_.clear();
    return status;
  }

 private:
  Connection& connection_;
  std::optional<std::uint64_t> seed_;
  std::map<pid_t, std::uint32_t> children_;
  bool lostSaid_ = false;
  bool outputWent_ = false;
};

}  // namespace

int Supervise(std::optional<std::uint64_t> seed) {
  Connection connection;
  RequireShell(connection);
  CatchSignals(true);
  Supervisor supervisor(connection, seed);
  try {
    // An output plugged in later is left alone: its wallpaper may not have
    // reached it yet, and the picture would be of an empty output.
    for (const Global& global : connection.Globals())
      if (global.interface == wl_output_interface.name) supervisor.Start(global.name);
    while (true) {
      if (!connection.Wait(std::nullopt, signalPipe[0])) continue;
      char bytes[64];
      const ssize_t count = read(signalPipe[0], bytes, sizeof bytes);
      for (ssize_t i = 0; i < count; ++i) {
        if (bytes[i] != SIGCHLD) return supervisor.EndAll(kEnded);
        if (const auto status = supervisor.Reap()) return supervisor.EndAll(*status);
      }
    }
  } catch (const ConnectionLost&) {
    return supervisor.EndAll(supervisor.Lost());
  } catch (const std::exception& error) {
    Say(error.what());
    return supervisor.EndAll(kFailed);
  }
}

}  // namespace wayland
