#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/ConfigFile.h"
#include "common/TextFcns.h"
#include "controls/CButtonClass.h"
#include "controls/BaseCockpitControl.h"
#include "controls/tests/ControlFixtures.h"

namespace {
RevisionLines gTestLines("%Z% TestControl QX_T_0000_00 BaseControlTest.cpp $Revision: 1.1 $",
                         "%Z% TestControl QX_T_0000_00 BaseControlTest.h $Revision: 1.1 $");

class TestControl : public CBaseCockpitControl {
 public:
  TestControl() : CBaseCockpitControl(gTestLines) {}
};

// An image set whose slots name root/file for each non-null file.
ImageSet MakeSet(const FixtureFolder& dir, int type, int kind, bool optional, const char* const files[8], int x = 10,
                 int y = 20) {
  ImageSet set;
  set.type = type;
  set.kind = kind;
  set.optionalImages = optional;
  set.x = x;
  set.y = y;
  for (int i = 0; i < 8; i++) {
    if (files[i] != nullptr) {
      FormatBounded(set.paths[i], sizeof set.paths[i], "%s\\%s", dir.Root(), files[i]);
    }
  }
  return set;
}

class BaseControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 8; i++) {
      dir.Bitmap("img" + std::to_string(i) + ".bmp", 20, 30, 0x111111u * (i + 1));
    }
  }
  FixtureFolder dir;
};

const char* const kAll[8] = {"img0.bmp", "img1.bmp", "img2.bmp", "img3.bmp",
                             "img4.bmp", "img5.bmp", "img6.bmp", "img7.bmp"};
const char* const kFirstFour[8] = {"img0.bmp", "img1.bmp", "img2.bmp", "img3.bmp",
                                   nullptr,    nullptr,    nullptr,    nullptr};
const char* const kFirstTwo[8] = {"img0.bmp", "img1.bmp", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
const char* const kNone[8] = {};
}  // namespace

TEST_F(BaseControlTest, AllEmptyImageSetFails) {
  TestControl c;
  EXPECT_FALSE(c.Initialise(MakeSet(dir, kTypeKnob, 0, false, kNone)));
  EXPECT_FALSE(c.AnyLoaded());
  EXPECT_EQ(c.GetType(), kTypeNone);
}

TEST_F(BaseControlTest, PushButtonNeedsAllEightUnlessOptional) {
  TestControl full;
  EXPECT_TRUE(full.Initialise(MakeSet(dir, kTypePushButton, 0, false, kAll)));
  TestControl four;
  EXPECT_FALSE(four.Initialise(MakeSet(dir, kTypePushButton, 0, false, kFirstFour)));
  EXPECT_EQ(four.GetFullText(), "CBaseCockpitControl::Initialise ... No image was loaded from file :\n");
  TestControl optional;
  EXPECT_TRUE(optional.Initialise(MakeSet(dir, kTypePushButton, 0, true, kFirstFour)));
}

TEST_F(BaseControlTest, SwitchKindsNeedTheirImages) {
  for (int kind : {2, 4}) {
    TestControl c;
    EXPECT_TRUE(c.Initialise(MakeSet(dir, kTypeSwitch, kind, false, kFirstTwo))) << kind;
  }
  for (int kind : {1, 3, 5, 6}) {
    TestControl two;
    EXPECT_FALSE(two.Initialise(MakeSet(dir, kTypeSwitch, kind, false, kFirstTwo))) << kind;
    EXPECT_EQ(two.GetFullText(), "CBaseCockpitControl::IsSwitchValid ... Invalid switch");
    TestControl three;
    EXPECT_TRUE(three.Initialise(MakeSet(dir, kTypeSwitch, kind, false, kAll))) << kind;
  }
  for (int kind : {0, 7, -1}) {
    TestControl c;
    EXPECT_FALSE(c.Initialise(MakeSet(dir, kTypeSwitch, kind, false, kAll))) << kind;
  }
}

