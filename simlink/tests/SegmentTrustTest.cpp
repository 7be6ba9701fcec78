// Which segments a program trusts, the shared group, and the lock by which a
// live user is told from one that died.
#include <fcntl.h>
#include <grp.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "simlink/GenericSimShm.h"
#include "simlink/tests/ShmTestUtil.h"

namespace {

using shm_test::ScopedPrefix;

const char kName[] = "GenericSimSharedMemory";
constexpr uid_t kNobody = 65534;

// Sets an environment variable for the scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) { ::setenv(name, value, 1); }
  ~ScopedEnv() { ::unsetenv(name_); }

 private:
  const char* name_;
};

// Gives the object another owner, group and mode, as another user could.
void Restrict(uid_t owner, gid_t group, mode_t mode) {
  int fd = ::shm_open(shm_test::ObjectName(kName).c_str(), O_RDWR, 0);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::fchown(fd, owner, group), 0);
  ASSERT_EQ(::fchmod(fd, mode), 0);
  ::close(fd);
}

struct stat StatOf() {
  struct stat st = {};
  int fd = ::shm_open(shm_test::ObjectName(kName).c_str(), O_RDONLY, 0);
  if (fd >= 0) {
    ::fstat(fd, &st);
    ::close(fd);
  }
  return st;
}

class SegmentTrustTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "giving an object another owner needs root";
  }
  ScopedPrefix prefix_;
};

TEST_F(SegmentTrustTest, ForeignOrOpenSegmentsAreRefusedNamingOwnerAndMode) {
  GenericSimShm creator;
  ASSERT_TRUE(creator.IsValid());
  Restrict(::geteuid(), ::getegid(), 0666);
  GenericSimShm open;
  EXPECT_FALSE(open.IsValid());
  EXPECT_NE(open.GetFullText().find("with mode 0666: refused"), std::string::npos) << open.GetFullText();

  Restrict(kNobody, ::getegid(), 0600);
  GenericSimShm foreign;
  EXPECT_FALSE(foreign.IsValid());
  EXPECT_NE(foreign.GetFullText().find("(uid 65534,"), std::string::npos) << foreign.GetFullText();
  EXPECT_EQ(creator.GetUserCount(), 1);  // nothing counted, nothing changed
}

TEST_F(SegmentTrustTest, TheSharedGroupIsUsedOnCreationAndTrustedOnAttach) {
  const struct group* g = ::getgrgid(::getegid());
  ASSERT_NE(g, nullptr);
  ScopedEnv env("TARNEL_SHM_GROUP", g->gr_name);
  GenericSimShm creator;
  ASSERT_TRUE(creator.IsValid()) << creator.GetFullText();
  EXPECT_EQ(StatOf().st_mode & 0777, 0660u);
  EXPECT_EQ(StatOf().st_gid, ::getegid());

  // Another user's segment of the group is used; with access for others it is not.
  Restrict(kNobody, ::getegid(), 0660);
  {
    GenericSimShm member;
    EXPECT_TRUE(member.IsValid()) << member.GetFullText();
  }
  Restrict(kNobody, ::getegid(), 0664);
  GenericSimShm readable;
  EXPECT_FALSE(readable.IsValid());
}

TEST_F(SegmentTrustTest, AnUnknownSharedGroupIsNamedOnCreation) {
  ScopedEnv env("TARNEL_SHM_GROUP", "no-such-group-here");
  GenericSimShm shm;
  EXPECT_FALSE(shm.IsValid());
  EXPECT_NE(shm.GetFullText().find("TARNEL_SHM_GROUP names no group of this system: 'no-such-group-here'"),
            std::string::npos)
      << shm.GetFullText();
  EXPECT_FALSE(shm_test::Exists(kName));
}

TEST(SegmentLockTest, LiveUsersHoldTheSegmentAndDeadOnesAreNoted) {
  ScopedPrefix prefix;
  // A user that dies without uncounting itself.
  pid_t child = shm_test::StartChild([] {
    GenericSimShm* leaked = new GenericSimShm();
    ::_exit(leaked->IsValid() ? 0 : 10);
    return 0;
  });
  ASSERT_EQ(shm_test::WaitChild(child), 0);
  EXPECT_FALSE(platform::ShmHeld(shm_test::ObjectName(kName).c_str()));

  ::testing::internal::CaptureStderr();
  GenericSimShm first;
  const std::string noted = ::testing::internal::GetCapturedStderr();
  ASSERT_TRUE(first.IsValid());
  EXPECT_FALSE(first.OthersHeldIt());
  EXPECT_NE(noted.find("counts 1 other user(s), but no running program holds it"), std::string::npos) << noted;
  EXPECT_NE(noted.find("tarnel-shm remove"), std::string::npos);
  EXPECT_EQ(first.GetUserCount(), 2);  // nothing taken away

  EXPECT_TRUE(platform::ShmHeld(shm_test::ObjectName(kName).c_str()));
  ::testing::internal::CaptureStderr();
  GenericSimShm second;
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_TRUE(second.OthersHeldIt());
}

}  // namespace
