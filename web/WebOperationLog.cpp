#include "web/WebOperationLog.h"

#include <cstring>
#include <ctime>

#include "panels/ControlHit.h"

namespace web {

bool WebOperationLog::Remember(const InterfaceField& field, void* context) {
  auto* log = static_cast<WebOperationLog*>(context);
  if (field.writer == FieldWriter::kSimulation || log->count_ >= kMaxFields) return true;
  Entry& e = log->entries_[log->count_++];
  e.field = field;
  FormatFieldValue(field, log->area_, e.value, sizeof e.value);
  return true;
}

void WebOperationLog::Before(const CockpitManager& cockpit, const uint8_t* area, int x, int y) {
  count_ = 0;
  facts_ = nullptr;
  cover_ = false;
  ControlHit hit;
  if (area == nullptr || !cockpit.FindControlAt(x, y, &hit) || hit.facts == nullptr || hit.facts->tables == nullptr) {
    return;
  }
  facts_ = hit.facts;
  area_ = area;
  cover_ = hit.row.kind == RowKind::kCover || hit.row.kind == RowKind::kPlate;
  RowName(*hit.facts->tables, hit.row, row_, sizeof row_);
  VisitRowFields(*hit.facts, hit.layout, hit.unit, hit.row, Remember, this);
}

void WebOperationLog::Stamp(char* out, std::size_t size) {
  const std::time_t t = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&t, &utc);
  std::strftime(out, size, "%Y-%m-%dT%H:%M:%SZ", &utc);
}

int WebOperationLog::RightPress(const char* client, std::FILE* out) {
  if (facts_ == nullptr || !cover_) return 0;
  char stamp[32];
  Stamp(stamp, sizeof stamp);
  std::fprintf(out, "tarnel: remote operation %s client=%s panel=%s control=\"%s\" opened or closed\n", stamp, client,
               facts_->key, row_);
  std::fflush(out);
  return 1;
}

int WebOperationLog::After(const uint8_t* area, const char* client, std::FILE* out) {
  if (facts_ == nullptr || area == nullptr || area != area_) return 0;
  int lines = 0;
  for (int i = 0; i < count_; i++) {
    Entry& e = entries_[i];
    char now[32];
    FormatFieldValue(e.field, area, now, sizeof now);
    if (std::strcmp(now, e.value) == 0) continue;
    std::memcpy(e.value, now, sizeof now);
    char stamp[32];
    Stamp(stamp, sizeof stamp);
    std::fprintf(out, "tarnel: remote operation %s client=%s panel=%s control=\"%s\" %s=%s\n", stamp, client,
                 facts_->key, row_, e.field.name, now);
    lines++;
  }
  if (lines > 0) std::fflush(out);
  return lines;
}

}  // namespace web
