// Fingers become mouse events: the gesture rules on their own, then finger
// events pushed through the platform layer onto a (dummy) window, with and
// without a presentation scale.
#include "platform/TouchInput.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/Events.h"
#include "platform/MessagePump.h"
#include "platform/Window.h"

namespace {

using platform::Event;
using platform::EventType;
using platform::FingerAction;
using platform::MouseButton;
using platform::TouchInput;

// "D L 10,20" for a left press at (10, 20); U for up, M for a move, R/L the button.
std::string Describe(const Event& e) {
  const char* type = e.type == EventType::MouseDown ? "D" : e.type == EventType::MouseUp ? "U"
                     : e.type == EventType::MouseMove                                    ? "M"
                                                                                         : "?";
  const char* button = e.type == EventType::MouseMove ? "" : e.button == MouseButton::Left ? " L" : " R";
  return std::string(type) + button + " " + std::to_string(e.x) + "," + std::to_string(e.y);
}

std::vector<std::string> Drain(TouchInput& touch) {
  std::vector<std::string> out;
  Event e;
  while (touch.Next(&e)) {
    out.push_back(Describe(e));
  }
  return out;
}

using Lines = std::vector<std::string>;

TEST(TouchInput, GesturesBecomeMouseEvents) {
  struct Step {
    char what;  // d down, m move, u up, t tick
    int finger, x, y, ms;
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
    Lines expected;
  };
  const Case cases[] = {
      {"a tap is a left click where the finger came down",
       {{'d', 1, 100, 200, 0}, {'m', 1, 103, 198, 30}, {'u', 1, 104, 199, 60}},
       {"D L 100,200", "U L 100,200"}},
      {"a two-finger tap is a right click at the centroid, and no left click",
       {{'d', 1, 100, 200, 0}, {'d', 2, 140, 240, 40}, {'u', 2, 140, 240, 90}, {'u', 1, 100, 200, 95}},
       {"D R 120,220", "U R 120,220"}},
      {"a drag presses where it began and moves with the finger",
       {{'d', 1, 400, 700, 0}, {'m', 1, 400, 690, 20}, {'m', 1, 400, 500, 40}, {'u', 1, 400, 480, 60}},
       {"D L 400,700", "M 400,690", "M 400,500", "U L 400,480"}},
      {"a finger held past the wait presses without moving (a knob held)",
       {{'d', 1, 50, 60, 0}, {'t', 0, 0, 0, 119}, {'t', 0, 0, 0, 120}, {'u', 1, 50, 60, 900}},
       {"D L 50,60", "U L 50,60"}},
      {"a second finger after the wait changes nothing; the first one's lift ends the press",
       {{'d', 1, 10, 10, 0}, {'t', 0, 0, 0, 200}, {'d', 2, 90, 90, 210}, {'u', 1, 10, 10, 300},
        {'d', 3, 5, 5, 310}, {'u', 2, 90, 90, 320}, {'u', 3, 5, 5, 330}},
       {"D L 10,10", "U L 10,10"}},
      {"a third finger and stray lifts are ignored; the next touch starts afresh",
       {{'d', 1, 0, 0, 0}, {'d', 2, 20, 20, 10}, {'d', 3, 40, 40, 20}, {'u', 3, 40, 40, 30}, {'u', 9, 1, 1, 31},
        {'u', 1, 0, 0, 40}, {'u', 2, 20, 20, 50}, {'d', 4, 7, 8, 60}, {'u', 4, 7, 8, 70}},
       {"D R 10,10", "U R 10,10", "D L 7,8", "U L 7,8"}},
  };
  for (const Case& c : cases) {
    TouchInput touch;
    for (const Step& s : c.steps) {
      switch (s.what) {
        case 'd': touch.FingerDown(s.finger, s.x, s.y, s.ms); break;
        case 'm': touch.FingerMove(s.finger, s.x, s.y, s.ms); break;
        case 'u': touch.FingerUp(s.finger, s.x, s.y, s.ms); break;
        default: touch.Tick(s.ms); break;
      }
    }
    EXPECT_EQ(c.expected, Drain(touch)) << c.name;
  }
}

TEST(TouchInput, LostLiftIsReleasedWhenTheDeviceHasOnlyANewFinger) {
  TouchInput touch;
  EXPECT_FALSE(touch.InUse(0));
  touch.FingerDown(1, 10, 10, 1000);
  EXPECT_TRUE(touch.InUse(900000)) << "a finger on the screen";
  EXPECT_EQ(static_cast<int64_t>(TouchInput::kSecondFingerMs), touch.MsUntilDue(1000));
  touch.Tick(5000);
  EXPECT_EQ(-1, touch.MsUntilDue(5000));
  touch.FingerDown(2, 30, 40, 6000, true);
  touch.FingerUp(2, 30, 40, 6050);
  EXPECT_EQ((Lines{"D L 10,10", "U L 10,10", "D L 30,40", "U L 30,40"}), Drain(touch));
  EXPECT_TRUE(touch.InUse(6050 + TouchInput::kPointerEchoMs - 1)) << "pointer echoes of the lift";
  EXPECT_FALSE(touch.InUse(6050 + TouchInput::kPointerEchoMs));
}

// Finger events pushed through the platform layer onto a dummy window.
class TouchEventsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char error[256];
    ASSERT_TRUE(platform::StartVideo(true, error, sizeof error)) << error;
  }
  void TearDown() override {
    window_.Destroy();
    platform::StopVideo();
  }
  // Posts a finger at window pixel (x, y) of a window w x h pixels large.
  void Finger(FingerAction action, int64_t id, int x, int y, int w, int h) {
    ASSERT_TRUE(platform::PostFinger(action, id, (x + 0.5f) / w, (y + 0.5f) / h, window_.Id()));
  }
  // The mouse events the pump delivers now, window events left out.
  Lines Pump() {
    Lines out;
    Event e;
    while (platform::PollEvent(&e)) {
      if (e.type == EventType::MouseDown || e.type == EventType::MouseUp || e.type == EventType::MouseMove) {
        EXPECT_EQ(window_.Id(), e.window);
        out.push_back(Describe(e));
      }
    }
    return out;
  }
  platform::SdlWindow window_;
};

