#include "tools/InterfaceCommands.h"

#include <signal.h>
#include <strings.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "panels/PanelInterface.h"
#include "tools/InterfaceFields.h"
#include "tools/ToolOutput.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitBadArguments = 2;

int Bad(const char* what, const char* argument) {
  std::fprintf(stderr, "tarnel-shm: %s '%s'\nTry 'tarnel-shm --help'.\n", what, argument);
  return kExitBadArguments;
}

const char* WriterName(FieldWriter writer) { return writer == FieldWriter::kStation ? "station" : "simulation"; }

void PrintUnit(const InterfaceField& f, char* out, size_t size) {
  if (f.unit < 0) {
    std::snprintf(out, size, "-");
  } else {
    std::snprintf(out, size, "%s %d", f.unitName, static_cast<int>(f.unit));
  }
}

// A CSV cell: quoted when it holds a comma or a quote.
void PrintCsvCell(const char* text, bool last) {
  if (std::strpbrk(text, ",\"") != nullptr) {
    std::putchar('"');
    for (const char* p = text; *p != '\0'; p++) {
      if (*p == '"') std::putchar('"');
      std::putchar(*p);
    }
    std::putchar('"');
  } else {
    std::fputs(text, stdout);
  }
  std::putchar(last ? '\n' : ',');
}

void PrintJsonString(const char* key, const char* text) {
  std::printf("\"%s\": \"", key);
  for (const char* p = text; *p != '\0'; p++) {
    if (*p == '"' || *p == '\\') std::putchar('\\');
    std::putchar(*p);
  }
  std::printf("\"");
}

enum class Format { kTable, kCsv, kJson };

struct DescribeContext {
  Format format;
  PanelLayout layout;  // kLayoutNone: every layout
  bool stationOnly = false;
  int printed = 0;
};

bool PrintField(const InterfaceField& f, void* context) {
  auto* c = static_cast<DescribeContext*>(context);
  if (c->layout != kLayoutNone && f.layout[0] != '\0' && std::strcmp(f.layout, LayoutName(c->layout)) != 0) {
    return true;
  }
  const bool station = StationUses(f);
  if (c->stationOnly && !station) return true;
  char unit[24];
  PrintUnit(f, unit, sizeof unit);
  // The unit or seat the station runs is marked with a star.
  if (f.unit >= 0 && station) std::strncat(unit, "*", sizeof unit - std::strlen(unit) - 1);
  const char* layout = f.layout[0] != '\0' ? f.layout : "-";
  const char* legend = f.legend[0] != '\0' ? f.legend : "-";
  switch (c->format) {
    case Format::kTable:
      std::printf("%-16s %4d %-6s %-8s 0x%05X %5u  %-4s %-10s %-34s %-20s %-24s %s\n", f.area,
                  static_cast<int>(f.areaId), layout, unit, static_cast<unsigned>(f.offset),
                  static_cast<unsigned>(FieldWidth(f.type)), FieldTypeName(f.type), WriterName(f.writer), f.id,
                  legend, f.role, f.meaning);
      break;
    case Format::kCsv: {
      char offset[16];
      char width[8];
      char areaId[16];
      std::snprintf(offset, sizeof offset, "0x%05X", static_cast<unsigned>(f.offset));
      std::snprintf(width, sizeof width, "%u", static_cast<unsigned>(FieldWidth(f.type)));
      std::snprintf(areaId, sizeof areaId, "%d", static_cast<int>(f.areaId));
      const char* cells[] = {f.area,  layout, unit,     offset, width,  FieldTypeName(f.type), WriterName(f.writer),
                             f.name,  f.meaning, f.id, f.legend, f.role, areaId, station ? "yes" : "no"};
      constexpr size_t kCells = sizeof cells / sizeof cells[0];
      for (size_t i = 0; i < kCells; i++) PrintCsvCell(cells[i], i + 1 == kCells);
      break;
    }
    case Format::kJson:
      std::printf("%s\n  {", c->printed == 0 ? "" : ",");
      PrintJsonString("area", f.area);
      std::printf(", ");
      PrintJsonString("layout", f.layout);
      if (f.unit >= 0) {
        std::printf(", ");
        PrintJsonString("unitName", f.unitName);
        std::printf(", \"unit\": %d", static_cast<int>(f.unit));
      }
      std::printf(", \"offset\": %u, \"width\": %u, ", static_cast<unsigned>(f.offset),
                  static_cast<unsigned>(FieldWidth(f.type)));
      PrintJsonString("type", FieldTypeName(f.type));
      std::printf(", ");
      PrintJsonString("writer", WriterName(f.writer));
      std::printf(", ");
      PrintJsonString("name", f.name);
      std::printf(", ");
      PrintJsonString("meaning", f.meaning);
      std::printf(", ");
      PrintJsonString("id", f.id);
      std::printf(", ");
      PrintJsonString("legend", f.legend);
      std::printf(", ");
      PrintJsonString("role", f.role);
      std::printf(", \"areaId\": %d, \"station\": %s}", static_cast<int>(f.areaId), station ? "true" : "false");
      break;
  }
  c->printed++;
  return true;
}

