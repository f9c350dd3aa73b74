#pragma once
// MORLAVINE_VECTORIZE marks a small element-wise loop function that GCC
// should vectorize at -O2: its default cost model there only takes loops
// that need no remainder, so plain mix and gain loops stay scalar. The
// element-wise adds and multiplies give the same results either way; the
// baseline SSE2 of every x86-64 holds the vector code. Other compilers
// vectorize such loops on their own.
#if defined(__GNUC__) && !defined(__clang__)
#define MORLAVINE_VECTORIZE __attribute__((optimize("vect-cost-model=dynamic")))
#else
#define MORLAVINE_VECTORIZE
#endif
