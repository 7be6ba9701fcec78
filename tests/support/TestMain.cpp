// The main of every test program: tests run headless on SDL's dummy drivers
// and find the built programs and generated art through TARNEL_BIN_DIR.
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
  // Child processes that need a display set their own driver explicitly.
  ::setenv("SDL_VIDEODRIVER", "dummy", 1);
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  ::setenv("TARNEL_BIN_DIR", TARNEL_TEST_BIN_DIR, 0);
  ::setenv("TARNEL_SOURCE_DIR", TARNEL_TEST_SOURCE_DIR, 0);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