// ------------------------------------------------------------------- watch

constexpr int kMaxWatched = 4096;
constexpr long kPollNanoseconds = 50L * 1000 * 1000;  // 20 polls a second

struct Watched {
  InterfaceField field;
  uint32_t bits;
};

struct WatchOptions {
  const char* area = nullptr;
  bool inputs = false;
  PanelLayout layout = kLayoutA330;
};

struct WatchContext {
  WatchOptions options;
  Watched* list;
  int count = 0;
};

bool ParseWatch(int argc, char** argv, WatchOptions* options) {
  for (int i = 1; i < argc; i++) {
    if (std::strcmp(argv[i], "--inputs") == 0) {
      options->inputs = true;
    } else if (std::strcmp(argv[i], "--a320") == 0) {
      options->layout = kLayoutA320;
    } else if (argv[i][0] != '-' && options->area == nullptr && KnownInterfaceArea(argv[i])) {
      options->area = argv[i];
    } else {
      Bad("watch: unknown argument or area", argv[i]);
      if (argv[i][0] != '-') ListInterfaceAreas();
      return false;
    }
  }
  return true;
}

double Seconds(const timespec& start) {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return double(now.tv_sec - start.tv_sec) + double(now.tv_nsec - start.tv_nsec) / 1e9;
}

}  // namespace

int DescribeCommand(int argc, char** argv) {
  DescribeContext context{Format::kTable, kLayoutNone};
  const char* area = nullptr;
  for (int i = 1; i < argc; i++) {
    if (std::strcmp(argv[i], "--json") == 0) {
      context.format = Format::kJson;
    } else if (std::strcmp(argv[i], "--csv") == 0) {
      context.format = Format::kCsv;
    } else if (std::strcmp(argv[i], "--station") == 0) {
      context.stationOnly = true;
    } else if (std::strcmp(argv[i], "--layout") == 0 && i + 1 < argc) {
      i++;
      if (strcasecmp(argv[i], "A330") == 0) {
        context.layout = kLayoutA330;
      } else if (strcasecmp(argv[i], "A320") == 0) {
        context.layout = kLayoutA320;
      } else {
        return Bad("describe: unknown layout (A330 or A320)", argv[i]);
      }
    } else if (argv[i][0] != '-' && area == nullptr) {
      if (!KnownInterfaceArea(argv[i])) {
        Bad("describe: unknown area", argv[i]);
        ListInterfaceAreas();
        return kExitBadArguments;
      }
      area = argv[i];
    } else {
      return Bad("describe: unknown argument", argv[i]);
    }
  }
  if (context.format == Format::kTable) {
    std::printf("%-16s %4s %-6s %-8s %-7s %5s  %-4s %-10s %-34s %-20s %-24s %s\n", "AREA", "ID", "LAYOUT", "UNIT",
                "OFFSET", "WIDTH", "TYPE", "WRITER", "FIELD ID", "LEGEND", "ROLE", "MEANING");
  } else if (context.format == Format::kCsv) {
    std::printf("area,layout,unit,offset,width,type,writer,name,meaning,id,legend,role,area_id,station\n");
  } else {
    std::printf("[");
  }
  VisitInterface(area, PrintField, &context);
  if (context.format == Format::kJson) std::printf("\n]\n");
  std::fflush(stdout);
  return kExitOk;
}

int ParseWatchArguments(int argc, char** argv) {
  WatchOptions options;
  return ParseWatch(argc, argv, &options) ? kExitOk : kExitBadArguments;
}

