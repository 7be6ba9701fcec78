// tarnel-shm: looks at and changes the generic simulation area, for engineers
// wiring a simulation to the station. It attaches exactly as the station does
// (attach or create, version check, counted as a user while it runs).
//
// Exit status: 0 done, 1 the segment or a file cannot be used (the report text on
// stderr), 2 bad arguments (nothing is attached then), 3 the segment was made
// smaller under the tool.

#include <signal.h>

#include <cerrno>
#include <cstdarg>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/CommandLine.h"
#include "platform/SharedMemory.h"
#include "platform/TerminationSignals.h"
#include "tools/InterfaceCommands.h"
#include "tools/Recording.h"
#include "simlink/CTrnShm.h"
#include "simlink/GenericSimShm.h"
#include "simlink/SegmentFault.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitUnusable = 1;
constexpr int kExitBadArguments = 2;

constexpr uint32_t kSegmentSize = GenericSimShm::kSize;

const char kSummary[] =
    "Looks at and changes the generic simulation area \"GenericSimSharedMemory\"\n"
    "(129328 bytes) that the panel station shares with the simulation: the POSIX\n"
    "shared-memory object \"/\" + $TARNEL_SHM_PREFIX + \"GenericSimSharedMemory\".\n"
    "It attaches as the station does: it creates the segment when there is none\n"
    "(the segment then vanishes again when the tool exits), refuses a segment of\n"
    "another layout version and counts itself as a user while it runs.";

const char kDetails[] =
    "Commands:\n"
    "  info                            segment name, size, version text, user count\n"
    "  get OFFSET TYPE                 print the value at OFFSET\n"
    "  get OFFSET text [LENGTH]        print the zero-terminated text at OFFSET,\n"
    "                                  reading at most LENGTH bytes (default: up\n"
    "                                  to the end of the segment)\n"
    "  set OFFSET TYPE VALUE [--force] write VALUE at OFFSET; the version text\n"
    "                                  (bytes 0 to 63) and the user count are\n"
    "                                  written only with --force\n"
    "  set OFFSET text TEXT [LENGTH]   write TEXT and a terminating zero byte; with\n"
    "                                  LENGTH the field is LENGTH bytes long: TEXT\n"
    "                                  must be shorter than LENGTH and the rest of\n"
    "                                  the field is set to zero\n"
    "  dump OFFSET LENGTH              LENGTH bytes in hex and ASCII\n"
    "  describe [AREA] [--csv|--json] [--layout A330|A320] [--station]\n"
    "                                  every field of the station's interface:\n"
    "                                  area (a panel or \"station\") and its id,\n"
    "                                  layout, unit or seat (* the station's),\n"
    "                                  offset, width, type, writer, field id\n"
    "                                  (fuel.button3.position), the control's\n"
    "                                  legend, the field's role and meaning;\n"
    "                                  --station: only the fields the running\n"
    "                                  station uses; does not attach\n"
    "  watch [AREA] [--inputs] [--a320]\n"
    "                                  print each change of the fields the station\n"
    "                                  writes (with --inputs also those the\n"
    "                                  simulation writes), 20 times a second,\n"
    "                                  until interrupted\n"
    "  noise [AREA] [--rate HZ] [--seconds N] [--seed S]\n"
    "                                  write random bytes into every field the\n"
    "                                  simulation writes, HZ (default 100) times a\n"
    "                                  second, for soak tests\n"
    "  record FILE [AREA] [--seconds N] [--rate HZ] [--a320] [--with-count]\n"
    "                                  write every field (inputs and outputs) to\n"
    "                                  FILE (- for standard output) as JSON lines:\n"
    "                                  the values at the start, then each change\n"
    "                                  with its time, polled HZ (default 100) times\n"
    "                                  a second, for N seconds or until interrupted;\n"
    "                                  the iteration count only with --with-count\n"
    "  replay FILE [--outputs]         write the recorded inputs back at their\n"
    "                                  recorded times; with --outputs also the\n"
    "                                  station's fields (refused while a station\n"
    "                                  runs). The whole file is checked first\n"
    "  remove [generic|trn]            remove the segments' names (both, or the one\n"
    "                                  named), for segments left behind by a\n"
    "                                  program that crashed (their user count can\n"
    "                                  never fall to 0); does not attach\n"
    "\n"
    "TYPE is one of u8 i16 u16 i32 u32 f32 text; integers are little-endian.\n"
    "OFFSET, LENGTH and integer VALUEs are decimal or 0x-hex; f32 VALUEs are\n"
    "finite decimal numbers (NaN and infinity are refused).\n"
    "\n"
    "Exit status: 0 done, 1 the segment or the file cannot be used (reason on\n"
    "stderr), 2 bad arguments.\n";

