#include "shell/RealTimeLoop.h"

#include "common/RevisionString.h"

namespace {

RevisionLines gRevisions("%Z% RealTimeLoop QX_P_0077_03 RealTimeLoop.cpp $Revision: 1.4 $",
                         "%Z% RealTimeLoop QX_P_0077_03 RealTimeLoop.h $Revision: 1.2 $");

RealTimeClient* gDialog = nullptr;

}  // namespace

RealTimeLoop::RealTimeLoop(RealTimeClient* dialog, int32_t rate, platform::Clock* clock,
                           platform::MessagePump* pump)
    : RTLoop(rate, clock, pump) {
  gRevisions.RegisterOnce();
  gDialog = dialog;
}

RealTimeLoop::~RealTimeLoop() {
  // Nothing may call a dialog through a loop that no longer exists.
  gDialog = nullptr;
}

int32_t RealTimeLoop::Iterate(int32_t /*windowPosition*/, int32_t /*state*/) {
  if (gDialog != nullptr) {
    gDialog->OnRealTimeIteration();
  }
  return 0;
}

RealTimeClient* RealTimeLoop::Dialog() { return gDialog; }
