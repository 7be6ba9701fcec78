// The configuration-control registry and report.
#include "common/ConfigFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "common/RevisionString.h"

namespace {

// Right-aligns text in width characters, as "%20s" does.
std::string Pad(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

std::string Row(const std::string& module, const std::string& part, const std::string& file,
                const std::string& revision) {
  return " " + Pad(module, 20) + " | " + Pad(part, 22) + " |" + Pad(file, 30) + " | " + Pad(revision, 10) + " | \n";
}

const std::string kRule(94, '=');

std::string Heading() {
  return std::string(15, ' ') + "Pelmora Solutions Ltd. Configuration Control[QX0511] Version 2.3  Report: \n\n" +
         kRule + "\n" + " " + Pad("Product Name", 20) + " | " + Pad("Pelmora Solutions P/N", 22) + " |" +
         Pad("Component name", 30) + " | " + Pad("Version", 10) + " |\n" + kRule + "\n";
}

class ConfigReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/tarnel_config_test_XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    dir_ = dir;
    path_ = dir_ + "/report.txt";
    CloseConfigReport();
    // Known column texts to start from.
    AddRevision("%Z% Start P0 start.cpp $Revision: 0.0 $");
  }
  void TearDown() override {
    CloseConfigReport();
    ::unlink(path_.c_str());
    ::rmdir(dir_.c_str());
  }
  std::string Report() {
    CloseConfigReport();
    std::ifstream in(path_);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::string dir_;
  std::string path_;
};

TEST_F(ConfigReportTest, OpenWritesTheHeading) {
  OpenConfigReport(path_.c_str());
  EXPECT_TRUE(IsConfigReportOpen());
  EXPECT_EQ(Report(), Heading());
  EXPECT_FALSE(IsConfigReportOpen());
}

TEST_F(ConfigReportTest, RowTakesTheRevisionFromToken5WhenTheLineHasRevision) {
  OpenConfigReport(path_.c_str());
  AddRevision("%Z% BaseSharedMemory QX_P_0305_01 BaseSharedMemory.cpp $Revision: 1.7 $");
  EXPECT_EQ(Report(), Heading() + Row("BaseSharedMemory", "QX_P_0305_01", "BaseSharedMemory.cpp", "1.7"));
}

TEST_F(ConfigReportTest, RowTakesTheRevisionFromToken4WithoutRevision) {
  OpenConfigReport(path_.c_str());
  AddRevision("  %Z%   Module   P1  file.cpp   2.5  ");
  EXPECT_EQ(Report(), Heading() + Row("Module", "P1", "file.cpp", "2.5"));
}


TEST_F(ConfigReportTest, MissingTokensKeepThePreviousColumnTexts) {
  OpenConfigReport(path_.c_str());
  AddRevision("%Z% Second");
  AddRevision("%Z% Third P3");
  AddRevision("%Z% Fourth P4 four.cpp $Revision:");
  EXPECT_EQ(Report(), Heading() + Row("Second", "P0", "start.cpp", "0.0") + Row("Third", "P3", "start.cpp", "0.0") +
                          Row("Fourth", "P4", "four.cpp", "0.0"));
}

TEST_F(ConfigReportTest, OneTokenIsUnrecognisableAndChangesNothing) {
  OpenConfigReport(path_.c_str());
  AddRevision("garbage");
  AddRevision("   lonely   ");
  AddRevision("%Z% After");
  EXPECT_EQ(Report(), Heading() + "Unrecongnisable Configuration string \n" +
                          "Unrecongnisable Configuration string \n" + Row("After", "P0", "start.cpp", "0.0"));
}

TEST_F(ConfigReportTest, LineWithoutTokensWritesTheRowOfThePreviousTexts) {
  OpenConfigReport(path_.c_str());
  AddRevision("");
  EXPECT_EQ(Report(), Heading() + Row("Start", "P0", "start.cpp", "0.0"));
}

TEST_F(ConfigReportTest, WithNoReportOpenNothingIsWrittenButTheColumnsChange) {
  OpenConfigReport(path_.c_str());
  CloseConfigReport();
  AddRevision("%Z% Hidden PH hidden.cpp $Revision: 4.4 $");
  AddRevision("single");
  EXPECT_EQ(Report(), Heading());
  OpenConfigReport(path_.c_str());
  AddRevision("%Z% Shown");
  EXPECT_EQ(Report(), Heading() + Row("Shown", "PH", "hidden.cpp", "4.4"));
}

TEST_F(ConfigReportTest, ReportThatCannotBeOpenedStaysClosed) {
  std::string bad = dir_ + "/no/such/folder/report.txt";
  OpenConfigReport(bad.c_str());
  EXPECT_FALSE(IsConfigReportOpen());
  AddRevision("%Z% M P f $Revision: 1 $");
  AddRevision("x");
  CloseConfigReport();
  CloseConfigReport();
  OpenConfigReport(nullptr);
  EXPECT_FALSE(IsConfigReportOpen());
  AddRevision(nullptr);
}



TEST_F(ConfigReportTest, RevisionLinesRegisterOncePerProcess) {
  RevisionLines lines("%Z% Mod QX_P_1 Mod.cpp $Revision: 1.2 $", "%Z% Mod QX_P_1 Mod.h $Revision: 1.1 $");
  OpenConfigReport(path_.c_str());
  lines.RegisterOnce();
  lines.RegisterOnce();
  EXPECT_EQ(Report(), Heading() + Row("Mod", "QX_P_1", "Mod.cpp", "1.2") + Row("Mod", "QX_P_1", "Mod.h", "1.1"));
}

}  // namespace
