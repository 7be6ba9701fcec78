// Turns what the devices do into operations on the controls of the picture.
// Every operation enters where the mouse and touch enter: a press and a
// release at the picture point a click would use for it (the switch's
// third, the knob's sector, the half of a rotary knob), through the
// cockpit manager's hit test, so closed guards, forced buttons and
// display-only panels rule hardware as they rule the mouse. Follow and
// position mappings are the truth: when a device comes, after a panel
// reset and at start-up, their controls are set to what the hardware says.
#pragma once

#include <cstddef>
#include <cstdint>

#include "devices/InputMappingFile.h"
#include "devices/JoystickDevices.h"
#include "devices/VirtualDevice.h"
#include "panels/CockpitManager.h"
#include "panels/ControlHit.h"

// A mouse state (0 no button, 1 left down, 2 right down) at a picture
// point, handed to the panels as the main dialog hands the mouse.
using PointerInjector = void (*)(void* context, int32_t button, int32_t x, int32_t y);

class HardwareInput : public InputListener {
 public:
  static constexpr int kMaxHolds = 8;
  static constexpr std::size_t kStatusSize = 200;
  static constexpr std::size_t kValueSize = 32;
  static constexpr int kFreshIterations = 150;

  HardwareInput(CockpitManager& cockpit, PointerInjector inject, void* context);

  // The mappings (may be null: learn mode only) and the file learnt lines go
  // to (null: printed on stdout). Opens the joystick layer.
  bool Start(InputMappingFile* mappings, const char* learnFile, char* error, std::size_t size);
  // The station's start: reads the mapping file (null or "": none; learnt
  // lines are then printed), reports its bad lines on stderr, and starts;
  // with a pipe, a virtual button box worked through it comes too.
  bool Open(const char* mappingFile, const char* virtualPipe);
  void Stop() {
    virtual_.Close();
    devices_.Stop();
  }
  // Once per iteration: polls the devices and acts on what changed; re-holds
  // held buttons; sets the truth again after a reset (resetCount: the
  // dialog's count of panel resets) or a panel's own reset request.
  // learnTarget: the control under the pointer in inspect mode, else null.
  void Iterate(int resetCount, const ControlHit* learnTarget);

  // The last device event or learnt line, for the inspect status line.
  const char* Status() const { return status_; }
  // The same while it is news (the first 150 iterations after it), else "".
  const char* FreshStatus() const { return statusAge_ < kFreshIterations ? status_ : ""; }
  JoystickDevices& Devices() { return devices_; }
  // Sets every truth mapping of a device slot to what the hardware says.
  void Synchronise(int slot);

  void OnDeviceAdded(int slot) override;
  void OnDeviceRemoved(int slot) override;
  void OnInput(int slot, InputRef input, int32_t value) override;

 private:
  struct Hold {
    bool active = false;
    int slot = -1;
    int mapping = -1;
  };
  struct Pending {  // the first button of a pair being learnt
    bool active = false;
    int slot = -1;
    uint8_t button = 0;
  };

  SubPanel* PanelOf(const InputMapping& m) const;
  // The push button of a button or guarded-button mapping; null for others.
  static const CButtonClass* ButtonOf(const SubPanel& panel, const InputMapping& m);
  void Act(int slot, const InputMapping& m, int index, InputRef input, int32_t value);
  void Click(int32_t button, int x, int y);
  // The control's state as the log shows it: "in", "open", "position 2".
  static void Describe(const InputMapping& m, SubPanel& panel, char* value, std::size_t size);
  void Log(int slot, const InputMapping& m, SubPanel& panel, const char* before);
  void Learn(int slot, InputRef input, int32_t value, const ControlHit& target);
  void Bind(int slot);
  char* NewStatus() {
    statusAge_ = 0;
    return status_;
  }

  CockpitManager& cockpit_;
  PointerInjector inject_;
  void* context_;
  JoystickDevices devices_;
  VirtualDevice virtual_;
  InputMappingFile file_;  // the station's own (Open)
  InputMappingFile* mappings_ = nullptr;
  const char* learnFile_ = nullptr;
  // The sections each slot's device matches (by name and by GUID), one bit each.
  uint32_t sections_[JoystickDevices::kMaxDevices] = {};
  bool Mine(int slot, const InputMapping& m) const { return (sections_[slot] >> m.section & 1u) != 0; }
  Hold holds_[kMaxHolds];
  int resetCount_ = 0;
  bool resetRequested_[PanelManager::kMaxPanels] = {};
  const ControlHit* learnTarget_ = nullptr;
  bool learning_ = false;  // the last poll had a learning target
  Pending pending_;
  int learntSlot_ = -1;  // the device whose section header was last appended
  char status_[kStatusSize] = {};
  int statusAge_ = kFreshIterations;  // iterations since status_ changed
};
