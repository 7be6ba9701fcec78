// The error-report holder.
#include "common/Qx_ErrorReport.h"

#include <gtest/gtest.h>

#include <string>

namespace {


TEST(Qx_ErrorReport, ReportJoinsMethodAndMessageWithOneLineBreak) {
  Qx_ErrorReport r;
  r.Report("COxygenPanel::Initialise", "SharedMemory ptr not set");
  EXPECT_STREQ(r.GetErrorText(), "COxygenPanel::Initialise\nSharedMemory ptr not set");
  EXPECT_EQ(r.GetFullText(), "COxygenPanel::Initialise\nSharedMemory ptr not set");
}


TEST(Qx_ErrorReport, TextOf300CharactersIsFetchedAsItsFirst255) {
  Qx_ErrorReport r;
  std::string text(300, 'q');
  text[254] = 'L';
  text[255] = 'M';
  r.ReportText(text.c_str());
  std::string fetched = r.GetErrorText();
  EXPECT_EQ(fetched.size(), 255u);
  EXPECT_EQ(fetched.back(), 'L');
  EXPECT_EQ(r.GetFullText().size(), 300u);
}

TEST(Qx_ErrorReport, ReportValuePutsTheNumberBetweenAngleBracketsOnALineOfItsOwn) {
  Qx_ErrorReport r;
  r.ReportValue("CIniRead::ReadIniFile", "Bad value", 7);
  EXPECT_STREQ(r.GetErrorText(), "CIniRead::ReadIniFile\nBad value\n>7<");
  r.ReportValue("a", "b", -2147483647 - 1);
  EXPECT_STREQ(r.GetErrorText(), "a\nb\n>-2147483648<");
}

TEST(Qx_ErrorReport, PartsLongerThan1024AreCutTo1023BeforeJoining) {
  Qx_ErrorReport r;
  std::string longPart(2000, 'p');
  r.Report(longPart.c_str(), "m");
  EXPECT_EQ(r.GetFullText(), std::string(1023, 'p') + "\nm");
  r.Report3("a", longPart.c_str(), longPart.c_str());
  EXPECT_EQ(r.GetFullText(), "a\n" + std::string(1023, 'p') + "\n" + std::string(1023, 'p'));
  std::string fits(1023, 'f');
  r.Report(fits.c_str(), fits.c_str());
  EXPECT_EQ(r.GetFullText(), fits + "\n" + fits);
}

TEST(Qx_ErrorReport, CopyFromAnotherHolder) {
  Qx_ErrorReport callee;
  callee.Report("Callee::Do", "failed");
  Qx_ErrorReport caller;
  caller.CopyReport(callee);
  EXPECT_STREQ(caller.GetErrorText(), "Callee::Do\nfailed");
  caller.ReportText(callee.GetErrorText());
  EXPECT_STREQ(caller.GetErrorText(), "Callee::Do\nfailed");
  caller.CopyReport(caller);
  EXPECT_STREQ(caller.GetErrorText(), "Callee::Do\nfailed");
}

TEST(Qx_ErrorReport, OnceFormsReportAKeyOnlyTheFirstTime) {
  Qx_ErrorReport r;
  r.ReportOnce("M", "first", 5);
  r.ReportOnce("M", "second", 5);
  EXPECT_STREQ(r.GetErrorText(), "M\nfirst");
  r.ReportTextOnce("other key", 6);
  EXPECT_STREQ(r.GetErrorText(), "other key");
  r.Report3Once("a", "b", "c", 5);
  r.ReportValueOnce("a", "b", 1, 6);
  EXPECT_STREQ(r.GetErrorText(), "other key");
  r.Report3Once("a", "b", "c", 7);
  EXPECT_STREQ(r.GetErrorText(), "a\nb\nc");
  r.ReportValueOnce("a", "b", 9, 8);
  EXPECT_STREQ(r.GetErrorText(), "a\nb\n>9<");
}

TEST(Qx_ErrorReport, AfterFiftyKeysEveryReportGoesThrough) {
  Qx_ErrorReport r;
  for (int key = 0; key < 50; key++) {
    EXPECT_FALSE(r.AlreadyReported(key)) << key;
  }
  EXPECT_FALSE(r.AlreadyReported(49));  // a stored key, but the count is 50: report
  EXPECT_FALSE(r.AlreadyReported(50));
  EXPECT_FALSE(r.AlreadyReported(50));
  r.ReportOnce("M", "51st", 51);
  EXPECT_STREQ(r.GetErrorText(), "M\n51st");
  r.ReportOnce("M", "again", 51);
  EXPECT_STREQ(r.GetErrorText(), "M\nagain");
}

TEST(Qx_ErrorReport, BeforeFiftyKeysAStoredKeyIsSuppressed) {
  Qx_ErrorReport r;
  for (int key = 0; key < 49; key++) {
    r.AlreadyReported(key * 10);
  }
  EXPECT_TRUE(r.AlreadyReported(480));
  EXPECT_TRUE(r.AlreadyReported(0));
  EXPECT_FALSE(r.AlreadyReported(-1));  // the 50th key is stored
  EXPECT_FALSE(r.AlreadyReported(0));   // full: everything reports now
}


}  // namespace
