// tarnel-shm run as a separate process against a segment that this test
// process created: $TARNEL_BIN_DIR/tarnel-shm, with this test's prefix.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "simlink/GenericArea.h"
#include "simlink/GenericSimShm.h"
#include "simlink/tests/ShmTestUtil.h"

extern char** environ;

namespace {

using shm_test::Pipe;
using shm_test::ScopedPrefix;

const char kName[] = "GenericSimSharedMemory";

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// $TARNEL_BIN_DIR/tarnel-shm; where the variable does not reach the test,
// the folder the build put the tool in.
std::string ToolPath(const char* program = "tarnel-shm") {
  const char* dir = std::getenv("TARNEL_BIN_DIR");
#ifdef TARNEL_SHM_TOOL_DIR
  if (dir == nullptr || dir[0] == '\0') {
    dir = TARNEL_SHM_TOOL_DIR;
  }
#endif
  return dir == nullptr ? std::string() : std::string(dir) + "/" + program;
}

// tarnel-shm started with the arguments, in this process's environment (so
// with its shared-memory prefix), its output going to files.
struct ToolProcess {
  pid_t pid = -1;
  std::string dir;
  std::string outPath;
  std::string errPath;
};

// Where the tool's standard input comes from, and a pipe for its output.
struct ToolIo {
  const char* input = nullptr;  // a file's path
  const int* outputPipe = nullptr;  // its two ends: the tool writes the second
};

ToolProcess SpawnTool(const std::vector<std::string>& args, const char* program = "tarnel-shm", ToolIo io = {}) {
  ToolProcess p;
  char dirTemplate[] = "/tmp/tarnel_shm_test_XXXXXX";
  if (::mkdtemp(dirTemplate) == nullptr) {
    return p;
  }
  p.dir = dirTemplate;
  p.outPath = p.dir + "/out";
  p.errPath = p.dir + "/err";
  std::string tool = ToolPath(program);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(tool.c_str()));
  for (const std::string& a : args) {
    argv.push_back(const_cast<char*>(a.c_str()));
  }
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (io.input != nullptr) posix_spawn_file_actions_addopen(&actions, 0, io.input, O_RDONLY, 0);
  if (io.outputPipe != nullptr) {
    posix_spawn_file_actions_adddup2(&actions, io.outputPipe[1], 1);
    posix_spawn_file_actions_addclose(&actions, io.outputPipe[0]);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, p.outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  }
  posix_spawn_file_actions_addopen(&actions, 2, p.errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (posix_spawn(&p.pid, tool.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
    p.pid = -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  return p;
}

// Waits for the tool, collects its exit status and output, removes the files.
ToolRun FinishTool(const ToolProcess& p) {
  ToolRun run;
  if (p.pid > 0) {
    run.status = shm_test::WaitChild(p.pid);
    run.out = ReadFile(p.outPath);
    run.err = ReadFile(p.errPath);
  }
  ::unlink(p.outPath.c_str());
  ::unlink(p.errPath.c_str());
  ::rmdir(p.dir.c_str());
  return run;
}

ToolRun RunTool(const std::vector<std::string>& args) { return FinishTool(SpawnTool(args)); }

// True once the tool has ended (left to FinishTool to collect); a tool
// still running after `seconds` is killed and false returned.
bool EndsWithin(const ToolProcess& p, double seconds) {
  for (int tick = 0; tick < int(seconds * 100); tick++) {
    siginfo_t info{};
    if (::waitid(P_PID, id_t(p.pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == p.pid) return true;
    ::usleep(10000);
  }
  ::kill(p.pid, SIGKILL);
  return false;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class TarnelShmTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(ToolPath().empty()) << "TARNEL_BIN_DIR is not set";
    ASSERT_EQ(::access(ToolPath().c_str(), X_OK), 0) << ToolPath() << " is not there";
  }
  ScopedPrefix prefix_;
};

// A segment made by this process, the way the station makes it.
class TarnelShmWithSegmentTest : public TarnelShmTest {
 protected:
  void SetUp() override {
    TarnelShmTest::SetUp();
    shm_ = std::make_unique<GenericSimShm>();
    ASSERT_TRUE(shm_->IsValid()) << shm_->GetErrorText();
    base_ = shm_->GetBase();
  }
  template <typename T>
  T At(uint32_t offset) const {
    T v;
    std::memcpy(&v, base_ + offset, sizeof v);
    return v;
  }
  std::unique_ptr<GenericSimShm> shm_;
  uint8_t* base_ = nullptr;
};

TEST_F(TarnelShmTest, HelpExitsZeroAndNoArgumentsIsABadArgument) {
  ToolRun help = RunTool({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(Contains(help.out, "Usage: tarnel-shm"));
  EXPECT_TRUE(Contains(help.out, "u8 i16 u16 i32 u32 f32 text"));
  ToolRun none = RunTool({});
  EXPECT_EQ(none.status, 2);
  EXPECT_TRUE(Contains(none.err, "Usage: tarnel-shm"));
  EXPECT_FALSE(shm_test::Exists(kName));
}

TEST_F(TarnelShmWithSegmentTest, InfoShowsNameSizeVersionAndCountIncludingItself) {
  ToolRun run = RunTool({"info"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "GenericSimSharedMemory"));
  EXPECT_TRUE(Contains(run.out, shm_test::ObjectName(kName)));
  EXPECT_TRUE(Contains(run.out, "129328 bytes"));
  EXPECT_TRUE(Contains(run.out, "\" QX_P_0305_02_genericSim.h $Revision: 5.5.2\""));
  EXPECT_TRUE(Contains(run.out, "user count: 2"));
  EXPECT_FALSE(Contains(run.out, "created"));
  // The tool uncounted itself when it ended.
  EXPECT_EQ(shm_->GetUserCount(), 1);
}

TEST_F(TarnelShmWithSegmentTest, SetWritesEachTypeLittleEndianAndGetReadsItBack) {
  struct Case {
    const char* type;
    const char* value;
    const char* printed;
  };
  const Case cases[] = {{"u8", "200", "200"},          {"u8", "0xff", "255"},
                        {"i16", "-2", "-2"},           {"i16", "-32768", "-32768"},
                        {"u16", "0xBEEF", "48879"},    {"i32", "-2147483648", "-2147483648"},
                        {"i32", "0x7fffffff", "2147483647"}, {"u32", "4294967295", "4294967295"},
                        {"f32", "1.5", "1.5"},         {"f32", "-0.25e2", "-25"}};
  for (const Case& c : cases) {
    ToolRun set = RunTool({"set", "0x12380", c.type, c.value});
    ASSERT_EQ(set.status, 0) << c.type << " " << c.value << ": " << set.err;
    ToolRun get = RunTool({"get", "0x12380", c.type});
    ASSERT_EQ(get.status, 0) << get.err;
    EXPECT_EQ(get.out, std::string(c.printed) + "\n") << c.type << " " << c.value;
  }
  RunTool({"set", "75648", "u8", "7"});
  EXPECT_EQ(base_[75648], 7);
  RunTool({"set", "0x12380", "i16", "-2"});
  EXPECT_EQ(At<int16_t>(0x12380), -2);
  EXPECT_EQ(base_[0x12380], 0xFE);
  EXPECT_EQ(base_[0x12381], 0xFF);
  RunTool({"set", "0x12390", "u32", "0x01020304"});
  EXPECT_EQ(base_[0x12390], 0x04);
  EXPECT_EQ(base_[0x12393], 0x01);
  RunTool({"set", "0x12394", "f32", "3.25"});
  EXPECT_EQ(At<float>(0x12394), 3.25f);
  // An unaligned offset is fine.
  ASSERT_EQ(RunTool({"set", "0x12399", "i32", "-5"}).status, 0);
  EXPECT_EQ(At<int32_t>(0x12399), -5);
  // Values written by the test process are read by the tool.
  base_[0x12068] = 0x2A;
  EXPECT_EQ(RunTool({"get", "0x12068", "u8"}).out, "42\n");
  EXPECT_EQ(shm_->GetUserCount(), 1);
}

TEST_F(TarnelShmWithSegmentTest, TextIsWrittenZeroTerminatedAndTheFieldPadded) {
  std::memset(base_ + 0x132C, 'x', 16);
  ASSERT_EQ(RunTool({"set", "0x132C", "text", "hello"}).status, 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(base_ + 0x132C)), "hello");
  EXPECT_EQ(base_[0x132C + 6], 'x');  // without LENGTH only text and terminator

  ASSERT_EQ(RunTool({"set", "0x132C", "text", "hi", "10"}).status, 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(base_ + 0x132C)), "hi");
  for (int i = 2; i < 10; i++) {
    EXPECT_EQ(base_[0x132C + i], 0) << i;
  }
  EXPECT_EQ(base_[0x132C + 10], 'x');

  ToolRun get = RunTool({"get", "0x132C", "text"});
  EXPECT_EQ(get.status, 0);
  EXPECT_EQ(get.out, "hi\n");
  EXPECT_EQ(RunTool({"get", "0", "text", "4"}).out, " QX_\n");
  // Control characters are shown escaped.
  base_[0x1400] = 'a';
  base_[0x1401] = '\n';
  base_[0x1402] = 'b';
  EXPECT_EQ(RunTool({"get", "0x1400", "text"}).out, "a\\x0ab\n");

  // Too long for the field: refused, nothing written.
  ToolRun tooLong = RunTool({"set", "0x132C", "text", "abcdefghij", "10"});
  EXPECT_EQ(tooLong.status, 2);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(base_ + 0x132C)), "hi");
  // Never past the segment: the terminator must fit too.
  EXPECT_EQ(RunTool({"set", "129326", "text", "ab"}).status, 2);
  EXPECT_EQ(RunTool({"set", "129325", "text", "ab"}).status, 0);
  EXPECT_EQ(RunTool({"set", "129320", "text", "ab", "9"}).status, 2);
  EXPECT_EQ(RunTool({"get", "129327", "text"}).status, 0);
  EXPECT_EQ(RunTool({"get", "129327", "text", "2"}).status, 2);
}

TEST_F(TarnelShmWithSegmentTest, DumpShowsHexAndAscii) {
  ToolRun run = RunTool({"dump", "0", "20"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "00000000  20 51 58 5f 50 5f 30 33  30 35 5f 30 32 5f 67 65  | QX_P_0305_02_ge|\n"
            "00000010  6e 65 72 69                                       |neri|\n");
  base_[0x12068] = 0x01;
  base_[0x12069] = 0x7F;
  ToolRun tail = RunTool({"dump", "0x12068", "3"});
  EXPECT_EQ(tail.out, "00012068  01 7f 00                                          |...|\n");
  EXPECT_EQ(RunTool({"dump", "129312", "16"}).status, 0);
}

TEST_F(TarnelShmWithSegmentTest, BadArgumentsExitTwoAndTouchNothing) {
  std::vector<uint8_t> before(base_, base_ + GenericSimShm::kSize);
  const std::vector<std::vector<std::string>> bad = {
      {"get", "0", "u64"},               // unknown type
      {"get", "129327", "u16"},          // offset + width beyond the segment
      {"get", "129328", "u8"},           //
      {"get", "0x1F92D", "f32"},         //
      {"get", "4294967296", "u8"},       // offset too large to be a number here
      {"get", "12x", "u8"},              // bad numbers
      {"get", "0x", "u8"},               //
      {"get", "", "u8"},                 //
      {"get", "-1", "u8"},               //
      {"get", " 1", "u8"},               //
      {"set", "0", "u8", "256"},         // out of range
      {"set", "0", "u8", "-1"},          //
      {"set", "0", "i16", "32768"},      //
      {"set", "0", "i16", "0xffff"},     //
      {"set", "0", "u32", "4294967296"}, //
      {"set", "0", "i32", "2147483648"}, //
      {"set", "0", "u16", "1.5"},        //
      {"set", "0", "f32", "nan"},        // f32 garbage
      {"set", "0", "f32", "NaN"},        //
      {"set", "0", "f32", "inf"},        //
      {"set", "0", "f32", "1e39"},       //
      {"set", "0", "f32", "abc"},        //
      {"set", "0", "f32", "1.5x"},       //
      {"set", "0", "f32", ""},           //
      {"set", "0", "u8"},                // missing value
      {"set", "0", "u8", "1", "2"},      // extra operand
      {"get", "0"},                      // missing type
      {"get", "0", "u8", "3"},           //
      {"dump", "0"},                     //
      {"dump", "0", "0"},                // empty dump
      {"dump", "129000", "400"},         //
      {"info", "extra"},                 //
      {"remove", "extra"},               //
      {"frobnicate"},                    // unknown command
  };
  for (const auto& args : bad) {
    ToolRun run = RunTool(args);
    std::string joined;
    for (const std::string& a : args) {
      joined += "'" + a + "' ";
    }
    EXPECT_EQ(run.status, 2) << joined << run.out << run.err;
    EXPECT_FALSE(run.err.empty()) << joined;
    EXPECT_TRUE(run.out.empty()) << joined;
  }
  EXPECT_EQ(std::memcmp(before.data(), base_, GenericSimShm::kSize), 0);
  EXPECT_EQ(shm_->GetUserCount(), 1);
  // The last byte is in range.
  EXPECT_EQ(RunTool({"get", "129327", "u8"}).status, 0);
  EXPECT_EQ(RunTool({"get", "0x1F92C", "f32"}).status, 0);
}

TEST_F(TarnelShmTest, SegmentOfAnotherVersionCannotBeUsedExitOne) {
  GenericSimShm other(" QX_P_0305_02_genericSim.h $Revision: 9.9");
  ASSERT_TRUE(other.IsValid());
  ToolRun run = RunTool({"get", "0", "u8"});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Contains(run.err, "GenericSimShm::GenericSimShm\nShared Memory Version Mismatch")) << run.err;
  EXPECT_TRUE(run.out.empty());
  EXPECT_EQ(other.GetUserCount(), 1);
}

TEST_F(TarnelShmTest, UndersizedObjectCannotBeUsedExitOne) {
  ASSERT_TRUE(shm_test::CreateRaw(kName, 4096));
  ToolRun run = RunTool({"info"});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Contains(run.err, "is 4096 bytes, smaller than the segment's 129328 bytes")) << run.err;
}

TEST_F(TarnelShmTest, WithoutASegmentItCreatesOneForItsRunAndSaysSo) {
  ToolRun run = RunTool({"set", "0x12068", "u8", "1"});
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(Contains(run.err, "note: there was no segment"));
  EXPECT_FALSE(shm_test::Exists(kName));
  // Once, and that nothing answers what the tool writes or watches.
  ToolRun noise = RunTool({"noise", "--seconds", "1"});
  const std::string note = "this tool created it, no station or simulation is attached";
  EXPECT_TRUE(Contains(noise.err, note)) << noise.err;
  EXPECT_EQ(noise.err.find(note), noise.err.rfind(note));
}

TEST_F(TarnelShmTest, RemoveUnlinksASegmentLeftByACrashedProgram) {
  // A program attaches and dies without uncounting itself.
  pid_t child = shm_test::StartChild([] {
    GenericSimShm* leaked = new GenericSimShm();
    ::_exit(leaked->IsValid() ? 0 : 10);
    return 0;
  });
  ASSERT_EQ(shm_test::WaitChild(child), 0);
  ASSERT_TRUE(shm_test::Exists(kName));
  {
    ToolRun info = RunTool({"info"});
    EXPECT_TRUE(Contains(info.out, "user count: 2")) << info.out;
  }
  EXPECT_TRUE(shm_test::Exists(kName));  // the count never falls to 0

  {
    ToolRun info = RunTool({"info"});
    EXPECT_TRUE(Contains(info.out, "live holder: none")) << info.out;
  }
  ASSERT_TRUE(shm_test::CreateRaw("TrnShmSpace", 16));
  ToolRun generic = RunTool({"remove", "generic"});
  EXPECT_EQ(generic.status, 0) << generic.err;
  EXPECT_FALSE(shm_test::Exists(kName));
  EXPECT_TRUE(shm_test::Exists("TrnShmSpace"));

  ToolRun both = RunTool({"remove"});  // both names; the generic one is gone already
  EXPECT_EQ(both.status, 1);
  EXPECT_TRUE(Contains(both.err, "No such file or directory"));
  EXPECT_TRUE(Contains(both.out, "TrnShmSpace"));
  EXPECT_FALSE(shm_test::Exists("TrnShmSpace"));
}

TEST_F(TarnelShmWithSegmentTest, VersionTextAndUserCountAreWrittenOnlyWithForce) {
  EXPECT_EQ(RunTool({"set", "63", "u8", "1"}).status, 2);
  EXPECT_EQ(RunTool({"set", "0x1C832", "u32", "0"}).status, 2);  // overlaps the count
  EXPECT_EQ(RunTool({"set", "0x10", "text", "x"}).status, 2);
  EXPECT_EQ(RunTool({"get", "0x1C834", "i32", "--force"}).status, 2);
  EXPECT_EQ(shm_->GetUserCount(), 1);
  EXPECT_EQ(RunTool({"set", "64", "u8", "1"}).status, 0);  // the first byte after the version
  const std::string info = RunTool({"info"}).out;
  EXPECT_TRUE(Contains(info, "live holder: yes"));
  EXPECT_TRUE(Contains(info, "held by:    pid " + std::to_string(::getpid()) + " (")) << info;  // this test
  ToolRun forced = RunTool({"set", "--force", "0x1C834", "i32", "3"});
  EXPECT_EQ(forced.status, 0) << forced.err;
  EXPECT_EQ(shm_->GetUserCount(), 2);  // 3, less the tool's own release
}

TEST_F(TarnelShmTest, DescribeListsThePanelsFieldsInEveryLayoutWithoutAttaching) {
  ToolRun csv = RunTool({"describe", "oxygen", "--csv"});
  EXPECT_EQ(csv.status, 0) << csv.err;
  EXPECT_TRUE(Contains(csv.out, "area,layout,unit,offset,width,type,writer,name,meaning,id,legend,role,area_id,station\n"));
  EXPECT_TRUE(Contains(csv.out, "oxygen,A330,-,0x12497,1,u8,station,button 0 position,\"1 in, 0 out\","
                                "oxygen.button0.position,CREW SUPPLY,position,19,yes\n"));
  EXPECT_TRUE(Contains(csv.out, "oxygen,A320,-,0x1EFF9,1,u8,station,button 1 position,"));
  EXPECT_TRUE(Contains(csv.out, "oxygen,A330,-,0x1217F,1,u8,simulation,lamp test,"));
  EXPECT_TRUE(Contains(csv.out, "oxygen,A320,-,0x1ECD2,1,u8,simulation,button 1 lamp (display-only mode),"));
  EXPECT_FALSE(Contains(csv.out, "station,iteration count"));

  ToolRun a320 = RunTool({"describe", "--layout", "A320", "--json"});
  EXPECT_EQ(a320.status, 0);
  EXPECT_TRUE(Contains(a320.out, "\"name\": \"iteration count\""));
  EXPECT_TRUE(Contains(a320.out, "\"offset\": 126968"));  // 0x1EFF8
  EXPECT_FALSE(Contains(a320.out, "\"offset\": 74903"));  // 0x12497, the A330 field
  EXPECT_EQ(a320.out.front(), '[');

  ToolRun unknown = RunTool({"describe", "galley"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_TRUE(Contains(unknown.err, "areas: station") && Contains(unknown.err, "oxygen"));
  EXPECT_FALSE(shm_test::Exists(kName));
}

TEST_F(TarnelShmWithSegmentTest, WatchPrintsEachChangeOfTheStationsFieldsUntilInterrupted) {
  ToolProcess watch = SpawnTool({"watch", "oxygen"});
  ASSERT_GT(watch.pid, 0);
  // Wait until the tool has attached (two users), then write as the station would.
  for (int i = 0; i < 200 && shm_->GetUserCount() < 2; i++) ::usleep(10000);
  ASSERT_EQ(shm_->GetUserCount(), 2);
  ::usleep(100000);
  base_[0x12497] = 1;      // oxygen button 0 position
  base_[0x1217F] = 1;      // lamp test: written by the simulation, not watched by default
  base_[0x0814 + 1] = 1;   // not an oxygen field
  ::usleep(300000);
  base_[0x12497] = 0;
  ::usleep(300000);
  ::kill(watch.pid, SIGINT);
  ToolRun run = FinishTool(watch);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "watching 4 fields (A330 layout)")) << run.out;
  EXPECT_TRUE(Contains(run.out, "oxygen.button0.position (CREW SUPPLY position) @0x12497 u8: 0 -> 1\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "oxygen.button0.position (CREW SUPPLY position) @0x12497 u8: 1 -> 0\n")) << run.out;
  EXPECT_FALSE(Contains(run.out, "lamp test"));
  EXPECT_FALSE(Contains(run.out, "iteration"));
  EXPECT_EQ(shm_->GetUserCount(), 1);  // the tool uncounted itself on the interrupt
}

TEST_F(TarnelShmWithSegmentTest, NoiseWritesOnlyTheFieldsTheSimulationWrites) {
  std::memset(base_ + 0x12494, 0x5A, 7);  // oxygen output block
  ToolRun run = RunTool({"noise", "oxygen", "--seconds", "1", "--seed", "7"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "noise over 9 fields")) << run.out;
  for (int i = 0; i < 7; i++) EXPECT_EQ(base_[0x12494 + i], 0x5A) << i;
  int changed = 0;
  for (uint32_t at : {0x12177u, 0x12178u, 0x1217Fu, 0x12181u}) changed += base_[at] != 0;
  EXPECT_GE(changed, 3);
  EXPECT_EQ(RunTool({"noise", "--rate", "0"}).status, 2);
}

// The change lines of a recording after its t = 0 snapshot: "field=value".
std::vector<std::string> Changes(const std::string& recording) {
  std::vector<std::string> changes;
  std::istringstream lines(recording);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("{\"t\":0.000,", 0) == 0 || !Contains(line, "\"field\":")) continue;
    const size_t field = line.find("\"field\":");
    const size_t value = line.find("\"value\":");
    changes.push_back(line.substr(field + 8, line.find(',', field) - field - 8) + "=" +
                      line.substr(value + 8, line.find_first_of(",}", value) - value - 8));
  }
  return changes;
}

TEST_F(TarnelShmWithSegmentTest, ARecordingReplaysItsInputsAtTheirPaceAndOutputsOnlyWhenAsked) {
  char path[] = "/tmp/tarnel_recording_XXXXXX";
  const int fd = ::mkstemp(path);
  ASSERT_GE(fd, 0);
  ::close(fd);
  ToolProcess record = SpawnTool({"record", path, "--seconds", "2"});
  for (int i = 0; i < 200 && shm_->GetUserCount() < 2; i++) ::usleep(10000);
  ::usleep(300000);
  base_[0x12177] = 1;                                   // oxygen lamp (simulation)
  const float nan = std::numeric_limits<float>::quiet_NaN();
  std::memcpy(base_ + 0x12068, &nan, sizeof nan);       // electrical value 0 (simulation)
  base_[0x12497] = 1;                                   // oxygen button 0 position (station)
  ::usleep(400000);
  const float volts = 28.5f;
  std::memcpy(base_ + 0x12068, &volts, sizeof volts);
  base_[0x12177] = 0;
  ToolRun recorded = FinishTool(record);
  ASSERT_EQ(recorded.status, 0) << recorded.err;
  const std::string original = ReadFile(path);
  EXPECT_EQ(original.rfind("{\"recording\":\"tarnel-shm\",\"version\":1,\"layout\":\"A330\"", 0), 0u) << original;
  EXPECT_TRUE(Contains(original, "\"value\":null,\"bits\":2143289344}")) << "NaN keeps its bits";
  EXPECT_TRUE(Contains(original, "\"end\":true,\"changes\":5}")) << original;

  // Back to the start, then replay while a second recording runs.
  std::memset(base_ + 0x12068, 0, 4);
  base_[0x12497] = 0;
  ToolProcess again = SpawnTool({"record", std::string(path) + ".2", "--seconds", "2"});
  for (int i = 0; i < 200 && shm_->GetUserCount() < 2; i++) ::usleep(10000);
  ToolRun replay = RunTool({"replay", path});
  EXPECT_EQ(replay.status, 0) << replay.err;
  ToolRun second = FinishTool(again);
  ASSERT_EQ(second.status, 0) << second.err;
  const std::vector<std::string> inputs = {"\"value 0\"=null", "\"button 0 upper lamp\"=1", "\"value 0\"=28.5",
                                           "\"button 0 upper lamp\"=0"};
  std::vector<std::string> replayed = Changes(ReadFile(std::string(path) + ".2"));
  std::sort(replayed.begin(), replayed.end());
  std::vector<std::string> expected = inputs;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(replayed, expected) << "the inputs, and not the station's button";
  EXPECT_EQ(base_[0x12497], 0);
  // At the recorded pace: the two writes of value 0 came 0.4 s apart.
  const std::string replayedText = ReadFile(std::string(path) + ".2");
  const auto timeOf = [&replayedText](const std::string& part) {
    const size_t at = replayedText.rfind("{\"t\":", replayedText.find(part));
    return std::atof(replayedText.c_str() + at + 5);
  };
  const double apart = timeOf("\"value\":28.5") - timeOf("\"value\":null");
  EXPECT_GT(apart, 0.2);
  EXPECT_LT(apart, 0.9);

  // With --outputs, and no station holding the segment, the button follows too.
  EXPECT_EQ(RunTool({"replay", path, "--outputs"}).status, 0);
  EXPECT_EQ(base_[0x12497], 1);
  ASSERT_TRUE(shm_->ClaimRange(0x0814, 4));  // as a running station does
  ToolRun refused = RunTool({"replay", path, "--outputs"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_TRUE(Contains(refused.err, "a station is running")) << refused.err;
  ::unlink(path);
  ::unlink((std::string(path) + ".2").c_str());
}

TEST_F(TarnelShmWithSegmentTest, ABadRecordingIsRefusedWithItsLineBeforeAnythingIsWritten) {
  const std::string header = "{\"recording\":\"tarnel-shm\",\"version\":1,\"layout\":\"A330\"}\n";
  const std::string good = "{\"t\":0.0,\"offset\":74103,\"type\":\"u8\",\"writer\":\"simulation\",\"value\":1}\n";
  const struct {
    std::string text;
    const char* reason;
  } cases[] = {
      {"", "line 0: empty file"},
      {good, "line 1: not a tarnel-shm recording"},
      {"{\"recording\":\"tarnel-shm\",\"version\":2,\"layout\":\"A330\"}\n", "format version 2"},
      {header + good + "{\"t\":0.0,\"offset\":6,\"type\":\"u8\",\"writer\":\"simulation\",\"value\":1}\n",
       "line 3: no u8 field at offset 6"},
      {header + good + "{\"t\":0.0,\"offset\":74103,\"type\":\"u8\",\"writer\":\"simulation\",\"value\":256}\n",
       "line 3: the value does not fit"},
      {header + good + "{\"t\":0.0,\"offset\":74103,\"type\":\"u8\",\"writer\":\"station\",\"value\":1}\n",
       "line 3: the writer does not match"},
      {header + "{\"t\":1.0,\"offset\":74103,\"type\":\"u8\",\"writer\":\"simulation\",\"value\":1}\n" + good,
       "line 3: time 0.000 s is earlier than the line before (1.000 s)"},
      {header + "{\"t\":1e8,\"offset\":74103,\"type\":\"u8\",\"writer\":\"simulation\",\"value\":1}\n",
       "line 2: time 100000000 s is beyond the longest recording"},
      {header + "{\"offset\":74103,\"type\":\"u8\",\"writer\":\"simulation\",\"value\":1}\n", "line 2: missing time"},
      {header + "{\"t\":0.0,\"offset\":4294967295,\"type\":\"u8\",\"writer\":\"simulation\",\"value\":1}\n",
       "line 2: no u8 field at offset 4294967295"},
      {"\n\n" + header + good, ""},  // blank lines before the header are allowed
      {"\n\n\n", "line 3: no header line"},
      {std::string(1000, '\0'), "line 1: a NUL byte at column 1"},
      {header + good + good.substr(0, good.size() - 1) + std::string(1, '\0') + "{\"t\":9}\n",
       "line 3: a NUL byte at column 69"},
      {header + good + "{\"t\":1.0,\"offset\":74103} x\n", "line 3: text after the object"},
      {header + good + "{\"t\":1e999,\"offset\":74103}\n", "line 3: bad value"},
      {header + good + "{\"t\":2.0,\"offset\":74103,\"field\":\"" + std::string(2000, 'x') + "\"}\n",
       "line 3: line too long"},
  };
  char path[] = "/tmp/tarnel_bad_recording_XXXXXX";
  const int fd = ::mkstemp(path);
  ASSERT_GE(fd, 0);
  ::close(fd);
  for (const auto& c : cases) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << c.text;
    ToolRun run = RunTool({"replay", path});
    EXPECT_EQ(run.status, c.reason[0] == '\0' ? 0 : 1) << c.reason;
    EXPECT_TRUE(Contains(run.err, c.reason)) << run.err;
    EXPECT_EQ(base_[0x12177], c.reason[0] == '\0' ? 1 : 0) << "nothing written: " << c.reason;
    base_[0x12177] = 0;
    EXPECT_EQ(shm_->GetUserCount(), 1) << "refused before attaching";
  }
  ::unlink(path);
  EXPECT_EQ(RunTool({"replay", "/nonexistent/recording"}).status, 1);
  EXPECT_EQ(RunTool({"record"}).status, 2);
}

TEST_F(TarnelShmWithSegmentTest, ARecordedDemonstrationRunReplaysToTheSameFields) {
  char path[] = "/tmp/tarnel_demo_recording_XXXXXX";
  const int fd = ::mkstemp(path);
  ASSERT_GE(fd, 0);
  ::close(fd);
  ToolProcess demo = SpawnTool({"--quiet"}, "tarnel-demo-sim");
  ToolProcess record = SpawnTool({"record", path});
  for (int i = 0; i < 300 && shm_->GetUserCount() < 3; i++) ::usleep(10000);
  ASSERT_EQ(shm_->GetUserCount(), 3);
  // Station-side writes the demonstration answers: buttons in, then one out.
  ::usleep(300000);
  for (uint32_t button : {0x12497u, 0x12498u, 0x1249Au}) base_[button] = 1;
  ::usleep(400000);
  base_[0x12498] = 0;
  ::usleep(400000);
  ::kill(demo.pid, SIGTERM);
  EXPECT_EQ(FinishTool(demo).status, 0);
  ::usleep(100000);
  ::kill(record.pid, SIGINT);
  ToolRun recorded = FinishTool(record);
  ASSERT_EQ(recorded.status, 0) << recorded.err;
  const uint32_t first = generic_area::kA330ZoneFirst;
  const uint32_t size = generic_area::kA330ZoneLast - first + 1;
  std::vector<uint8_t> ended(base_ + first, base_ + first + size);
  const std::vector<std::string> changes = Changes(ReadFile(path));
  ASSERT_NE(std::find(changes.begin(), changes.end(), "\"button 0 lower lamp\"=1"), changes.end())
      << "the demonstration lit the pushed button's legend";

  std::memset(base_ + first, 0, size);
  ToolRun replay = RunTool({"replay", path, "--outputs"});
  EXPECT_EQ(replay.status, 0) << replay.err;
  EXPECT_TRUE(std::equal(ended.begin(), ended.end(), base_ + first)) << "the fields as the run left them";
  ::unlink(path);
}

// Files that are no recording, and places a recording must not go: refused
// at once (nothing waits on a FIFO or reads /dev/zero for ever), the count
// released, the live segment untouched.
TEST_F(TarnelShmWithSegmentTest, ReplayAndRecordRefuseWhatIsNoRecordingFile) {
  char dir[] = "/tmp/tarnel_refusals_XXXXXX";
  ASSERT_NE(::mkdtemp(dir), nullptr);
  const std::string fifo = std::string(dir) + "/fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string underShm = "/dev/shm/" + shm_test::ObjectName("recording").substr(1);
  const std::string segment = "/dev/shm/" + shm_test::ObjectName(kName).substr(1);
  const struct {
    std::vector<std::string> args;
    const char* reason;
  } cases[] = {
      {{"replay", fifo}, "is not a regular file"},
      {{"replay", "/dev/zero"}, "is not a regular file"},
      {{"replay", dir}, "is a directory"},
      {{"record", fifo, "--seconds", "1"}, "not a regular file"},
      {{"record", "/dev/null", "--seconds", "1"}, "not a regular file"},
      {{"record", underShm, "--seconds", "1"}, "under /dev/shm"},
      {{"record", segment, "--seconds", "1"}, "under /dev/shm"},
  };
  for (const auto& c : cases) {
    ToolProcess tool = SpawnTool(c.args);
    ASSERT_TRUE(EndsWithin(tool, 5)) << c.args[1] << " hangs";
    ToolRun run = FinishTool(tool);
    EXPECT_EQ(run.status, 1) << c.args[1];
    EXPECT_TRUE(Contains(run.err, c.reason)) << run.err;
    EXPECT_EQ(shm_->GetUserCount(), 1) << c.args[1];
  }
  EXPECT_FALSE(shm_test::Exists("recording"));
  EXPECT_EQ(shm_test::ObjectSize(kName), 129328);

  // Standard input is read whole before anything is attached.
  const std::string input = std::string(dir) + "/input";
  std::ofstream(input) << "{\"recording\":\"tarnel-shm\",\"version\":1,\"layout\":\"A330\"}\n"
                       << "{\"t\":0.0,\"offset\":74103,\"type\":\"u8\",\"writer\":\"simulation\",\"value\":1}\n";
  ToolRun piped = FinishTool(SpawnTool({"replay", "-"}, "tarnel-shm", {input.c_str()}));
  EXPECT_EQ(piped.status, 0) << piped.err;
  EXPECT_EQ(base_[0x12177], 1);
  ::unlink(input.c_str());
  ::unlink(fifo.c_str());
  ::rmdir(dir);
}

// Every tool that stays attached ends cleanly, uncounted, when the reader of
// its output goes away (no death by SIGPIPE) or when another program makes
// the segment smaller (status 3 and a clear text, not a bus error).
TEST_F(TarnelShmWithSegmentTest, EveryToolEndsUncountedWhenItsReaderGoesOrItsSegmentShrinks) {
  // A size that keeps the user count but not the A320 fields, and one below
  // the A330 fields (the count out of reach then).
  constexpr off_t kKeepsCount = generic_area::kUserCount + 4;
  constexpr off_t kBelowFields = 0x12000;
  const struct {
    std::vector<std::string> args;
    const char* program;
    off_t shrinkTo;
    bool printsChanges;
  } tools[] = {
      {{"watch", "--inputs", "--a320"}, "tarnel-shm", kKeepsCount, true},
      {{"record", "-", "--a320"}, "tarnel-shm", kKeepsCount, true},
      {{"noise", "--seconds", "1"}, "tarnel-shm", kBelowFields, false},
      {{"--seconds", "1"}, "tarnel-demo-sim", kBelowFields, false},
  };
  const auto attached = [this] {
    for (int i = 0; i < 300 && shm_->GetUserCount() < 2; i++) ::usleep(10000);
    return shm_->GetUserCount() == 2;
  };
  const std::string object = shm_test::ObjectName(kName);
  for (const auto& t : tools) {
    SCOPED_TRACE(t.args[0]);
    // The reader reads the first line and goes; a field changes after that.
    Pipe output;
    ToolProcess piped = SpawnTool(t.args, t.program, {nullptr, output.fds});
    output.CloseWrite();
    ASSERT_TRUE(attached());
    std::string first;
    for (int c; (c = output.ReadByte()) >= 0 && c != '\n';) first.push_back(char(c));
    EXPECT_FALSE(first.empty());
    output.CloseRead();
    base_[0x12497] ^= 1;  // an A330 and an A320 field the station writes
    base_[0x1EFF9] ^= 1;
    ASSERT_TRUE(EndsWithin(piped, 5));
    EXPECT_EQ(FinishTool(piped).status, 0) << "ended, not killed by SIGPIPE";
    EXPECT_EQ(shm_->GetUserCount(), 1);

    if (t.printsChanges) {
      // A reader that stops reading: an interrupt still ends the tool.
      Pipe stalled;
      ::fcntl(stalled.fds[1], F_SETPIPE_SZ, 4096);
      ToolProcess held = SpawnTool(t.args, t.program, {nullptr, stalled.fds});
      stalled.CloseWrite();
      ASSERT_TRUE(attached());
      for (int round = 0; round < 3; round++) {
        std::memset(base_ + generic_area::kA320ZoneFirst, round + 1, 0x100);
        ::usleep(100000);
      }
      ::kill(held.pid, SIGINT);
      ASSERT_TRUE(EndsWithin(held, 5)) << "held by its output";
      EXPECT_EQ(FinishTool(held).status, 0);
      EXPECT_EQ(shm_->GetUserCount(), 1);
    }

    ToolProcess shrunk = SpawnTool(t.args, t.program);
    ASSERT_TRUE(attached());
    const int fd = ::shm_open(object.c_str(), O_RDWR, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, t.shrinkTo), 0);
    ASSERT_TRUE(EndsWithin(shrunk, 5));
    ToolRun run = FinishTool(shrunk);
    EXPECT_EQ(run.status, 3);
    EXPECT_TRUE(Contains(run.err, std::string(t.program) + ": a shared-memory segment was made smaller")) << run.err;
    // Back to full size for the next tool; a count out of reach was lost.
    ASSERT_EQ(::ftruncate(fd, generic_area::kSize), 0);
    ::close(fd);
    if (t.shrinkTo == kKeepsCount) {
      EXPECT_EQ(shm_->GetUserCount(), 1) << "the tool uncounted itself";
    } else {
      EXPECT_TRUE(Contains(run.err, "is out of reach")) << run.err;
      const int32_t one = 1;
      std::memcpy(base_ + generic_area::kUserCount, &one, sizeof one);
    }
  }
}

}  // namespace
