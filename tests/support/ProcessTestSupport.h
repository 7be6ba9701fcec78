// Child processes for the tests that run the programs: start a program with extra
// environment settings, wait for it with a time limit, stop it; and a private
// X server (Xvfb) on a display number the server chooses itself.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace process_test {

// $TARNEL_BIN_DIR/name; without the variable, the bin folder beside the
// tests folder that holds this test program.
inline std::string BinPath(const char* name) {
  if (const char* dir = std::getenv("TARNEL_BIN_DIR"); dir != nullptr && dir[0] != '\0') {
    return std::string(dir) + "/" + name;
  }
  char exe[4096];
  ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) {
    return std::string();
  }
  std::string path(exe, static_cast<std::size_t>(n));
  return path.substr(0, path.rfind('/')) + "/../bin/" + name;
}

inline bool IsExecutable(const std::string& path) { return !path.empty() && ::access(path.c_str(), X_OK) == 0; }

// The program's path when it is found on PATH, "" otherwise.
inline std::string FindOnPath(const char* name) {
  const char* path = std::getenv("PATH");
  std::string rest = path != nullptr ? path : "/usr/bin:/bin";
  std::size_t from = 0;
  while (from <= rest.size()) {
    std::size_t to = rest.find(':', from);
    if (to == std::string::npos) {
      to = rest.size();
    }
    std::string candidate = rest.substr(from, to - from) + "/" + name;
    if (IsExecutable(candidate)) {
      return candidate;
    }
    from = to + 1;
  }
  return std::string();
}

// Polls the condition every 20 ms until it holds or the time is up.
inline bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= end) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess() { Stop(); }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts the program with this process's environment plus the settings
  // ("NAME=value", replacing any of the same name); output goes to outFile
  // (or /dev/null); it runs in workDir when one is given; passFd, when not
  // -1, is open in the program as descriptor 3. False when it cannot be
  // started.
  bool Start(const std::vector<std::string>& args, const std::vector<std::string>& settings,
             const std::string& outFile = "/dev/null", const std::string& workDir = "", int passFd = -1) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
      std::string entry = *e;
      bool replaced = false;
      for (const std::string& s : settings) {
        replaced = replaced || entry.compare(0, s.find('=') + 1, s, 0, s.find('=') + 1) == 0;
      }
      if (!replaced) {
        env.push_back(entry);
      }
    }
    env.insert(env.end(), settings.begin(), settings.end());
    std::vector<char*> argv, envp;
    for (const std::string& a : args) {
      argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    for (const std::string& e : env) {
      envp.push_back(const_cast<char*>(e.c_str()));
    }
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    if (!workDir.empty()) {
      posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
    }
    if (passFd >= 0) {
      posix_spawn_file_actions_adddup2(&actions, passFd, 3);
    }
    int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
      pid_ = -1;
    }
    exited_ = false;
    return pid_ > 0;
  }

  bool Running() {
    Reap(false);
    return pid_ > 0 && !exited_;
  }
  // Waits up to timeoutMs for the program to end; true when it has ended.
  bool WaitExit(int timeoutMs) {
    return WaitFor([this] { return !Running(); }, timeoutMs);
  }
  // The exit code, or -1 while running or when it died of a signal.
  int ExitCode() const { return exited_ && WIFEXITED(status_) ? WEXITSTATUS(status_) : -1; }
  // The signal (SIGTERM unless given), then SIGKILL after 3 s. Returns the
  // exit code after the signal.
  int Stop(int signal = SIGTERM) {
    if (pid_ <= 0 || exited_) {
      return ExitCode();
    }
    ::kill(pid_, signal);
    if (!WaitExit(3000)) {
      ::kill(pid_, SIGKILL);
      Reap(true);
    }
    return ExitCode();
  }
  pid_t Pid() const { return pid_; }

 private:
  void Reap(bool block) {
    if (pid_ > 0 && !exited_ && ::waitpid(pid_, &status_, block ? 0 : WNOHANG) == pid_) {
      exited_ = true;
    }
  }
  pid_t pid_ = -1;
  int status_ = 0;
  bool exited_ = false;
};

// A private X server. Xvfb picks a free display number itself and writes it
// to a pipe (-displayfd), so two runs started at the same moment never share
// a display. It never resets (-noreset): by default an X server resets when
// its last client leaves, and drops every connection still being set up
// then, so a program starting while a probe (xdotool) leaves fails with
// "cannot open the display". On a busy machine that race is often lost.
class PrivateXServer {
 public:
  // screen: the one screen's WIDTHxHEIGHTxDEPTH.
  bool Start(const std::string& xvfb, const std::string& screen = "1024x768x24") {
    display_.clear();
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
      return false;
    }
    // Descriptor 3 in the server; keep the write end above it so that the
    // dup2 onto 3 always makes a fresh descriptor without close-on-exec.
    const int writeEnd = ::fcntl(fds[1], F_DUPFD_CLOEXEC, 10);
    ::close(fds[1]);
    // The server's own messages are kept, so that a client it refused can be explained.
    static int startedCount = 0;
    log_ = "/tmp/tarnel_xvfb_" + std::to_string(::getpid()) + "_" + std::to_string(++startedCount) + ".log";
    const bool started = writeEnd >= 0 && server_.Start({xvfb, "-displayfd", "3", "-screen", "0", screen,
                                                         "-nolisten", "tcp", "-noreset"},
                                                        {}, log_, "", writeEnd);
    if (writeEnd >= 0) {
      ::close(writeEnd);
    }
    std::string number;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (started && number.find('\n') == std::string::npos && std::chrono::steady_clock::now() < end) {
      pollfd p{fds[0], POLLIN, 0};
      if (::poll(&p, 1, 100) > 0) {
        char buffer[32];
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n <= 0) {
          break;  // the server ended without naming a display
        }
        number.append(buffer, static_cast<std::size_t>(n));
      }
    }
    ::close(fds[0]);
    if (number.empty() || number.find('\n') == std::string::npos || !server_.Running()) {
      server_.Stop();
      return false;
    }
    display_ = ":" + number.substr(0, number.find('\n'));
    return true;
  }
  const std::string& Display() const { return display_; }
  // Where the server's messages go.
  const std::string& LogFile() const { return log_; }

  // Runs a shell command line on this display; its standard output.
  std::string Run(const std::string& command) const {
    std::string line = "DISPLAY=" + display_ + " " + command + " 2>/dev/null";
    std::string out;
    if (std::FILE* pipe = ::popen(line.c_str(), "r")) {
      char buffer[512];
      std::size_t n;
      while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        out.append(buffer, n);
      }
      ::pclose(pipe);
    }
    return out;
  }

 private:
  ChildProcess server_;
  std::string display_;
  std::string log_;
};

// The station's window (its title starts with the version text) once it is
// on the server; "" when the station ended first or none came in 15 s.
inline std::string WaitForStationWindow(const PrivateXServer& server, ChildProcess& station) {
  std::string id;
  WaitFor(
      [&] {
        id = server.Run("xdotool search --name 'QX-P-0077'");
        return !id.empty() || !station.Running();
      },
      15000);
  return station.Running() ? id.substr(0, id.find('\n')) : std::string();
}

}  // namespace process_test
