// A loop-back stand-in for the aircraft model: answers the station the way a
// simple simulation would, so that a station without a simulation still
// lives. Every field it reads or writes is found by name in the interface
// declarations (panels/PanelInterface.h), in the layout and unit each panel
// runs with in the station:
//   - every push button (and guarded button) with a lower lamp lights it
//     while the button's position reads in;
//   - fault (upper) lamps follow a scripted failure list;
//   - the ANN LT switch in its TEST position sets every panel's lamp test;
//   - the electrical display gets a value for each selector position;
//   - the radio panel gets its power from its ON/OFF switch, active
//     frequencies, and an acknowledged transfer: the standby it sends
//     becomes the active frequency.
// The model holds no process state: Step works on any area (the segment, or
// a test's memory), so it is tested without a process.
#pragma once

#include <cstddef>
#include <cstdint>

#include "panels/PanelBlock.h"

class DemoSimulation {
 public:
  static constexpr int kStepsPerSecond = 20;
  static constexpr int kMaxLinks = 320;
  static constexpr int kMaxValues = 16;
  static constexpr int kMaxFailures = 8;
  static constexpr int kRadioCount = 6;  // communication radios with an active frequency

  // Finds every field the model uses. False with the first field that the
  // declarations do not have named in error (the model then does nothing).
  bool Build(char* error, size_t size);
  bool IsBuilt() const { return built_; }

  // One step at step number `step` (kStepsPerSecond a second, from 0): reads
  // the station's fields in the area and writes the simulation's. Values read
  // from the area are untrusted: any bytes leave the model sound.
  void Step(uint8_t* area, uint32_t step);

  // How many fields the model writes (for the start-up line).
  int WrittenFieldCount() const;
  // How many button lamps follow their buttons.
  int ButtonLampCount() const { return buttonLinks_; }

 private:
  // `to` (u8) is 1 while `from` (u8) is non-zero.
  struct Link {
    uint32_t from = 0;
    uint32_t to = 0;
  };
  // A float written on every step, with an optional slow wobble.
  struct Value {
    uint32_t to = 0;
    float value = 0.0f;
    float wobble = 0.0f;
  };
  // A lamp lit for `length` seconds from `start` in every cycle.
  struct Failure {
    uint32_t lamp = 0;
    float start = 0.0f;
    float length = 0.0f;
  };
  // The radio panel's transfer handshake.
  struct Radio {
    bool present = false;
    uint32_t request = 0;    // station: u8
    uint32_t selection = 0;  // station: i32
    uint32_t newActive = 0;  // station: f32
    uint32_t acknowledge = 0;
    int active[kRadioCount] = {};  // index into values_ of each radio's active frequency
    bool acknowledged = false;
  };

  bool AddLink(uint32_t from, uint32_t to);
  bool AddButtonLinks(char* error, size_t size);
  bool AddSpecials(char* error, size_t size);
  void StepRadio(uint8_t* area);

  Link links_[kMaxLinks];
  int linkCount_ = 0;
  int buttonLinks_ = 0;
  Value values_[kMaxValues];
  int valueCount_ = 0;
  Failure failures_[kMaxFailures];
  int failureCount_ = 0;
  Radio radio_;
  bool built_ = false;
};
