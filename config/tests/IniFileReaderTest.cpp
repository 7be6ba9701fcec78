#include "config/Ini_File_Reader.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <string>

#include "config/tests/TempFolder.h"

namespace {

using Spaces = Ini_File_Reader::Spaces;

const char kIni[] =
    "Stray = before the first key\n"
    "[FIRST]  ; trailing comment\n"
    "\tHelp File = C:\\My Files\\h.hlp   \n"
    "Dup = one\n"
    "Dup = two\n"
    "Flag1 = 1\nFlag10 = 10\nFlagOn1 = on1\nFlagOn = on\nFlagTrUe = TrUe\nFlag0 = 0\n"
    "Empty =\n"
    "Num = 4 2\n"
    "Big = 99999999999\n"
    "Short = 70000\n"
    "Real = 2.5\n"
    "Huge = 1e300\n"
    "Entry Only\n"
    "Second = a = b  \n"
    "Bracket = C:\\dir[1]\\x.bmp\n"
    "AfterBracket = z\n"
    "[FIRST]\n"
    "Late = x\n"
    "[SECOND]\r\n"
    "Other\t=\t3\ttabs\r\n"
    "[THIRD]\n"
    "Stray = again\n"
    "junk [FOURTH] junk\n"
    "Z = 1\n";

class IniFileReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.Write("Test.ini", kIni);
    ASSERT_TRUE(reader_.OpenFile(path_));
  }
  TempFolder dir_;
  std::string path_;
  Ini_File_Reader reader_;
  char text_[Ini_File_Reader::kValueSize] = {};
};

TEST_F(IniFileReaderTest, TextAsWrittenAndPacked) {
  ASSERT_TRUE(reader_.LookForValue("FIRST", "HelpFile", text_, Spaces::kKept));
  EXPECT_STREQ("C:\\My Files\\h.hlp   ", text_);
  ASSERT_TRUE(reader_.LookForValue("FIRST", "HelpFile", text_));
  EXPECT_STREQ("C:\\MyFiles\\h.hlp", text_);
  ASSERT_TRUE(reader_.LookForValue("FIRST", "Second", text_, Spaces::kKept));
  EXPECT_STREQ("a = b  ", text_);
  ASSERT_TRUE(reader_.LookForValue("FIRST", "Bracket", text_, Spaces::kKept));
  EXPECT_STREQ("C:\\dir[1]\\x.bmp", text_);
  // Tabs are spaces; CR LF line ends leave no CR in the value.
  ASSERT_TRUE(reader_.LookForValue("SECOND", "Other", text_, Spaces::kKept));
  EXPECT_STREQ("3 tabs", text_);
  ASSERT_TRUE(reader_.LookForValue("SECOND", "Other", text_));
  EXPECT_STREQ("3tabs", text_);
  ASSERT_TRUE(reader_.LookForValue("FIRST", "Empty", text_, Spaces::kKept));
  EXPECT_STREQ("", text_);
}

TEST_F(IniFileReaderTest, FirstOccurrenceWinsAndScanStopsAtNextKey) {
  ASSERT_TRUE(reader_.LookForValue("FIRST", "Dup", text_));
  EXPECT_STREQ("one", text_);
  // The second [FIRST] is never reached: the scan ends at its bracket line.
  std::strcpy(text_, "untouched");
  EXPECT_FALSE(reader_.LookForValue("FIRST", "Late", text_));
  EXPECT_STREQ("untouched", text_);
  EXPECT_EQ("Ini_File_Reader::LookForValue\nDid not find Item <Late> under Key [FIRST]\nin file \n" + path_,
            reader_.GetFullText());
  // Found in the next section only: not found under this one.
  EXPECT_FALSE(reader_.LookForValue("FIRST", "Other", text_));
  // Before the first Key: never found.
  ASSERT_TRUE(reader_.LookForValue("THIRD", "Stray", text_));
  EXPECT_STREQ("again", text_);
  EXPECT_FALSE(reader_.LookForValue("SECOND", "Stray", text_));
  EXPECT_FALSE(reader_.LookForValue("NOPE", "Dup", text_));
  EXPECT_EQ("Ini_File_Reader::LookForValue\nDid not find Key [NOPE]\nin file \n" + path_, reader_.GetFullText());
  // A value line holding "[" ends the section for the Items after it.
  EXPECT_FALSE(reader_.LookForValue("FIRST", "AfterBracket", text_));
  // The Key may stand anywhere in its line.
  EXPECT_TRUE(reader_.LookForValue("FOURTH", "Z", text_));
}

