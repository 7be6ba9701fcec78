#include "tools/Recording.h"

#include <signal.h>
#include <time.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/TextFcns.h"
#include "tools/InterfaceFields.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitUnusable = 1;
constexpr int kExitBadArguments = 2;
constexpr int kMaxFields = 4096;
constexpr int kFormatVersion = 1;
constexpr char kFormatName[] = "tarnel-shm";
// Longer lines are refused: the recorder writes none this long.
constexpr int kMaxLine = 1024;
constexpr double kMaxTime = 1e7;  // seconds

InterfaceField gFields[kMaxFields];
uint32_t gBits[kMaxFields];

int Bad(const char* command, const char* what, const char* argument) {
  std::fprintf(stderr, "tarnel-shm: %s: %s '%s'\nTry 'tarnel-shm --help'.\n", command, what, argument);
  return kExitBadArguments;
}

bool ParseCount(const char* text, long low, long high, long* out) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || value < low || value > high) return false;
  *out = value;
  return true;
}

double Since(const timespec& start) {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return double(now.tv_sec - start.tv_sec) + double(now.tv_nsec - start.tv_nsec) / 1e9;
}

// Waits for `seconds` unless a blocked signal arrives first (then false).
bool Pause(double seconds, const void* signals) {
  if (seconds <= 0) return true;
  timespec wait;
  wait.tv_sec = static_cast<time_t>(seconds);
  wait.tv_nsec = static_cast<long>((seconds - double(wait.tv_sec)) * 1e9);
  return sigtimedwait(static_cast<const sigset_t*>(signals), nullptr, &wait) < 0;
}

void WriteJsonString(std::FILE* out, const char* text) {
  std::fputc('"', out);
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != '\0'; p++) {
    if (*p == '"' || *p == '\\') {
      std::fputc('\\', out);
      std::fputc(*p, out);
    } else if (*p < 0x20) {
      std::fprintf(out, "\\u%04x", *p);
    } else {
      std::fputc(*p, out);
    }
  }
  std::fputc('"', out);
}

void WriteValue(std::FILE* out, FieldType type, uint32_t bits) {
  switch (type) {
    case FieldType::kI16:
      std::fprintf(out, "%d", static_cast<int>(static_cast<int16_t>(bits)));
      break;
    case FieldType::kI32:
      std::fprintf(out, "%ld", static_cast<long>(static_cast<int32_t>(bits)));
      break;
    case FieldType::kF32: {
      float v;
      std::memcpy(&v, &bits, sizeof v);
      if (std::isfinite(v)) {
        std::fprintf(out, "%.9g", static_cast<double>(v));
      } else {
        std::fputs("null", out);
      }
      std::fprintf(out, ",\"bits\":%lu", static_cast<unsigned long>(bits));
      break;
    }
    default:
      std::fprintf(out, "%lu", static_cast<unsigned long>(bits));
      break;
  }
}

void WriteChange(std::FILE* out, double t, const InterfaceField& f, uint32_t bits) {
  std::fprintf(out, "{\"t\":%.3f,\"area\":", t);
  WriteJsonString(out, f.area);
  std::fputs(",\"field\":", out);
  WriteJsonString(out, f.name);
  std::fprintf(out, ",\"offset\":%lu,\"type\":\"%s\",\"writer\":\"%s\",\"value\":", static_cast<unsigned long>(f.offset),
               FieldTypeName(f.type), f.writer == FieldWriter::kStation ? "station" : "simulation");
  WriteValue(out, f.type, bits);
  std::fputs("}\n", out);
}

struct RecordOptions {
  const char* file = nullptr;
  FieldSelection selection;
  long seconds = 0;  // 0: until interrupted
  long rate = 100;
  bool withCount = false;
};

