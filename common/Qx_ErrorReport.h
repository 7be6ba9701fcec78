// Error-report holder: the base of nearly every class. Operations that fail
// leave their reason here and return false; owners copy the text upward.
#pragma once

#include <cstdint>
#include <string>

class Qx_ErrorReport {
 public:
  static constexpr int kFetchedSize = 256;
  static constexpr int kMaxKeys = 50;
  static constexpr std::size_t kMaxPart = 1023;

  Qx_ErrorReport();
  virtual ~Qx_ErrorReport();
  Qx_ErrorReport(const Qx_ErrorReport&) = default;
  Qx_ErrorReport& operator=(const Qx_ErrorReport&) = default;

  // report text = text
  void ReportText(const char* text);
  // report text = method, "\n", message
  void Report(const char* method, const char* message);
  // report text = first, "\n", second, "\n", third
  void Report3(const char* first, const char* second, const char* third);
  // report text = first, "\n", second, "\n", ">value<"
  void ReportValue(const char* first, const char* second, int32_t value);

  // Once-only forms: report only the first time the key is seen.
  void ReportTextOnce(const char* text, int32_t key);
  void ReportOnce(const char* method, const char* message, int32_t key);
  void Report3Once(const char* first, const char* second, const char* third, int32_t key);
  void ReportValueOnce(const char* first, const char* second, int32_t value, int32_t key);

  // report text = the other holder's report text
  void CopyReport(const Qx_ErrorReport& other);

  // The report text, cut to 255 characters.
  const char* GetErrorText();
  // The whole report text, uncut.
  const std::string& GetFullText() const { return text_; }
  void ClearReport() { text_.clear(); }

  bool AlreadyReported(int32_t key);

 private:
  char fetched_[kFetchedSize] = {};
  std::string text_;
  int32_t keys_[kMaxKeys] = {};
  int32_t keyCount_ = 0;
  char number_[32] = {};
};
