// libtarnel-client: the C API over the station's own segment code
// (simlink/BaseSharedMemory, the version and user-count steps) and the field
// table generated from the panels' declarations.
#include <fcntl.h>
#include <strings.h>
#include <time.h>

#include <cmath>
#include <cstring>
#include <new>

#include "client/ClientFieldTable.h"
#include "client/tarnel_client.h"
#include "common/TextFcns.h"
#include "simlink/BaseSharedMemory.h"
#include "simlink/GenericArea.h"
#include "simlink/GenericSimShm.h"
#include "simlink/SharedField.h"
#include "simlink/SimAreaSupport.h"

struct tarnel_client {
  BaseSharedMemory shm;
  uint8_t* base = nullptr;
  // The station's outputs in its layout and unit, and their values at the last look.
  const tarnel_field_entry** watched = nullptr;
  uint32_t* seen = nullptr;
  size_t watchedCount = 0;

  ~tarnel_client() {
    delete[] watched;
    delete[] seen;
  }
};

namespace {

thread_local char tError[512];

int Fail(int status, const char* format, const char* a = "", const char* b = "") {
  FormatBounded(tError, sizeof tError, format, a, b);
  return status;
}

constexpr uint32_t Width(uint8_t type) {
  return type == TARNEL_U8 ? 1 : type == TARNEL_I16 || type == TARNEL_U16 ? 2 : 4;
}

bool Valid(tarnel_field field) {
  return field != nullptr && field >= kClientFields && field < kClientFields + kClientFieldCount;
}

double Value(uint8_t type, uint32_t bits) {
  switch (type) {
    case TARNEL_I16: return double(int16_t(uint16_t(bits)));
    case TARNEL_I32: return double(int32_t(bits));
    case TARNEL_F32: {
      float f;
      std::memcpy(&f, &bits, sizeof f);
      return double(f);
    }
    default: return double(bits);
  }
}

// The bits of value for the type; false when it does not fit.
bool Bits(uint8_t type, double value, uint32_t* bits) {
  if (!std::isfinite(value)) return false;
  if (type == TARNEL_F32) {
    if (std::fabs(value) > 3.4028234663852886e38) return false;
    const float f = float(value);
    std::memcpy(bits, &f, sizeof *bits);
    return true;
  }
  if (value != std::trunc(value)) return false;
  double low = 0, high = 0;
  switch (type) {
    case TARNEL_U8: high = 255; break;
    case TARNEL_I16: low = -32768; high = 32767; break;
    case TARNEL_U16: high = 65535; break;
    case TARNEL_I32: low = -2147483648.0; high = 2147483647.0; break;
    default: high = 4294967295.0; break;
  }
  if (value < low || value > high) return false;
  *bits = value < 0 ? uint32_t(int64_t(value)) : uint32_t(value);
  return true;
}

uint32_t Load(const tarnel_client* c, const tarnel_field_entry* f) {
  return shared_field::LoadBits(c->base + f->offset, Width(f->type));
}

// "legend role" equals text, case-insensitive, without building the string.
bool NameIs(const tarnel_field_entry& f, const char* text) {
  const size_t legend = std::strlen(f.legend);
  if (legend == 0 || strncasecmp(text, f.legend, legend) != 0 || text[legend] != ' ') return false;
  return strcasecmp(text + legend + 1, f.role) == 0;
}

bool Matches(const tarnel_field_entry& f, const char* key) {
  if (strcasecmp(f.id, key) == 0) return true;
  // "area:legend role"
  const char* colon = std::strchr(key, ':');
  if (colon != nullptr) {
    const size_t area = size_t(colon - key);
    return std::strlen(f.area) == area && strncasecmp(f.area, key, area) == 0 && NameIs(f, colon + 1);
  }
  return NameIs(f, key);
}

void Sleep(long nanoseconds) {
  timespec pause{0, nanoseconds};
  while (nanosleep(&pause, &pause) != 0) {
  }
}

bool Attached(const tarnel_client* c) { return c != nullptr && c->base != nullptr; }

}  // namespace

