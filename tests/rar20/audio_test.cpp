// The multimedia predictor on synthetic signals: its first guesses by hand, and how its residuals
// shrink once the weights have adapted to a ramp and to a smooth wave.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "unrar/rar20/audio.h"

namespace {

using unrar::rar20::AudioChannel;

// The coded differences that make the channel produce `signal`, found by asking a copy for its
// guess before each byte.
std::vector<int> Residuals(const std::vector<uint8_t>& signal) {
  AudioChannel channel;
  int cross = 0;
  std::vector<int> out;
  for (uint8_t target : signal) {
    AudioChannel probe = channel;
    int probe_cross = cross;
    const uint8_t guess = probe.Decode(0, &probe_cross);
    const uint8_t delta = uint8_t(guess - target);
    EXPECT_EQ(channel.Decode(delta, &cross), target);
    out.push_back(int(int8_t(delta)));
  }
  return out;
}

TEST(AudioPredictor, BeforeAnyAdaptationItGuessesThePreviousByte) {
  AudioChannel channel;
  int cross = 0;
  EXPECT_EQ(channel.Decode(5, &cross), 251);  // 0 - 5
  EXPECT_EQ(cross, -5);
  EXPECT_EQ(channel.Decode(0, &cross), 251);
  EXPECT_EQ(channel.Decode(0xFE, &cross), 253);  // 251 + 2
  EXPECT_EQ(cross, 2);
}

TEST(AudioPredictor, LearnsTheSlopeOfARamp) {
  std::vector<uint8_t> ramp;
  for (int i = 0; i < 2000; ++i) ramp.push_back(uint8_t(i * 3));
  std::vector<int> r = Residuals(ramp);
  // At first every byte is off by the slope; after adaptation the guesses are exact.
  EXPECT_EQ(r[5], -3);
  for (size_t i = r.size() - 200; i < r.size(); ++i) EXPECT_EQ(r[i], 0) << i;
}

TEST(AudioPredictor, ResidualsOfASmoothWaveFallBelowThoseOfThePreviousByteGuess) {
  std::vector<uint8_t> wave;
  for (int i = 0; i < 8000; ++i) wave.push_back(uint8_t(128 + std::lround(100 * std::sin(i / 40.0))));
  std::vector<int> r = Residuals(wave);
  long predicted = 0, naive = 0;
  for (size_t i = 4000; i < wave.size(); ++i) {
    predicted += std::abs(r[i]);
    naive += std::abs(int(wave[i]) - int(wave[i - 1]));
  }
  EXPECT_LT(predicted * 2, naive);
}

}  // namespace
