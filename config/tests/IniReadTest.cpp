#include "config/IniRead.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "config/tests/TempFolder.h"
#include "platform/FilePath.h"

namespace {

using namespace ini_area;
namespace rec = init_progress;

// Builds a complete program ini whose FILES name files that exist in the
// test's folder; tests change, empty or drop single lines.
class IniReadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CInitProgress::SetPauseMilliseconds(0);
    area_.assign(kAreaSize, 0);
    const char* files[] = {"MainPicture", "FoMainPicture", "HelpFile", "FixData", "VorData", "NdbData", "SID",
                           "STAR",        "Runways",       "Airways",  "Airports", "AirwaysIntercept", "MAPP"};
    for (const char* item : files) {
      std::string path = dir_.Write(std::string("data/") + item + ".dat", "x");
      Set("FILES", item, path);
    }
    const char* folders[] = {"CockpitPanelBitMaps", "ProgramPath", "CompanyRoutes", "NavData", "LogFilePath",
                             "SoundFiles"};
    for (const char* item : folders) {
      Set("DIRECTORY_PATHS", item, dir_.File(std::string("dirs/") + item));
    }
    const char* fonts[] = {"LargeFont", "SmallFont", "EcamFont", "TitleFont", "FmcLargeFont", "FmcSmallFont"};
    for (int i = 0; i < 6; i++) {
      Set("OPTIONS", fonts[i], std::to_string(10 + i));
    }
    Set("OPTIONS", "LAYOUT", "fmgs_capt");
    Set("OPTIONS", "DONT_ASK", "True");
    Set("OPTIONS", "IterationRate", "25");
  }

  void Set(const std::string& section, const std::string& item, const std::string& value) {
    for (auto& line : lines_) {
      if (line.section == section && line.item == item) {
        line.value = value;
        return;
      }
    }
    lines_.push_back({section, item, value});
  }
  void Drop(const std::string& item) {
    std::erase_if(lines_, [&](const Line& line) { return line.item == item; });
  }

  std::string WriteIni() {
    std::string text;
    for (const char* section : {"DIRECTORY_PATHS", "FILES", "OPTIONS"}) {
      text += std::string("[") + section + "]\r\n";
      for (const auto& line : lines_) {
        if (line.section == section) {
          text += line.item + " = " + line.value + "\r\n";
        }
      }
    }
    return dir_.Write("Tarnel.ini", text);
  }

  std::string Text(std::size_t offset) const { return reinterpret_cast<const char*>(area_.data() + offset); }
  int32_t Int(std::size_t offset) const {
    int32_t v = 0;
    std::memcpy(&v, area_.data() + offset, sizeof v);
    return v;
  }
  std::string RecordText(std::size_t offset) const { return Text(rec::kRecord + offset); }
  int32_t RecordInt(std::size_t offset) const { return Int(rec::kRecord + offset); }

  struct Line {
    std::string section, item, value;
  };
  TempFolder dir_;
  std::vector<Line> lines_;
  std::vector<uint8_t> area_;
};

TEST_F(IniReadTest, FullPassFillsAreaAndProgressRecord) {
  CIniRead ini(area_.data(), WriteIni().c_str());
  ASSERT_TRUE(ini.ReadIniFile(5)) << ini.GetFullText();
  EXPECT_EQ(dir_.File("data/MainPicture.dat"), ini.MainPicture());
  EXPECT_EQ(dir_.File("data/FoMainPicture.dat"), ini.FoMainPicture());
  const std::pair<std::size_t, const char*> texts[] = {
      {kCockpitPanelBitMaps, "dirs/CockpitPanelBitMaps"}, {kProgramPath, "dirs/ProgramPath"},
      {kHelpFile, "data/HelpFile.dat"},       {kFixData, "data/FixData.dat"},
      {kWaypointData, "data/FixData.dat"},    {kVorData, "data/VorData.dat"},
      {kNdbData, "data/NdbData.dat"},         {kSid, "data/SID.dat"},
      {kStar, "data/STAR.dat"},               {kRunways, "data/Runways.dat"},
      {kAirways, "data/Airways.dat"},         {kAirports, "data/Airports.dat"},
      {kCompanyRoutes, "dirs/CompanyRoutes"}, {kAirwaysIntercept, "data/AirwaysIntercept.dat"},
      {kMapp, "data/MAPP.dat"},               {kNavData, "dirs/NavData"},
      {kLogFilePath, "dirs/LogFilePath"},     {kSoundFiles, "dirs/SoundFiles"}};
  for (const auto& [offset, name] : texts) {
    EXPECT_EQ(dir_.File(name), Text(offset)) << name;
  }
  for (int i = 0; i < 6; i++) {
    EXPECT_EQ(10 + i, Int(kFonts + 4 * i));
  }
  EXPECT_EQ(25, Int(kIterationRate));
  EXPECT_FALSE(ini.LayoutFlag());
  EXPECT_TRUE(ini.DontAsk());

  // One message, then one item per path found (19 Items and SoundFiles).
  EXPECT_EQ(0, RecordInt(rec::kWarningCount));
  EXPECT_EQ(21, RecordInt(rec::kItemCount));
  EXPECT_EQ("CIniRead::GetInitData", RecordText(rec::kItemName));
  EXPECT_EQ("Using Data File : " + dir_.File("dirs/SoundFiles"), RecordText(rec::kItemText));
  EXPECT_EQ(0, RecordInt(rec::kStatus));
  // The pass is over: later progress goes nowhere.
  EXPECT_EQ(nullptr, CInitProgress::Record());
}

