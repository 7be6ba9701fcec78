// Starting another program without a shell and without waiting for it.
#pragma once

#include <sys/types.h>

namespace platform {

// Starts the program at path (no shell, no arguments, the caller's
// environment plus extraEnv, "NAME=value", when given) and returns at once. A
// small detached thread waits for that one child, so it never lingers as a
// zombie and no other child of the process is touched (no SIGCHLD handler is
// installed); once the child has ended it calls ended (when given) on that
// thread with the child's wait status. Returns the child's pid, or -1 when it
// could not be started (missing or not executable).
pid_t SpawnDetached(const char* path, const char* extraEnv = nullptr, void (*ended)(int status, void* context) = nullptr,
                    void* context = nullptr);

}  // namespace platform
