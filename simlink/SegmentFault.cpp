#include "simlink/SegmentFault.h"

#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "common/TextFcns.h"
#include "platform/SharedMemory.h"
#include "simlink/SimAreaSupport.h"

namespace segment_fault {

namespace {

struct Slot {
  int fd = -1;
  uint8_t* base = nullptr;
  uint32_t countOffset = 0;
  char name[platform::kShmObjectNameSize] = {};
};

constexpr int kSlots = 4;
Slot gSlots[kSlots];
char gProgram[64] = "program";

// Only async-signal-safe calls from here on.
void Say(const char* a, const char* b = "", const char* c = "") {
  for (const char* text : {a, b, c}) {
    ssize_t ignored = ::write(STDERR_FILENO, text, std::strlen(text));
    (void)ignored;
  }
}

void OnBusError(int /*signal*/, siginfo_t* /*info*/, void* /*context*/) {
  Say(gProgram, ": a shared-memory segment was made smaller by another program while in use; stopping\n");
  for (Slot& slot : gSlots) {
    if (slot.base == nullptr) continue;
    struct stat st;
    if (::fstat(slot.fd, &st) == 0 && st.st_size >= static_cast<off_t>(slot.countOffset) + 4) {
      if (simlink_detail::RemoveUser(slot.base, slot.countOffset)) ::shm_unlink(slot.name);
    } else {
      Say(gProgram, ": the user count of ", slot.name);
      Say(" is out of reach; when no program uses it, remove it with 'tarnel-shm remove'\n");
    }
  }
  ::_exit(kExitStatus);
}

}  // namespace

void Install(const char* program) {
  CopyBounded(gProgram, program, sizeof gProgram);
  struct sigaction action = {};
  action.sa_sigaction = OnBusError;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  sigaction(SIGBUS, &action, nullptr);
}

void Track(int fd, uint8_t* base, uint32_t countOffset, const char* objectName) {
  for (Slot& slot : gSlots) {
    if (slot.base == nullptr) {
      CopyBounded(slot.name, objectName, sizeof slot.name);
      slot.fd = fd;
      slot.countOffset = countOffset;
      __atomic_store_n(&slot.base, base, __ATOMIC_RELEASE);
      return;
    }
  }
}

void Untrack(const uint8_t* base) {
  for (Slot& slot : gSlots) {
    if (slot.base == base) __atomic_store_n(&slot.base, nullptr, __ATOMIC_RELEASE);
  }
}

}  // namespace segment_fault
