// The interface fields as the client library knows them: a table generated
// at build time from the panels' declarations (ClientTableGen.cpp).
#pragma once

#include <cstddef>
#include <cstdint>

struct tarnel_field_entry {
  const char* id;
  const char* legend;
  const char* role;
  const char* area;
  int32_t areaId;
  const char* layout;  // "A330", "A320", "" where it does not matter
  int32_t unit;        // -1: none
  uint32_t offset;
  uint8_t type;        // enum tarnel_type
  uint8_t writer;      // enum tarnel_writer
  uint8_t stationLayout;  // the layout the station runs this panel with (or none matters)
  uint8_t stationUnit;    // the unit the station runs (or none matters)
};

extern const tarnel_field_entry kClientFields[];
extern const size_t kClientFieldCount;
