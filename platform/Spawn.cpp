#include "platform/Spawn.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <thread>
#include <vector>

extern char** environ;

namespace platform {

pid_t SpawnDetached(const char* path, const char* extraEnv, void (*ended)(int status, void* context), void* context) {
  if (path == nullptr || path[0] == '\0') {
    return -1;
  }
  char* argv[] = {const_cast<char*>(path), nullptr};
  std::vector<char*> env;
  for (char** e = environ; *e != nullptr; ++e) env.push_back(*e);
  if (extraEnv != nullptr) env.push_back(const_cast<char*>(extraEnv));
  env.push_back(nullptr);
  pid_t pid = -1;
  // glibc reports a failed exec here and reaps that child itself.
  if (::posix_spawn(&pid, path, nullptr, nullptr, argv, env.data()) != 0) {
    return -1;
  }
  // Reap exactly this child when it ends.
  std::thread([pid, ended, context] {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (ended != nullptr) ended(status, context);
  }).detach();
  return pid;
}

}  // namespace platform