enum class Type { kU8, kI16, kU16, kI32, kU32, kF32, kText };

struct TypeName {
  const char* name;
  Type type;
  uint32_t width;  // bytes; texts are checked separately
};

const TypeName kTypes[] = {{"u8", Type::kU8, 1},   {"i16", Type::kI16, 2}, {"u16", Type::kU16, 2},
                           {"i32", Type::kI32, 4}, {"u32", Type::kU32, 4}, {"f32", Type::kF32, 4},
                           {"text", Type::kText, 1}};

__attribute__((format(printf, 1, 2))) int BadArguments(const char* format, ...) {
  std::fprintf(stderr, "tarnel-shm: ");
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fprintf(stderr, "\nTry 'tarnel-shm --help'.\n");
  return kExitBadArguments;
}

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Decimal or 0x-hex digits only (no sign, no blanks), at most max.
bool ParseUnsigned(const char* text, uint64_t max, uint64_t* out) {
  if (text == nullptr || text[0] == '\0') {
    return false;
  }
  int base = 10;
  const char* digits = text;
  if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    digits = text + 2;
  }
  if (digits[0] == '\0') {
    return false;
  }
  uint64_t value = 0;
  for (const char* p = digits; *p != '\0'; p++) {
    unsigned digit;
    if (*p >= '0' && *p <= '9') {
      digit = static_cast<unsigned>(*p - '0');
    } else if (base == 16 && IsHexDigit(*p)) {
      digit = static_cast<unsigned>((*p | 0x20) - 'a' + 10);
    } else {
      return false;
    }
    if (digit > max || value > (max - digit) / static_cast<uint64_t>(base)) {
      return false;
    }
    value = value * static_cast<uint64_t>(base) + digit;
  }
  *out = value;
  return true;
}

// An optional '-' then ParseUnsigned, within [min, max].
bool ParseSigned(const char* text, int64_t min, int64_t max, int64_t* out) {
  if (text == nullptr) {
    return false;
  }
  bool negative = text[0] == '-';
  uint64_t magnitude = 0;
  // min and max are within 32 bits, so their magnitudes fit in int64_t.
  uint64_t limit = negative ? static_cast<uint64_t>(-min) : static_cast<uint64_t>(max);
  if (!ParseUnsigned(negative ? text + 1 : text, limit, &magnitude)) {
    return false;
  }
  *out = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
  return true;
}

bool ParseFloat(const char* text, float* out) {
  if (text == nullptr || text[0] == '\0') {
    return false;
  }
  errno = 0;
  char* end = nullptr;
  float value = std::strtof(text, &end);
  if (end == text || *end != '\0' || !std::isfinite(value)) {
    return false;
  }
  *out = value;
  return true;
}

const TypeName* FindType(const char* name) {
  for (const TypeName& t : kTypes) {
    if (std::strcmp(t.name, name) == 0) {
      return &t;
    }
  }
  return nullptr;
}

// OFFSET must be a number with offset + width inside the segment.
bool ParseOffset(const char* text, uint32_t width, uint32_t* offset, int* status) {
  uint64_t value = 0;
  if (!ParseUnsigned(text, UINT32_MAX, &value)) {
    *status = BadArguments("bad offset '%s' (decimal or 0x-hex)", text);
    return false;
  }
  if (value + width > kSegmentSize) {
    *status = BadArguments("offset %s and width beyond the segment's 129328 bytes", text);
    return false;
  }
  *offset = static_cast<uint32_t>(value);
  return true;
}

void PrintEscaped(const uint8_t* text, std::size_t length) {
  for (std::size_t i = 0; i < length; i++) {
    uint8_t c = text[i];
    if (c < 0x20 || c == 0x7F) {
      std::printf("\\x%02x", c);
    } else {
      std::putchar(c);
    }
  }
}

