#include "devices/VirtualDevice.h"

#include <SDL.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/TextFcns.h"

namespace {


// The input a command line moves, as one number (buttons, then hats, then
// axes), or -1 for other lines.
int InputOf(const char* line) {
  char kind[8] = "";
  int n = -1;
  if (std::sscanf(line, " %7s %d", kind, &n) != 2 || n < 0) return -1;
  if (strcasecmp(kind, "button") == 0 && n < VirtualDevice::kButtons) return n;
  if (strcasecmp(kind, "hat") == 0 && n < VirtualDevice::kHats) return VirtualDevice::kButtons + n;
  if (strcasecmp(kind, "axis") == 0 && n < VirtualDevice::kAxes) return VirtualDevice::kButtons + VirtualDevice::kHats + n;
  return -1;
}

}  // namespace

VirtualDevice::~VirtualDevice() { Close(); }

bool VirtualDevice::Plug(char* error, std::size_t size) {
  if (index_ >= 0) return true;
  SDL_VirtualJoystickDesc desc;
  std::memset(&desc, 0, sizeof desc);
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_UNKNOWN;
  desc.naxes = kAxes;
  desc.nbuttons = kButtons;
  desc.nhats = kHats;
  desc.name = kName;
  index_ = SDL_JoystickAttachVirtualEx(&desc);
  handle_ = index_ >= 0 ? SDL_JoystickOpen(index_) : nullptr;
  if (handle_ == nullptr) {
    FormatBounded(error, size, "cannot make the virtual button box: %s", SDL_GetError());
    if (index_ >= 0) SDL_JoystickDetachVirtual(index_);
    index_ = -1;
    return false;
  }
  return true;
}

void VirtualDevice::Unplug() {
  if (handle_ != nullptr) SDL_JoystickClose(static_cast<SDL_Joystick*>(handle_));
  handle_ = nullptr;
  if (index_ >= 0) {
    // The index may have moved as other devices came and went.
    for (int i = 0; i < SDL_NumJoysticks(); i++) {
      const char* name = SDL_JoystickNameForIndex(i);
      if (SDL_JoystickIsVirtual(i) && name != nullptr && std::strcmp(name, kName) == 0) {
        SDL_JoystickDetachVirtual(i);
        break;
      }
    }
  }
  index_ = -1;
}

bool VirtualDevice::Open(const char* pipePath, char* error, std::size_t size) {
  Close();
  struct stat st;
  if (::stat(pipePath, &st) != 0) {
    if (errno != ENOENT || ::mkfifo(pipePath, 0600) != 0) {
      FormatBounded(error, size, "cannot make the pipe %s: %s", pipePath, std::strerror(errno));
      return false;
    }
  } else if (!S_ISFIFO(st.st_mode)) {
    FormatBounded(error, size, "%s is not a named pipe", pipePath);
    return false;
  }
  // Without a writer the pipe reads as empty; a writer may come at any time.
  fd_ = ::open(pipePath, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) {
    FormatBounded(error, size, "cannot open the pipe %s: %s", pipePath, std::strerror(errno));
    return false;
  }
  if (!Plug(error, size)) {
    Close();
    return false;
  }
  return true;
}

void VirtualDevice::Close() {
  Unplug();
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  used_ = 0;
}

bool VirtualDevice::Apply(const char* line, char* error, std::size_t size) {
  char work[sizeof pending_];
  CopyBounded(work, line, sizeof work);
  char* save = nullptr;
  const char* word = strtok_r(work, " \t\r", &save);
  const char* a = strtok_r(nullptr, " \t\r", &save);
  const char* b = strtok_r(nullptr, " \t\r", &save);
  const bool more = strtok_r(nullptr, " \t\r", &save) != nullptr;
  if (word == nullptr) return true;
  if (strcasecmp(word, "unplug") == 0 && a == nullptr) {
    Unplug();
    return true;
  }
  if (strcasecmp(word, "plug") == 0 && a == nullptr) return Plug(error, size);
  long n = 0, v = 0;
  auto* joystick = static_cast<SDL_Joystick*>(handle_);
  if (more || b == nullptr) {
    FormatBounded(error, size, "'%s': want button N 0|1, hat N BITS, axis N VALUE, unplug or plug", line);
    return false;
  }
  if (joystick == nullptr) {
    FormatBounded(error, size, "'%s': the box is unplugged", line);
    return false;
  }
  if (strcasecmp(word, "button") == 0 && ParseWholeNumber(a, 0, kButtons - 1, &n) && ParseWholeNumber(b, 0, 1, &v)) {
    SDL_JoystickSetVirtualButton(joystick, int(n), Uint8(v));
  } else if (strcasecmp(word, "hat") == 0 && ParseWholeNumber(a, 0, kHats - 1, &n) && ParseWholeNumber(b, 0, 15, &v)) {
    SDL_JoystickSetVirtualHat(joystick, int(n), Uint8(v));
  } else if (strcasecmp(word, "axis") == 0 && ParseWholeNumber(a, 0, kAxes - 1, &n) && ParseWholeNumber(b, -32768, 32767, &v)) {
    SDL_JoystickSetVirtualAxis(joystick, int(n), Sint16(v));
  } else {
    FormatBounded(error, size, "'%s': unknown command or number out of range", line);
    return false;
  }
  return true;
}

void VirtualDevice::Poll() {
  if (fd_ < 0) return;
  // The box, like a joystick, shows only where each input stands at a poll:
  // a line that moves an input already moved since the last poll waits for
  // the next one, so that a press and its release written together are
  // both seen.
  uint64_t moved[2] = {};
  for (;;) {
    if (used_ < sizeof pending_ - 1) {
      const ssize_t got = ::read(fd_, pending_ + used_, sizeof pending_ - 1 - used_);
      if (got > 0) used_ += size_t(got);
    }
    char* end = static_cast<char*>(std::memchr(pending_, '\n', used_));
    if (end == nullptr) {
      if (used_ == sizeof pending_ - 1) {
        std::fprintf(stderr, "tarnel: virtual button box: a line longer than %zu characters skipped\n", used_);
        used_ = 0;
        continue;
      }
      return;
    }
    *end = '\0';
    const int input = InputOf(pending_);
    if (input >= 0 && (moved[input / 64] & (uint64_t{1} << (input % 64))) != 0) {
      *end = '\n';
      return;
    }
    if (input >= 0) moved[input / 64] |= uint64_t{1} << (input % 64);
    char error[320];
    if (!Apply(pending_, error, sizeof error)) std::fprintf(stderr, "tarnel: virtual button box: %s\n", error);
    const size_t rest = used_ - size_t(end + 1 - pending_);
    std::memmove(pending_, end + 1, rest);
    used_ = rest;
  }
}
