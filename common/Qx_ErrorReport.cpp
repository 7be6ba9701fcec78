#include "common/Qx_ErrorReport.h"

#include "common/RevisionString.h"
#include "common/TextFcns.h"

namespace {
RevisionLines gRevisions("%Z% Qx_ErrorReport QX_P_0511_02 Qx_ErrorReport.cpp $Revision: 2.1 $",
                         "%Z% Qx_ErrorReport QX_P_0511_02 Qx_ErrorReport.h $Revision: 2.0 $");

// Appends a part of a joined report, cut to its first 1,023 characters.
void AppendPart(std::string& out, const char* part) {
  if (part == nullptr) {
    return;
  }
  std::size_t n = 0;
  while (n < Qx_ErrorReport::kMaxPart && part[n] != '\0') {
    n++;
  }
  out.append(part, n);
}
}  // namespace

Qx_ErrorReport::Qx_ErrorReport() { gRevisions.RegisterOnce(); }

Qx_ErrorReport::~Qx_ErrorReport() { text_.clear(); }

void Qx_ErrorReport::ReportText(const char* text) {
  if (text == nullptr) {
    text_.clear();
    return;
  }
  text_.assign(text);
}

void Qx_ErrorReport::Report(const char* method, const char* message) {
  std::string joined;
  AppendPart(joined, method);
  joined += '\n';
  AppendPart(joined, message);
  text_.swap(joined);
}

void Qx_ErrorReport::Report3(const char* first, const char* second, const char* third) {
  std::string joined;
  AppendPart(joined, first);
  joined += '\n';
  AppendPart(joined, second);
  joined += '\n';
  AppendPart(joined, third);
  text_.swap(joined);
}

void Qx_ErrorReport::ReportValue(const char* first, const char* second, int32_t value) {
  FormatBounded(number_, sizeof number_, ">%d<", static_cast<int>(value));
  Report3(first, second, number_);
}

void Qx_ErrorReport::ReportTextOnce(const char* text, int32_t key) {
  if (!AlreadyReported(key)) {
    ReportText(text);
  }
}

void Qx_ErrorReport::ReportOnce(const char* method, const char* message, int32_t key) {
  if (!AlreadyReported(key)) {
    Report(method, message);
  }
}

void Qx_ErrorReport::Report3Once(const char* first, const char* second, const char* third, int32_t key) {
  if (!AlreadyReported(key)) {
    Report3(first, second, third);
  }
}

void Qx_ErrorReport::ReportValueOnce(const char* first, const char* second, int32_t value, int32_t key) {
  if (!AlreadyReported(key)) {
    ReportValue(first, second, value);
  }
}

void Qx_ErrorReport::CopyReport(const Qx_ErrorReport& other) {
  if (&other != this) {
    text_ = other.text_;
  }
}

const char* Qx_ErrorReport::GetErrorText() {
  CopyBounded(fetched_, text_.c_str(), sizeof fetched_);
  return fetched_;
}

bool Qx_ErrorReport::AlreadyReported(int32_t key) {
  if (keyCount_ >= kMaxKeys) {
    return false;
  }
  for (int32_t i = 0; i < keyCount_; i++) {
    if (keys_[i] == key) {
      return true;
    }
  }
  keys_[keyCount_++] = key;
  return false;
}
