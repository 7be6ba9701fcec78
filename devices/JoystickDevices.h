// The game controllers and button boxes attached to the machine, read
// through the window system library's joystick interface: opened when they
// appear, closed when they go, and polled once per call of Poll, which
// reports what changed (every press, even one shorter than the time between
// two polls). Nothing is allocated per poll.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "devices/InputMapping.h"

// Told about devices and their inputs by JoystickDevices::Poll.
class InputListener {
 public:
  virtual ~InputListener() = default;
  virtual void OnDeviceAdded(int slot) = 0;
  virtual void OnDeviceRemoved(int slot) = 0;
  // A button (0 up, 1 down), hat (kHat* bits) or axis (-32768..32767) changed.
  virtual void OnInput(int slot, InputRef input, int32_t value) = 0;
};

class JoystickDevices {
 public:
  static constexpr int kMaxDevices = 8;
  static constexpr int kMaxButtons = 128;
  static constexpr int kMaxHats = 8;
  static constexpr int kMaxAxes = 16;
  static constexpr std::size_t kNameSize = 128;
  static constexpr std::size_t kGuidSize = 33;
  // Axis movements smaller than this are not reported (noise of a resting axis).
  static constexpr int32_t kAxisNoise = 512;

  struct Device {
    bool open = false;
    int32_t instance = -1;
    void* handle = nullptr;
    char name[kNameSize] = {};
    char guid[kGuidSize] = {};
    int buttons = 0;  // counts, as the device reports them (kept to the limits above)
    int hats = 0;
    int axes = 0;
    uint8_t button[kMaxButtons] = {};
    uint8_t hat[kMaxHats] = {};
    int16_t axis[kMaxAxes] = {};
  };

  JoystickDevices();
  ~JoystickDevices();
  JoystickDevices(const JoystickDevices&) = delete;
  JoystickDevices& operator=(const JoystickDevices&) = delete;

  // Opens the joystick layer; devices are polled by Poll only (the library
  // neither updates them nor queues their events on its own, so waiting for
  // window events stays a sleep). False with the reason.
  bool Start(char* error, std::size_t size);
  void Stop();
  bool IsStarted() const { return started_; }
  // Reads every device: devices that went (OnDeviceRemoved), devices that
  // came (OnDeviceAdded, with their state read), then every input that
  // changed (OnInput).
  void Poll(InputListener& listener);

  const Device& Slot(int slot) const { return devices_[slot]; }
  // The current value of an input of an open device (0 when it has none).
  int32_t Value(int slot, InputRef input) const;

  // Prints every device attached now: index, name, GUID, buttons, hats,
  // axes. Opens the layer for the listing. The number printed, -1 on failure.
  static int List(std::FILE* out, char* error, std::size_t size);

 private:
  void Open(int deviceIndex, int32_t instance, InputListener& listener);
  // Every button and hat change queued since the last poll, in order.
  void TakeEvents(InputListener& listener);
  // The inputs as they stand now: what the events did not tell.
  void Read(int slot, InputListener* listener);

  bool started_ = false;
  Device devices_[kMaxDevices];
  // Devices that would not open, not tried again (the last few).
  int32_t refused_[kMaxDevices];
  int refusedNext_ = 0;
};