TEST_F(IniReadTest, WarningsForMissingOptionalItems) {
  Drop("HelpFile");
  Set("OPTIONS", "IterationRate", "");
  Set("OPTIONS", "LAYOUT", "MCDU");
  CIniRead ini(area_.data(), WriteIni().c_str());
  ASSERT_TRUE(ini.ReadIniFile(5));
  EXPECT_EQ(0, Int(kIterationRate));
  EXPECT_EQ("", Text(kHelpFile));
  EXPECT_TRUE(ini.LayoutFlag());
  EXPECT_EQ(2, RecordInt(rec::kWarningCount));
  EXPECT_EQ(20, RecordInt(rec::kItemCount));
  EXPECT_EQ(2, RecordInt(rec::kStatus));
  // The last warning: the empty iteration rate was found, so its message is blank.
  EXPECT_EQ("Iteration rate no specified", RecordText(rec::kHeadline));
  EXPECT_EQ("Default value used, if required", RecordText(rec::kConsequence));
  EXPECT_EQ(" ", RecordText(rec::kWarningMessage));
  const uint8_t status[4] = {2, 0, 0, 0};
  EXPECT_EQ(0, std::memcmp(area_.data() + rec::kRecord + rec::kStatus, status, 4));
}

TEST_F(IniReadTest, MissingOptionalItemWarningCarriesLookUpMessage) {
  Drop("LogFilePath");
  CIniRead ini(area_.data(), WriteIni().c_str());
  ini.SetReadingDepth(0);
  ASSERT_TRUE(ini.ReadIniFile(5));
  EXPECT_EQ(1, RecordInt(rec::kWarningCount));
  EXPECT_EQ("Log File Path not identified in the Ini file", RecordText(rec::kHeadline));
  EXPECT_EQ("No Flight plan printing or log files available", RecordText(rec::kConsequence));
  EXPECT_EQ("Tag >LogFilePath< not found under Title >DIRECTORY_PATHS< in initialisation file",
            RecordText(rec::kWarningMessage));
}

TEST_F(IniReadTest, FilesAreCheckedForExistenceFoldersAreNot) {
  Set("DIRECTORY_PATHS", "CockpitPanelBitMaps", "/no/such/folder");
  Set("FILES", "FixData", "/no/such/fix.dat");
  {
    CIniRead ini(area_.data(), WriteIni().c_str());
    ASSERT_TRUE(ini.ReadIniFile(5)) << ini.GetFullText();
    EXPECT_EQ("/no/such/folder", Text(kCockpitPanelBitMaps));
    // Missing but not mandatory under mask 5: passed over, the path still stored.
    EXPECT_EQ("/no/such/fix.dat", Text(kFixData));
    EXPECT_EQ(0, RecordInt(rec::kWarningCount));
  }
  area_.assign(kAreaSize, 0);
  CIniRead strict(area_.data(), WriteIni().c_str());
  ASSERT_FALSE(strict.ReadIniFile(7));
  EXPECT_EQ("", RecordText(rec::kItemName));  // the look-up message follows as a message
  EXPECT_EQ("Tag >FixData< identifies >/no/such/fix.dat<  but it appears not to exist", RecordText(rec::kItemText));
  EXPECT_STREQ("Fix Data File name not found in ini file", strict.ProblemText());
  EXPECT_EQ(
      "CIniRead::ReadIniFile\nFix Data File name not found in ini file\n"
      "Tag >FixData< identifies >/no/such/fix.dat<  but it appears not to exist",
      strict.GetFullText());
  // The pass stopped there: nothing after FixData was written.
  EXPECT_EQ("", Text(kVorData));
}

