#include "tools/Recording.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/TextFcns.h"
#include "tools/InterfaceFields.h"
#include "tools/ToolOutput.h"

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
// A recording replayed from standard input is read whole before anything is
// attached, into this much memory at most.
constexpr size_t kMaxStandardInput = 16u << 20;

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

// The recording file, new or an existing regular file, and never on the
// file system that holds the shared-memory segments: truncating a segment
// would pull the memory from under every program that maps it.
std::FILE* CreateRecording(const char* path, char* error, size_t errorSize) {
  constexpr int kFlags = O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC;
  bool created = true;
  int fd = ::open(path, kFlags | O_CREAT | O_EXCL, 0644);
  if (fd < 0 && errno == EEXIST) {
    created = false;
    fd = ::open(path, kFlags);
  }
  if (fd < 0) {
    CopyBounded(error, errno == ENXIO ? "not a regular file" : std::strerror(errno), errorSize);
    return nullptr;
  }
  struct stat st;
  struct stat segments;
  const char* refusal = nullptr;
  if (::fstat(fd, &st) != 0) {
    refusal = std::strerror(errno);
  } else if (!S_ISREG(st.st_mode)) {
    refusal = "not a regular file";
  } else if (::stat("/dev/shm", &segments) == 0 && st.st_dev == segments.st_dev) {
    refusal = "the file is under /dev/shm, beside the shared-memory segments; record elsewhere";
  } else if (::ftruncate(fd, 0) != 0 || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    refusal = std::strerror(errno);
  }
  std::FILE* out = refusal == nullptr ? ::fdopen(fd, "w") : nullptr;
  if (out == nullptr) {
    CopyBounded(error, refusal != nullptr ? refusal : std::strerror(errno), errorSize);
    if (created) ::unlink(path);
    ::close(fd);
  }
  return out;
}

// ------------------------------------------------------------------- replay