TEST_F(IniFileReaderTest, NumbersAndBools) {
  int i = -1;
  ASSERT_TRUE(reader_.LookForValue("FIRST", "Num", &i));
  EXPECT_EQ(42, i);
  ASSERT_TRUE(reader_.LookForValue("FIRST", "Empty", &i));
  EXPECT_EQ(0, i);
  ASSERT_TRUE(reader_.LookForValue("FIRST", "Big", &i));
  EXPECT_EQ(INT_MAX, i);
  long l = 0;
  ASSERT_TRUE(reader_.LookForValue("FIRST", "Num", &l));
  EXPECT_EQ(42, l);
  short s = 0;
  ASSERT_TRUE(reader_.LookForValue("FIRST", "Short", &s));
  EXPECT_EQ(static_cast<short>(70000 - 65536), s);
  float f = 0;
  ASSERT_TRUE(reader_.LookForValue("FIRST", "Real", &f));
  EXPECT_FLOAT_EQ(2.5f, f);
  ASSERT_TRUE(reader_.LookForValue("FIRST", "Huge", &f));
  EXPECT_TRUE(std::isinf(f));
  double d = 0;
  ASSERT_TRUE(reader_.LookForValue("FIRST", "Huge", &d));
  EXPECT_DOUBLE_EQ(1e300, d);
  d = 7;
  EXPECT_FALSE(reader_.LookForValue("FIRST", "Missing", &d));
  EXPECT_EQ(7, d);

  for (const char* item : {"Flag1", "Flag10", "FlagOn1"}) {
    bool b = false;
    ASSERT_TRUE(reader_.LookForValue("FIRST", item, &b));
    EXPECT_TRUE(b) << item;
  }
  for (const char* item : {"FlagOn", "FlagTrUe", "Flag0", "Empty"}) {
    bool b = true;
    ASSERT_TRUE(reader_.LookForValue("FIRST", item, &b));
    EXPECT_FALSE(b) << item;
  }
}

TEST_F(IniFileReaderTest, EntryOnlyMatchesWholePackedLine) {
  EXPECT_TRUE(reader_.LookForValue("FIRST", "EntryOnly"));
  EXPECT_FALSE(reader_.LookForValue("FIRST", "Entry"));
  EXPECT_EQ("Ini_File_Reader::LookForValue\nDid not find Item <Entry> under Key [FIRST]\nin file \n" + path_,
            reader_.GetFullText());
}

TEST(IniFileReaderOpenTest, OpenFailuresAndMisuse) {
  Ini_File_Reader reader;
  EXPECT_FALSE(reader.OpenFile(""));
  EXPECT_EQ("Ini_File_Reader::OpenFile\nIni_File_Reader::OpenFile - File Name Given was NULL", reader.GetFullText());
  char text[Ini_File_Reader::kValueSize];
  EXPECT_FALSE(reader.LookForValue("A", "B", text));

  TempFolder dir;
  std::string missing = dir.File("none.ini");
  Ini_File_Reader second;
  EXPECT_FALSE(second.OpenFile(missing));
  EXPECT_EQ("SettingsFileClass::OpenFileForReading\nNo such file or directory\n" + missing, second.GetFullText());

  Ini_File_Reader third;
  std::string path = dir.Write("a.ini", "[A]\nB=1\n Flag \t\n");
  ASSERT_TRUE(third.OpenFile(path));
  EXPECT_FALSE(third.OpenFile(path));
  EXPECT_TRUE(third.LookForValue("A", "Flag"));
  EXPECT_TRUE(third.LookForValue("A", "B=1"));
  EXPECT_FALSE(third.LookForValue("A", "B"));

  // A device or a huge file would feed the reader for ever: refused.
  Ini_File_Reader device;
  EXPECT_FALSE(device.OpenFile("/dev/zero"));
  EXPECT_EQ("Ini_File_Reader::OpenFile\nNot a regular file\n/dev/zero", device.GetFullText());
  Ini_File_Reader folder;
  EXPECT_FALSE(folder.OpenFile(dir.File("")));
  Ini_File_Reader huge;
  const std::string big = dir.Write("big.ini", std::string(Ini_File_Reader::kMaxFileBytes + 1, '#'));
  EXPECT_FALSE(huge.OpenFile(big));
  EXPECT_EQ("Ini_File_Reader::OpenFile\nFile larger than 1048576 bytes\n" + big, huge.GetFullText());
}

TEST(IniFileReaderBadInputTest, GarbageLongLinesAndLongValues) {
  TempFolder dir;
  std::string bytes;
  for (int i = 0; i < 4000; i++) {
    bytes += static_cast<char>((i * 37 + 11) % 256);
  }
  bytes += '\n';
  bytes += std::string(20000, '=') + "[K]\n";
  bytes += std::string("\0\0[K]\0\n", 7);
  bytes += "[K]\n";
  bytes += "Long = " + std::string(3000, 'v') + "\n";
  bytes += "I = v\n";
  std::string path = dir.Write("bad.ini", bytes);
  Ini_File_Reader reader;
  ASSERT_TRUE(reader.OpenFile(path));
  char text[Ini_File_Reader::kValueSize];
  ASSERT_TRUE(reader.LookForValue("K", "Long", text, Ini_File_Reader::Spaces::kKept));
  // The line is cut at 1023 characters, "Long = " included.
  EXPECT_EQ(std::string(1023 - 7, 'v'), std::string(text));
  ASSERT_TRUE(reader.LookForValue("K", "I", text));
  EXPECT_STREQ("v", text);
  std::string longKey(5000, 'k');
  EXPECT_FALSE(reader.LookForValue(longKey.c_str(), "I", text));
  EXPECT_FALSE(reader.LookForValue("K", longKey.c_str(), text));
}

}  // namespace
