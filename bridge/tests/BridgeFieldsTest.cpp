// The bridge's choice of fields, its change detection, its handling of
// received samples (which come from the network and are not trusted), its
// command line and its middleware configuration; no network involved.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bridge/BridgeFields.h"
#include "bridge/BridgeOptions.h"
#include "bridge/BridgeState.h"
#include "bridge/DdsLink.h"
#include "bridge/RefusalLog.h"
#include "panels/PanelCatalogue.h"
#include "panels/PanelRows.h"

namespace {

class BridgeFieldsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char report[256] = {};
    ASSERT_TRUE(fields_.Build(report, sizeof report)) << report;
  }
  static BridgeFields fields_;
  std::vector<uint8_t> segment_ = std::vector<uint8_t>(generic_area::kSize);
};
BridgeFields BridgeFieldsTest::fields_;

TEST_F(BridgeFieldsTest, EveryStationFieldCrossesFromItsWriterOnceAndTheBannerStaysHome) {
  // Each byte of the area belongs to at most one writer.
  std::vector<int> writerOf(generic_area::kSize, -1);
  for (int a = 0; a < fields_.AreaCount(); a++) {
    for (FieldWriter w : {FieldWriter::kSimulation, FieldWriter::kStation}) {
      for (const BridgeField& f : fields_.Fields(a, w)) {
        ASSERT_TRUE(generic_area::Fits(f.offset, f.width));
        for (uint32_t b = f.offset; b < f.offset + f.width; b++) {
          EXPECT_TRUE(writerOf[b] == -1 || writerOf[b] == int(w)) << "byte 0x" << std::hex << b;
          writerOf[b] = int(w);
        }
      }
    }
  }
  // The area-wide fields: the requests the station reads come from the
  // simulation, the iteration count from the station; the banner's progress
  // does not cross.
  const int wide = fields_.FindArea(BridgeFields::kAreaWide);
  ASSERT_EQ(wide, 0);
  EXPECT_NE(fields_.FindField(wide, FieldWriter::kSimulation, generic_area::kPanelResetRequest), nullptr);
  EXPECT_NE(fields_.FindField(wide, FieldWriter::kSimulation, generic_area::kPaintInhibit), nullptr);
  const BridgeField* count = fields_.FindField(wide, FieldWriter::kStation, generic_area::kIterationCount);
  ASSERT_NE(count, nullptr);
  EXPECT_EQ(count->width, 4);
  EXPECT_EQ(writerOf[banner_record::kProgress], -1);

  // Every built panel is an area, its fields inside the blocks it uses in the
  // station (the radio and audio panels: unit and seat 2).
  int panels = 0;
  for (const PanelFacts& facts : PanelCatalogue()) {
    if (facts.tables == nullptr) continue;
    panels++;
    const int a = fields_.FindArea(facts.id);
    ASSERT_GE(a, 0) << facts.key;
    const BlockPair blocks = facts.tables->Blocks(kLayoutA330, facts.unit >= 0 ? facts.unit : 0);
    EXPECT_FALSE(fields_.Fields(a, FieldWriter::kSimulation).empty()) << facts.key;
    for (FieldWriter w : {FieldWriter::kSimulation, FieldWriter::kStation}) {
      for (const BridgeField& f : fields_.Fields(a, w)) {
        const bool inInput = f.offset >= blocks.input && f.offset + f.width <= blocks.input + blocks.inputSize;
        const bool inOutput = f.offset >= blocks.output && f.offset + f.width <= blocks.output + blocks.outputSize;
        EXPECT_TRUE(inInput || inOutput) << facts.key << " 0x" << std::hex << f.offset;
      }
    }
  }
  EXPECT_EQ(fields_.AreaCount(), panels + 1);
}

