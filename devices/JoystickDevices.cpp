#include "devices/JoystickDevices.h"

#include <SDL.h>

#include <cstdlib>

#include "common/TextFcns.h"

namespace {

uint8_t HatBits(Uint8 hat) {
  uint8_t bits = 0;
  if ((hat & SDL_HAT_UP) != 0) bits |= kHatUp;
  if ((hat & SDL_HAT_RIGHT) != 0) bits |= kHatRight;
  if ((hat & SDL_HAT_DOWN) != 0) bits |= kHatDown;
  if ((hat & SDL_HAT_LEFT) != 0) bits |= kHatLeft;
  return bits;
}

int Limit(int count, int maximum) { return count < 0 ? 0 : (count > maximum ? maximum : count); }

}  // namespace

JoystickDevices::JoystickDevices() {
  for (int32_t& r : refused_) r = -1;
}

JoystickDevices::~JoystickDevices() { Stop(); }

bool JoystickDevices::Start(char* error, std::size_t size) {
  if (started_) return true;
  // The event queue's wait would poll every millisecond while it has
  // joysticks to update; the station reads them once per iteration instead.
  SDL_SetHint(SDL_HINT_AUTO_UPDATE_JOYSTICKS, "0");
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
    FormatBounded(error, size, "cannot open the joystick layer: %s", SDL_GetError());
    return false;
  }
  // Buttons and hats as events, so that a press shorter than one
  // iteration (an encoder's pulse) is still seen; Poll takes them from the
  // queue. Axes are read as they stand.
  SDL_JoystickEventState(SDL_IGNORE);
  SDL_EventState(SDL_JOYBUTTONDOWN, SDL_ENABLE);
  SDL_EventState(SDL_JOYBUTTONUP, SDL_ENABLE);
  SDL_EventState(SDL_JOYHATMOTION, SDL_ENABLE);
  started_ = true;
  return true;
}

void JoystickDevices::Stop() {
  if (!started_) return;
  for (Device& d : devices_) {
    if (d.open) SDL_JoystickClose(static_cast<SDL_Joystick*>(d.handle));
    d = Device{};
  }
  SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  started_ = false;
}

void JoystickDevices::Open(int deviceIndex, int32_t instance, InputListener& listener) {
  int slot = 0;
  while (slot < kMaxDevices && devices_[slot].open) slot++;
  if (slot == kMaxDevices) return;
  SDL_Joystick* joystick = SDL_JoystickOpen(deviceIndex);
  if (joystick == nullptr) {
    std::fprintf(stderr, "tarnel: cannot open game controller %d: %s\n", deviceIndex, SDL_GetError());
    refused_[refusedNext_] = instance;
    refusedNext_ = (refusedNext_ + 1) % kMaxDevices;
    return;
  }
  Device& d = devices_[slot];
  d = Device{};
  d.open = true;
  d.instance = instance;
  d.handle = joystick;
  const char* name = SDL_JoystickName(joystick);
  CopyBounded(d.name, name != nullptr ? name : "unnamed device", sizeof d.name);
  SDL_JoystickGetGUIDString(SDL_JoystickGetGUID(joystick), d.guid, sizeof d.guid);
  d.buttons = Limit(SDL_JoystickNumButtons(joystick), kMaxButtons);
  d.hats = Limit(SDL_JoystickNumHats(joystick), kMaxHats);
  d.axes = Limit(SDL_JoystickNumAxes(joystick), kMaxAxes);
  Read(slot, nullptr);
  listener.OnDeviceAdded(slot);
}

void JoystickDevices::Read(int slot, InputListener* listener) {
  Device& d = devices_[slot];
  auto* joystick = static_cast<SDL_Joystick*>(d.handle);
  for (int i = 0; i < d.buttons; i++) {
    const uint8_t v = SDL_JoystickGetButton(joystick, i) != 0 ? 1 : 0;
    if (v != d.button[i]) {
      d.button[i] = v;
      if (listener != nullptr) listener->OnInput(slot, InputRef{InputKind::kButton, uint8_t(i)}, v);
    }
  }
  for (int i = 0; i < d.hats; i++) {
    const uint8_t v = HatBits(SDL_JoystickGetHat(joystick, i));
    if (v != d.hat[i]) {
      d.hat[i] = v;
      if (listener != nullptr) listener->OnInput(slot, InputRef{InputKind::kHat, uint8_t(i)}, v);
    }
  }
  for (int i = 0; i < d.axes; i++) {
    const int16_t v = SDL_JoystickGetAxis(joystick, i);
    // Small movements are noise; an axis coming to either end is always told.
    const bool end = (v == -32768 || v == 32767) && v != d.axis[i];
    if (listener == nullptr || end || std::abs(int32_t(v) - int32_t(d.axis[i])) >= kAxisNoise) {
      d.axis[i] = v;
      if (listener != nullptr) listener->OnInput(slot, InputRef{InputKind::kAxis, uint8_t(i)}, v);
    }
  }
}

