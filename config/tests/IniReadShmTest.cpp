// One pass through a real generic simulation segment, read back through a
// second attachment as another station would see it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "config/IniRead.h"
#include "config/tests/TempFolder.h"
#include "simlink/GenericSimShm.h"
#include "tests/support/ShmTestPrefix.h"

namespace {

TEST(IniReadShmTest, PassWritesIntoTheSharedSegment) {
  test_support::UseUniqueShmPrefix();
  CInitProgress::SetPauseMilliseconds(0);
  TempFolder dir;
  std::string picture = dir.Write("Pictures/Panel.bmp", "x");
  std::string ini = dir.Write("Tarnel.ini",
                              "[DIRECTORY_PATHS]\nCockpitPanelBitMaps = Bitmaps\\Set\n[FILES]\nMainPicture = " +
                                  picture + "\n[OPTIONS]\nIterationRate = 20\n");
  GenericSimShm writer;
  ASSERT_TRUE(writer.IsValid()) << writer.GetFullText();
  {
    CIniRead reader(writer.GetBase(), ini.c_str());
    ASSERT_TRUE(reader.ReadIniFile(5)) << reader.GetFullText();
    EXPECT_EQ(picture, reader.MainPicture());
  }
  GenericSimShm other;
  ASSERT_TRUE(other.IsValid());
  const uint8_t* base = other.GetBase();
  EXPECT_STREQ("Bitmaps\\Set", reinterpret_cast<const char*>(base + ini_area::kCockpitPanelBitMaps));
  int32_t rate = 0;
  std::memcpy(&rate, base + ini_area::kIterationRate, sizeof rate);
  EXPECT_EQ(20, rate);
  int32_t warnings = 0;
  std::memcpy(&warnings, base + init_progress::kRecord + init_progress::kWarningCount, sizeof warnings);
  EXPECT_EQ(4, warnings);  // help file, company routes, log path, sound folder
}

}  // namespace
