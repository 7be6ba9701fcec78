// A segment made smaller under a program that uses it: the program stops with
// a message and its own exit status, uncounted where its counts can be reached.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "simlink/CTrnShm.h"
#include "simlink/GenericSimShm.h"
#include "simlink/SegmentFault.h"
#include "simlink/tests/ShmTestUtil.h"

namespace {

using shm_test::Pipe;
using shm_test::ScopedPrefix;

TEST(SegmentFaultTest, AShrunkSegmentEndsTheProgramCleanlyWithItsOwnStatus) {
  ScopedPrefix prefix;
  Pipe ready;
  Pipe go;
  Pipe said;
  pid_t child = shm_test::StartChild([&] {
    ::dup2(said.fds[1], STDERR_FILENO);
    segment_fault::Install("tester");
    GenericSimShm generic;
    CTrnShm training;
    ready.WriteByte(generic.IsValid() && training.IsValid() ? 1 : 0);
    go.ReadByte();
    volatile uint8_t* far = generic.GetBase() + 0x1F000;
    *far = 1;  // past the new end
    return 0;
  });
  ASSERT_EQ(ready.ReadByte(), 1);
  CTrnShm training;  // counts 2 with the child
  ASSERT_TRUE(training.IsValid());
  int fd = ::shm_open(shm_test::ObjectName("GenericSimSharedMemory").c_str(), O_RDWR, 0);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, 4096), 0);
  ::close(fd);
  go.WriteByte(1);
  EXPECT_EQ(shm_test::WaitChild(child), segment_fault::kExitStatus);
  said.CloseWrite();
  std::string text;
  for (int c; (c = said.ReadByte()) >= 0;) text.push_back(static_cast<char>(c));
  EXPECT_NE(text.find("tester: a shared-memory segment was made smaller by another program while in use"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("GenericSimSharedMemory is out of reach; when no program uses it, remove it with "
                      "'tarnel-shm remove'"),
            std::string::npos)
      << text;
  EXPECT_EQ(training.GetUserCount(), 1);  // the child uncounted itself where it could
  ::shm_unlink(shm_test::ObjectName("GenericSimSharedMemory").c_str());
}

}  // namespace
