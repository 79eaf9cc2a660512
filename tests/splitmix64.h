#ifndef VANTREL_TESTS_SPLITMIX64_H_
#define VANTREL_TESTS_SPLITMIX64_H_

#include <cstdint>

/// A small random generator of the tests' and benchmarks' own (splitmix64),
/// so that every platform and library makes the same numbers from a seed.
class SplitMix64 {
 public:
  explicit SplitMix64(std::uint64_t seed) : state_(seed) {}

  std::uint64_t Next() {
    state_ += 0x9e3779b97f4a7c15ULL;
    std::uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }

  /// Uniform in [low, high): the top 53 bits as a fraction of 1.
  double Uniform(double low, double high) {
    return low + (high - low) * static_cast<double>(Next() >> 11) * 0x1.0p-53;
  }

 private:
  std::uint64_t state_;
};

#endif  // VANTREL_TESTS_SPLITMIX64_H_