// A parsed command, checked before anything is attached.
struct Command {
  enum Kind { kInfo, kGet, kSet, kDump } kind = kInfo;
  uint32_t offset = 0;
  const TypeName* type = nullptr;
  uint32_t length = 0;  // dump length; text field length (0: not given)
  int64_t integer = 0;
  uint32_t unsignedValue = 0;
  float real = 0.0f;
  const char* text = nullptr;
  bool force = false;  // set may write the version text and the user count
};

bool Overlaps(uint32_t offset, uint32_t width, uint32_t first, uint32_t count) {
  return offset < first + count && first < offset + width;
}

int ParseCommand(int argc, char** argv, Command* cmd) {
  int status = kExitOk;
  // --force may stand anywhere after the verb; it is taken out of the operands.
  static char* kept[64];
  int keptCount = 0;
  for (int i = 0; i < argc && keptCount < 64; i++) {
    if (i >= 2 && std::strcmp(argv[i], "--force") == 0) {
      cmd->force = true;
    } else {
      kept[keptCount++] = argv[i];
    }
  }
  if (cmd->force && std::strcmp(argv[1], "set") != 0) {
    return BadArguments("--force is for 'set' only");
  }
  argc = keptCount;
  argv = kept;
  const char* verb = argv[1];
  int operands = argc - 2;
  char** op = argv + 2;
  if (std::strcmp(verb, "info") == 0) {
    if (operands != 0) {
      return BadArguments("'info' takes no arguments");
    }
    cmd->kind = Command::kInfo;
    return kExitOk;
  }
  if (std::strcmp(verb, "dump") == 0) {
    if (operands != 2) {
      return BadArguments("'dump' takes OFFSET LENGTH");
    }
    uint64_t length = 0;
    if (!ParseUnsigned(op[1], kSegmentSize, &length) || length == 0) {
      return BadArguments("bad length '%s' (1 to 129328, decimal or 0x-hex)", op[1]);
    }
    cmd->kind = Command::kDump;
    cmd->length = static_cast<uint32_t>(length);
    if (!ParseOffset(op[0], cmd->length, &cmd->offset, &status)) {
      return status;
    }
    return kExitOk;
  }
  bool isGet = std::strcmp(verb, "get") == 0;
  bool isSet = std::strcmp(verb, "set") == 0;
  if (!isGet && !isSet) {
    return BadArguments("unknown command '%s'", verb);
  }
  cmd->kind = isGet ? Command::kGet : Command::kSet;
  if (operands < 2) {
    return BadArguments(isGet ? "'get' takes OFFSET TYPE" : "'set' takes OFFSET TYPE VALUE");
  }
  cmd->type = FindType(op[1]);
  if (cmd->type == nullptr) {
    return BadArguments("unknown type '%s' (u8 i16 u16 i32 u32 f32 text)", op[1]);
  }
  bool text = cmd->type->type == Type::kText;
  int valueOperands = isSet ? 1 : 0;
  int maxOperands = 2 + valueOperands + (text ? 1 : 0);
  if (operands < 2 + valueOperands || operands > maxOperands) {
    if (text) {
      return BadArguments(isGet ? "'get OFFSET text' takes an optional LENGTH only"
                                : "'set OFFSET text' takes TEXT and an optional LENGTH");
    }
    return BadArguments(isGet ? "'get' takes OFFSET TYPE" : "'set' takes OFFSET TYPE VALUE");
  }
  uint32_t width = cmd->type->width;
  if (text) {
    const char* lengthText = operands > 2 + valueOperands ? op[2 + valueOperands] : nullptr;
    if (lengthText != nullptr) {
      uint64_t length = 0;
      if (!ParseUnsigned(lengthText, kSegmentSize, &length) || length == 0) {
        return BadArguments("bad length '%s' (1 to 129328, decimal or 0x-hex)", lengthText);
      }
      cmd->length = static_cast<uint32_t>(length);
    }
    if (isSet) {
      cmd->text = op[2];
      std::size_t needed = std::strlen(cmd->text) + 1;
      if (cmd->length != 0 && needed > cmd->length) {
        return BadArguments("text '%s' and its terminating zero do not fit in LENGTH bytes", cmd->text);
      }
      if (needed > kSegmentSize) {
        return BadArguments("text '%s' is longer than the segment", cmd->text);
      }
      width = cmd->length != 0 ? cmd->length : static_cast<uint32_t>(needed);
    } else {
      width = cmd->length != 0 ? cmd->length : 1;
    }
  }
  if (!ParseOffset(op[0], width, &cmd->offset, &status)) {
    return status;
  }
  if (isSet && !cmd->force && Overlaps(cmd->offset, width, 0, GenericSimShm::kVersionBytes)) {
    return BadArguments("offset %s would overwrite the layout version text (bytes 0 to 63); add --force", op[0]);
  }
  if (isSet && !cmd->force && Overlaps(cmd->offset, width, GenericSimShm::kUserCountOffset, 4)) {
    return BadArguments("offset %s would overwrite the user count; add --force", op[0]);
  }
  if (!isSet || text) {
    return kExitOk;
  }
  const char* value = op[2];
  bool ok = true;
  uint64_t u = 0;
  switch (cmd->type->type) {
    case Type::kU8:
      ok = ParseUnsigned(value, UINT8_MAX, &u);
      cmd->unsignedValue = static_cast<uint32_t>(u);
      break;
    case Type::kU16:
      ok = ParseUnsigned(value, UINT16_MAX, &u);
      cmd->unsignedValue = static_cast<uint32_t>(u);
      break;
    case Type::kU32:
      ok = ParseUnsigned(value, UINT32_MAX, &u);
      cmd->unsignedValue = static_cast<uint32_t>(u);
      break;
    case Type::kI16:
      ok = ParseSigned(value, INT16_MIN, INT16_MAX, &cmd->integer);
      break;
    case Type::kI32:
      ok = ParseSigned(value, INT32_MIN, INT32_MAX, &cmd->integer);
      break;
    case Type::kF32:
      ok = ParseFloat(value, &cmd->real);
      break;
    case Type::kText:
      break;
  }
  if (!ok) {
    if (cmd->type->type == Type::kF32) {
      return BadArguments("bad f32 value '%s' (a finite decimal number)", value);
    }
    return BadArguments("bad or out-of-range value '%s' for the type (decimal or 0x-hex)", value);
  }
  return kExitOk;
}

