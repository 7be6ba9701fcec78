// The bitmap copies of one drawing pass, kept to compare with the next pass.
// A pass draws the controls in a fixed order; its result on the picture is
// decided, pixel by pixel, by the last copy covering it. So where the next
// pass makes the same copies (same bitmap, same place) in the same order, the
// picture comes out unchanged, and only the places of copies that appeared,
// disappeared or changed need repainting. Fixed capacity, nothing allocated.
#pragma once

#include <cstdint>

#include "platform/Graphics.h"

namespace platform {

// A copy of the bitmap placed at x, y: the part inside area (surface
// coordinates) is copied. Copies with the same bitmap, place and area put
// the same pixels on the surface.
struct BitmapCopy {
  NativeSurface* bitmap = nullptr;
  int x = 0;
  int y = 0;
  Rect area;
};

class PassLog {
 public:
  // Copies recorded per pass; a pass with more is drawn directly.
  static constexpr int kMaxCopies = 2048;
  // Marked parts per pass (one per panel); later marks are not kept.
  static constexpr int kMaxSegments = 32;

  // Starts recording a pass.
  void Begin();
  // The copies recorded next belong to the part with this key (a panel), up
  // to the next mark or the end of the pass.
  void BeginSegment(int key);
  // Records again, as the part with this key, the copies the previous pass
  // recorded for it: a part that would draw the same copies need not draw.
  // False, nothing recorded, when the previous pass has no complete record of
  // the part (or this pass has no room for it).
  bool RepeatSegment(int key);
  // False when the pass is full: the copy was not recorded.
  bool Record(const BitmapCopy& copy);
  // The surface changed other than through the recorded copies: the pass
  // under way (and the next one) cannot rely on the previous pass.
  void Invalidate() { previousValid_ = false; currentValid_ = false; }
  // Adds to damage every rectangle where this pass's result may differ from
  // the previous pass's: the places of copies without a counterpart in the
  // other pass. True when repainting the pass's copies inside those
  // rectangles gives the picture a full repaint would; false when the whole
  // pass must be repainted (no usable previous pass, or copies came in
  // another order).
  bool Compare(DamageList& damage);
  // The pass becomes the previous one.
  void End();

  // The last pass was recorded whole and nothing was drawn since.
  bool KnowsLastPass() const { return previousValid_; }
  int Count() const { return count_[current_]; }
  const BitmapCopy& Copy(int i) const { return copies_[current_][i]; }

 private:
  static constexpr int kTableSize = 2 * kMaxCopies;  // a power of two
  struct Slot {
    uint32_t generation = 0;
    int head = -1;  // the first previous copy with this key not yet matched
    BitmapCopy key;
  };
  int FindSlot(const BitmapCopy& copy) const;

  BitmapCopy copies_[2][kMaxCopies];
  int count_[2] = {};
  struct Segment {
    int key = 0;
    int first = 0;  // the part's first copy; it runs to the next part's first, or the count
  };
  Segment segments_[2][kMaxSegments];
  int segmentCount_[2] = {};
  int current_ = 0;
  bool previousValid_ = false;
  bool currentValid_ = false;
  Slot table_[kTableSize];
  uint32_t generation_ = 0;
  int next_[kMaxCopies] = {};    // the next previous copy with the same key
  bool matched_[kMaxCopies] = {};
};

}  // namespace platform
