// A virtual button box (the joystick library's virtual devices: no hardware,
// no kernel device) drives the real panels through a headless cockpit
// manager, entering where the mouse enters.
#include "devices/HardwareInput.h"

#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "config/tests/TempFolder.h"
#include "panels/tests/PanelHarness.h"
#include "rmp/A330_Rmp.h"

namespace {

class HardwareInputTest : public ::testing::Test {
 protected:
  void Start(const char* panel, const std::string& mappings) {
    h_ = std::make_unique<PanelHarness>(FindPanelFacts(panel)->id);
    ASSERT_TRUE(h_->Start()) << h_->Error();
    ASSERT_TRUE(file_.Load(folder_.Write("inputs.ini", "[Test box]\n" + mappings).c_str())) << file_.GetErrorText();
    ASSERT_EQ(file_.ErrorCount(), 0) << file_.Errors();
    hw_ = std::make_unique<HardwareInput>(h_->Manager(), Inject, this);
    char error[256];
    ASSERT_TRUE(hw_->Start(&file_, nullptr, error, sizeof error)) << error;
    Plug();
  }
  void TearDown() override {
    if (hw_) hw_->Stop();
  }
  static void Inject(void* context, int32_t button, int32_t x, int32_t y) {
    static_cast<HardwareInputTest*>(context)->h_->Mouse(button, x, y);
  }
  // Attaches the box and lets the station see it.
  void Plug() {
    SDL_VirtualJoystickDesc desc;
    std::memset(&desc, 0, sizeof desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_UNKNOWN;
    desc.naxes = 4;
    desc.nbuttons = 16;
    desc.nhats = 2;
    desc.name = "Test box";
    index_ = SDL_JoystickAttachVirtualEx(&desc);
    ASSERT_GE(index_, 0) << SDL_GetError();
    box_ = SDL_JoystickOpen(index_);
    ASSERT_NE(box_, nullptr) << SDL_GetError();
    for (int b = 0; b < 16; b++) SDL_JoystickSetVirtualButton(box_, b, held_[b]);
    Iterate();
  }
  void Unplug() {
    SDL_JoystickClose(box_);
    box_ = nullptr;
    SDL_JoystickDetachVirtual(index_);
    Iterate();
  }
  void Iterate() { hw_->Iterate(resets_, learn_); }
  void Button(int b, bool down) {
    held_[b] = down;
    SDL_JoystickSetVirtualButton(box_, b, down ? 1 : 0);
    Iterate();
  }
  void Tap(int b) {
    Button(b, true);
    Button(b, false);
  }
  void Hat(int hat, uint8_t bits) {
    SDL_JoystickSetVirtualHat(box_, hat, bits);
    Iterate();
  }
  void Axis(int axis, int16_t value) {
    SDL_JoystickSetVirtualAxis(box_, axis, value);
    Iterate();
  }
  const PanelTables& T() { return h_->Panel().Tables(); }
  uint8_t ButtonOut(int i) { return h_->Out(T().buttons[size_t(i)].output); }
  int SwitchOut(int i) {
    const SwitchRow& r = T().switches[size_t(i)];
    return (r.upFlag != kNoField ? h_->Out(r.upFlag) : 0) * 10 + (r.downFlag != kNoField ? h_->Out(r.downFlag) : 0);
  }
  int32_t KnobOut(int i) { return h_->Panel().OutputBlock().Get<int32_t>(T().knobs[size_t(i)].output); }

  TempFolder folder_;
  InputMappingFile file_;
  std::unique_ptr<PanelHarness> h_;
  std::unique_ptr<HardwareInput> hw_;
  SDL_Joystick* box_ = nullptr;
  int index_ = -1;
  bool held_[16] = {};
  int resets_ = 0;
  const ControlHit* learn_ = nullptr;
};

// Air: button 1 (in after a reset), button 5, cover 0 over button 0,
// switch 0 (three positions), knob D (positions 0, 1, 7).
constexpr const char kAir[] =
    "air: button 5 = button 0 toggle\n"
    "air: button 1 = button 1 follow\n"
    "air: button 0 = button 2 toggle\n"
    "air: cover 0 = button 3 open\n"
    "air: cover 0 = button 4 close\n"
    "air: switch 0 = buttons 5 6\n"
    "air: knob D = axis 2\n"
    "air: knob D = buttons 7 8 step\n";

TEST_F(HardwareInputTest, EachKindMovesItsControlAndWritesItsOutput) {
  Start("air", kAir);
  // Toggle: each press.
  EXPECT_EQ(ButtonOut(5), 0);
  Tap(0);
  EXPECT_EQ(ButtonOut(5), 1);
  Tap(0);
  EXPECT_EQ(ButtonOut(5), 0);
  // Follow: in while the switch is on; a second press event changes nothing more.
  const uint8_t before = ButtonOut(1);
  Button(1, true);
  EXPECT_EQ(ButtonOut(1), 1);
  Button(1, false);
  EXPECT_EQ(ButtonOut(1), 0) << "was " << int(before);
  // Three-position switch from two buttons, then from a hat.
  Button(5, true);
  EXPECT_EQ(SwitchOut(0), 10);
  Button(5, false);
  EXPECT_EQ(SwitchOut(0), 0);
  Button(6, true);
  EXPECT_EQ(SwitchOut(0), 1);
  Button(6, false);
  EXPECT_EQ(SwitchOut(0), 0);
  // Knob from an axis (three positions spread over it), then stepped.
  Axis(2, -32768);
  EXPECT_EQ(KnobOut(1), 0);
  Axis(2, 32767);
  EXPECT_EQ(KnobOut(1), 7);
  Axis(2, 0);
  EXPECT_EQ(KnobOut(1), 1);
  Tap(7);
  EXPECT_EQ(KnobOut(1), 0);
  Tap(7);
  EXPECT_EQ(KnobOut(1), 0);  // no position below the first
  Tap(8);
  EXPECT_EQ(KnobOut(1), 1);
}

TEST_F(HardwareInputTest, PressShorterThanOnePollStillCounts) {
  Start("air", kAir);
  // A press and its release both queued before the next poll, as the
  // joystick layer queues an encoder's quick pulse.
  for (Uint8 state : {SDL_PRESSED, SDL_RELEASED}) {
    SDL_Event event{};
    event.type = state == SDL_PRESSED ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
    event.jbutton.which = SDL_JoystickInstanceID(box_);
    event.jbutton.button = 0;
    event.jbutton.state = state;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
  }
  Iterate();
  EXPECT_EQ(ButtonOut(5), 1);
}

TEST_F(HardwareInputTest, ClosedGuardKeepsMappedButtonFromActing) {
  Start("air", kAir);
  ASSERT_TRUE(h_->Panel().Controls().covers[0].IsClosed());
  Tap(2);
  EXPECT_EQ(ButtonOut(0), 0);
  Tap(3);  // open
  ASSERT_FALSE(h_->Panel().Controls().covers[0].IsClosed());
  Tap(3);  // open again: stays open
  EXPECT_FALSE(h_->Panel().Controls().covers[0].IsClosed());
  Tap(2);
  EXPECT_EQ(ButtonOut(0), 1);
  Tap(4);  // close
  EXPECT_TRUE(h_->Panel().Controls().covers[0].IsClosed());
  Tap(2);
  EXPECT_EQ(ButtonOut(0), 1);
}

TEST_F(HardwareInputTest, FollowWinsAfterPanelResetAndOnReconnect) {
  held_[1] = false;  // the physical switch is off: button 1 out
  Start("air", kAir);
  EXPECT_EQ(ButtonOut(1), 0);
  h_->Manager().ResetAll();  // the reset puts button 1 in
  ASSERT_EQ(ButtonOut(1), 1);
  resets_++;
  Iterate();
  EXPECT_EQ(ButtonOut(1), 0);

  // While unplugged the operator moves the controls; plugged back, the
  // hardware's positions return.
  held_[5] = true;
  Button(5, true);
  ASSERT_EQ(SwitchOut(0), 10);
  Unplug();
  h_->Click(1, h_->Panel().Controls().buttons[1]);
  ASSERT_EQ(ButtonOut(1), 1);
  const platform::Rect s = h_->Panel().Controls().switches[0].GetRect();
  h_->Click(1, (s.left + s.right) / 2, s.bottom - 2);
  ASSERT_EQ(SwitchOut(0), 1);
  Plug();
  EXPECT_EQ(ButtonOut(1), 0);
  EXPECT_EQ(SwitchOut(0), 10);
}

TEST_F(HardwareInputTest, PressHoldsMomentaryButtonAndPlateGuardsIt) {
  // Oxygen: button 1 is momentary, under plate 0.
  Start("oxygen", "oxygen: button 1 = button 0 press\noxygen: plate 0 = button 1 toggle\n");
  Button(0, true);
  EXPECT_EQ(ButtonOut(1), 0) << "the closed plate keeps the press out";
  Button(0, false);
  Tap(1);
  ASSERT_FALSE(h_->Panel().Controls().plates[0].IsClosed());
  Button(0, true);
  EXPECT_EQ(ButtonOut(1), 1);
  // A pass with the pointer elsewhere lets a mouse-held button go; the held
  // hardware button is pressed again at the next iteration.
  h_->Mouse(0, 0, 0);
  h_->Pass();
  Iterate();
  EXPECT_EQ(ButtonOut(1), 1);
  Button(0, false);
  EXPECT_EQ(ButtonOut(1), 0);
}

TEST_F(HardwareInputTest, PressOnLatchingButtonActsAsAClickPress) {
  Start("air", "air: button 5 = button 0 press\n");
  Button(0, true);
  EXPECT_EQ(ButtonOut(5), 1);
  Button(0, false);
  Iterate();
  EXPECT_EQ(ButtonOut(5), 1);
  Button(0, true);  // out at once, and not pressed in again while held
  Iterate();
  EXPECT_EQ(ButtonOut(5), 0);
  Button(0, false);
  EXPECT_EQ(ButtonOut(5), 0);
}

TEST_F(HardwareInputTest, TwoPositionSwitchAndRotaryKnob) {
  Start("rmp",
        "rmp: ON/OFF switch = button 0\nrmp: tuning knob = buttons 1 2 step\nrmp: tuning knob = button 3 push\n"
        "[Other box]\nrmp: ON/OFF switch = hat 0\n");
  Button(0, true);
  EXPECT_EQ(SwitchOut(0), 10);
  Button(0, false);
  EXPECT_EQ(SwitchOut(0), 0);
  Hat(0, SDL_HAT_UP);  // another device's section: nothing
  EXPECT_EQ(SwitchOut(0), 0);
  // Powered, VHF3 standby 145.050 in fine steps of 5 kHz: each press is one step.
  auto& rmp = static_cast<CA330_Rmp&>(h_->Panel());
  h_->In(CA330_Rmp::kPower) = 1;
  h_->Pass();
  const int32_t start = rmp.Comm(CA330_Rmp::kSelVhf3).value;
  Tap(2);
  Tap(2);
  EXPECT_EQ(rmp.Comm(CA330_Rmp::kSelVhf3).value, start + 10);
  Tap(1);
  EXPECT_EQ(rmp.Comm(CA330_Rmp::kSelVhf3).value, start + 5);
  ASSERT_TRUE(rmp.IsFineSteps());
  Tap(3);
  EXPECT_FALSE(rmp.IsFineSteps());
}

TEST_F(HardwareInputTest, HatSetsTwoPositionSwitch) {
  Start("rmp", "rmp: ON/OFF switch = hat 1\n");
  Hat(1, SDL_HAT_UP);
  EXPECT_EQ(SwitchOut(0), 10);
  Hat(1, SDL_HAT_CENTERED);  // two positions: the centre keeps it
  EXPECT_EQ(SwitchOut(0), 10);
  Hat(1, SDL_HAT_DOWN);
  EXPECT_EQ(SwitchOut(0), 0);
}

TEST_F(HardwareInputTest, LearnModePrintsTheLineAndItWorksAtOnce) {
  Start("air", "");
  ControlHit target;
  target.facts = FindPanelFacts("air");
  target.row = RowRef{RowKind::kButton, 5};
  learn_ = &target;
  Tap(9);
  EXPECT_STREQ(hw_->Status(), "learnt: air: button 5 = button 9 toggle");
  target.row = RowRef{RowKind::kSwitch, 0};
  Tap(10);
  EXPECT_NE(std::string(hw_->Status()).find("second button"), std::string::npos) << hw_->Status();
  Tap(11);
  EXPECT_STREQ(hw_->Status(), "learnt: air: switch 0 = buttons 10 11");
  learn_ = nullptr;
  Tap(9);
  EXPECT_EQ(ButtonOut(5), 1);
}

TEST_F(HardwareInputTest, VirtualBoxAppliesOneChangePerInputAndPoll) {
  Start("air", kAir);
  VirtualDevice box;
  char error[320];
  const std::string pipe = folder_.File("box");
  ASSERT_TRUE(box.Open(pipe.c_str(), error, sizeof error)) << error;
  const int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  const std::string lines = "button 0 1\nbutton 1 1\nbutton 0 0\n";
  ASSERT_EQ(::write(fd, lines.data(), lines.size()), ssize_t(lines.size()));
  ::close(fd);
  int slot = -1;
  auto pressed = [&](int b) {
    box.Poll();
    Iterate();
    for (int i = 0; i < JoystickDevices::kMaxDevices; i++) {
      if (std::strcmp(hw_->Devices().Slot(i).name, VirtualDevice::kName) == 0) slot = i;
    }
    return slot >= 0 ? hw_->Devices().Value(slot, InputRef{InputKind::kButton, uint8_t(b)}) : -1;
  };
  EXPECT_EQ(pressed(0), 1);  // the release waits for the next poll
  EXPECT_EQ(pressed(0), 0);
  EXPECT_EQ(hw_->Devices().Value(slot, InputRef{InputKind::kButton, 1}), 1);

  for (const char* bad : {"button 32 1", "button 0 2", "hat 0", "axis 1 40000", "wiggle 1 1", "button 1 1 1"}) {
    EXPECT_FALSE(box.Apply(bad, error, sizeof error)) << bad;
  }
  EXPECT_TRUE(box.Apply("unplug", error, sizeof error));
  EXPECT_FALSE(box.Apply("button 0 1", error, sizeof error));
  EXPECT_NE(std::string(error).find("unplugged"), std::string::npos) << error;
  Iterate();
  EXPECT_FALSE(hw_->Devices().Slot(slot).open);
}

}  // namespace
