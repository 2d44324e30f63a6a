#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tarnik::sample {

// SplitMix64: small, fast, and the same sequence on every platform for a seed, which is what
// makes the generated node byte-identical run after run (std::random engines' distributions
// are not portable across library versions).
class SampleRandom {
 public:
  explicit SampleRandom(std::uint64_t seed) : state_(seed) {}

  std::uint64_t Next();
  // Uniform in [0, n); 0 when n is 0.
  std::uint64_t Below(std::uint64_t n);
  // Uniform in [low, high].
  int Between(int low, int high);
  // Uniform in [0, 1).
  double Unit();
  // True with the given probability.
  bool Chance(double probability) { return Unit() < probability; }
  // An index in [0, n) where low indexes are much likelier: a few busy writers, many quiet
  // ones, as in every real echo. power 1 is uniform; larger powers favour the front more.
  std::size_t Skewed(std::size_t n, int power);
  // An index drawn by the weights (which must not all be 0).
  std::size_t Weighted(std::span<const int> weights);
  // A separate generator derived from this one's seed and a label, so that adding a draw in
  // one echo does not change every later echo.
  SampleRandom Fork(std::uint64_t label) const;

 private:
  std::uint64_t state_;
};

}  // namespace tarnik::sample