int WatchCommand(int argc, char** argv, const uint8_t* base, const void* signals) {
  static Watched list[kMaxWatched];
  WatchContext context;
  context.list = list;
  if (!ParseWatch(argc, argv, &context.options)) return kExitBadArguments;
  static InterfaceField fields[kMaxWatched];
  FieldSelection selection;
  selection.area = context.options.area;
  selection.layout = context.options.layout;
  selection.inputs = context.options.inputs;
  context.count = CollectStationFields(selection, fields, kMaxWatched);
  for (int i = 0; i < context.count; i++) {
    list[i].field = fields[i];
    list[i].bits = LoadFieldBits(base, fields[i]);
  }
  // Printed through a stream whose waits for the reader an interrupt ends.
  std::FILE* const terminal = stdout;
  stdout = InterruptibleStandardOutput(signals);
  std::printf("watching %d fields (%s layout%s); interrupt to stop\n", context.count,
              LayoutName(context.options.layout), context.options.inputs ? ", with inputs" : "");

  timespec start;
  clock_gettime(CLOCK_MONOTONIC, &start);
  const timespec poll{0, kPollNanoseconds};
  // The terminating signals are blocked while the tool is a user of the
  // segment; waiting for them is the pause between polls.
  // A reader that went away (EPIPE: `watch | head`) ends the watch too.
  while (std::fflush(stdout) == 0 && !std::ferror(stdout) && !StandardOutputReaderGone() &&
         sigtimedwait(static_cast<const sigset_t*>(signals), nullptr, &poll) < 0) {
    for (int i = 0; i < context.count; i++) {
      const uint32_t bits = LoadFieldBits(base, list[i].field);
      if (bits == list[i].bits) continue;
      const InterfaceField& f = list[i].field;
      std::printf("%9.3f %s (%s%s%s) @0x%05X %s: ", Seconds(start), f.id, f.legend, f.legend[0] != '\0' ? " " : "",
                  f.role, static_cast<unsigned>(f.offset), FieldTypeName(f.type));
      PrintFieldValue(f.type, list[i].bits);
      std::printf(" -> ");
      PrintFieldValue(f.type, bits);
      std::printf("\n");
      list[i].bits = bits;
    }
  }
  EndInterruptibleOutput();
  stdout = terminal;
  return kExitOk;
}

// ------------------------------------------------------------------- noise

namespace {

struct NoiseOptions {
  const char* area = nullptr;
  long rate = 100;
  long seconds = 0;  // 0: until interrupted
  unsigned long seed = 1;
};

bool ParseNumber(const char* text, long low, long high, long* out) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < low || value > high) return false;
  *out = value;
  return true;
}

bool ParseNoise(int argc, char** argv, NoiseOptions* options) {
  for (int i = 1; i < argc; i++) {
    long value = 0;
    if (std::strcmp(argv[i], "--rate") == 0 && i + 1 < argc && ParseNumber(argv[i + 1], 1, 1000, &value)) {
      options->rate = value;
      i++;
    } else if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc &&
               ParseNumber(argv[i + 1], 1, 86400, &value)) {
      options->seconds = value;
      i++;
    } else if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc &&
               ParseNumber(argv[i + 1], 0, 2147483647, &value)) {
      options->seed = static_cast<unsigned long>(value);
      i++;
    } else if (argv[i][0] != '-' && options->area == nullptr && KnownInterfaceArea(argv[i])) {
      options->area = argv[i];
    } else {
      Bad("noise: unknown or bad argument", argv[i]);
      return false;
    }
  }
  return true;
}

}  // namespace

int ParseNoiseArguments(int argc, char** argv) {
  NoiseOptions options;
  return ParseNoise(argc, argv, &options) ? kExitOk : kExitBadArguments;
}

int NoiseCommand(int argc, char** argv, uint8_t* base, const void* signals) {
  static InterfaceField list[kMaxWatched];
  NoiseOptions options;
  if (!ParseNoise(argc, argv, &options)) return kExitBadArguments;
  FieldSelection selection;
  selection.area = options.area;
  selection.outputs = false;
  const int count = CollectStationFields(selection, list, kMaxWatched);
  uint64_t state = options.seed * 6364136223846793005ULL + 1442695040888963407ULL;
  const auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<uint32_t>(state >> 16);
  };
  std::printf("noise over %d fields, %ld times a second\n", count, options.rate);
  std::fflush(stdout);
  timespec start;
  clock_gettime(CLOCK_MONOTONIC, &start);
  const timespec pause{0, 1000000000L / options.rate};
  long rounds = 0;
  while (options.seconds == 0 || Seconds(start) < double(options.seconds)) {
    for (int i = 0; i < count; i++) StoreFieldBits(base, list[i], next());
    rounds++;
    if (sigtimedwait(static_cast<const sigset_t*>(signals), nullptr, &pause) >= 0) break;
  }
  std::printf("noise: %ld rounds\n", rounds);
  return kExitOk;
}
