// What every component shares: a place to be the Sender of an event.
#pragma once

#include <functional>

namespace orvgen {

class TObject {
 public:
  virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

// Design positions and sizes: pixels at 96 dpi with a 13-pixel text height.
struct DesignRect {
  int left, top, width, height;
};

}  // namespace orvgen
