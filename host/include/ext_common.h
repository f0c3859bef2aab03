// Small helpers objects use everywhere: ranges, bounds, absolute values and
// a case-blind string comparison.
#ifndef EXT_COMMON_H
#define EXT_COMMON_H

/// Non-zero when lo <= v <= hi.
#define INRANGE(v, lo, hi) ((v) <= (hi) && (v) >= (lo))
#ifndef MAX
#define MAX(a, b) ((a) > (b) ? (a) : (b))
#endif
#ifndef MIN
#define MIN(a, b) ((a) < (b) ? (a) : (b))
#endif
/// `a` limited to lo..hi; CLIP_ASSIGN also stores the result in `a`.
#define CLAMP(a, lo, hi) ((a) > (lo) ? ((a) < (hi) ? (a) : (hi)) : (lo))
#define CLIP_ASSIGN(a, lo, hi) ((a) = CLAMP(a, lo, hi))
#ifndef ABS
#define ABS(x) ((x) < 0 ? -(x) : (x))
#endif

#if defined(_WIN32)
#define strcmp_case_insensitive _strcmpi
#else
#define strcmp_case_insensitive strcasecmp
#endif

#endif
