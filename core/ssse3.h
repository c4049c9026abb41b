#pragma once
// SSSE3's byte shuffle, for the pixel loops that have a shuffled form:
// QUILLMERE_SSSE3 is defined where the compiler can emit it, and
// UseSsse3() says whether those forms run: where this machine's processor
// has it, unless switched off (the tests run the portable forms, which other
// processors run, over the same tables).
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define QUILLMERE_SSSE3 1

inline bool HaveSsse3() {
  static const bool have = (__builtin_cpu_init(), __builtin_cpu_supports("ssse3"));
  return have;
}
#else
inline bool HaveSsse3() { return false; }
#endif

inline bool& UseSsse3() {
  static bool use = HaveSsse3();
  return use;
}
