// The main dialog's side of the web panel: browsers' pointer events, applied
// once per iteration through the same mouse path as the window's.
#include <cstdio>

#include "shell/TarnelDlg.h"

void CTarnelDlg::DrainRemotePointer() {
  static constexpr int kBatch = 32;
  web::PointerEvent events[kBatch];
  // A browser gone while it held the pointer lets go where it was.
  if (remoteHeld_ && !web_->IsConnected(remoteOwner_)) {
    web::PointerEvent release = remoteOwner_;
    release.action = mouse_.button == 2 ? web::PointerAction::RightUp : web::PointerAction::Up;
    ApplyRemotePointer(release);
    remoteHeld_ = false;
  }
  const int count = web_->DrainPointer(events, kBatch);
  for (int i = 0; i < count; i++) {
    const web::PointerEvent& e = events[i];
    const bool press = e.action == web::PointerAction::Down || e.action == web::PointerAction::RightDown;
    const bool release = e.action == web::PointerAction::Up || e.action == web::PointerAction::RightUp;
    const bool owner = remoteHeld_ && e.client == remoteOwner_.client && e.generation == remoteOwner_.generation;
    if (press && !owner) {
      // One pointer at a time: the window's button or another browser holds it.
      if (remoteHeld_ || mouse_.button == 1 || mouse_.button == 2) {
        web_->Tell(e, "refused", "\"reason\":\"another operator holds the pointer\"");
        continue;
      }
      remoteHeld_ = true;
      remoteOwner_ = e;
    } else if (!owner) {
      continue;  // moves and releases of a browser that holds nothing
    }
    if (press) operationLog_.Before(cockpit_, genericBase_, e.x, e.y);
    ApplyRemotePointer(e);
    char client[64];
    web_->ClientAddress(e, client, sizeof client);
    operationLog_.After(genericBase_, client, stderr);
    if (e.action == web::PointerAction::RightDown) operationLog_.RightPress(client, stderr);
    if (release) remoteHeld_ = false;
  }
}

void CTarnelDlg::ApplyRemotePointer(const web::PointerEvent& event) {
  // Browser points are picture pixels: the pointer the panels read is
  // relative to the window's scroll, wherever the window shows.
  mouse_.x = event.x - scrollX_;
  mouse_.y = event.y - scrollY_;
  switch (event.action) {
    case web::PointerAction::Down: mouse_.button = 1; break;
    case web::PointerAction::RightDown: mouse_.button = 2; break;
    case web::PointerAction::Up:
    case web::PointerAction::RightUp: mouse_.button = 0; break;
    case web::PointerAction::Move: break;
  }
  PublishView();
  cockpit_.HandleMouse(event.x, event.y);
}
