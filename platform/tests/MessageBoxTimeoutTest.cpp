// An unattended program's box closes by itself: on a private X server the
// box is shown (a window of our own) and returns after its time without
// anyone pressing OK; without the timeout it waits.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/Events.h"
#include "platform/MessageBox.h"
#include "tests/support/ProcessTestSupport.h"

namespace {

TEST(MessageBoxTimeoutTest, AnUnattendedBoxClosesByItself) {
  const std::string xvfb = process_test::FindOnPath("Xvfb");
  if (xvfb.empty()) {
    GTEST_SKIP() << "Xvfb is not installed: the box was not checked";
  }
  process_test::PrivateXServer server;
  ASSERT_TRUE(server.Start(xvfb));
  const std::string driver = std::getenv("SDL_VIDEODRIVER") != nullptr ? std::getenv("SDL_VIDEODRIVER") : "";
  ::setenv("DISPLAY", server.Display().c_str(), 1);
  ::setenv("SDL_VIDEODRIVER", "x11", 1);
  char error[256];
  const bool started = platform::StartVideo(false, error, sizeof error);
  ::setenv("SDL_VIDEODRIVER", driver.c_str(), 1);
  ASSERT_TRUE(started) << error;
  platform::SetUnattendedBoxTimeout(400);
  const auto shown = std::chrono::steady_clock::now();
  const platform::BoxShown how = platform::ShowMessageBox(platform::BoxKind::Error, "Tarnel", "start-up failed");
  const auto took = std::chrono::steady_clock::now() - shown;
  platform::SetUnattendedBoxTimeout(0);
  platform::StopVideo();
  EXPECT_EQ(how, platform::BoxShown::OwnWindow);
  EXPECT_GE(took, std::chrono::milliseconds(400));
  EXPECT_LT(took, std::chrono::seconds(20)) << "the box waited for an operator";
}

}  // namespace
