#pragma once
// Marks a hot row loop to be compiled twice on x86-64: for processors with
// AVX2 and for every other one, the better chosen when the program starts.
// Only integer loops and plain float arithmetic (never contracted) carry it,
// so both versions compute the same values bit for bit.

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define TAMR_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define TAMR_VECTOR_CLONES
#endif
