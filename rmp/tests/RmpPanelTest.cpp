// The radio management panel's departures from the common panel: its own
// fit by unit, the windows, lamps from the selection, knob steps, the
// communication transfer handshake, navigation entry and back-up navigation,
// and values from the simulation that no radio has.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "panels/tests/PanelHarness.h"
#include "rmp/A330_Rmp.h"

namespace {

using R = CA330_Rmp;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

class RmpTest : public ::testing::Test {
 protected:
  // The cockpit's own panel: unit 2 (RMP 3), from the cockpit manager.
  void Start(int32_t type = 9) {
    h = std::make_unique<PanelHarness>(FindPanelFacts("rmp")->id);
    ASSERT_TRUE(h->Start(type)) << h->Error();
    rmp = &static_cast<R&>(h->Panel());
    Power(true);
  }
  // A panel of another unit, started as the manager starts it.
  void StartUnit(int32_t unit, int32_t type = 9) {
    own.SetUnit(unit);
    h = std::make_unique<PanelHarness>(own);
    ASSERT_TRUE(h->Start(type)) << h->Error();
    rmp = &own;
    Power(true);
  }
  void Power(bool on) {
    h->In(R::kPower) = on ? 1 : 0;
    h->Pass();
  }

  template <class T>
  void In(int offset, T value) {
    std::memcpy(&h->In(offset), &value, sizeof value);
  }
  template <class T>
  T Out(int offset) {
    T value;
    std::memcpy(&value, &h->Out(offset), sizeof value);
    return value;
  }

  // The seven cells of a window, as drawn.
  std::string Window(int window) {
    h->Drawn(rmp->Key(0));
    std::string text;
    for (int i = 0; i < 7; i++) text += rmp->WindowDisplay(window).Cell(i)->GetLastChar();
    return text;
  }
  std::string Active() { return Window(R::kActiveWindow); }
  std::string Standby() { return Window(R::kStandbyWindow); }

  void Key(int key) { h->Click(1, rmp->Key(key)); }
  bool Lit(int key) { return rmp->Key(key).GetLightCode() == 0; }
  // A point on the knob's right (up) or left (down) half.
  int KnobX(int direction) {
    const platform::Rect r = rmp->Knob().GetRect();
    return direction > 0 ? r.left + (r.right - r.left) * 3 / 4 : r.left + (r.right - r.left) / 4;
  }
  int KnobY() { return (rmp->Knob().GetRect().top + rmp->Knob().GetRect().bottom) / 2; }
  void Turn(int direction) { h->Click(1, KnobX(direction), KnobY()); }
  void FlipSteps() { h->Click(2, KnobX(1), KnobY()); }
  // Holds the left button on a half for a number of passes, then lets go.
  void Hold(int direction, int passes) {
    h->Mouse(1, KnobX(direction), KnobY());
    for (int i = 1; i < passes; i++) h->Pass();
    h->Mouse(0, KnobX(direction), KnobY());
  }
  void OpenCover() { h->Click(2, rmp->Cover(0)); }

