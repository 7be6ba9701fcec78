#include "common/ConfigFile.h"

#include <cstdio>
#include <cstring>

#include "common/RevisionString.h"
#include "common/TextFcns.h"
#include "common/Tokenise.h"

namespace {

RevisionLines gRevisions("%Z% ConfigFile QX_P_0511_04 ConfigFile.cpp $Revision: 2.3 $",
                         "%Z% ConfigFile QX_P_0511_04 ConfigFile.h $Revision: 2.0 $");

struct ConfigReportState {
  std::FILE* file = nullptr;
  bool open = false;
  char path[1025] = {};
  char moduleName[256] = {};
  char partNumber[256] = {};
  char fileName[256] = {};
  char revision[256] = {};
};

ConfigReportState& State() {
  static ConfigReportState state;
  return state;
}

const char kRule[] =
    "==============================================="
    "===============================================\n";

}  // namespace

void RevisionLines::RegisterOnce() {
  if (registered_) {
    return;
  }
  registered_ = true;
  AddRevision(source_);
  AddRevision(header_);
}

void OpenConfigReport(const char* path) {
  if (path == nullptr) {
    return;
  }
  ConfigReportState& s = State();
  CopyBounded(s.path, path, sizeof s.path);
  if (s.file != nullptr) {
    std::fclose(s.file);
    s.file = nullptr;
    s.open = false;
  }
  s.file = std::fopen(s.path, "w");
  if (s.file == nullptr) {
    return;
  }
  std::fprintf(s.file,
               "               Pelmora Solutions Ltd. Configuration Control[QX0511] Version %s  Report: \n\n",
               "2.3");
  std::fputs(kRule, s.file);
  std::fprintf(s.file, " %20s | %22s |%30s | %10s |\n", "Product Name", "Pelmora Solutions P/N",
               "Component name", "Version");
  std::fputs(kRule, s.file);
  s.open = true;
}

void AddRevision(const char* line) {
  if (line == nullptr) {
    return;
  }
  // The registry's own lines come first; registering marks them done before
  // it calls back here.
  gRevisions.RegisterOnce();
  ConfigReportState& s = State();
  char work[1024];
  CopyBounded(work, line, sizeof work);
  // A line of up to 1023 characters has at most 512 blank-separated tokens.
  char* tokens[520];
  int count = SplitTokens(work, " ", tokens);
  if (count == 1) {
    if (s.open) {
      std::fputs("Unrecongnisable Configuration string \n", s.file);
    }
    return;
  }
  if (count > 1) {
    CopyBounded(s.moduleName, tokens[1], sizeof s.moduleName);
  }
  if (count > 2) {
    CopyBounded(s.partNumber, tokens[2], sizeof s.partNumber);
  }
  if (count > 3) {
    CopyBounded(s.fileName, tokens[3], sizeof s.fileName);
  }
  int revisionToken = std::strstr(line, "$Revision") != nullptr ? 5 : 4;
  if (count > revisionToken) {
    CopyBounded(s.revision, tokens[revisionToken], sizeof s.revision);
  }
  if (s.open) {
    std::fprintf(s.file, " %20s | %22s |%30s | %10s | \n", s.moduleName, s.partNumber, s.fileName,
                 s.revision);
  }
}

void CloseConfigReport() {
  ConfigReportState& s = State();
  s.open = false;
  if (s.file != nullptr) {
    std::fclose(s.file);
    s.file = nullptr;
  }
}

bool IsConfigReportOpen() { return State().open; }