TEST_F(IniReadTest, MissingMandatoryPictureStopsThePass) {
  Set("FILES", "MainPicture", "/no/such/picture.bmp");
  CIniRead ini(area_.data(), WriteIni().c_str());
  EXPECT_FALSE(ini.ReadIniFile(5));
  EXPECT_EQ("/no/such/picture.bmp", std::string(ini.MainPicture()));
  EXPECT_STREQ("Main Picture File name not found in ini file", ini.ProblemText());
  // Message, two folders, the failure item and the look-up message.
  EXPECT_EQ(5, RecordInt(rec::kItemCount));
  EXPECT_EQ("", Text(kHelpFile));
}

TEST_F(IniReadTest, RelativeValuesStartFromTheProgramFolder) {
  dir_.Write("bin/Pictures/Panel.bmp", "x");
  Set("FILES", "MainPicture", "   ..\\Pictures\\Panel.bmp");
  Set("DIRECTORY_PATHS", "NavData", "../Nav\\Data");
  CIniRead ini(area_.data(), WriteIni().c_str());
  ini.SetProgramFolder((dir_.Path() + "/bin/").c_str());
  ASSERT_TRUE(ini.ReadIniFile(5)) << ini.GetFullText();
  // The program's own folder, not its parent; stored with '/' only.
  EXPECT_EQ(dir_.Path() + "/bin/Pictures/Panel.bmp", std::string(ini.MainPicture()));
  EXPECT_EQ(dir_.Path() + "/bin/Nav/Data", Text(kNavData));

  char joined[300];
  platform::JoinToFolder("/sim/bin/", 2, "x\\y", joined, sizeof joined);
  EXPECT_STREQ("/sim/x/y", joined);
  platform::JoinToFolder("/sim/bin/", 1, "x", joined, 8);
  EXPECT_STREQ("/sim/bi", joined);
}

TEST_F(IniReadTest, CompletedPathsAreCutAt259Characters) {
  const std::string deep = "..\\" + std::string(150, 'a') + "\\" + std::string(150, 'b');
  Set("DIRECTORY_PATHS", "LogFilePath", deep);
  Set("DIRECTORY_PATHS", "CompanyRoutes", "..\\Routes\\" + std::string(20, 'c'));
  CIniRead ini(area_.data(), WriteIni().c_str());
  ini.SetProgramFolder("/sim/bin/");
  ASSERT_TRUE(ini.ReadIniFile(5)) << ini.GetFullText();
  const std::string stored = Text(kLogFilePath);
  EXPECT_EQ(259u, stored.size());
  EXPECT_EQ("/sim/bin/" + std::string(150, 'a') + "/" + std::string(99, 'b'), stored);
  EXPECT_EQ("/sim/bin/Routes/" + std::string(20, 'c'), Text(kCompanyRoutes));
  // A value that is not program-relative is stored as written.
  EXPECT_EQ(dir_.File("dirs/NavData"), Text(kNavData));
}

TEST_F(IniReadTest, RelativeValueUsesTheRunningProgramsFolderByDefault) {
  Set("DIRECTORY_PATHS", "CockpitPanelBitMaps", "..\\Buttons");
  CIniRead ini(area_.data(), WriteIni().c_str());
  ASSERT_TRUE(ini.ReadIniFile(5));
  std::string folder = platform::ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder + "Buttons", Text(kCockpitPanelBitMaps));
}

TEST_F(IniReadTest, FiveFontsPresentOneMissing) {
  Drop("TitleFont");
  std::memset(area_.data() + kFonts + 12, 0x11, 4);
  CIniRead ini(area_.data(), WriteIni().c_str());
  ini.SetReadingDepth(0);
  ASSERT_TRUE(ini.ReadIniFile(5));
  EXPECT_EQ(10, Int(kFonts));
  EXPECT_EQ(11, Int(kFonts + 4));
  EXPECT_EQ(12, Int(kFonts + 8));
  EXPECT_EQ(0x11111111, Int(kFonts + 12));
  EXPECT_EQ(14, Int(kFonts + 16));
  EXPECT_EQ(15, Int(kFonts + 20));
  EXPECT_EQ("CIniRead::ReadIniFile", RecordText(rec::kItemName));
  EXPECT_EQ("No Font Sizes found :: Defaults Used", RecordText(rec::kItemText));
  // Depth 0 stops before the iteration rate.
  EXPECT_EQ(0, Int(kIterationRate));
  EXPECT_EQ(0, RecordInt(rec::kWarningCount));
}

