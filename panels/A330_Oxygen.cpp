#include "panels/A330_Oxygen.h"

#include "platform/Graphics.h"

namespace {

const char kSource[] = "%Z% A330_Oxygen QX_P_0402_19 A330_Oxygen.cpp $Revision: 1.4 $";
const char kHeader[] = "%Z% A330_Oxygen QX_P_0402_19 A330_Oxygen.h $Revision: 1.2 $";

static_assert(BlockPairInZone(OxygenBlocks::kA330, kA330ZoneFirst, kA330ZoneLast));
static_assert(BlockPairInZone(OxygenBlocks::kA320, kA320ZoneFirst, kA320ZoneLast));

// The cover: control number 1, at x, y of the chosen layout.
const char kCoverImage[] = "Guards\\RedPlate";
constexpr int kCoverId = 1;
constexpr int kCoverA330X = 98, kCoverA330Y = 29;
constexpr int kCoverA320X = 85, kCoverA320Y = 35;

}  // namespace

// image, A330 x, y, A320 x, y, momentary, single lamp, lamps, display-only lamp, output byte
const PushButtonRow COxygenPanel::kButtons[kButtonCount] = {
    {"Buttons\\DotsOnBlue", 20, 45, 25, 45, false, false, 0, 1, kNoField, 3},
    {"Buttons\\CallBtn", 105, 55, 90, 55, true, true, kNoField, kNoField, OxygenBlocks::kButton1Shown, 4},
    {"Buttons\\SysOnDots", 150, 45, 155, 45, false, false, 4, 5, kNoField, 5},
    {"Buttons\\DotsOff", 220, 45, 225, 45, false, false, 6, 7, kNoField, 6},
};

COxygenPanel::COxygenPanel() : SubPanel(19, kSource, kHeader) { layout_ = kLayoutA330; }

bool COxygenPanel::CheckAircraftFit() { return ApplyAircraftFit(OxygenBlocks::kA330, OxygenBlocks::kA320); }

bool COxygenPanel::Initialise(const char* folder, int32_t originY, int32_t originX) {
  return BeginInitialise(originY, originX) && CreateButtons(folder) && CreateCover(folder);
}

bool COxygenPanel::CreateButtons(const char* folder) {
  for (int i = 0; i < kButtonCount; i++) {
    if (!CreatePushButton(buttons_[i], kButtons[i], i, folder)) {
      return false;
    }
  }
  // In from the start, so its byte reads 1 from the first pass on.
  buttons_[kForcedButton].ForcePressed();
  return true;
}

bool COxygenPanel::CreateCover(const char* folder) {
  ButtonDescriptor d;
  d.id = kCoverId;
  d.folder = folder;
  d.name = kCoverImage;
  d.originX = originX_;
  d.originY = originY_;
  d.offsetX = layout_ == kLayoutA320 ? kCoverA320X : kCoverA330X;
  d.offsetY = layout_ == kLayoutA320 ? kCoverA320Y : kCoverA330Y;
  d.scale = scale_;
  return CreateControl(cover_, d);
}

void COxygenPanel::Update(const MouseState& mouse) {
  // No ResetToDefaults of its own: a reset request changes nothing.
  if (!BeginUpdate(OxygenBlocks::kResetRequest)) {
    return;
  }
  const int event = MouseEvent(mouse);
  const bool test = input_.Lamp(OxygenBlocks::kLampTest);

  ServePushButton(buttons_[0], kButtons[0], event, input_, output_, test);

  // The cover's button: lamp test only. It takes the mouse once more while
  // the cover is open; presses are edge-triggered, so that changes nothing.
  CButtonClass& call = buttons_[kCallButton];
  FeedPushButton(call, kButtons[kCallButton], event, input_, test);
  if (!cover_.IsClosed()) {
    FeedPushButton(call, kButtons[kCallButton], event, input_, test);
  }
  WritePushButton(call, kButtons[kCallButton], output_);

  ServePushButton(buttons_[2], kButtons[2], event, input_, output_, test);
  ServePushButton(buttons_[3], kButtons[3], event, input_, output_, test);

  // Button 2 is always in: its byte reads 0 only in the pass that clicked it out.
  buttons_[kForcedButton].ForcePressed();

  cover_.Click(event);
}

void COxygenPanel::ShowSimulationState() {
  const bool test = input_.Lamp(OxygenBlocks::kLampTest);
  for (int i = 0; i < kButtonCount; i++) {
    ShowPushButton(buttons_[i], kButtons[i], input_, output_, test);
  }
}

void COxygenPanel::Draw(platform::DrawSurface& surface) {
  if (layout_ == kLayoutA330) {
    buttons_[0].Draw(surface);
  }
  buttons_[2].Draw(surface);
  buttons_[3].Draw(surface);
  cover_.Draw(surface);
  // Under the cover: seen only while the cover is open, drawn over it.
  if (!cover_.IsClosed()) {
    buttons_[kCallButton].Draw(surface);
  }
}