extern "C" {

const char* tarnel_last_error(void) { return tError; }

const char* tarnel_status_text(int status) {
  switch (status) {
    case TARNEL_OK: return "ok";
    case TARNEL_E_ARGUMENT: return "bad argument";
    case TARNEL_E_ATTACH: return "the shared memory could not be attached";
    case TARNEL_E_VERSION: return "the shared memory has another layout version";
    case TARNEL_E_NOT_FOUND: return "no such field";
    case TARNEL_E_AMBIGUOUS: return "the name fits more than one field";
    case TARNEL_E_STATION_FIELD: return "the station writes this field";
    case TARNEL_E_RANGE: return "the value does not fit the field";
    case TARNEL_E_DETACHED: return "not attached";
    default: return "unknown status";
  }
}

int tarnel_attach(const char* prefix, tarnel_client** out) {
  using namespace simlink_detail;
  tError[0] = '\0';
  if (out == nullptr) return Fail(TARNEL_E_ARGUMENT, "tarnel_attach: no place for the client");
  *out = nullptr;
  auto* c = new (std::nothrow) tarnel_client;
  if (c == nullptr) return Fail(TARNEL_E_ATTACH, "tarnel_attach: out of memory");
  size_t outputs = 0;
  for (size_t i = 0; i < kClientFieldCount; i++) {
    const tarnel_field_entry& f = kClientFields[i];
    outputs += f.writer == TARNEL_STATION && f.stationLayout && f.stationUnit ? 1 : 0;
  }
  c->watched = new (std::nothrow) const tarnel_field_entry*[outputs];
  c->seen = new (std::nothrow) uint32_t[outputs];
  if (c->watched == nullptr || c->seen == nullptr) {
    delete c;
    return Fail(TARNEL_E_ATTACH, "tarnel_attach: out of memory");
  }
  const char* env = std::getenv("TARNEL_SHM_PREFIX");
  if (!c->shm.SetName(GenericSimShm::kName, prefix != nullptr ? prefix : env)) {
    delete c;
    return Fail(TARNEL_E_ARGUMENT, "tarnel_attach: the prefix '%s' makes the segment name too long",
                prefix != nullptr ? prefix : (env != nullptr ? env : ""));
  }
  c->shm.SetSize(GenericSimShm::kSize);
  // The station's own start-up: attach, else create exclusively, else (a
  // lost creation race) attach again.
  switch (AttachOrCreate(c->shm, GenericSimShm::kSize)) {
    case Opened::kAttached:
      c->base = c->shm.GetBase();
      WaitForVersion(c->base);
      if (!VersionMatches(c->base, GenericSimShm::kVersionText)) {
        char found[kVersionBytes + 1] = {};
        std::memcpy(found, c->base, kVersionBytes);
        for (char& ch : found) {
          if (ch != '\0' && (ch < ' ' || ch > '~')) ch = '?';  // the bytes are another program's
        }
        c->shm.Detach();
        delete c;
        return Fail(TARNEL_E_VERSION, "tarnel_attach: the segment's version is '%s', this library's '%s'", found,
                    GenericSimShm::kVersionText);
      }
      AddUser(c->base, GenericSimShm::kUserCountOffset);
      break;
    case Opened::kCreated: {
      c->base = c->shm.GetBase();
      c->shm.ClearSegment(GenericSimShm::kSize);
      // As the station creates it: count, address table, the version last.
      StoreUserCount(c->base, GenericSimShm::kUserCountOffset, 1);
      for (uint32_t i = 0; i < GenericSimShm::kSubAreaCount; i++) {
        if (i == GenericSimShm::kUnfilledSubArea) continue;
        const auto address =
            uint32_t(reinterpret_cast<uintptr_t>(c->base + GenericSimShm::kSubAreaOffsets[i]));
        std::memcpy(c->base + GenericSimShm::kSubAreaTableOffset + 4 * i, &address, sizeof address);
      }
      PublishVersion(c->base, GenericSimShm::kVersionText);
      break;
    }
    case Opened::kFailed:
      ReportOpenFailure(c->shm, "tarnel_attach");
      FormatBounded(tError, sizeof tError, "%s (%s)", c->shm.GetErrorText(), c->shm.GetObjectName());
      delete c;
      return TARNEL_E_ATTACH;
  }
  for (size_t i = 0; i < kClientFieldCount; i++) {
    const tarnel_field_entry& f = kClientFields[i];
    if (f.writer != TARNEL_STATION || !f.stationLayout || !f.stationUnit) continue;
    c->watched[c->watchedCount] = &f;
    c->seen[c->watchedCount] = Load(c, &f);
    c->watchedCount++;
  }
  *out = c;
  return TARNEL_OK;
}

void tarnel_detach(tarnel_client* client) {
  if (client == nullptr) return;
  if (client->base != nullptr) {
    if (simlink_detail::RemoveUser(client->base, GenericSimShm::kUserCountOffset)) client->shm.Unlink();
    client->shm.Detach();
    client->base = nullptr;
  }
  delete client;
}

int tarnel_station_status(tarnel_client* client, uint32_t wait_ms, tarnel_station* out) {
  if (out == nullptr) return Fail(TARNEL_E_ARGUMENT, "tarnel_station_status: no place for the answer");
  *out = tarnel_station{};
  if (!Attached(client)) return Fail(TARNEL_E_DETACHED, "tarnel_station_status: not attached");
  // A running station claims the iteration count for itself alone.
  struct flock probe = {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  probe.l_start = generic_area::kIterationCount;
  probe.l_len = 4;
  out->alive = fcntl(client->shm.Descriptor(), F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK ? 1 : 0;
  const uint8_t* count = client->base + generic_area::kIterationCount;
  const uint32_t first = shared_field::Load<uint32_t>(count);
  out->iterations = first;
  constexpr long kStep = 10L * 1000 * 1000;
  for (uint32_t waited = 0; waited < (wait_ms < 2000 ? wait_ms : 2000); waited += 10) {
    Sleep(kStep);
    out->iterations = shared_field::Load<uint32_t>(count);
    if (out->iterations != first) {
      out->running = 1;
      break;
    }
  }
  return TARNEL_OK;
}

int tarnel_find(const char* key, const char* layout, int32_t unit, tarnel_field* out) {
  if (key == nullptr || out == nullptr) return Fail(TARNEL_E_ARGUMENT, "tarnel_find: no key or no place for the field");
  *out = nullptr;
  if (layout != nullptr && strcasecmp(layout, "A330") != 0 && strcasecmp(layout, "A320") != 0) {
    return Fail(TARNEL_E_ARGUMENT, "tarnel_find: unknown layout '%s' (A330 or A320)", layout);
  }
  const tarnel_field_entry* found = nullptr;
  for (size_t i = 0; i < kClientFieldCount; i++) {
    const tarnel_field_entry& f = kClientFields[i];
    const bool layoutOk =
        f.layout[0] == '\0' || (layout != nullptr ? strcasecmp(f.layout, layout) == 0 : f.stationLayout != 0);
    const bool unitOk = f.unit < 0 || (unit >= 0 ? f.unit == unit : f.stationUnit != 0);
    if (!layoutOk || !unitOk || !Matches(f, key)) continue;
    if (found != nullptr) {
      return Fail(TARNEL_E_AMBIGUOUS, "tarnel_find: '%s' names more than one field (%s, ...): use the id or "
                  "\"panel:legend role\"", key, found->id);
    }
    found = &f;
  }
  if (found == nullptr) {
    return Fail(TARNEL_E_NOT_FOUND, "tarnel_find: no field '%s' in the %s layout (see 'tarnel-shm describe')", key,
                layout != nullptr ? layout : "station's");
  }
  *out = found;
  return TARNEL_OK;
}

size_t tarnel_field_count(void) { return kClientFieldCount; }

tarnel_field tarnel_field_at(size_t index) { return index < kClientFieldCount ? &kClientFields[index] : nullptr; }

int tarnel_field_describe(tarnel_field field, tarnel_field_info* out) {
  if (!Valid(field) || out == nullptr) return Fail(TARNEL_E_ARGUMENT, "tarnel_field_describe: not a field");
  *out = tarnel_field_info{field->id,   field->legend, field->role, field->area,       field->areaId,
                           field->layout, field->unit, field->offset, Width(field->type), field->type,
                           field->writer, field->stationLayout && field->stationUnit ? 1 : 0};
  return TARNEL_OK;
}

int tarnel_get(tarnel_client* client, tarnel_field field, double* value) {
  if (!Valid(field) || value == nullptr) return Fail(TARNEL_E_ARGUMENT, "tarnel_get: not a field");
  if (!Attached(client)) return Fail(TARNEL_E_DETACHED, "tarnel_get: not attached");
  *value = Value(field->type, Load(client, field));
  return TARNEL_OK;
}

int tarnel_set(tarnel_client* client, tarnel_field field, double value) {
  if (!Valid(field)) return Fail(TARNEL_E_ARGUMENT, "tarnel_set: not a field");
  if (!Attached(client)) return Fail(TARNEL_E_DETACHED, "tarnel_set: not attached");
  if (field->writer == TARNEL_STATION) {
    return Fail(TARNEL_E_STATION_FIELD, "tarnel_set: the station writes %s; a simulation only reads it", field->id);
  }
  uint32_t bits = 0;
  if (!Bits(field->type, value, &bits)) {
    char text[40];
    FormatBounded(text, sizeof text, "%g", value);
    return Fail(TARNEL_E_RANGE, "tarnel_set: %s does not fit %s", text, field->id);
  }
  shared_field::StoreBits(client->base + field->offset, Width(field->type), bits);
  return TARNEL_OK;
}

int tarnel_changes(tarnel_client* client, tarnel_change* out, size_t capacity, size_t* count) {
  if (count == nullptr || (out == nullptr && capacity > 0)) {
    return Fail(TARNEL_E_ARGUMENT, "tarnel_changes: no place for the changes");
  }
  *count = 0;
  if (!Attached(client)) return Fail(TARNEL_E_DETACHED, "tarnel_changes: not attached");
  for (size_t i = 0; i < client->watchedCount && *count < capacity; i++) {
    const tarnel_field_entry* f = client->watched[i];
    const uint32_t now = Load(client, f);
    if (now == client->seen[i]) continue;
    out[*count] = tarnel_change{f, Value(f->type, client->seen[i]), Value(f->type, now)};
    client->seen[i] = now;
    (*count)++;
  }
  return TARNEL_OK;
}

}  // extern "C"