bool ParseRecord(int argc, char** argv, RecordOptions* options) {
  for (int i = 1; i < argc; i++) {
    long value = 0;
    if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc && ParseCount(argv[i + 1], 1, 604800, &value)) {
      options->seconds = value;
      i++;
    } else if (std::strcmp(argv[i], "--rate") == 0 && i + 1 < argc && ParseCount(argv[i + 1], 1, 1000, &value)) {
      options->rate = value;
      i++;
    } else if (std::strcmp(argv[i], "--a320") == 0) {
      options->selection.layout = kLayoutA320;
    } else if (std::strcmp(argv[i], "--with-count") == 0) {
      options->withCount = true;
    } else if (options->file == nullptr && (argv[i][0] != '-' || std::strcmp(argv[i], "-") == 0)) {
      options->file = argv[i];
    } else if (argv[i][0] != '-' && options->selection.area == nullptr && KnownInterfaceArea(argv[i])) {
      options->selection.area = argv[i];
    } else {
      Bad("record", "unknown or bad argument", argv[i]);
      if (argv[i][0] != '-') ListInterfaceAreas();
      return false;
    }
  }
  if (options->file == nullptr) {
    std::fprintf(stderr, "tarnel-shm: record: name the file to write (- for standard output)\n");
    return false;
  }
  return true;
}

// ------------------------------------------------------------------- replay

// One line of a recording, as far as replay needs it.
struct Line {
  bool header = false;
  bool end = false;
  double t = 0;
  bool hasT = false;
  long offset = -1;
  char type[8] = {};
  char writer[16] = {};
  char format[32] = {};
  char layout[8] = {};
  long version = -1;
  bool hasValue = false;
  bool valueNull = false;
  double value = 0;
  bool hasBits = false;
  double bits = 0;
};

// A reader of the flat JSON objects the recorder writes: string, number,
// true, false and null values; unknown keys are skipped.
class LineParser {
 public:
  explicit LineParser(const char* text) : p_(text) {}

  bool Parse(Line* line, char* error, size_t errorSize) {
    Space();
    if (*p_ != '{') return Fail("a line must be one JSON object", error, errorSize);
    p_++;
    Space();
    if (*p_ == '}') return Fail("empty object", error, errorSize);
    for (;;) {
      char key[32];
      if (!String(key, sizeof key)) return Fail("bad key", error, errorSize);
      Space();
      if (*p_++ != ':') return Fail("':' expected", error, errorSize);
      Space();
      if (!Value(key, line)) return Fail("bad value", error, errorSize);
      Space();
      if (*p_ == ',') {
        p_++;
        Space();
        continue;
      }
      if (*p_ == '}') break;
      return Fail("',' or '}' expected", error, errorSize);
    }
    p_++;
    Space();
    if (*p_ != '\0') return Fail("text after the object", error, errorSize);
    return true;
  }

