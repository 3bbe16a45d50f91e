#include "nuv/platform/Random.h"

#include <chrono>

namespace nuv {

uint32_t RandSeed = 0;

namespace {

uint32_t NextSeed() {
  RandSeed = NextRandSeed(RandSeed);
  return RandSeed;
}

}  // namespace

void Randomize() {
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count() ^
                     std::chrono::system_clock::now().time_since_epoch().count();
  RandSeed = static_cast<uint32_t>(ticks) ^ static_cast<uint32_t>(ticks >> 32);
}

int32_t Random(int32_t Range) {
  if (Range <= 0) return 0;
  return static_cast<int32_t>((static_cast<uint64_t>(NextSeed()) * static_cast<uint64_t>(Range)) >> 32);
}

double Random() { return RandSeedToDouble(NextSeed()); }

}  // namespace nuv
