// Three single-precision components: a point, a direction, a normal or a colour (r, g, b).
#pragma once

// No multiply and add fused into one rounding, whatever the build says (C++ compilers fuse by
// default where the machine can): every function of a source that includes this header, from
// here on, rounds each product to float before adding.
#if defined(__clang__)
#pragma STDC FP_CONTRACT OFF
#elif defined(__GNUC__)
#pragma GCC optimize("fp-contract=off")
#endif

#include <cfloat>
#include <cmath>

// Nor may the compiler take liberties with float arithmetic (-ffast-math and its parts): it then
// reorders sums, replaces divisions by approximate reciprocals, assumes no infinity or NaN, and
// the pictures change. -fno-math-errno and -fno-trapping-math change no result and are allowed.
// Only what the compiler tells by a macro shows here; CMake reads the flags themselves.
#if defined(__FAST_MATH__) || (defined(__FINITE_MATH_ONLY__) && __FINITE_MATH_ONLY__ != 0) ||      \
    defined(__ASSOCIATIVE_MATH__) || defined(__RECIPROCAL_MATH__) || defined(__NO_SIGNED_ZEROS__)
#error "unsafe float optimisations (-ffast-math or a part of it) change the pictures: drop them"
#endif

// The pictures depend on every float operation rounding to float. A compiler that evaluates in
// wider precision gives other pictures: refuse it, saying why on this target.
#if !defined(FLT_EVAL_METHOD) || FLT_EVAL_METHOD != 0
#if defined(__i386__)
#error "floats must round to float (FLT_EVAL_METHOD 0): build with -msse2 -mfpmath=sse, not x87"
#elif FLT_EVAL_METHOD == -1
#error "FLT_EVAL_METHOD is -1: an unsafe float optimisation is on, and it changes the pictures"
#else
#error "this target keeps floats in wider precision (FLT_EVAL_METHOD not 0): the pictures differ"
#endif
#endif

struct Vecteur {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    Vecteur() = default;
    Vecteur(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
};

// Every operation rounds to float at each step, as the pictures expect.
inline Vecteur operator+(const Vecteur &a, const Vecteur &b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vecteur operator-(const Vecteur &a, const Vecteur &b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vecteur operator*(float s, const Vecteur &v) { return {s * v.x, s * v.y, s * v.z}; }

inline float produitScalaire(const Vecteur &a, const Vecteur &b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

inline Vecteur produitVectoriel(const Vecteur &a, const Vecteur &b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

inline float norme(const Vecteur &v) { return std::sqrt(produitScalaire(v, v)); }

// The reciprocal is rounded to float once, then multiplies each component: no guard for the
// zero vector, whose result is not finite.
inline Vecteur normalise(const Vecteur &v) {
    const float s = 1.0f / norme(v);
    return s * v;
}