 private:
  static bool Fail(const char* what, char* error, size_t errorSize) {
    CopyBounded(error, what, errorSize);
    return false;
  }
  void Space() {
    while (*p_ == ' ' || *p_ == '\t' || *p_ == '\r' || *p_ == '\n') p_++;
  }
  // A string into out (cut to its size; escapes kept as their letter).
  bool String(char* out, size_t size) {
    if (*p_ != '"') return false;
    p_++;
    size_t used = 0;
    while (*p_ != '"') {
      if (*p_ == '\0' || static_cast<unsigned char>(*p_) < 0x20) return false;
      char c = *p_++;
      if (c == '\\') {
        c = *p_++;
        if (c == 'u') {
          for (int i = 0; i < 4; i++) {
            if (std::strchr("0123456789abcdefABCDEF", *p_) == nullptr || *p_ == '\0') return false;
            p_++;
          }
          c = '?';
        } else if (std::strchr("\"\\/bfnrt", c) == nullptr || c == '\0') {
          return false;
        }
      }
      if (out != nullptr && used + 1 < size) out[used++] = c;
    }
    p_++;
    if (out != nullptr && size > 0) out[used] = '\0';
    return true;
  }
  bool Number(double* out) {
    const char* start = p_;
    if (*p_ == '-') p_++;
    if (*p_ < '0' || *p_ > '9') return false;
    while ((*p_ >= '0' && *p_ <= '9') || *p_ == '.' || *p_ == 'e' || *p_ == 'E' || *p_ == '+' || *p_ == '-') p_++;
    char text[64];
    const size_t length = size_t(p_ - start);
    if (length >= sizeof text) return false;
    std::memcpy(text, start, length);
    text[length] = '\0';
    char* end = nullptr;
    *out = std::strtod(text, &end);
    return *end == '\0' && std::isfinite(*out);
  }
  bool Word(const char* word) {
    const size_t n = std::strlen(word);
    if (std::strncmp(p_, word, n) != 0) return false;
    p_ += n;
    return true;
  }
  bool Value(const char* key, Line* line) {
    if (*p_ == '"') {
      char text[32];
      if (!String(text, sizeof text)) return false;
      if (std::strcmp(key, "type") == 0) CopyBounded(line->type, text, sizeof line->type);
      if (std::strcmp(key, "writer") == 0) CopyBounded(line->writer, text, sizeof line->writer);
      if (std::strcmp(key, "layout") == 0) CopyBounded(line->layout, text, sizeof line->layout);
      if (std::strcmp(key, "recording") == 0) {
        CopyBounded(line->format, text, sizeof line->format);
        line->header = true;
      }
      return true;
    }
    if (Word("true")) {
      if (std::strcmp(key, "end") == 0) line->end = true;
      return true;
    }
    if (Word("false")) return true;
    if (Word("null")) {
      if (std::strcmp(key, "value") == 0) line->hasValue = line->valueNull = true;
      return true;
    }
    double number = 0;
    if (!Number(&number)) return false;
    if (std::strcmp(key, "t") == 0) {
      line->t = number;
      line->hasT = true;
    } else if (std::strcmp(key, "offset") == 0) {
      line->offset = number >= 0 && number < 1e9 && number == std::floor(number) ? long(number) : -2;
    } else if (std::strcmp(key, "version") == 0) {
      line->version = number >= 0 && number < 1e9 && number == std::floor(number) ? long(number) : -2;
    } else if (std::strcmp(key, "value") == 0) {
      line->value = number;
      line->hasValue = true;
    } else if (std::strcmp(key, "bits") == 0) {
      line->bits = number;
      line->hasBits = true;
    }
    return true;
  }

  const char* p_;
};

// The field a change line names, among the fields of the recording's layout.
const InterfaceField* FindField(int count, long offset, const char* type) {
  for (int i = 0; i < count; i++) {
    if (long(gFields[i].offset) == offset && std::strcmp(FieldTypeName(gFields[i].type), type) == 0) {
      return &gFields[i];
    }
  }
  return nullptr;
}

// The value of a change line as the field's bits; false when it does not fit.
bool LineBits(const Line& line, FieldType type, uint32_t* bits) {
  if (line.hasBits) {
    if (line.bits < 0 || line.bits > 4294967295.0 || line.bits != std::floor(line.bits)) return false;
    *bits = static_cast<uint32_t>(line.bits);
    return type == FieldType::kF32 || FieldWidth(type) == 4 || *bits < (1u << (8 * FieldWidth(type)));
  }
  if (!line.hasValue || line.valueNull) return false;
  const double v = line.value;
  if (type == FieldType::kF32) {
    if (std::fabs(v) > 3.4028234663852886e38) return false;
    const float f = static_cast<float>(v);
    std::memcpy(bits, &f, sizeof f);
    return true;
  }
  if (v != std::floor(v)) return false;
  double low = 0;
  double high = 0;
  switch (type) {
    case FieldType::kU8:
      high = 255;
      break;
    case FieldType::kI16:
      low = -32768;
      high = 32767;
      break;
    case FieldType::kU16:
      high = 65535;
      break;
    case FieldType::kI32:
      low = -2147483648.0;
      high = 2147483647.0;
      break;
    default:
      high = 4294967295.0;
      break;
  }
  if (v < low || v > high) return false;
  *bits = v < 0 ? static_cast<uint32_t>(static_cast<int32_t>(v)) : static_cast<uint32_t>(v);
  return true;
}

struct ReplayOptions {
  const char* file = nullptr;
  bool outputs = false;
};

