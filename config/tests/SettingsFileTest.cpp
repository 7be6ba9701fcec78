#include "config/SettingsFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "config/tests/TempFolder.h"

namespace {

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(SettingsFileTest, MissingFileGivesThreeLineReport) {
  TempFolder dir;
  std::string name = dir.File("missing.ini");
  SettingsFileClass file(name, SettingsFileClass::kRead);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ("SettingsFileClass::OpenFileForReading\nNo such file or directory\n" + name, file.GetFullText());
  char line[64] = "untouched";
  EXPECT_FALSE(file.ReadFromSettingsFile(line, sizeof line));
  EXPECT_STREQ("", line);
  EXPECT_EQ("SettingsFileClass::ReadFromSettingsFile\nFile is not opened\n" + name, file.GetFullText());

  SettingsFileClass badMode(name, 7);
  EXPECT_FALSE(badMode.IsOpen());
  EXPECT_TRUE(badMode.GetFullText().empty());
  SettingsFileClass noName("", SettingsFileClass::kRead);
  EXPECT_FALSE(noName.IsOpen());
  EXPECT_TRUE(noName.GetFullText().empty());
}

TEST(SettingsFileTest, LongLinesAreCutAndTheirRestDropped) {
  TempFolder dir;
  std::string path = dir.Write("long.ini", std::string(3000, 'a') + "\nsecond\n" + std::string(7000, 'b') +
                                               "[TAIL]\nthird\r\nlast");
  SettingsFileClass file(path, SettingsFileClass::kRead);
  ASSERT_TRUE(file.IsOpen());
  char line[1024];
  ASSERT_TRUE(file.ReadFromSettingsFile(line, sizeof line));
  EXPECT_EQ(std::string(1023, 'a'), line);
  ASSERT_TRUE(file.ReadFromSettingsFile(line, sizeof line));
  EXPECT_STREQ("second\n", line);
  // Longer than the 5119-character line buffer: the tail never becomes a line.
  ASSERT_TRUE(file.ReadFromSettingsFile(line, sizeof line));
  EXPECT_EQ(std::string(1023, 'b'), line);
  ASSERT_TRUE(file.ReadFromSettingsFile(line, sizeof line));
  EXPECT_STREQ("third\n", line);  // CR LF read as LF
  ASSERT_TRUE(file.ReadFromSettingsFile(line, sizeof line));
  EXPECT_STREQ("last", line);
  EXPECT_FALSE(file.ReadFromSettingsFile(line, sizeof line));
  EXPECT_STREQ("", line);
  EXPECT_EQ("SettingsFileClass::ReadFromSettingsFile\nNULL read from file\n" + path, file.GetFullText());

  ASSERT_TRUE(file.Rewind());
  std::string text;
  ASSERT_TRUE(file.ReadFromSettingsFile(text));
  EXPECT_EQ(std::string(1023, 'a'), text);
  char small[5];
  ASSERT_TRUE(file.ReadStraight(small, sizeof small));
  EXPECT_STREQ("seco", small);
}

TEST(SettingsFileTest, WritesNameValueLines) {
  TempFolder dir;
  std::string path = dir.File("out.ini");
  {
    SettingsFileClass file(path, SettingsFileClass::kWrite);
    ASSERT_TRUE(file.IsOpen());
    EXPECT_TRUE(file.WriteValue("Flag", true));
    EXPECT_TRUE(file.WriteValue("Off", false));
    EXPECT_TRUE(file.WriteValue("Count", 42));
    EXPECT_TRUE(file.WriteValue("Rate", 2.5));
    EXPECT_TRUE(file.WriteValue("Name", "Panel"));
    EXPECT_TRUE(file.WriteLine(std::string("[KEY]")));
    EXPECT_TRUE(file.WriteFormatted("%s=%d", "x", 7));
    EXPECT_TRUE(file.WriteFormatted("%s", std::string(3000, 'z').c_str()));
  }
  EXPECT_EQ("Flag = TRUE\nOff = FALSE\nCount = 42\nRate = 2.500000\nName = Panel\n[KEY]\nx=7\n" +
                std::string(1023, 'z') + "\n",
            Contents(path));

  SettingsFileClass append(path, SettingsFileClass::kAppend);
  EXPECT_TRUE(append.WriteLine("more"));
  append.Close();
  EXPECT_FALSE(append.WriteLine("lost"));
  EXPECT_EQ("SettingsFileClass::WriteToSettingsFile\nFile is not opened\n" + path, append.GetFullText());
}

TEST(SettingsFileTest, BackslashesSeparateFolders) {
  TempFolder dir;
  dir.Write("Sub/Data.ini", "x = 1\n");
  SettingsFileClass file(dir.Path() + "\\Sub\\Data.ini", SettingsFileClass::kRead);
  EXPECT_TRUE(file.IsOpen());
  EXPECT_EQ(dir.Path() + "\\Sub\\Data.ini", std::string(file.FileName()));
}

}  // namespace