void Info(const GenericSimShm& shm) {
  const uint8_t* base = shm.GetBase();
  std::printf("segment:    %s (POSIX object %s)\n", shm.GetName(), shm.GetObjectName());
  std::printf("size:       %u bytes\n", static_cast<unsigned>(GenericSimShm::kSize));
  std::size_t n = 0;
  while (n < GenericSimShm::kVersionBytes && base[GenericSimShm::kVersionOffset + n] != 0) {
    n++;
  }
  std::printf("version:    \"");
  PrintEscaped(base + GenericSimShm::kVersionOffset, n);
  std::printf("\"\n");
  std::printf("user count: %d (this tool included)\n", static_cast<int>(shm.GetUserCount()));
}

void Get(const uint8_t* base, const Command& cmd) {
  const uint8_t* at = base + cmd.offset;
  switch (cmd.type->type) {
    case Type::kU8:
      std::printf("%u\n", static_cast<unsigned>(at[0]));
      break;
    case Type::kI16: {
      int16_t v;
      std::memcpy(&v, at, sizeof v);
      std::printf("%d\n", static_cast<int>(v));
      break;
    }
    case Type::kU16: {
      uint16_t v;
      std::memcpy(&v, at, sizeof v);
      std::printf("%u\n", static_cast<unsigned>(v));
      break;
    }
    case Type::kI32: {
      int32_t v;
      std::memcpy(&v, at, sizeof v);
      std::printf("%ld\n", static_cast<long>(v));
      break;
    }
    case Type::kU32: {
      uint32_t v;
      std::memcpy(&v, at, sizeof v);
      std::printf("%lu\n", static_cast<unsigned long>(v));
      break;
    }
    case Type::kF32: {
      float v;
      std::memcpy(&v, at, sizeof v);
      std::printf("%.9g\n", static_cast<double>(v));
      break;
    }
    case Type::kText: {
      std::size_t limit = cmd.length != 0 ? cmd.length : kSegmentSize - cmd.offset;
      std::size_t n = 0;
      while (n < limit && at[n] != 0) {
        n++;
      }
      PrintEscaped(at, n);
      std::printf("\n");
      break;
    }
  }
}

