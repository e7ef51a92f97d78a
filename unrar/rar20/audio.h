#pragma once
// The multimedia mode of RAR 2.0: each channel's bytes are coded as the difference from a linear
// prediction over the channel's last deltas, whose weights adapt every 32 bytes.
#include <cstdint>

namespace unrar::rar20 {

class AudioChannel {
 public:
  // The byte whose coded difference from the prediction is `delta`. `cross_delta` is the last
  // delta of whichever channel decoded before this one; it is updated to this byte's delta.
  uint8_t Decode(uint8_t delta, int* cross_delta);

 private:
  int weight_[5] = {};    // K1..K4 for the channel's own deltas, K5 for the cross-channel one
  int delta_[4] = {};     // the channel's last deltas, newest first
  int last_delta_ = 0;
  int last_byte_ = 0;
  uint32_t error_[11] = {};  // summed error of each candidate weight change since the last adaptation
  uint32_t count_ = 0;
};

}  // namespace unrar::rar20