bool ParseReplay(int argc, char** argv, ReplayOptions* options) {
  for (int i = 1; i < argc; i++) {
    if (std::strcmp(argv[i], "--outputs") == 0) {
      options->outputs = true;
    } else if (options->file == nullptr && argv[i][0] != '-') {
      options->file = argv[i];
    } else {
      Bad("replay", "unknown argument", argv[i]);
      return false;
    }
  }
  if (options->file == nullptr) {
    std::fprintf(stderr, "tarnel-shm: replay: name the recording to replay\n");
    return false;
  }
  return true;
}

// Reads the recording line by line; checks every line and, with `base`,
// writes each change at its time. Returns an exit status.
int Walk(const ReplayOptions& options, uint8_t* base, const void* signals) {
  std::FILE* in = std::fopen(options.file, "r");
  if (in == nullptr) {
    std::fprintf(stderr, "tarnel-shm: replay: cannot open %s: %s\n", options.file, std::strerror(errno));
    return kExitUnusable;
  }
  char text[kMaxLine + 2];
  char error[96] = {};
  int lineNumber = 0;
  int count = 0;
  int written = 0;
  double last = 0;
  bool ended = false;
  timespec start;
  clock_gettime(CLOCK_MONOTONIC, &start);
  int status = kExitOk;
  while (status == kExitOk && std::fgets(text, sizeof text, in) != nullptr) {
    lineNumber++;
    const size_t length = std::strlen(text);
    if (length > kMaxLine || (length == sizeof text - 1 && text[length - 1] != '\n')) {
      CopyBounded(error, "line too long", sizeof error);
      status = kExitUnusable;
      break;
    }
    if (length <= 1 && (length == 0 || text[0] == '\n')) continue;
    Line line;
    if (!LineParser(text).Parse(&line, error, sizeof error)) {
      status = kExitUnusable;
      break;
    }
    if (lineNumber == 1) {
      // The header chooses the layout whose fields the lines may name.
      FieldSelection selection;
      if (!line.header || std::strcmp(line.format, kFormatName) != 0) {
        CopyBounded(error, "not a tarnel-shm recording (no header)", sizeof error);
      } else if (line.version != kFormatVersion) {
        FormatBounded(error, sizeof error, "recording format version %ld; this tool reads %d", line.version,
                      kFormatVersion);
      } else if (std::strcmp(line.layout, "A330") != 0 && std::strcmp(line.layout, "A320") != 0) {
        CopyBounded(error, "unknown layout", sizeof error);
      } else {
        selection.layout = std::strcmp(line.layout, "A320") == 0 ? kLayoutA320 : kLayoutA330;
        count = CollectStationFields(selection, gFields, kMaxFields);
        continue;
      }
      status = kExitUnusable;
      break;
    }
    if (ended) {
      CopyBounded(error, "a line after the end line", sizeof error);
      status = kExitUnusable;
      break;
    }
    if (!line.hasT || line.t < last || line.t > kMaxTime) {
      CopyBounded(error, "missing time, or earlier than the line before", sizeof error);
      status = kExitUnusable;
      break;
    }
    last = line.t;
    if (line.end) {
      ended = true;
      if (base != nullptr && !Pause(line.t - Since(start), signals)) break;
      continue;
    }
    const InterfaceField* field = FindField(count, line.offset, line.type);
    uint32_t bits = 0;
    if (field == nullptr) {
      FormatBounded(error, sizeof error, "no %s field at offset %ld in this station's interface", line.type,
                    line.offset);
    } else if (std::strcmp(line.writer, field->writer == FieldWriter::kStation ? "station" : "simulation") != 0) {
      CopyBounded(error, "the writer does not match the field's", sizeof error);
    } else if (!LineBits(line, field->type, &bits)) {
      CopyBounded(error, "the value does not fit the field", sizeof error);
    } else {
      if (base != nullptr && (field->writer == FieldWriter::kSimulation || options.outputs)) {
        if (!Pause(line.t - Since(start), signals)) break;
        StoreFieldBits(base, *field, bits);
        written++;
      }
      continue;
    }
    status = kExitUnusable;
  }
  if (status == kExitOk && lineNumber == 0) {
    CopyBounded(error, "empty file", sizeof error);
    status = kExitUnusable;
  }
  if (status == kExitOk && std::ferror(in)) {
    CopyBounded(error, "read error", sizeof error);
    status = kExitUnusable;
  }
  std::fclose(in);
  if (status != kExitOk) {
    std::fprintf(stderr, "tarnel-shm: replay: %s line %d: %s\n", options.file, lineNumber, error);
  } else if (base != nullptr) {
    std::printf("replay: %d values written over %.3f s\n", written, last);
  }
  return status;
}

}  // namespace

