#pragma once

// The one byte scanner: the first place of a run of bytes that passes a test,
// sixteen places at a time with SSE2 (the floor of every x86 build, 32-bit
// ones too), one at a time on other processors and for the last places. The
// tests below are all there is; each gives the same answer for a place both
// ways.

#include <bit>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#elif defined(__i386__) || defined(__x86_64__)
// Every x86 build runs the sixteen-place path; the toolchains ask for it.
#error "x86 builds take SSE2 as their floor: compile with -msse2"
#endif

namespace Tools {

// The first of `places` places from `data` on that `test` accepts, or
// `places` when none does. Reads data[at + test.Reach()] at most for each
// place `at`, so the caller keeps that much readable past the last place.
template <typename Test>
std::size_t FirstPlace(const char* data, std::size_t places, const Test& test) noexcept {
    std::size_t at = 0;
#if defined(__SSE2__)
    for (; places - at >= 16; at += 16) {
        if (const unsigned hits = test.Block(data + at); hits != 0) {
            return at + static_cast<std::size_t>(std::countr_zero(hits));
        }
    }
#endif
    for (; at < places; ++at) {
        if (test.One(data + at)) {
            return at;
        }
    }
    return places;
}

// A byte that is one of four (repeat one to test for fewer).
class AnyOf {
public:
    AnyOf(char a, char b, char c) noexcept : AnyOf(a, b, c, c) {}
    AnyOf(char a, char b, char c, char d) noexcept : m_a(a), m_b(b), m_c(c), m_d(d) {}
    bool One(const char* at) const noexcept { return *at == m_a || *at == m_b || *at == m_c || *at == m_d; }
#if defined(__SSE2__)
    unsigned Block(const char* at) const noexcept {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(m_a)),
                                                       _mm_cmpeq_epi8(bytes, _mm_set1_epi8(m_b))),
                                          _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(m_c)),
                                                       _mm_cmpeq_epi8(bytes, _mm_set1_epi8(m_d))));
        return static_cast<unsigned>(_mm_movemask_epi8(hits));
    }
#endif

private:
    char m_a, m_b, m_c, m_d;
};

// A byte above 127.
struct HighByte {
    bool One(const char* at) const noexcept { return (static_cast<unsigned char>(*at) & 0x80) != 0; }
#if defined(__SSE2__)
    unsigned Block(const char* at) const noexcept {
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at))));
    }
#endif
};

// Two bytes at fixed distances from the place, each one of a pair (a byte
// and its case partner, or the byte twice).
class TwoAnchors {
public:
    struct Anchor {
        std::size_t offset;
        char byte;
        char partner;
    };
    TwoAnchors(Anchor one, Anchor two) noexcept : m_one(one), m_two(two) {}
    bool One(const char* at) const noexcept { return Holds(at, m_one) && Holds(at, m_two); }
#if defined(__SSE2__)
    unsigned Block(const char* at) const noexcept {
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(Hits(at, m_one), Hits(at, m_two))));
    }
#endif

private:
    static bool Holds(const char* at, const Anchor& anchor) noexcept {
        return at[anchor.offset] == anchor.byte || at[anchor.offset] == anchor.partner;
    }
#if defined(__SSE2__)
    static __m128i Hits(const char* at, const Anchor& anchor) noexcept {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + anchor.offset));
        return _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(anchor.byte)),
                            _mm_cmpeq_epi8(bytes, _mm_set1_epi8(anchor.partner)));
    }
#endif
    Anchor m_one, m_two;
};

}  // namespace Tools