TEST_F(TouchEventsTest, FingersOnAScaledWindowAndTouchMadeMouseEvents) {
  char error[256];
  platform::WindowPlacement placement;
  placement.scale = 2.0;
  ASSERT_TRUE(window_.Create("touch", 200, 150, error, sizeof error, platform::SdlWindow::Frame::Sizable, placement))
      << error;
  Pump();
  // Fingers at window pixels of the 400 x 300 window; events in picture pixels.
  Finger(FingerAction::Down, 7, 241, 161, 400, 300);
  // What SDL or the window system make from the same touch for programs
  // without touch handling must not click a second time.
  SDL_Event synthesised{};
  synthesised.type = SDL_MOUSEBUTTONDOWN;
  synthesised.button.which = SDL_TOUCH_MOUSEID;
  synthesised.button.button = SDL_BUTTON_LEFT;
  synthesised.button.windowID = window_.Id();
  ASSERT_EQ(1, SDL_PushEvent(&synthesised));
  synthesised.button.which = 0;
  ASSERT_EQ(1, SDL_PushEvent(&synthesised));
  Finger(FingerAction::Up, 7, 241, 161, 400, 300);
  Finger(FingerAction::Down, 1, 100, 100, 400, 300);
  Finger(FingerAction::Down, 2, 200, 150, 400, 300);
  Finger(FingerAction::Up, 1, 100, 100, 400, 300);
  Finger(FingerAction::Up, 2, 200, 150, 400, 300);
  // A finger outside every window of ours, and hostile fractions, do no harm.
  ASSERT_TRUE(platform::PostFinger(FingerAction::Down, 4, 0.5f, 0.5f, 999999));
  ASSERT_TRUE(platform::PostFinger(FingerAction::Down, 5, -3.0f, 1e30f, window_.Id()));
  ASSERT_TRUE(platform::PostFinger(FingerAction::Up, 5, std::nanf(""), std::nanf(""), window_.Id()));
  EXPECT_EQ((Lines{"D L 120,80", "U L 120,80", "D R 75,62", "U R 75,62", "D L 0,149", "U L 0,149"}), Pump());

  // A held finger becomes a press once the wait is over, with nothing else
  // in the queue: the message pump's wait ends for it.
  Finger(FingerAction::Down, 3, 10, 290, 400, 300);
  EXPECT_EQ(Lines{}, Pump());
  platform::SdlMessagePump pump;
  EXPECT_TRUE(pump.WaitForMessage(1000));
  EXPECT_EQ(Lines{"D L 5,145"}, Pump());
}

}  // namespace
