// libFuzzer target: arbitrary floats and bytes in the radio management
// panel's input block, changed between arbitrary clicks on its controls, on
// RMP 1 (which has back-up navigation) and RMP 3. After every pass the
// standby values must lie inside their bounds and the window texts must be
// numbers of at most seven cells; the sanitizers catch any out-of-range
// float conversion or overflow.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "controls/ViewGeometry.h"
#include "platform/Graphics.h"
#include "rmp/A330_Rmp.h"

namespace {

using R = CA330_Rmp;

const char* ArtFolder() {
  const char* folder = std::getenv("TARNEL_FUZZ_ART_DIR");
  return folder != nullptr && *folder != '\0' ? folder : TARNEL_FUZZ_ART_DIR;
}

struct World {
  std::vector<uint8_t> area = std::vector<uint8_t>(generic_area::kSize, 0);
  platform::DrawSurface surface;
  World() {
    BasePanel::SetSharedMemory(area.data());
    surface.Create(1880, 200);
  }
};

World& TheWorld() {
  static World world;
  return world;
}

bool TextIsSound(const char* text) {
  const std::size_t length = std::strlen(text);
  if (length > 7) return false;
  for (std::size_t i = 0; i < length; i++) {
    if (std::strchr(" 0123456789.-CdAt", text[i]) == nullptr) return false;  // no "nan", no "inf"
  }
  return true;
}

void Check(const R& rmp) {
  for (int i = 0; i < R::kCommCount; i++) {
    if (rmp.Comm(i).value < rmp.Comm(i).min || rmp.Comm(i).value > rmp.Comm(i).max) std::abort();
  }
  for (int i = 0; i < R::kNavCount; i++) {
    if (rmp.Nav(i).value < rmp.Nav(i).min || rmp.Nav(i).value > rmp.Nav(i).max) std::abort();
  }
  if (!TextIsSound(rmp.ActiveText()) || !TextIsSound(rmp.StandbyText())) std::abort();
}

// The picture point of a click target: the keys, the knob's halves, the
// cover, the switch's halves.
constexpr int kTargets = R::kKeyCount + 5;
void PointAt(const R& rmp, int target, int& x, int& y) {
  platform::Rect r;
  if (target < R::kKeyCount) {
    r = rmp.Key(target).GetRect();
  } else if (target < R::kKeyCount + 2) {
    r = rmp.Knob().GetRect();
    const int half = (r.right - r.left) / 2;
    if (target == R::kKeyCount)
      r.left += half;
    else
      r.right -= half;
  } else if (target == R::kKeyCount + 2) {
    r = rmp.Cover(0).GetRect();
  } else {
    r = rmp.OnOffSwitch().GetRect();
    const int half = (r.bottom - r.top) / 2;
    if (target == R::kKeyCount + 3)
      r.bottom -= half;
    else
      r.top += half;
  }
  x = (r.left + r.right) / 2;
  y = (r.top + r.bottom) / 2;
}

void Pass(R& rmp, int button, int x, int y, bool draw) {
  ViewGeometry::SetScrollAndPointer(0, 0, x, y);
  rmp.Update(MouseState{button, x, y});
  if (draw) rmp.Draw(TheWorld().surface);
  Check(rmp);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  ::setenv("SDL_VIDEODRIVER", "dummy", 1);
  TheWorld();
  return 0;
}

// Input: the input block (60 bytes), then steps of two bytes: a mouse button
// (low two bits: 0 none, 1 left, 2 right, 3 a new float follows in the next
// four bytes; bit 7: draw after the pass) and a click target, or with a new
// float the float's slot in the block.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  World& world = TheWorld();
  std::fill(world.area.begin(), world.area.end(), 0);
  // Fresh panels for every input, so that a finding reproduces.
  const auto rmp1 = std::make_unique<R>();
  const auto rmp3 = std::make_unique<R>();
  rmp1->SetUnit(0);
  rmp3->SetUnit(2);
  const PanelFacts& facts = rmp1->Facts();
  if (!rmp1->Initialise(ArtFolder(), facts.y, facts.x) || !rmp3->Initialise(ArtFolder(), facts.y, facts.x)) {
    std::abort();  // the art is missing: the target cannot run
  }
  R* const panels[] = {rmp1.get(), rmp3.get()};
  const std::size_t block = size < R::kInputSize ? size : R::kInputSize;
  for (R* rmp : panels) std::memcpy(&world.area[rmp->InputBlock().Offset()], data, block);

  std::size_t at = block;
  while (at + 2 <= size) {
    const int button = data[at] & 3;
    const bool draw = (data[at] & 0x80) != 0;
    const int target = data[at + 1];
    at += 2;
    if (button == 3) {
      if (at + 4 > size) break;
      const uint32_t slot = uint32_t(target % 11) * 4;  // the eleven floats of the block
      for (R* rmp : panels) std::memcpy(&world.area[rmp->InputBlock().Offset() + slot], data + at, 4);
      at += 4;
      continue;
    }
    for (R* rmp : panels) {
      int x = 0;
      int y = 0;
      PointAt(*rmp, target % kTargets, x, y);
      Pass(*rmp, button, x, y, draw);
      Pass(*rmp, 0, x, y, draw);
    }
  }
  for (R* rmp : panels) Pass(*rmp, 0, 0, 0, true);
  return 0;
}