  CA330_Rmp own;
  std::unique_ptr<PanelHarness> h;
  R* rmp = nullptr;
};

TEST_F(RmpTest, OwnFitFailsOutsideTheAirbusTypesAndBlocksFollowTypeAndUnit) {
  for (int32_t type : {14, 5, 6}) {
    PanelHarness fit(FindPanelFacts("rmp")->id);
    EXPECT_FALSE(fit.Start(type));
    EXPECT_STREQ(fit.Error(), "CA330_Rmp::Initialise --> Incorrect aircraft fit") << type;
  }
  StartUnit(0);
  EXPECT_EQ(rmp->OutputBlock().Offset(), 0x12648u);
  EXPECT_EQ(rmp->InputBlock().Offset(), 0x12204u);
  EXPECT_EQ(rmp->GetSelection(), R::kSelVhf1);
  StartUnit(1, 12);
  EXPECT_EQ(rmp->OutputBlock().Offset(), 0x1F25Cu);
  EXPECT_EQ(rmp->InputBlock().Offset(), 0x1EE2Cu);
  EXPECT_EQ(rmp->GetSelection(), R::kSelVhf2);
  StartUnit(7);  // kept to RMP 3
  EXPECT_EQ(rmp->GetUnit(), 2);
  EXPECT_EQ(rmp->OutputBlock().Offset(), 0x1249Cu);
  EXPECT_EQ(rmp->GetSelection(), R::kSelVhf3);
  // Start-up leaves the start values, not the unit's.
  EXPECT_EQ(rmp->Comm(R::kSelVhf1).value, 119900);
  EXPECT_EQ(rmp->Knob().GetValue(), 12330);
  EXPECT_EQ(rmp->Knob().GetImage(), 2);
  EXPECT_TRUE(h->AnyPixel(rmp->Knob()));
}

TEST_F(RmpTest, WindowsAreBlankWithoutPowerAndShowEightsUnderLampTest) {
  Start();
  In<float>(8, 121.5f);  // VHF3 active
  EXPECT_EQ(Active(), "121.500");
  EXPECT_EQ(Standby(), "145.050");
  EXPECT_TRUE(Lit(R::kVhf3));
  Power(false);
  EXPECT_EQ(Active(), "       ");
  EXPECT_EQ(Standby(), "       ");
  EXPECT_FALSE(Lit(R::kVhf3));
  EXPECT_FALSE(Lit(R::kTransfer));
  h->Press(1, rmp->Key(R::kHf1));  // positions are still written
  EXPECT_EQ(h->Out(R::kKeyPositions + R::kHf1), 1);
  h->Press(0, rmp->Key(R::kHf1));
  h->In(R::kLampTest) = 1;
  h->Pass();
  EXPECT_EQ(Active(), "       ");
  for (int key = 0; key < R::kKeyCount; key++) EXPECT_TRUE(Lit(key)) << key;
  Power(true);
  EXPECT_EQ(Active(), "8888888");
  EXPECT_EQ(Standby(), "8888888");
}

TEST_F(RmpTest, VhfAtOrBelowTheDataLimitShowsDataMode) {
  Start();
  EXPECT_EQ(Active(), "   dAtA");  // 0
  In<float>(8, 30.001f);
  EXPECT_EQ(Active(), "   dAtA");
  In<float>(8, 30.002f);
  EXPECT_EQ(Active(), " 30.002");
  Key(R::kHf1);
  h->Pass();
  In<float>(12, 0.0f);
  EXPECT_EQ(Active(), "  0.000");  // HF has no data mode
}

TEST_F(RmpTest, SelectionLampsFollowFromTheNextPassAndSelNeedsPower) {
  Start();
  h->Press(1, rmp->Key(R::kVhf2));
  EXPECT_EQ(rmp->GetSelection(), R::kSelVhf2);
  EXPECT_EQ(Out<int32_t>(R::kSelectionOut), R::kSelVhf2);
  EXPECT_FALSE(Lit(R::kVhf2));  // lamps from the selection before the pass
  EXPECT_TRUE(Lit(R::kVhf3));
  h->Press(0, rmp->Key(R::kVhf2));
  EXPECT_TRUE(Lit(R::kVhf2));
  EXPECT_FALSE(Lit(R::kVhf3));
  EXPECT_FALSE(Lit(R::kSel));
  h->In(R::kSelCondition) = 1;
  h->Pass();
  EXPECT_TRUE(Lit(R::kSel));
  Key(R::kVor);  // no back-up navigation: no navigation selection
  EXPECT_EQ(rmp->GetSelection(), R::kSelVhf2);
}

TEST_F(RmpTest, VhfTurnsInFineOrCoarseStepsAndClampsAtItsBounds) {
  Start();  // VHF3 standby 145.050, fine steps
  Turn(+1);
  EXPECT_EQ(Standby(), "145.055");
  FlipSteps();
  EXPECT_FALSE(rmp->IsFineSteps());
  h->Mouse(2, KnobX(1), KnobY());  // a press flips once, however long it is held
  h->Pass();
  h->Mouse(0, KnobX(1), KnobY());
  EXPECT_TRUE(rmp->IsFineSteps());
  FlipSteps();
  Turn(+1);
  EXPECT_EQ(Standby(), "146.055");
  Hold(+1, 60);  // accelerates to 5 steps a pass
  EXPECT_EQ(rmp->Comm(R::kSelVhf3).value, 300000);
  EXPECT_EQ(Standby(), "300.000");
  Hold(-1, 80);
  EXPECT_EQ(Standby(), "   dAtA");  // 30.000: the minimum is the data mode
  EXPECT_EQ(rmp->Comm(R::kSelVhf3).value, 30000);
}

TEST_F(RmpTest, HfStepsAreOneKilohertzAndAmCoarseIsOneUnit) {
  Start();
  Key(R::kHf1);
  Turn(+1);
  EXPECT_EQ(Standby(), "  4.533");
  FlipSteps();
  Turn(+1);
  EXPECT_EQ(Standby(), "  4.534");
  Key(R::kAm);  // 7.86, coarse 1.00
  Turn(-1);
  EXPECT_EQ(Standby(), "  6.860");
}

// A swap never changes a frequency: the old active comes back as the standby
// rounded to whole kHz, whichever side of the value its float lies.
TEST_F(RmpTest, TransferSwapsWithoutLosingAKilohertz) {
  Start();
  Key(R::kVhf1);  // standby 119.900
  const struct {
    float active;
    int32_t standby;
    const char* shown;
  } cases[] = {{118.7f, 118700, "118.700"},
               {118.275f, 118275, "118.275"},
               {std::nextafter(118.275f, 0.0f), 118275, "118.275"},
               {std::nextafter(118.275f, 200.0f), 118275, "118.275"}};
  for (const auto& c : cases) {
    In<float>(0, c.active);
    Key(R::kTransfer);
    EXPECT_EQ(rmp->Comm(R::kSelVhf1).value, c.standby) << c.active;
    EXPECT_EQ(Standby(), c.shown);
  }
  // Back and forth: what goes out as the new active is what came in.
  In<float>(0, 118.7f);
  Key(R::kTransfer);
  In<float>(0, Out<float>(R::kNewActive));
  Key(R::kTransfer);
  EXPECT_EQ(Out<float>(R::kNewActive), 118.7f);
  EXPECT_EQ(rmp->Comm(R::kSelVhf1).value, 118275);
}

TEST_F(RmpTest, TransferSendsTheStandbyAndHoldsTheRequestUntilAcknowledged) {
  Start();
  Key(R::kVhf1);           // standby 119.900
  In<float>(0, std::nextafter(118.275f, 0.0f));  // 118.275 held as a float just below it
  h->Press(1, rmp->Key(R::kTransfer));
  EXPECT_EQ(Out<float>(R::kNewActive), 119.9f);
  EXPECT_EQ(h->Out(R::kTransferRequest), 1);
  EXPECT_EQ(rmp->Comm(R::kSelVhf1).value, 118275);
  h->Press(0, rmp->Key(R::kTransfer));
  // Held until acknowledged, through a second transfer.
  h->Pass();
  Key(R::kTransfer);
  EXPECT_EQ(h->Out(R::kTransferRequest), 1);
  EXPECT_EQ(Out<float>(R::kNewActive), 118.275f);
  h->In(R::kTransferAcknowledge) = 1;
  h->Pass();
  EXPECT_EQ(h->Out(R::kTransferRequest), 0);
  EXPECT_EQ(Out<int32_t>(R::kSpare), 0);
}

// Floats from the simulation that no radio has: the windows stay seven
// cells, and the standby loaded from them is kept inside its bounds.
TEST_F(RmpTest, ForeignFloatsStayInsideTheWindowsAndTheBounds) {
  Start();
  Key(R::kHf1);
  const struct {
    float value;
    const char* shown;
    int32_t loaded;  // HF1 standby after a transfer, kHz
  } cases[] = {{kNaN, "   dAtA", 1000},   {kInf, "   dAtA", 8000},  {-kInf, "   dAtA", 1000},
               {1e30f, "999.999", 8000},   {-1e30f, "-99.999", 1000}, {-5.0f, " -5.000", 1000},
               {1000.0f, "999.999", 8000}, {6.5f, "  6.500", 6500}};
  for (const auto& c : cases) {
    In<float>(12, c.value);
    EXPECT_EQ(Active(), c.shown) << c.value;
    Key(R::kTransfer);
    EXPECT_EQ(rmp->Comm(R::kSelHf1).value, c.loaded) << c.value;
  }
  Key(R::kVhf1);
  In<float>(0, kNaN);
  EXPECT_EQ(Active(), "   dAtA");
  In<float>(0, kInf);
  EXPECT_EQ(Active(), "   dAtA");
  In<float>(0, 1e30f);
  EXPECT_EQ(Active(), "999.999");
}

TEST_F(RmpTest, CourseWrapsBothWaysAndFrequenciesClamp) {
  RmpAccumulator course;
  course.Setup(360, 0, 360, 1, true);
  course.Accumulate(1);
  EXPECT_EQ(course.value, 0);
  course.Accumulate(-1);
  EXPECT_EQ(course.value, 360);
  RmpAccumulator vor;
  vor.Setup(11795, 10800, 11790, 100, false);
  vor.step = 5;
  vor.Accumulate(5);
  EXPECT_EQ(vor.value, 11795);
  EXPECT_FLOAT_EQ(vor.real, 117.95f);
  vor.SetFromRealRounded(108.004f);
  EXPECT_EQ(vor.value, 10800);
  vor.SetFromRealRounded(112.299f);  // rounded, not truncated
  EXPECT_EQ(vor.value, 11230);
}

TEST_F(RmpTest, BackupNavigationTunesAndTransfersFrequencyThenCourse) {
  StartUnit(0);
  In<float>(R::kActiveVor, 112.3f);  // RMP 1's VOR
  In<float>(R::kActiveVor + 4, 999.0f);
  In<float>(R::kActiveAdf, 250.0f);
  Key(R::kNav);  // under the closed cover
  EXPECT_EQ(rmp->GetNavMode(), 0);
  EXPECT_EQ(Out<int32_t>(R::kVorTransferred), -1);
  OpenCover();
  const uint64_t dark = h->Drawn(rmp->Cover(0));
  Key(R::kNav);
  EXPECT_EQ(rmp->GetNavMode(), 1);
  EXPECT_NE(h->Drawn(rmp->Cover(0)), dark);  // the lit cover
  EXPECT_EQ(h->Out(R::kBackupNavActive), 1);
  EXPECT_TRUE(Lit(R::kNav));

  Key(R::kVor);
  EXPECT_EQ(rmp->GetSelection(), R::kSelVor);
  EXPECT_EQ(Standby(), "112.300");  // loaded from the simulation while in normal mode
  EXPECT_EQ(Active(), "112.300");
  Turn(+1);
  EXPECT_EQ(Standby(), "112.350");
  h->Press(1, rmp->Key(R::kTransfer));
  EXPECT_EQ(Out<int32_t>(R::kVorTransferred), 11235);
  EXPECT_EQ(Out<int32_t>(R::kNavTransferSelection), R::kSelVor);
  EXPECT_EQ(Out<int32_t>(R::kNavCountDown), 10);
  EXPECT_EQ(rmp->GetEntryState(), 1);
  h->Press(0, rmp->Key(R::kTransfer));
  h->Pass();
  EXPECT_EQ(Out<int32_t>(R::kNavCountDown), 8);  // one less each pass without a transfer
  EXPECT_EQ(Standby(), " C- 121");
  Turn(+1);
  EXPECT_EQ(Out<int32_t>(R::kVorCourseOut), 122);
  Key(R::kTransfer);
  EXPECT_EQ(rmp->GetEntryState(), 0);
  EXPECT_EQ(Standby(), "112.350");

  // MLS shows dashes over the whole window, no digits left from VOR.
  Key(R::kMls);
  EXPECT_EQ(Standby(), "-----  ");
  EXPECT_EQ(Active(), "       ");
  Key(R::kAdf);
  In<float>(R::kActiveAdf, kNaN);
  EXPECT_EQ(Active(), "   dAtA");
  EXPECT_EQ(Standby(), "  250.0");

  Key(R::kNav);  // back to the communication selection of before
  EXPECT_EQ(rmp->GetNavMode(), 0);
  EXPECT_EQ(rmp->GetSelection(), R::kSelVhf1);
  h->Pass();
  EXPECT_EQ(h->Out(R::kBackupNavActive), 0);
  EXPECT_EQ(Out<int32_t>(R::kVorTransferred), -1);
  EXPECT_EQ(rmp->Nav(R::kAdfFrequency).value, 1900);  // NaN loads the minimum
}

TEST_F(RmpTest, UnitTwoNeverEntersBackupNavigation) {
  Start();
  OpenCover();
  EXPECT_FALSE(rmp->Cover(0).IsClosed());
  EXPECT_FALSE(rmp->Cover(1).IsClosed());
  h->Press(1, rmp->Key(R::kNav));
  EXPECT_TRUE(rmp->Key(R::kNav).IsPressed());
  h->Press(0, rmp->Key(R::kNav));
  for (int pass = 0; pass < 3; pass++) {
    h->Pass();
    EXPECT_EQ(rmp->GetNavMode(), 0);
    EXPECT_EQ(h->Out(R::kBackupNavActive), 0);
  }
  Key(R::kVor);
  EXPECT_EQ(rmp->GetSelection(), R::kSelVhf3);
}

TEST_F(RmpTest, SwitchAndDisplayOnlyFollowTheOutputBlock) {
  Start();
  EXPECT_EQ(h->Out(R::kRmpOn), 1);
  const platform::Rect r = rmp->OnOffSwitch().GetRect();
  h->Click(1, (r.left + r.right) / 2, r.bottom - 3);
  EXPECT_EQ(h->Out(R::kRmpOn), 0);
  rmp->SetDisplayOnly(true);
  h->Out(R::kRmpOn) = 1;
  h->Out(R::kKeyPositions + R::kNav) = 1;
  h->Pass();
  EXPECT_TRUE(rmp->Key(R::kNav).IsPressed());
  EXPECT_EQ(rmp->OnOffSwitch().GetState(), 0);
  EXPECT_EQ(h->Out(R::kKeyPositions + R::kNav), 1);
}

}  // namespace