TEST_F(BridgeFieldsTest, SendsEachAreaOnceThenOnChangeAndEverySecond) {
  BridgeState state(fields_, FieldWriter::kStation);
  AreaImage image;
  int areasWithFields = 0;
  for (int a = 0; a < fields_.AreaCount(); a++) {
    areasWithFields += fields_.Fields(a, FieldWriter::kStation).empty() ? 0 : 1;
  }
  int first = 0;
  while (state.NextDue(segment_.data(), 0, &image)) first++;
  EXPECT_EQ(first, areasWithFields);
  EXPECT_FALSE(state.NextDue(segment_.data(), BridgeState::kRepeatMs - 1, &image));

  // One station field changes: only its area goes, carrying the new value.
  const int a = fields_.FindArea(BridgeFields::kAreaWide);
  StoreFieldBits(segment_.data(), *fields_.FindField(a, FieldWriter::kStation, generic_area::kIterationCount),
                 0xCAFEF00D);
  // A simulation field changes: nothing is due on the station's side.
  segment_[generic_area::kPaintInhibit] = 1;
  ASSERT_TRUE(state.NextDue(segment_.data(), 10, &image));
  EXPECT_EQ(image.area, BridgeFields::kAreaWide);
  ASSERT_EQ(image.count, 1u);
  EXPECT_EQ(image.fields[0].offset, generic_area::kIterationCount);
  EXPECT_EQ(image.fields[0].bits, 0xCAFEF00Du);
  EXPECT_FALSE(state.NextDue(segment_.data(), 20, &image));

  // A second on, every area goes again; SendAllNow makes them all due at once.
  int repeated = 0;
  while (state.NextDue(segment_.data(), BridgeState::kRepeatMs, &image)) repeated++;
  EXPECT_EQ(repeated, areasWithFields - 1);  // the area-wide one went at 10
  state.SendAllNow();
  int all = 0;
  while (state.NextDue(segment_.data(), BridgeState::kRepeatMs + 1, &image)) all++;
  EXPECT_EQ(all, areasWithFields);
}

TEST_F(BridgeFieldsTest, ReceivedSamplesWriteOnlyTheOtherSidesDeclaredFields) {
  const BridgeState station(fields_, FieldWriter::kStation);
  const PanelFacts& oxygen = *FindPanelFacts("oxygen");
  const uint32_t lamp = oxygen.tables->a330.input + uint32_t(oxygen.tables->buttons[0].upperLamp);
  const uint32_t button = oxygen.tables->a330.output + uint32_t(oxygen.tables->buttons[0].output);
  const uint32_t undeclared = oxygen.tables->a330.output;

  struct Case {
    const char* what;
    int32_t area;
    uint32_t offset;
    uint32_t bits;
    int written;
    int unknown;
    bool knownArea;
  };
  const Case cases[] = {
      {"a lamp the simulation writes", oxygen.id, lamp, 1, 1, 0, true},
      {"the same value again writes nothing", oxygen.id, lamp, 1, 0, 0, true},
      {"the station's own output", oxygen.id, button, 1, 0, 1, true},
      {"a byte no panel declares", oxygen.id, undeclared, 1, 0, 1, true},
      {"the version text", oxygen.id, 0, 0x41414141, 0, 1, true},
      {"the user count", BridgeFields::kAreaWide, generic_area::kUserCount, 5, 0, 1, true},
      {"a value wider than its byte", oxygen.id, lamp, 0x100, 0, 1, true},
      {"a field of another panel under this panel's id", FindPanelFacts("gpws")->id, lamp, 2, 0, 1, true},
      {"an area nobody has", 999, lamp, 3, 0, 0, false},
      {"an offset past the area", oxygen.id, 0xFFFFFFFF, 1, 0, 1, true},
  };
  for (const Case& c : cases) {
    const std::vector<uint8_t> before = segment_;
    AreaImage image;
    image.area = c.area;
    image.count = 1;
    image.fields[0] = {c.offset, c.bits};
    const BridgeState::Applied applied = station.Apply(image, segment_.data());
    EXPECT_EQ(applied.written, c.written) << c.what;
    EXPECT_EQ(applied.unknown, c.unknown) << c.what;
    EXPECT_EQ(applied.knownArea, c.knownArea) << c.what;
    size_t changed = 0;
    for (size_t i = 0; i < before.size(); i++) changed += before[i] != segment_[i] ? 1 : 0;
    EXPECT_EQ(changed, size_t(c.written)) << c.what;
  }
  EXPECT_EQ(segment_[lamp], 1);

  // A claimed count beyond the bound is cut to it; multi-byte fields land whole.
  const BridgeState sim(fields_, FieldWriter::kSimulation);
  AreaImage image;
  image.area = BridgeFields::kAreaWide;
  image.count = 0xFFFFFFFF;
  for (FieldBits& f : image.fields) f = {generic_area::kIterationCount, 0x11223344};
  const BridgeState::Applied applied = sim.Apply(image, segment_.data());
  EXPECT_EQ(applied.written, 1);
  EXPECT_EQ(LoadFieldBits(segment_.data(), BridgeField{generic_area::kIterationCount, 4}), 0x11223344u);
}

