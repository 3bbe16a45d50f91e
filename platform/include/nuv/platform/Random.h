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

}  // namespace nuv
