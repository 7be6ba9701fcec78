// The common base of every sub-panel of the overhead picture.
#pragma once

#include <cstdint>

#include "common/Qx_ErrorReport.h"
#include "panels/MouseState.h"

namespace platform {
class DrawSurface;
}

class BasePanel : public Qx_ErrorReport {
 public:
  static constexpr int32_t kDefaultAircraftType = 9;
  static constexpr int kRevisionSize = 250;

  // A panel constructed without its identification lines shows "Not Set Up".
  BasePanel();
  BasePanel(const char* sourceRevision, const char* headerRevision);
  ~BasePanel() override;

  // Registers the panel's two identification lines, and BasePanel's own once
  // per process.
  virtual void RegisterRevisions();
  // Sets every control from the simulation's values, without mouse input.
  virtual void ShowSimulationState();
  // Puts every control in the panel's default position and writes the
  // positions to the panel's output block.
  virtual void ResetToDefaults();
  virtual void SetAircraftType(int32_t code);
  // Whether the panel exists on the aircraft type; false for every code here.
  virtual bool CheckAircraftFit();

  // The three operations the cockpit manager calls on every panel. A
  // sub-panel defines them with exactly these signatures; a mismatch makes
  // the panel abstract and the manager fails to compile.
  // Initialise takes the origin as (y, x), in this order.
  virtual bool Initialise(const char* folder, int32_t originY, int32_t originX) = 0;
  virtual void Update(const MouseState& mouse) = 0;
  virtual void Draw(platform::DrawSurface& surface) = 0;

  // The unit or seat number of a panel that serves several (none here).
  virtual void SetUnit(int32_t unit);
  // Initialise for a panel that takes the aircraft type code as a fourth
  // argument: here the code is stored and Initialise follows.
  virtual bool InitialiseForType(const char* folder, int32_t originY, int32_t originX, int32_t code);

  void SetDisplayOnly(bool displayOnly) { displayOnly_ = displayOnly; }
  bool IsDisplayOnly() const { return displayOnly_; }
  // Clamped to 0.1 .. 5.0.
  void SetScale(double scale);
  double GetScale() const { return scale_; }
  int32_t GetAircraftType() const { return aircraftType_; }
  int32_t GetOriginX() const { return originX_; }
  int32_t GetOriginY() const { return originY_; }
  const char* GetSourceRevision() const { return sourceRevision_; }
  const char* GetHeaderRevision() const { return headerRevision_; }

  // The generic simulation area, shared by every panel; null until set.
  static void SetSharedMemory(uint8_t* base);
  static uint8_t* GetSharedMemory();

 protected:
  void SetOrigin(int32_t originX, int32_t originY) {
    originX_ = originX;
    originY_ = originY;
  }

  int32_t originX_ = 0;
  int32_t originY_ = 0;
  double scale_ = 1.0;
  bool ready_ = false;
  bool displayOnly_ = false;
  int32_t aircraftType_ = kDefaultAircraftType;
  char sourceRevision_[kRevisionSize] = {};
  char headerRevision_[kRevisionSize] = {};
};
