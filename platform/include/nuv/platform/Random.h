// The runtime's uniform pseudo-random generator: one process-wide 32-bit
// linear congruential state, deterministic for a given seed. Not suitable
// for cryptography; the library's statistical generators build on it.
#pragma once

#include <cstdint>

namespace nuv {

// The generator's state; assigning it restarts the sequence.
extern uint32_t RandSeed;

// Seeds the generator from the clock.
void Randomize();
// A uniform integer in [0, Range); 0 when Range ≤ 0.
int32_t Random(int32_t Range);
// A uniform double in [0, 1).
double Random();

// The generator's step, for callers that draw many numbers on a local copy
// of RandSeed and store it back: the same sequence as Random().
constexpr uint32_t NextRandSeed(uint32_t Seed) { return Seed * 0x08088405u + 1u; }
// The double that Random() gives for a state.
constexpr double RandSeedToDouble(uint32_t Seed) { return Seed * (1.0 / 4294967296.0); }

}  // namespace nuv
