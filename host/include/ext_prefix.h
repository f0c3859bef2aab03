// Base types and export macros shared by every header of the host API.
#ifndef EXT_PREFIX_H
#define EXT_PREFIX_H

#include <stddef.h>
#include <stdint.h>
#ifndef __cplusplus
#include <stdbool.h>
#endif

#ifdef __cplusplus
#define BEGIN_USING_C_LINKAGE extern "C" {
#define END_USING_C_LINKAGE }
#else
#define BEGIN_USING_C_LINKAGE
#define END_USING_C_LINKAGE
#endif

#if defined(_WIN32)
#define C74_EXPORT __declspec(dllexport)
#ifdef HOSTAPI_BUILDING
#define C74_API __declspec(dllexport)
#else
#define C74_API __declspec(dllimport)
#endif
#else
#define C74_EXPORT __attribute__((visibility("default")))
#define C74_API __attribute__((visibility("default")))
#endif

// Declarations the host keeps only for older objects: new code uses the
// class_new family instead.
#if defined(__GNUC__)
#define C74_DEPRECATED(func) func __attribute__((deprecated))
#elif defined(_MSC_VER)
#define C74_DEPRECATED(func) __declspec(deprecated) func
#else
#define C74_DEPRECATED(func) func
#endif

#if defined(__MINGW32__)
// The host formats with mingw-w64's C99 printf (%zu, %lld), not the system
// C library's, so callers are checked against that one.
#define C74_PRINTF(fmt, args) __attribute__((format(gnu_printf, fmt, args)))
#elif defined(__GNUC__)
#define C74_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define C74_PRINTF(fmt, args)
#endif

// The long of an atom is pointer-sized, so an address (a FullPacket's
// bytes) fits in it on every platform, Windows' 32-bit long included.
typedef intptr_t t_atom_long;
typedef double t_atom_float;
typedef intptr_t t_ptr_int;
typedef uintptr_t t_ptr_uint;
typedef uintptr_t t_ptr_size;
typedef t_atom_long t_max_err;
typedef t_ptr_uint t_getbytes_size;
typedef uint32_t t_fourcc;
typedef uint8_t t_uint8;
typedef int32_t t_int32;
typedef uint32_t t_uint32;
typedef int64_t t_int64;
typedef uint64_t t_uint64;
typedef char *t_ptr;

/// What functions returning t_max_err report.
typedef enum {
  MAX_ERR_NONE = 0,
  MAX_ERR_GENERIC = -1,
  MAX_ERR_INVALID_PTR = -2,
  MAX_ERR_DUPLICATE = -3,
  MAX_ERR_OUT_OF_MEM = -4
} e_max_errorcodes;

#endif