void JoystickDevices::TakeEvents(InputListener& listener) {
  SDL_Event events[32];
  int got = 0;
  while ((got = SDL_PeepEvents(events, 32, SDL_GETEVENT, SDL_JOYHATMOTION, SDL_JOYBUTTONUP)) > 0) {
    for (int e = 0; e < got; e++) {
      const SDL_Event& event = events[e];
      const bool hat = event.type == SDL_JOYHATMOTION;
      const int32_t which = hat ? event.jhat.which : event.jbutton.which;
      int slot = 0;
      while (slot < kMaxDevices && !(devices_[slot].open && devices_[slot].instance == which)) slot++;
      if (slot == kMaxDevices) continue;
      Device& d = devices_[slot];
      if (hat && event.jhat.hat < d.hats) {
        const uint8_t v = HatBits(event.jhat.value);
        if (v != d.hat[event.jhat.hat]) {
          d.hat[event.jhat.hat] = v;
          listener.OnInput(slot, InputRef{InputKind::kHat, event.jhat.hat}, v);
        }
      } else if (!hat && event.jbutton.button < d.buttons) {
        const uint8_t v = event.jbutton.state == SDL_PRESSED ? 1 : 0;
        if (v != d.button[event.jbutton.button]) {
          d.button[event.jbutton.button] = v;
          listener.OnInput(slot, InputRef{InputKind::kButton, event.jbutton.button}, v);
        }
      }
    }
  }
}

void JoystickDevices::Poll(InputListener& listener) {
  if (!started_) return;
  SDL_JoystickUpdate();
  TakeEvents(listener);
  for (int slot = 0; slot < kMaxDevices; slot++) {
    Device& d = devices_[slot];
    if (d.open && !SDL_JoystickGetAttached(static_cast<SDL_Joystick*>(d.handle))) {
      listener.OnDeviceRemoved(slot);
      SDL_JoystickClose(static_cast<SDL_Joystick*>(d.handle));
      d = Device{};
    }
  }
  const int count = SDL_NumJoysticks();
  for (int i = 0; i < count; i++) {
    const int32_t instance = SDL_JoystickGetDeviceInstanceID(i);
    bool known = instance < 0;
    for (const Device& d : devices_) known = known || (d.open && d.instance == instance);
    for (const int32_t r : refused_) known = known || r == instance;
    if (!known) Open(i, instance, listener);
  }
  for (int slot = 0; slot < kMaxDevices; slot++) {
    if (devices_[slot].open) Read(slot, &listener);
  }
}

int32_t JoystickDevices::Value(int slot, InputRef input) const {
  if (slot < 0 || slot >= kMaxDevices || !devices_[slot].open) return 0;
  const Device& d = devices_[slot];
  switch (input.kind) {
    case InputKind::kButton: return input.index < d.buttons ? d.button[input.index] : 0;
    case InputKind::kHat: return input.index < d.hats ? d.hat[input.index] : 0;
    case InputKind::kAxis: return input.index < d.axes ? d.axis[input.index] : 0;
  }
  return 0;
}

int JoystickDevices::List(std::FILE* out, char* error, std::size_t size) {
  JoystickDevices devices;
  if (!devices.Start(error, size)) return -1;
  SDL_JoystickUpdate();
  const int count = SDL_NumJoysticks();
  std::fprintf(out, "%-5s %-40s %-32s %7s %4s %4s\n", "INDEX", "NAME", "GUID", "BUTTONS", "HATS", "AXES");
  for (int i = 0; i < count; i++) {
    SDL_Joystick* joystick = SDL_JoystickOpen(i);
    if (joystick == nullptr) continue;
    char guid[kGuidSize];
    SDL_JoystickGetGUIDString(SDL_JoystickGetGUID(joystick), guid, sizeof guid);
    const char* name = SDL_JoystickName(joystick);
    std::fprintf(out, "%-5d %-40s %-32s %7d %4d %4d\n", i, name != nullptr ? name : "unnamed device", guid,
                 SDL_JoystickNumButtons(joystick), SDL_JoystickNumHats(joystick), SDL_JoystickNumAxes(joystick));
    SDL_JoystickClose(joystick);
  }
  return count;
}
