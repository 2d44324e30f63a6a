#include "sample_random.h"

namespace tarnik::sample {

std::uint64_t SampleRandom::Next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

std::uint64_t SampleRandom::Below(std::uint64_t n) { return n == 0 ? 0 : Next() % n; }

int SampleRandom::Between(int low, int high) {
  if (high <= low) return low;
  return low + static_cast<int>(Below(static_cast<std::uint64_t>(high - low) + 1));
}

double SampleRandom::Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

std::size_t SampleRandom::Skewed(std::size_t n, int power) {
  if (n == 0) return 0;
  // A plain product rather than std::pow keeps the result exact on every libm.
  const double u = Unit();
  double scaled = u;
  for (int k = 1; k < power; ++k) scaled *= u;
  std::size_t i = static_cast<std::size_t>(static_cast<double>(n) * scaled);
  return i < n ? i : n - 1;
}

std::size_t SampleRandom::Weighted(std::span<const int> weights) {
  long total = 0;
  for (int w : weights) total += w;
  long pick = static_cast<long>(Below(static_cast<std::uint64_t>(total > 0 ? total : 1)));
  for (std::size_t i = 0; i < weights.size(); ++i) {
    if (pick < weights[i]) return i;
    pick -= weights[i];
  }
  return weights.empty() ? 0 : weights.size() - 1;
}

SampleRandom SampleRandom::Fork(std::uint64_t label) const {
  SampleRandom mixer(state_ ^ (label * 0xD1B54A32D192ED03ull));
  return SampleRandom(mixer.Next());
}

}  // namespace tarnik::sample