TEST_F(IniReadTest, ValuesLongerThanDestinationsAreCut) {
  Set("FILES", "MAPP", std::string(1500, 'p'));
  Set("OPTIONS", "LargeFont", "1234567890123");
  Set("OPTIONS", "IterationRate", "99999999999999");
  area_[kMapp + kTextSize] = 0x7E;
  CIniRead ini(area_.data(), WriteIni().c_str());
  ASSERT_TRUE(ini.ReadIniFile(5));
  EXPECT_EQ(std::string(999, 'p'), Text(kMapp));
  EXPECT_EQ(0x7E, area_[kMapp + kTextSize]);
  EXPECT_EQ(123456789, Int(kFonts));  // cut to 9 characters
  EXPECT_EQ(999999999, Int(kIterationRate));
}

TEST_F(IniReadTest, HostileCountsInTheRecordWrap) {
  int32_t huge = INT32_MAX;
  std::memcpy(area_.data() + rec::kRecord + rec::kItemCount, &huge, 4);
  std::memcpy(area_.data() + rec::kRecord + rec::kWarningCount, &huge, 4);
  Drop("SoundFiles");
  CIniRead ini(area_.data(), WriteIni().c_str());
  ASSERT_TRUE(ini.ReadIniFile(5));
  EXPECT_EQ(INT32_MIN, RecordInt(rec::kWarningCount));
  EXPECT_EQ(INT32_MIN + 19, RecordInt(rec::kItemCount));
}

TEST_F(IniReadTest, UnattachedOrUnreadableFile) {
  CIniRead unattached(nullptr, WriteIni().c_str());
  EXPECT_FALSE(unattached.ReadIniFile(5));
  EXPECT_EQ("CIniRead::ReadIniFile\nNot Attached to shared Memory", unattached.GetFullText());

  std::string missing = dir_.File("Missing.ini");
  CIniRead ini(area_.data(), missing.c_str());
  EXPECT_FALSE(ini.ReadIniFile(5));
  std::string problem = "SettingsFileClass::OpenFileForReading\nNo such file or directory\n" + missing;
  EXPECT_EQ(problem, ini.ProblemText());
  EXPECT_EQ(problem, ini.GetFullText());
  EXPECT_EQ(2, RecordInt(rec::kItemCount));
  EXPECT_EQ("CIniRead::ReadIniFile", RecordText(rec::kItemName));
  EXPECT_EQ(problem, RecordText(rec::kItemText));
}

TEST_F(IniReadTest, MissingSectionsAndGarbage) {
  std::string path = dir_.Write("Tarnel.ini", std::string("\x01\x02[FILES\n==\n\xff\xfe[]\n"));
  CIniRead ini(area_.data(), path.c_str());
  EXPECT_FALSE(ini.ReadIniFile(5));
  EXPECT_EQ(
      "CIniRead::ReadIniFile\nCockpit Bit Map path not found in ini file\n"
      "Tag >CockpitPanelBitMaps< not found under Title >DIRECTORY_PATHS< in initialisation file",
      ini.GetFullText());
  CIniRead lenient(area_.data(), path.c_str());
  EXPECT_TRUE(lenient.ReadIniFile(0));
  EXPECT_TRUE(lenient.LayoutFlag());
  EXPECT_FALSE(lenient.DontAsk());
}

// Without --ini: the working folder's Tarnel.ini when there is one, else the
// program folder's, so an installed station started anywhere finds its own.
TEST(IniReadDefaultFile, WorkingFolderFirstThenProgramFolder) {
  TempFolder dir;
  const std::string work = dir.File("work");
  const std::string program = dir.File("program") + "/";
  std::filesystem::create_directories(work);
  std::filesystem::create_directories(program);
  char previous[4096];
  ASSERT_NE(nullptr, ::getcwd(previous, sizeof previous));
  ASSERT_EQ(0, ::chdir(work.c_str()));
  char chosen[4096];
  CIniRead::ChooseDefaultFile("Tarnel.ini", program.c_str(), chosen, sizeof chosen);
  EXPECT_EQ(program + "Tarnel.ini", chosen) << "neither exists: the program folder's is named";
  dir.Write("work/Tarnel.ini", "[FILES]\n");
  CIniRead::ChooseDefaultFile("Tarnel.ini", program.c_str(), chosen, sizeof chosen);
  EXPECT_STREQ("Tarnel.ini", chosen);
  CIniRead::ChooseDefaultFile("Other.ini", "", chosen, sizeof chosen);
  EXPECT_STREQ("Other.ini", chosen) << "no program folder known";
  char tiny[8];
  ASSERT_EQ(0, ::chdir(previous));
  CIniRead::ChooseDefaultFile("Tarnel.ini", program.c_str(), tiny, sizeof tiny);
  EXPECT_EQ(7u, std::strlen(tiny)) << "cut to the buffer";
}

}  // namespace
