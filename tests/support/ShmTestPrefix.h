// Gives the calling test process a shared-memory name prefix of its own, so
// that tests run in parallel (ctest -j) never meet each other's segments.
#pragma once

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace test_support {

// Sets TARNEL_SHM_PREFIX to a prefix unique to this process and call, and
// returns it. Segments created afterwards use names "/" + prefix + name. The
// clock's bits keep a later process that gets the same pid away from
// segments an earlier one may have left behind.
inline const char* UseUniqueShmPrefix() {
  static int counter = 0;
  static char prefix[64];
  const auto now = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
  std::snprintf(prefix, sizeof prefix, "tarneltest_%d_%llx_%d_", static_cast<int>(::getpid()), now & 0xFFFFFFFFULL,
                ++counter);
  ::setenv("TARNEL_SHM_PREFIX", prefix, 1);
  return prefix;
}

}  // namespace test_support
