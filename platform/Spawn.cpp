#include "platform/Spawn.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <thread>

extern char** environ;

namespace platform {

pid_t SpawnDetached(const char* path) {
  if (path == nullptr || path[0] == '\0') {
    return -1;
  }
  char* argv[] = {const_cast<char*>(path), nullptr};
  pid_t pid = -1;
  // glibc reports a failed exec here and reaps that child itself.
  if (::posix_spawn(&pid, path, nullptr, nullptr, argv, environ) != 0) {
    return -1;
  }
  // Reap exactly this child when it ends.
  std::thread([pid] {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return pid;
}

}  // namespace platform
