#pragma once
#include <cstdint>

// Deterministic procedural noise: the same inputs give the same values on
// every run, so the generated pictures are reproducible.

// Hash of integer coordinates and a seed to 0..1.
float Hash01(int32_t x, int32_t y, uint32_t seed);

// Smooth value noise in 0..1, one lattice cell per unit.
float ValueNoise(float x, float y, uint32_t seed);

// Sum of `octaves` layers of value noise, each twice the frequency and half the
// amplitude of the one before; normalised to 0..1.
float Fbm(float x, float y, int octaves, uint32_t seed);
