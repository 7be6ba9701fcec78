// Writes the client library's field table (a C++ source) from the panels'
// declarations: tarnel-client-table OUTPUT.
#include <cstdio>
#include <cstring>

#include "client/tarnel_client.h"
#include "panels/PanelCatalogue.h"
#include "panels/PanelInterface.h"

static_assert(int(FieldType::kU8) == TARNEL_U8 && int(FieldType::kI16) == TARNEL_I16 &&
              int(FieldType::kU16) == TARNEL_U16 && int(FieldType::kI32) == TARNEL_I32 &&
              int(FieldType::kU32) == TARNEL_U32 && int(FieldType::kF32) == TARNEL_F32);

namespace {

void String(FILE* out, const char* text) {
  std::fputc('"', out);
  for (const char* p = text; *p != '\0'; p++) {
    if (*p == '"' || *p == '\\') std::fputc('\\', out);
    std::fputc(*p, out);
  }
  std::fputs("\", ", out);
}

bool Write(const InterfaceField& f, void* context) {
  FILE* out = static_cast<FILE*>(context);
  const PanelFacts* facts = f.areaId != 0 ? FindPanelFacts(f.areaId) : nullptr;
  const bool layout = facts == nullptr || f.layout[0] == '\0' ||
                      std::strcmp(f.layout, LayoutName(RunningLayout(*facts))) == 0;
  const bool unit = facts == nullptr || f.unit < 0 || f.unit == RunningUnit(*facts);
  std::fputs("    {", out);
  String(out, f.id);
  String(out, f.legend);
  String(out, f.role);
  String(out, f.area);
  std::fprintf(out, "%d, ", int(f.areaId));
  String(out, f.layout);
  std::fprintf(out, "%d, 0x%05X, %d, %d, %d, %d},\n", int(f.unit), unsigned(f.offset), int(f.type),
               f.writer == FieldWriter::kStation ? TARNEL_STATION : TARNEL_SIMULATION, layout ? 1 : 0, unit ? 1 : 0);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tarnel-client-table OUTPUT\n");
    return 2;
  }
  FILE* out = std::fopen(argv[1], "w");
  if (out == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  std::fputs("// Generated from the panels' declarations by tarnel-client-table. Do not edit.\n"
             "#include \"client/ClientFieldTable.h\"\n\n"
             "const tarnel_field_entry kClientFields[] = {\n",
             out);
  const int count = VisitInterface(nullptr, Write, out);
  std::fprintf(out, "};\nconst size_t kClientFieldCount = %d;\n", count);
  const bool ok = std::fclose(out) == 0 && count > 0;
  if (!ok) std::fprintf(stderr, "tarnel-client-table: cannot write %s\n", argv[1]);
  return ok ? 0 : 1;
}
