// The bridge's work on its local segment, apart from the transport: which
// areas' local fields changed and are due to be sent, and the writing of the
// fields received from the other side.
//
// Sending: an area is due when one of its local fields (those whose writer is
// on this side) changed since it was last sent, when it was never sent, or
// half a second after it was last sent (the interface asks for at least once
// a second; half lets a late joiner whose middleware missed the history have
// the state within a second). Each field is read in one access.
//
// Receiving: the sample comes from the network and is checked field by field:
// only fields this side declares for that area with the other side as writer
// are written, each in one access, and only when the segment holds another
// value, so the bridge never writes a field whose writer is on its own side.
#pragma once

#include <cstdint>

#include "bridge/AreaImage.h"
#include "bridge/BridgeFields.h"

class BridgeState {
 public:
  static constexpr int64_t kRepeatMs = 500;

  // local: the writer on this side (kSimulation for the simulation's side).
  BridgeState(const BridgeFields& fields, FieldWriter local);

  // Fills image with the next area that is due at nowMs, searching from the
  // area after the last one handed out; false when none is due. The area is
  // counted as sent.
  bool NextDue(const uint8_t* base, int64_t nowMs, AreaImage* image);
  // Marks every area due (a new peer wants everything at once).
  void SendAllNow();
  // When NextDue last found a local field changed (0: never).
  int64_t LastChangeMs() const { return lastChangeMs_; }

  struct Applied {
    int written = 0;   // fields written into the segment
    int unknown = 0;   // fields this side does not declare for the area and the other side
    bool knownArea = false;
  };
  // Writes a received sample into the segment.
  Applied Apply(const AreaImage& image, uint8_t* base) const;

  FieldWriter Local() const { return local_; }
  FieldWriter Remote() const { return remote_; }

 private:
  const BridgeFields& fields_;
  FieldWriter local_;
  FieldWriter remote_;
  uint32_t sent_[BridgeFields::kMaxFields] = {};  // last value sent, by index into BridgeFields::Data()
  int64_t sentAtMs_[BridgeFields::kMaxAreas] = {};
  bool everSent_[BridgeFields::kMaxAreas] = {};
  int next_ = 0;
  int64_t lastChangeMs_ = 0;
};

// Loads and stores one field of the segment in one access.
uint32_t LoadFieldBits(const uint8_t* base, const BridgeField& field);
void StoreFieldBits(uint8_t* base, const BridgeField& field, uint32_t bits);
