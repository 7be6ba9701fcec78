// The record of remote operations: every change a browser makes to a
// control is written as one line "time client panel control field=value".
// Runs on the station's loop thread, around each browser pointer event.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "panels/CockpitManager.h"
#include "panels/PanelInterface.h"

namespace web {

class WebOperationLog {
 public:
  static constexpr int kMaxFields = 24;

  // Remembers the station-written fields of the control under the picture
  // point (none when no control is there).
  void Before(const CockpitManager& cockpit, const uint8_t* area, int x, int y);
  // Writes a line to out for each remembered field whose value differs now,
  // and remembers the new values. Returns the number of lines written.
  int After(const uint8_t* area, const char* client, std::FILE* out);
  // The right button on a guard or cover plate opens or closes it, which no
  // output field shows: one line for it. Returns the lines written (0 or 1).
  int RightPress(const char* client, std::FILE* out);

 private:
  struct Entry {
    InterfaceField field;
    char value[32];
  };
  static bool Remember(const InterfaceField& field, void* context);

  static void Stamp(char* out, std::size_t size);

  const PanelFacts* facts_ = nullptr;
  bool cover_ = false;
  char row_[64] = {};
  const uint8_t* area_ = nullptr;
  Entry entries_[kMaxFields];
  int count_ = 0;
};

}  // namespace web