TEST_F(BaseControlTest, MissingFilesReportOnlyTheFirstPath) {
  const char* const files[8] = {"img0.bmp", "gone1.bmp", "gone2.bmp", nullptr, nullptr, nullptr, nullptr, nullptr};
  TestControl c;
  ImageSet set = MakeSet(dir, kTypeSwitch, 1, false, files);
  EXPECT_FALSE(c.Initialise(set));
  EXPECT_STREQ(c.GetFailedFile(), set.paths[1]);
  EXPECT_EQ(c.GetFullText(), std::string("CBaseCockpitControl::IsSwitchValid \n\n") + set.paths[1]);

  // The loader's own text names the path of the last failure.
  TestControl knob;
  EXPECT_FALSE(knob.Initialise(MakeSet(dir, kTypeGuardedCover, 0, true, files)));
  EXPECT_EQ(knob.GetFullText(), "CBaseCockpitControl::IsCoverValid ... No image was loaded ");
  const char* const onlyMissing[8] = {"gone.bmp", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
  TestControl missing;
  ImageSet missingSet = MakeSet(dir, kTypeKnob, 0, false, onlyMissing);
  EXPECT_FALSE(missing.Initialise(missingSet));
  EXPECT_EQ(missing.GetFullText(),
            std::string("CBaseCockpitControl::Initialise\n This image was not loaded\n\n") + missingSet.paths[0]);
}

TEST_F(BaseControlTest, BrokenFilesFailWithoutCrashing) {
  dir.Folder("adir.bmp");
  dir.Raw("empty.bmp", "");
  dir.Raw("short.bmp", "BM\x36\x00\x00\x00\x00\x00");
  dir.Raw("junk.bmp", std::string(100, 'x'));
  for (const char* name : {"adir.bmp", "empty.bmp", "short.bmp", "junk.bmp"}) {
    const char* const files[8] = {name, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    TestControl c;
    ImageSet set = MakeSet(dir, kTypeKnob, 0, false, files);
    EXPECT_FALSE(c.Initialise(set)) << name;
    EXPECT_NE(c.GetFullText().find(set.paths[0]), std::string::npos) << name;
    platform::DrawSurface dc;
    BlankSurface(dc);
    c.Draw(dc);  // nothing loaded: nothing drawn, no crash
    EXPECT_EQ(dc.PixelAt(10, 20), 0u);
  }
  // A 1 x 1 image loads; hit tests on it find no interior point.
  dir.Bitmap("dot.bmp", 1, 1, 0xFFFFFF);
  const char* const dot[8] = {"dot.bmp", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
  TestControl c;
  EXPECT_TRUE(c.Initialise(MakeSet(dir, kTypeKnob, 0, false, dot)));
  EXPECT_FALSE(c.HitTest({10, 20}));
  EXPECT_FALSE(c.IsInside({0, 0}));
}

TEST_F(BaseControlTest, ScaleClampsAndTruncates) {
  TestControl c;
  EXPECT_DOUBLE_EQ(c.GetScale(), 1.0);
  c.SetScale(0.0);
  EXPECT_DOUBLE_EQ(c.GetScale(), 0.1);
  c.SetScale(7.5);
  EXPECT_DOUBLE_EQ(c.GetScale(), 5.0);
  c.SetScale(0.5);
  EXPECT_EQ(c.Scale(15), 7);
  EXPECT_EQ(c.Scale(-15), -7);
  c.SetScale(5.0);
  EXPECT_EQ(c.Scale(2000000000), 2147483647);
}

TEST_F(BaseControlTest, HitTestIsStrictAndMousePointIsRelative) {
  TestControl c;
  ASSERT_TRUE(c.Initialise(MakeSet(dir, kTypeKnob, 0, false, kAll, 10, 20)));
  platform::Rect r = c.GetRect();
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.right, 30);
  EXPECT_EQ(r.bottom, 50);
  EXPECT_TRUE(c.HitTest({11, 21}));
  EXPECT_TRUE(c.HitTest({29, 49}));
  for (ViewPoint p : {ViewPoint{10, 30}, ViewPoint{30, 30}, ViewPoint{20, 20}, ViewPoint{20, 50}}) {
    EXPECT_FALSE(c.HitTest(p)) << p.x << "," << p.y;
  }
  ViewGeometry::SetScrollAndPointer(100, 200, -85, -170);
  ViewPoint p = c.GetMousePoint();
  EXPECT_EQ(p.x, 5);
  EXPECT_EQ(p.y, 10);
  EXPECT_EQ(c.GetAbsoluteMousePoint().x, 15);
  EXPECT_EQ(c.GetAbsoluteMousePoint().y, 30);
}

TEST_F(BaseControlTest, DrawCopiesTheStateImage) {
  TestControl c;
  ASSERT_TRUE(c.Initialise(MakeSet(dir, kTypeKnob, 0, false, kAll, 10, 20)));
  platform::DrawSurface dc;
  BlankSurface(dc);
  c.SetOn(true);
  c.Draw(dc);
  EXPECT_EQ(dc.PixelAt(10, 20), 0x222222u);
  EXPECT_EQ(dc.PixelAt(29, 49), 0x222222u);
  EXPECT_EQ(dc.PixelAt(30, 50), 0u);
}

TEST(ControlRevisions, EveryModuleRegistersOnce) {
  FixtureFolder dir;
  const std::string path = std::string(dir.Root()) + "/config.txt";
  OpenConfigReport(path.c_str());
  RegisterControlRevisions();
  CButtonClass button;
  button.RegisterRevision();
  RegisterControlRevisions();
  CloseConfigReport();
  FILE* f = std::fopen(path.c_str(), "r");
  ASSERT_NE(f, nullptr);
  std::string text;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, f) != nullptr) {
    text += buffer;
  }
  std::fclose(f);
  for (const char* file : {"BaseCockpitControl.cpp", "BaseCockpitControl.h", "CButtonClass.cpp", "CButtonClass.h",
                           "GuardedCover.cpp", "GuardedButton.h", "SwitchClass.cpp", "KnobClass.cpp",
                           "RotaryKnobClass.cpp", "LightClass.cpp", "PanelDisplay.cpp", "DisplaySegment.h"}) {
    const std::size_t at = text.find(file);
    EXPECT_NE(at, std::string::npos) << file;
    EXPECT_EQ(text.find(std::string(" ") + file, at + 1), std::string::npos) << file << " registered twice";
  }
}
