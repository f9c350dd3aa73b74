#pragma once
// Whether the vectorised fast paths are compiled: with SSE2 (every x86-64
// target), unless the build asks for the plain bodies alone
// (-DMORLAVINE_NO_SIMD=ON in CMake, which CI builds and tests so that the
// plain code stays compiled and correct on every other target). Each fast
// path sits beside its plain loop and gives its results bit for bit; code
// tests it with `#if defined(MORLAVINE_SSE2)`.
#if defined(__SSE2__) && !defined(MORLAVINE_NO_SIMD)
#define MORLAVINE_SSE2 1
#endif
