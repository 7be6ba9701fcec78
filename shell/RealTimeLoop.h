// The real-time loop of the station: each iteration calls the main dialog.
#pragma once

#include <cstdint>

#include "shell/RTLoop.h"

// What the loop calls once per iteration; the main dialog implements it.
class RealTimeClient {
 public:
  virtual void OnRealTimeIteration() = 0;

 protected:
  ~RealTimeClient() = default;
};

class RealTimeLoop : public RTLoop {
 public:
  // Stores the dialog in the process-wide pointer; there is one loop at a time.
  RealTimeLoop(RealTimeClient* dialog, int32_t rate, platform::Clock* clock = nullptr,
               platform::MessagePump* pump = nullptr);
  ~RealTimeLoop() override;

  // Calls the dialog's OnRealTimeIteration; both arguments are ignored.
  int32_t Iterate(int32_t windowPosition, int32_t state) override;

  static RealTimeClient* Dialog();
};
