// Gives the calling test process a shared-memory name prefix of its own, so
// that tests run in parallel (ctest -j) never meet each other's segments.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace test_support {

// Sets TARNEL_SHM_PREFIX to a prefix unique to this process and call, and
// returns it. Segments created afterwards use names "/" + prefix + name.
inline const char* UseUniqueShmPrefix() {
  static int counter = 0;
  static char prefix[64];
  std::snprintf(prefix, sizeof prefix, "tarneltest_%d_%d_", static_cast<int>(::getpid()), ++counter);
  ::setenv("TARNEL_SHM_PREFIX", prefix, 1);
  return prefix;
}

}  // namespace test_support
