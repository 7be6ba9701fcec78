#include "web/PointerQueue.h"

namespace web {

bool PointerQueue::Push(const PointerEvent& event) {
  std::lock_guard<std::mutex> guard(lock_);
  if (count_ == kCapacity) return false;
  events_[(head_ + count_) % kCapacity] = event;
  count_++;
  return true;
}

int PointerQueue::Drain(PointerEvent* out, int capacity) {
  std::lock_guard<std::mutex> guard(lock_);
  int n = 0;
  while (n < capacity && count_ > 0) {
    out[n++] = events_[head_];
    head_ = (head_ + 1) % kCapacity;
    count_--;
  }
  return n;
}

int PointerQueue::Count() const {
  std::lock_guard<std::mutex> guard(lock_);
  return count_;
}

}  // namespace web