// One line of a recording, as far as replay needs it.
struct Line {
  bool header = false;
  bool end = false;
  double t = 0;
  bool hasT = false;
  bool hasOffset = false;
  double offset = 0;
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
      line->offset = number;
      line->hasOffset = true;
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
const InterfaceField* FindField(int count, double offset, const char* type) {
  for (int i = 0; i < count; i++) {
    if (double(gFields[i].offset) == offset && std::strcmp(FieldTypeName(gFields[i].type), type) == 0) {
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
  const char* file = nullptr;  // "-": standard input
  bool outputs = false;
};

bool ParseReplay(int argc, char** argv, ReplayOptions* options) {
  for (int i = 1; i < argc; i++) {
    if (std::strcmp(argv[i], "--outputs") == 0) {
      options->outputs = true;
    } else if (options->file == nullptr && (argv[i][0] != '-' || std::strcmp(argv[i], "-") == 0)) {
      options->file = argv[i];
    } else {
      Bad("replay", "unknown argument", argv[i]);
      return false;
    }
  }
  if (options->file == nullptr) {
    std::fprintf(stderr, "tarnel-shm: replay: name the recording to replay (- for standard input)\n");
    return false;
  }
  return true;
}

// The recording, opened once by the check before anything is attached and
// read again from its start by the replay. Only a regular file, or standard
// input read whole into memory: nothing the replay reads can block it.
std::FILE* gRecording = nullptr;
char gStandardInput[kMaxStandardInput];

std::FILE* OpenRecording(const char* path, char* error, size_t errorSize) {
  if (std::strcmp(path, "-") == 0) {
    size_t used = 0;
    for (;;) {
      const ssize_t n = ::read(STDIN_FILENO, gStandardInput + used, sizeof gStandardInput - used);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        FormatBounded(error, errorSize, "cannot read standard input: %s", std::strerror(errno));
        return nullptr;
      }
      if (n == 0) break;
      used += size_t(n);
      if (used == sizeof gStandardInput) {
        char more;
        if (::read(STDIN_FILENO, &more, 1) != 0) {
          FormatBounded(error, errorSize, "standard input holds more than %zu MiB; replay it from a file",
                        kMaxStandardInput >> 20);
          return nullptr;
        }
        break;
      }
    }
    if (used == 0) {
      CopyBounded(error, "empty file", errorSize);
      return nullptr;
    }
    std::FILE* in = ::fmemopen(gStandardInput, used, "r");
    if (in == nullptr) FormatBounded(error, errorSize, "cannot read standard input: %s", std::strerror(errno));
    return in;
  }
  // Not blocking: opening a FIFO waits for a writer otherwise.
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    FormatBounded(error, errorSize, "cannot open: %s", std::strerror(errno));
    return nullptr;
  }
  struct stat st;
  const char* refusal = nullptr;
  if (::fstat(fd, &st) != 0) {
    refusal = "cannot be examined";
  } else if (S_ISDIR(st.st_mode)) {
    refusal = "is a directory, not a recording";
  } else if (!S_ISREG(st.st_mode)) {
    refusal = "is not a regular file (a FIFO, device or socket); name a recording file, or - for standard input";
  }
  std::FILE* in = refusal == nullptr ? ::fdopen(fd, "r") : nullptr;
  if (in == nullptr) {
    CopyBounded(error, refusal != nullptr ? refusal : "cannot be read", errorSize);
    ::close(fd);
  }
  return in;
}

enum class ReadResult { kLine, kEnd, kTooLong };

// One line into text (without its '\n'), its length and the column of its
// first NUL byte (0: none). Lines longer than kMaxLine are not read further.
ReadResult ReadLine(std::FILE* in, char* text, size_t* length, size_t* nulColumn) {
  size_t used = 0;
  *nulColumn = 0;
  int c;
  while ((c = getc_unlocked(in)) != EOF && c != '\n') {
    if (used == kMaxLine) return ReadResult::kTooLong;
    if (c == '\0' && *nulColumn == 0) *nulColumn = used + 1;
    text[used++] = static_cast<char>(c);
  }
  text[used] = '\0';
  *length = used;
  return c == EOF && used == 0 ? ReadResult::kEnd : ReadResult::kLine;
}

// Names the problem with a change line's time, or returns false when it is good.
bool TimeProblem(const Line& line, double last, char* error, size_t errorSize) {
  if (!line.hasT) {
    CopyBounded(error, "missing time", errorSize);
  } else if (line.t < 0) {
    FormatBounded(error, errorSize, "negative time %.15g s", line.t);
  } else if (line.t > kMaxTime) {
    FormatBounded(error, errorSize, "time %.15g s is beyond the longest recording (1e7 s)", line.t);
  } else if (line.t < last) {
    FormatBounded(error, errorSize, "time %.3f s is earlier than the line before (%.3f s)", line.t, last);
  } else {
    return false;
  }
  return true;
}

// Checks every line of the recording and, with `base`, writes each change at
// its time. Returns an exit status.
int Walk(const ReplayOptions& options, std::FILE* in, uint8_t* base, const void* signals) {
  char text[kMaxLine + 1];
  char error[160] = {};
  int lineNumber = 0;
  int count = 0;
  int written = 0;
  double last = 0;
  bool headed = false;
  bool ended = false;
  timespec start;
  clock_gettime(CLOCK_MONOTONIC, &start);
  int status = kExitOk;
  for (;;) {
    size_t length = 0;
    size_t nulColumn = 0;
    const ReadResult read = ReadLine(in, text, &length, &nulColumn);
    if (read == ReadResult::kEnd) break;
    lineNumber++;
    status = kExitUnusable;
    if (read == ReadResult::kTooLong) {
      CopyBounded(error, "line too long", sizeof error);
      break;
    }
    if (nulColumn != 0) {
      FormatBounded(error, sizeof error, "a NUL byte at column %zu; a recording is text", nulColumn);
      break;
    }
    status = kExitOk;
    if (length == 0 || (length == 1 && text[0] == '\r')) continue;
    status = kExitUnusable;
    Line line;
    if (!LineParser(text).Parse(&line, error, sizeof error)) break;
    if (!headed) {
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
        headed = true;
        status = kExitOk;
        continue;
      }
      break;
    }
    if (ended) {
      CopyBounded(error, "a line after the end line", sizeof error);
      break;
    }
    if (TimeProblem(line, last, error, sizeof error)) break;
    last = line.t;
    status = kExitOk;
    if (line.end) {
      ended = true;
      if (base != nullptr && !Pause(line.t - Since(start), signals)) break;
      continue;
    }
    const InterfaceField* field = line.hasOffset ? FindField(count, line.offset, line.type) : nullptr;
    uint32_t bits = 0;
    if (!line.hasOffset) {
      CopyBounded(error, "missing offset", sizeof error);
    } else if (field == nullptr) {
      FormatBounded(error, sizeof error, "no %s field at offset %.15g in this station's interface", line.type,
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
    break;
  }
  if (status == kExitOk && std::ferror(in)) {
    CopyBounded(error, "read error", sizeof error);
    status = kExitUnusable;
  } else if (status == kExitOk && !headed) {
    CopyBounded(error, lineNumber == 0 ? "empty file" : "no header line (only blank lines)", sizeof error);
    status = kExitUnusable;
  }
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
  char error[160];
  std::FILE* out = toStdout ? InterruptibleStandardOutput(signals) : CreateRecording(options.file, error, sizeof error);
  if (out == nullptr) {
    std::fprintf(stderr, "tarnel-shm: record: cannot write %s: %s\n", options.file, error);
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
  int writeError = 0;
  // The reason a write failed (EPIPE: the reader went; EINTR: an interrupt
  // ended a wait for the reader).
  const auto failure = [toStdout] {
    const int error = errno;
    return toStdout && InterruptibleOutputError() != 0 ? InterruptibleOutputError() : error != 0 ? error : EIO;
  };
  for (;;) {
    // A reader that went away ends the recording like an interrupt.
    errno = 0;
    if (std::fflush(out) != 0 || std::ferror(out)) writeError = failure();
    if (toStdout && StandardOutputReaderGone()) writeError = EPIPE;
    if (writeError != 0) {
      t = Since(start);
      break;
    }
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
  if (writeError == 0) {
    std::fprintf(out, "{\"t\":%.3f,\"end\":true,\"changes\":%ld}\n", t, changes);
    errno = 0;
    if (std::fflush(out) != 0 || std::ferror(out)) writeError = failure();
  }
  if (toStdout) {
    EndInterruptibleOutput();
    // The reader went (EPIPE) or an interrupt ended a wait for it (EINTR).
    if (writeError == 0 || writeError == EPIPE || writeError == EINTR) return kExitOk;
  } else if (std::fclose(out) != 0 && writeError == 0) {
    writeError = errno;
  }
  if (writeError != 0) {
    std::fprintf(stderr, "tarnel-shm: record: writing %s failed: %s\n", options.file, std::strerror(writeError));
    return kExitUnusable;
  }
  if (!toStdout) std::fprintf(stderr, "recorded %ld changes over %.3f s\n", changes, t);
  return kExitOk;
}

int CheckReplay(int argc, char** argv) {
  ReplayOptions options;
  if (!ParseReplay(argc, argv, &options)) return kExitBadArguments;
  char error[160];
  gRecording = OpenRecording(options.file, error, sizeof error);
  if (gRecording == nullptr) {
    std::fprintf(stderr, "tarnel-shm: replay: %s: %s\n", options.file, error);
    return kExitUnusable;
  }
  const int status = Walk(options, gRecording, nullptr, nullptr);
  if (status == kExitOk && std::fseek(gRecording, 0, SEEK_SET) == 0) return kExitOk;
  std::fclose(gRecording);
  gRecording = nullptr;
  return status == kExitOk ? kExitUnusable : status;
}

bool ReplayWritesOutputs(int argc, char** argv) {
  ReplayOptions options;
  return ParseReplay(argc, argv, &options) && options.outputs;
}

int ReplayCommand(int argc, char** argv, uint8_t* base, const void* signals) {
  ReplayOptions options;
  if (!ParseReplay(argc, argv, &options)) return kExitBadArguments;
  if (gRecording == nullptr) {
    std::fprintf(stderr, "tarnel-shm: replay: the recording was not checked first\n");
    return kExitUnusable;
  }
  const int status = Walk(options, gRecording, base, signals);
  std::fclose(gRecording);
  gRecording = nullptr;
  return status;
}