void Set(uint8_t* base, const Command& cmd) {
  uint8_t* at = base + cmd.offset;
  switch (cmd.type->type) {
    case Type::kU8:
      at[0] = static_cast<uint8_t>(cmd.unsignedValue);
      break;
    case Type::kI16: {
      int16_t v = static_cast<int16_t>(cmd.integer);
      std::memcpy(at, &v, sizeof v);
      break;
    }
    case Type::kU16: {
      uint16_t v = static_cast<uint16_t>(cmd.unsignedValue);
      std::memcpy(at, &v, sizeof v);
      break;
    }
    case Type::kI32: {
      int32_t v = static_cast<int32_t>(cmd.integer);
      std::memcpy(at, &v, sizeof v);
      break;
    }
    case Type::kU32: {
      uint32_t v = cmd.unsignedValue;
      std::memcpy(at, &v, sizeof v);
      break;
    }
    case Type::kF32:
      std::memcpy(at, &cmd.real, sizeof cmd.real);
      break;
    case Type::kText: {
      std::size_t n = std::strlen(cmd.text);
      std::size_t field = cmd.length != 0 ? cmd.length : n + 1;
      std::memcpy(at, cmd.text, n);
      std::memset(at + n, 0, field - n);
      break;
    }
  }
}

void Dump(const uint8_t* base, uint32_t offset, uint32_t length) {
  for (uint32_t line = 0; line < length; line += 16) {
    uint32_t count = length - line < 16 ? length - line : 16;
    const uint8_t* at = base + offset + line;
    std::printf("%08x ", static_cast<unsigned>(offset + line));
    for (uint32_t i = 0; i < 16; i++) {
      if (i == 8) {
        std::printf(" ");
      }
      if (i < count) {
        std::printf(" %02x", at[i]);
      } else {
        std::printf("   ");
      }
    }
    std::printf("  |");
    for (uint32_t i = 0; i < count; i++) {
      std::putchar(at[i] >= 0x20 && at[i] < 0x7F ? at[i] : '.');
    }
    std::printf("|\n");
  }
}

// Removes one segment's name; prints what it did.
bool RemoveOne(const char* mapping) {
  char objectName[platform::kShmObjectNameSize];
  if (!platform::ShmObjectName(mapping, objectName, sizeof objectName)) {
    std::fprintf(stderr, "tarnel-shm: the segment's name is too long with its prefix\n");
    return false;
  }
  if (!platform::ShmUnlink(objectName)) {
    int error = errno;
    std::fprintf(stderr, "tarnel-shm: cannot remove %s: %s\n", objectName, std::strerror(error));
    return false;
  }
  std::printf("removed %s\n", objectName);
  return true;
}

// Both segments, or the one named; 1 when any could not be removed.
int Remove(const char* which) {
  bool ok = true;
  if (which == nullptr || std::strcmp(which, "generic") == 0) {
    ok = RemoveOne(GenericSimShm::kName) && ok;
  }
  if (which == nullptr || std::strcmp(which, "trn") == 0) {
    ok = RemoveOne(CTrnShm::kName) && ok;
  }
  return ok ? kExitOk : kExitUnusable;
}

// The command line's first level: --help, --version and the command; each
// command checks its own arguments. kGoOn when a command was given.
int ParseVerb(int argc, char** argv) {
  command_line::CommandLine command("tarnel-shm", nullptr, kSummary, kDetails);
  CLI::App& app = command.App();
  // The commands are listed in the text after the options; a command's
  // arguments, options included, are passed on to it untouched.
  for (const char* verb : {"info", "get", "set", "dump", "describe", "watch", "noise", "record", "replay", "remove"}) {
    app.add_subcommand(verb)->prefix_command()->group("")->set_help_flag();
  }
  if (argc < 2) {
    std::fputs(command.Help().c_str(), stderr);
    return kExitBadArguments;
  }
  // "help", and --help after a command, show the whole text.
  for (int i = 1; i < argc; i++) {
    if ((i == 1 && std::strcmp(argv[i], "help") == 0) || std::strcmp(argv[i], "--help") == 0 ||
        std::strcmp(argv[i], "-h") == 0) {
      std::fputs(command.Help().c_str(), stdout);
      return kExitOk;
    }
  }
  const int status = command.Parse(argc, argv);
  if (status != command_line::kGoOn) {
    return status;
  }
  return app.get_subcommands().empty() ? command.Bad("no command given") : command_line::kGoOn;
}

}  // namespace

