#include "devices/InputMappingFile.h"

#include <gtest/gtest.h>

#include <string>

#include "config/tests/TempFolder.h"

namespace {

struct LineCase {
  const char* control;
  const char* driver;
  const char* fault;  // null: good; else a piece of the reason
};

// Air: buttons 0-13, covers 0-1, switch 0 (three positions), knobs A-E
// (knob D: positions 0, 1, 7). Rmp: ON/OFF switch (two positions), tuning knob.
constexpr LineCase kLines[] = {
    {"air: button 1", "button 3 toggle", nullptr},
    {"AIR:Button 1", "BUTTON 3 FOLLOW", nullptr},
    {"air: button 2", "button 127 press", nullptr},
    {"air: cover 0", "button 0 open", nullptr},
    {"air: cover 1", "button 0 toggle", nullptr},
    {"air: switch 0", "buttons 4 5", nullptr},
    {"air: switch 0", "hat 1", nullptr},
    {"air: knob D", "axis 2", nullptr},
    {"air: knob D", "axis 2 0:-32768..-1 1:0..20000 7:20001..32767", nullptr},
    {"air: knob D", "buttons 6 7 step", nullptr},
    {"rmp: ON/OFF switch", "button 1 reversed", nullptr},
    {"rmp: tuning knob", "buttons 1 2 step", nullptr},
    {"rmp: tuning knob", "button 3 push", nullptr},
    {"rmp: STBY NAV cover", "button 3 close", nullptr},
    {"fuel-jettison: guarded button 0", "button 1 toggle-guard", nullptr},
    {"air button 1", "button 3 toggle", "panel: control"},
    {"nowhere: button 1", "button 3 toggle", "unknown panel"},
    {"air: button 99", "button 3 toggle", "no control"},
    {"air: button 1", "", "wants an input"},
    {"air: button 1", "button", "wants an input"},
    {"air: button 1", "button 128 toggle", "0..127"},
    {"air: button 1", "button -1 toggle", "0..127"},
    {"air: button 1", "button 3x toggle", "0..127"},
    {"air: button 1", "button 3 hold", "press, toggle or follow"},
    {"oxygen: button 1", "button 3 follow", "momentary"},
    {"oxygen: button 1", "button 3 press", nullptr},
    {"air: button 1", "button 3 toggle now", "one action"},
    {"air: button 1", "wheel 3 toggle", "unknown input"},
    {"air: button 1", "buttons 3 3", "differ"},
    {"air: cover 0", "button 1 press", "open, close or toggle"},
    {"air: switch 0", "button 1", "three-position"},
    {"air: switch 0", "axis 1", "not an axis"},
    {"rmp: ON/OFF switch", "buttons 1 2", "two-position"},
    {"air: knob D", "button 1 push", "no push"},
    {"air: knob D", "axis 2 2:0..100", "P:LOW..HIGH"},
    {"air: knob D", "axis 2 0:100..0", "P:LOW..HIGH"},
    {"air: knob D", "axis 2 0:0..99999", "P:LOW..HIGH"},
    {"air: knob D", "axis 16", "0..15"},
    {"air: knob D", "buttons 1 2", "step"},
    {"rmp: tuning knob", "axis 0", "steps"},
    {"air: light 0", "button 1 toggle", "no control"},
    {"air: button 1", "button 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16", "too many"},
};

TEST(InputMappingFileTest, LinesGoodAndBad) {
  for (const LineCase& c : kLines) {
    InputMapping m;
    char reason[InputMappingFile::kReasonSize] = "";
    const bool ok = InputMappingFile::ParseLine(c.control, c.driver, &m, reason, sizeof reason);
    EXPECT_EQ(ok, c.fault == nullptr) << c.control << " = " << c.driver << ": " << reason;
    if (c.fault != nullptr) {
      EXPECT_NE(std::string(reason).find(c.fault), std::string::npos) << reason;
    }
  }
}

TEST(InputMappingFileTest, ParsedFieldsNameTheRowAndInputs) {
  InputMapping m;
  char reason[160];
  ASSERT_TRUE(InputMappingFile::ParseLine("air: knob D", "axis 2 0:-32768..-1 7:0..32767", &m, reason, sizeof reason));
  EXPECT_STREQ(m.facts->key, "air");
  EXPECT_EQ(m.row, (RowRef{RowKind::kKnob, 1}));
  EXPECT_EQ(m.driver, Driver::kPosition);
  EXPECT_TRUE(m.Uses(InputRef{InputKind::kAxis, 2}));
  EXPECT_FALSE(m.Uses(InputRef{InputKind::kButton, 2}));
  ASSERT_EQ(m.rangeCount, 2);
  EXPECT_EQ(m.ranges[1].position, 7);
  EXPECT_EQ(m.ranges[1].high, 32767);
}

TEST(InputMappingFileTest, BadLinesAreReportedWithFileAndLineAndSkipped) {
  TempFolder folder;
  const std::string path = folder.Write("inputs.ini",
                                        "air: button 1 = button 0 toggle\n"  // 1: before any section
                                        "; a comment\n"
                                        "[Box One]\n"
                                        "air: button 1 = button 0 toggle\n"  // 4
                                        "\tair: switch 0 = buttons 1 2\r\n"  // 5
                                        "just words\n"                       // 6
                                        "air: knob D = axis 99\n"            // 7
                                        "[ 03000000aaaa0000bbbb000000000000 ]\n"
                                        "air: cover 0 = button 3 open\n"     // 9
                                        "[box one]\n"
                                        "air: button 2 = button 4 follow\n"  // 11
                                        "air: switch 0 = hat 0\n");          // 12: a second truth
  InputMappingFile file;
  ASSERT_TRUE(file.Load(path.c_str()));
  ASSERT_EQ(file.MappingCount(), 4);
  EXPECT_EQ(file.SectionCount(), 2);
  EXPECT_EQ(file.Mapping(0).line, 4);
  EXPECT_EQ(file.Mapping(1).line, 5);
  EXPECT_EQ(file.Mapping(2).section, 1);
  EXPECT_EQ(file.Mapping(3).section, 0);  // a section named twice (in any case) is one device
  EXPECT_STREQ(file.SectionName(1), "03000000aaaa0000bbbb000000000000");
  EXPECT_EQ(file.ErrorCount(), 4);
  const std::string errors = file.Errors();
  EXPECT_NE(errors.find(path + ":1: a mapping outside a device section"), std::string::npos) << errors;
  EXPECT_NE(errors.find(path + ":6: a mapping wants"), std::string::npos) << errors;
  EXPECT_NE(errors.find(path + ":7: axis number"), std::string::npos) << errors;
  EXPECT_NE(errors.find(path + ":12: the control already follows the hardware on line 5"), std::string::npos)
      << errors;

  InputMappingFile missing;
  EXPECT_FALSE(missing.Load(folder.File("none.ini").c_str()));
  EXPECT_STRNE(missing.GetErrorText(), "");
}

}  // namespace

namespace {

TEST(InputMappingFileTest, ShippedExampleReadsWithoutErrors) {
  InputMappingFile file;
  ASSERT_TRUE(file.Load(TARNEL_TEST_SOURCE_DIR "/docs/inputs-example.ini")) << file.GetErrorText();
  EXPECT_STREQ(file.Errors(), "");
  EXPECT_EQ(file.MappingCount(), 11);
  EXPECT_EQ(file.SectionCount(), 1);
}

}  // namespace
