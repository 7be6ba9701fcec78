// A button box that exists only inside the station: a virtual joystick of
// the joystick layer, worked by text lines read from a named pipe. It lets a
// mapping file be tried without hardware, and the station's own tests drive
// the running station. One line per change:
//   button N 0|1     hat N BITS (1 up, 2 right, 4 down, 8 left)
//   axis N VALUE     unplug     plug
#pragma once

#include <cstddef>

class VirtualDevice {
 public:
  static constexpr int kButtons = 32;
  static constexpr int kHats = 2;
  static constexpr int kAxes = 4;
  static constexpr const char kName[] = "Virtual button box";

  VirtualDevice() = default;
  ~VirtualDevice();
  VirtualDevice(const VirtualDevice&) = delete;
  VirtualDevice& operator=(const VirtualDevice&) = delete;

  // Makes the pipe when there is none, opens it and plugs the box in. The
  // joystick layer must be open. False with the reason.
  bool Open(const char* pipePath, char* error, std::size_t size);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  // Applies every whole line waiting in the pipe; bad lines are reported on
  // stderr and skipped.
  void Poll();
  // One command line (without its newline); false with the reason.
  bool Apply(const char* line, char* error, std::size_t size);

 private:
  bool Plug(char* error, std::size_t size);
  void Unplug();

  int fd_ = -1;
  int index_ = -1;
  void* handle_ = nullptr;
  char pending_[4096] = {};  // read from the pipe, not yet applied
  std::size_t used_ = 0;
};