int main(int argc, char** argv) {
  // A reader that goes away ends the output with EPIPE, not the tool with
  // SIGPIPE; a segment made smaller under the tool stops it with status 3.
  ::signal(SIGPIPE, SIG_IGN);
  segment_fault::Install("tarnel-shm");
  const int parsed = ParseVerb(argc, argv);
  if (parsed != command_line::kGoOn) {
    return parsed;
  }
  if (std::strcmp(argv[1], "remove") == 0) {
    if (argc > 3 || (argc == 3 && std::strcmp(argv[2], "generic") != 0 && std::strcmp(argv[2], "trn") != 0)) {
      return BadArguments("'remove' takes nothing, 'generic' or 'trn'");
    }
    return Remove(argc == 3 ? argv[2] : nullptr);
  }

  if (std::strcmp(argv[1], "describe") == 0) {
    return DescribeCommand(argc - 1, argv + 1);
  }
  const bool watch = std::strcmp(argv[1], "watch") == 0;
  const bool noise = std::strcmp(argv[1], "noise") == 0;
  const bool record = std::strcmp(argv[1], "record") == 0;
  const bool replay = std::strcmp(argv[1], "replay") == 0;
  Command cmd;
  int status = watch    ? ParseWatchArguments(argc - 1, argv + 1)
               : noise  ? ParseNoiseArguments(argc - 1, argv + 1)
               : record ? ParseRecordArguments(argc - 1, argv + 1)
               : replay ? CheckReplay(argc - 1, argv + 1)
                        : ParseCommand(argc, argv, &cmd);
  if (status != kExitOk) {
    return status;
  }

  // Whether a live program holds the segment, asked before this tool holds it too.
  char objectName[platform::kShmObjectNameSize];
  const bool held = platform::ShmObjectName(GenericSimShm::kName, objectName, sizeof objectName) &&
                    platform::ShmHeld(objectName);
  platform::TerminationSignals block;
  GenericSimShm shm;
  if (!shm.IsValid()) {
    std::fprintf(stderr, "tarnel-shm: %s\n", shm.GetFullText().c_str());
    return kExitUnusable;
  }
  // info says it in its own report; every other command here, once, on stderr.
  if (shm.WasCreator() && (watch || noise || record || replay || cmd.kind != Command::kInfo)) {
    std::fprintf(stderr,
                 "tarnel-shm: note: there was no segment %s; this tool created it, no station or "
                 "simulation is attached, and it is removed again when the tool exits\n",
                 shm.GetObjectName());
  }
  uint8_t* base = shm.GetBase();
  if (watch) {
    return WatchCommand(argc - 1, argv + 1, base, block.Blocked());
  }
  if (noise) {
    return NoiseCommand(argc - 1, argv + 1, base, block.Blocked());
  }
  if (record) {
    return RecordCommand(argc - 1, argv + 1, base, block.Blocked());
  }
  if (replay) {
    // The station's fields have one writer: a running station keeps them.
    if (ReplayWritesOutputs(argc - 1, argv + 1) && !shm.ClaimRange(generic_area::kIterationCount, 4)) {
      std::fprintf(stderr, "tarnel-shm: replay: a station is running; --outputs would write its fields\n");
      return kExitUnusable;
    }
    return ReplayCommand(argc - 1, argv + 1, base, block.Blocked());
  }
  switch (cmd.kind) {
    case Command::kInfo:
      Info(shm);
      if (!shm.WasCreator()) {
        std::printf("live holder: %s\n", held ? "yes (a running program has it attached)"
                                               : "none (users counted by programs that died, or by programs that "
                                                 "attach without the lock)");
        char holders[512];
        platform::ShmDescribeHolders(shm.Descriptor(), false, holders, sizeof holders);
        if (held && holders[0] != '\0') {
          std::printf("held by:    %s\n", holders);
        }
      }
      if (shm.WasCreator()) {
        std::printf("note:       there was no segment; this tool created it and removes it on exit\n");
      }
      break;
    case Command::kGet:
      Get(base, cmd);
      break;
    case Command::kSet:
      Set(base, cmd);
      break;
    case Command::kDump:
      Dump(base, cmd.offset, cmd.length);
      break;
  }
  std::fflush(stdout);
  return kExitOk;
}