int ParseRecordArguments(int argc, char** argv) {
  RecordOptions options;
  return ParseRecord(argc, argv, &options) ? kExitOk : kExitBadArguments;
}

int RecordCommand(int argc, char** argv, const uint8_t* base, const void* signals) {
  RecordOptions options;
  if (!ParseRecord(argc, argv, &options)) return kExitBadArguments;
  const bool toStdout = std::strcmp(options.file, "-") == 0;
  std::FILE* out = toStdout ? stdout : std::fopen(options.file, "w");
  if (out == nullptr) {
    std::fprintf(stderr, "tarnel-shm: record: cannot write %s: %s\n", options.file, std::strerror(errno));
    return kExitUnusable;
  }
  int count = CollectStationFields(options.selection, gFields, kMaxFields);
  // The iteration count changes on every iteration; left out unless asked for.
  if (!options.withCount) {
    int kept = 0;
    for (int i = 0; i < count; i++) {
      if (gFields[i].offset != generic_area::kIterationCount) gFields[kept++] = gFields[i];
    }
    count = kept;
  }
  std::fprintf(out, "{\"recording\":\"%s\",\"version\":%d,\"layout\":\"%s\",\"area\":", kFormatName, kFormatVersion,
               LayoutName(options.selection.layout));
  WriteJsonString(out, options.selection.area != nullptr ? options.selection.area : "all");
  std::fprintf(out, ",\"fields\":%d}\n", count);
  for (int i = 0; i < count; i++) {
    gBits[i] = LoadFieldBits(base, gFields[i]);
    WriteChange(out, 0.0, gFields[i], gBits[i]);
  }
  if (!toStdout) std::fprintf(stderr, "recording %d fields into %s; interrupt to stop\n", count, options.file);
  timespec start;
  clock_gettime(CLOCK_MONOTONIC, &start);
  long changes = 0;
  long polls = 0;
  double t = 0;
  for (;;) {
    std::fflush(out);
    // Polls at fixed times from the start, so the pace does not drift.
    const double next = double(polls + 1) / double(options.rate);
    if (options.seconds > 0 && next > double(options.seconds)) {
      Pause(double(options.seconds) - Since(start), signals);
      t = double(options.seconds);
      break;
    }
    if (!Pause(next - Since(start), signals)) {
      t = Since(start);
      break;
    }
    polls++;
    t = Since(start);
    for (int i = 0; i < count; i++) {
      const uint32_t bits = LoadFieldBits(base, gFields[i]);
      if (bits == gBits[i]) continue;
      gBits[i] = bits;
      WriteChange(out, t, gFields[i], bits);
      changes++;
    }
  }
  std::fprintf(out, "{\"t\":%.3f,\"end\":true,\"changes\":%ld}\n", t, changes);
  const bool failed = std::ferror(out) != 0;
  if (!toStdout && std::fclose(out) != 0) {
    std::fprintf(stderr, "tarnel-shm: record: writing %s failed\n", options.file);
    return kExitUnusable;
  }
  if (failed) return kExitUnusable;
  if (!toStdout) std::fprintf(stderr, "recorded %ld changes over %.3f s\n", changes, t);
  return kExitOk;
}

int CheckReplay(int argc, char** argv) {
  ReplayOptions options;
  if (!ParseReplay(argc, argv, &options)) return kExitBadArguments;
  return Walk(options, nullptr, nullptr);
}

bool ReplayWritesOutputs(int argc, char** argv) {
  ReplayOptions options;
  return ParseReplay(argc, argv, &options) && options.outputs;
}

int ReplayCommand(int argc, char** argv, uint8_t* base, const void* signals) {
  ReplayOptions options;
  if (!ParseReplay(argc, argv, &options)) return kExitBadArguments;
  return Walk(options, base, signals);
}
