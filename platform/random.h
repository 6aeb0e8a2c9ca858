#pragma once
// The one shared pseudo-random generator: a 32-bit linear congruential generator
// (seed * 0x08088405 + 1, modulo 2^32) with a fixed initial seed of 0, never seeded from the
// clock, so every run of the program draws the same numbers.

#include <cstdint>

// A value from 0 to n - 1; 0 when n <= 0.
int random(int n);
// A real in [0, 1).
double randomReal();
// The current seed, and setting it (tests and repeatable runs).
std::uint32_t randomSeed();
void setRandomSeed(std::uint32_t seed);
