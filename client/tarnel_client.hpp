// C++ view of libtarnel-client: a client that detaches when it goes, and
// fields found by id or legend. No exceptions: each call answers a status
// (tarnel::Ok(status)), and Error() gives the text of the last failure.
#pragma once

#include "tarnel_client.h"

namespace tarnel {

inline bool Ok(int status) { return status == TARNEL_OK; }
inline const char* Error() { return tarnel_last_error(); }

class Field {
 public:
  Field() = default;
  explicit Field(tarnel_field handle) : handle_(handle) {}
  // By id or "legend role"; layout null and unit -1: as the station runs.
  int Find(const char* key, const char* layout = nullptr, int32_t unit = -1) {
    return tarnel_find(key, layout, unit, &handle_);
  }
  bool Valid() const { return handle_ != nullptr; }
  tarnel_field Handle() const { return handle_; }
  tarnel_field_info Info() const {
    tarnel_field_info info{};
    tarnel_field_describe(handle_, &info);
    return info;
  }

 private:
  tarnel_field handle_ = nullptr;
};

class Client {
 public:
  Client() = default;
  ~Client() { Detach(); }
  Client(const Client&) = delete;
  Client& operator=(const Client&) = delete;

  // prefix null: $TARNEL_SHM_PREFIX.
  int Attach(const char* prefix = nullptr) {
    Detach();
    return tarnel_attach(prefix, &client_);
  }
  void Detach() {
    tarnel_detach(client_);
    client_ = nullptr;
  }
  bool Attached() const { return client_ != nullptr; }

  int Station(tarnel_station* out, uint32_t waitMs = 200) { return tarnel_station_status(client_, waitMs, out); }
  int Get(Field field, double* value) { return tarnel_get(client_, field.Handle(), value); }
  int Set(Field field, double value) { return tarnel_set(client_, field.Handle(), value); }
  int Changes(tarnel_change* out, size_t capacity, size_t* count) {
    return tarnel_changes(client_, out, capacity, count);
  }

 private:
  tarnel_client* client_ = nullptr;
};

}  // namespace tarnel
