#include "unrar/rar20/audio.h"

#include <cstdlib>

namespace unrar::rar20 {

uint8_t AudioChannel::Decode(uint8_t delta, int* cross_delta) {
  ++count_;
  delta_[3] = delta_[2];
  delta_[2] = delta_[1];
  delta_[1] = last_delta_ - delta_[0];
  delta_[0] = last_delta_;

  int predicted = 8 * last_byte_ + weight_[4] * *cross_delta;
  for (int i = 0; i < 4; ++i) predicted += weight_[i] * delta_[i];
  predicted = (predicted >> 3) & 0xFF;
  const unsigned byte = unsigned(predicted - delta) & 0xFF;

  // How far off each nudged weight set would have been, scaled as the prediction is.
  const int d = int(int8_t(delta)) * 8;
  error_[0] += std::abs(d);
  for (int i = 0; i < 4; ++i) {
    error_[1 + 2 * i] += std::abs(d - delta_[i]);
    error_[2 + 2 * i] += std::abs(d + delta_[i]);
  }
  error_[9] += std::abs(d - *cross_delta);
  error_[10] += std::abs(d + *cross_delta);

  last_delta_ = int(int8_t(uint8_t(byte - unsigned(last_byte_))));
  *cross_delta = last_delta_;
  last_byte_ = int(byte);

  if ((count_ & 0x1F) == 0) {
    // Move the weight whose nudge erred least one step, within -17..16.
    unsigned best = 0;
    uint32_t least = error_[0];
    error_[0] = 0;
    for (unsigned i = 1; i < 11; ++i) {
      if (error_[i] < least) {
        least = error_[i];
        best = i;
      }
      error_[i] = 0;
    }
    if (best != 0) {
      int& w = weight_[(best - 1) / 2];
      if (best % 2 == 1) {
        if (w >= -16) --w;
      } else {
        if (w < 16) ++w;
      }
    }
  }
  return uint8_t(byte);
}

}  // namespace unrar::rar20