TEST(BridgeOptionsTest, ParsesTheCommandLine) {
  struct Case {
    std::vector<const char*> args;
    const char* reportHas;  // "": parses, with this domain and peer count
    uint32_t domain = 0;
    int peers = 0;
  };
  const Case cases[] = {
      {{"--role", "sim"}, ""},
      {{"--role", "station", "--domain", "232", "--interface", "eth0", "--peer", "10.0.0.2", "--peer", "sim-pc"},
       "", 232, 2},
      {{}, "--role is required"},
      {{"--role", "both"}, "--role: takes sim or station"},
      {{"--role", "sim", "--domain", "233"}, "--domain: takes 0 to 232"},
      {{"--role", "sim", "--domain", "-1"}, "--domain: takes"},
      {{"--role", "sim", "--domain", "7x"}, "--domain: takes"},
      {{"--role", "sim", "--domain"}, "--domain needs a value"},
      {{"--role", "sim", "--interface", "a\"/><x"}, "unusable address"},
      {{"--role", "sim", "--peer", ""}, "unusable address"},
      {{"--role", "sim", "--peer", "a", "--peer", "b", "--peer", "c", "--peer", "d", "--peer", "e", "--peer", "f",
        "--peer", "g", "--peer", "h", "--peer", "i"},
       "at most 8 peers"},
      {{"--role", "sim", "--fast"}, "unknown argument '--fast'"},
  };
  for (const Case& c : cases) {
    std::vector<char*> argv = {const_cast<char*>("tarnel-bridge")};
    for (const char* a : c.args) argv.push_back(const_cast<char*>(a));
    BridgeOptions options;
    char report[160] = {};
    const bool ok = ParseBridgeOptions(int(argv.size()), argv.data(), &options, report, sizeof report);
    EXPECT_EQ(ok, c.reportHas[0] == '\0') << report;
    EXPECT_NE(std::string(report).find(c.reportHas), std::string::npos) << report;
    if (ok) {
      EXPECT_EQ(options.domain, c.domain);
      EXPECT_EQ(options.peerCount, c.peers);
    }
  }
}

TEST(DdsLinkConfigTest, InterfaceAndPeersComeAfterTheEnvironmentsConfiguration) {
  DdsLink::Settings settings;
  settings.networkInterface = "eth1";
  char text[1024];
  ::setenv("CYCLONEDDS_URI", "file:///etc/dds.xml", 1);
  ASSERT_TRUE(DdsLink::ConfigText(settings, text, sizeof text));
  EXPECT_STREQ(text,
               "file:///etc/dds.xml,<General><Interfaces><NetworkInterface name=\"eth1\"/></Interfaces></General>");
  EXPECT_FALSE(DdsLink::ConfigText(settings, text, 40));
  ::unsetenv("CYCLONEDDS_URI");
}

}  // namespace

namespace {

TEST(RefusalLogTest, EachKindIsPrintedOncePerAreaAndMinuteWithTheCountHeldBack) {
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  RefusalLog log(out);
  for (int i = 0; i < 18000; i++) log.Report(RefusalLog::kUndeclaredFields, 3, i / 100, "area 3");
  log.Report(RefusalLog::kUndeclaredFields, 4, 10, "area 4");
  log.Report(RefusalLog::kUnknownArea, 3, 10, "another kind");
  EXPECT_EQ(log.Printed(), 3);
  log.Flush(RefusalLog::kIntervalMs - 1);  // the minute is not over
  EXPECT_EQ(log.Printed(), 3);
  log.Flush(RefusalLog::kIntervalMs);
  EXPECT_EQ(log.Printed(), 4);
  log.Report(RefusalLog::kUndeclaredFields, 3, RefusalLog::kIntervalMs + 1, "area 3");  // within the next minute
  log.Report(RefusalLog::kUndeclaredFields, 3, 2 * RefusalLog::kIntervalMs, "area 3 again");
  EXPECT_EQ(log.Printed(), 5);
  char text[4096] = {};
  std::rewind(out);
  text[std::fread(text, 1, sizeof text - 1, out)] = '\0';
  std::fclose(out);
  EXPECT_NE(std::strstr(text, "17999 more in the last minute like: area 3"), nullptr) << text;
  EXPECT_NE(std::strstr(text, "area 3 again (1 more like it since the last report)"), nullptr) << text;
}

}  // namespace
