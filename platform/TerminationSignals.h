// Blocks the terminating signals (SIGINT, SIGTERM, SIGHUP, SIGQUIT) for the
// object's life. A program counted as a user of a segment then ends only
// where it looks for them, so an interrupt can never leave the count one too
// high; made before any thread starts, they reach no other thread. Whatever
// is still pending is delivered when the object is gone.
#pragma once

#include <signal.h>
#include <time.h>

#include <initializer_list>

namespace platform {

class TerminationSignals {
 public:
  TerminationSignals() {
    sigemptyset(&set_);
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&set_, s);
    sigprocmask(SIG_BLOCK, &set_, &old_);
  }
  ~TerminationSignals() { sigprocmask(SIG_SETMASK, &old_, nullptr); }
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

  // The blocked set, for waits that end when one arrives (sigtimedwait).
  const sigset_t* Blocked() const { return &set_; }
  // True when one has arrived (taken from the pending set); does not wait.
  bool Arrived() const {
    const timespec none{0, 0};
    return sigtimedwait(&set_, nullptr, &none) >= 0;
  }

 private:
  sigset_t set_;
  sigset_t old_;
};

}  // namespace platform
