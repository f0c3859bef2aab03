// Prints what the host API headers it is compiled against define for each
// entry of api_table.def, one line each: "KIND NAME: VALUE". Built twice, once
// against the kit's headers and once against the visual host's SDK, so that
// the two outputs must be the same line for line (sdk_headers_check.cmake).
// Types are written as the compiler spells the underlying type, so typedefs
// of different widths or constness show.
#include "ext.h"
#include "ext_obex.h"
#include "ext_sysparallel.h"
#include "ext_time.h"

#include <cstddef>
#include <cstdio>
#include <string_view>
#include <type_traits>

namespace {

template <class T> const char *pretty() {
  return __PRETTY_FUNCTION__;
}

template <class T> std::string_view spelled() {
  // GCC writes "... [with T = TYPE]", Clang "... [T = TYPE]".
  std::string_view text = pretty<T>();
  const size_t start = text.find("T = ");
  const size_t end = text.rfind(']');
  if (start == std::string_view::npos || end == std::string_view::npos || end < start)
    return text;
  return text.substr(start + 4, end - start - 4);
}

template <class T> void print_type(const char *kind, const char *name) {
  const std::string_view type = spelled<T>();
  std::printf("%s %s: %.*s", kind, name, static_cast<int>(type.size()), type.data());
  // An enumeration is spelled by its name only: its width shows here.
  if constexpr (std::is_void_v<T>)
    std::printf("\n");
  else
    std::printf(", size %zu\n", sizeof(T));
}

template <class T> void print_constant(const char *name, T value) {
  const std::string_view type = spelled<T>();
  std::printf("constant %s: %lld (%.*s)\n", name, static_cast<long long>(value),
              static_cast<int>(type.size()), type.data());
}

} // namespace

// The older registration calls are deprecated in both header sets: listing
// them is not using them.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

int main() {
#define KIT_FUNCTION(name) print_type<decltype(&name)>("function", #name);
#define KIT_CONSTANT(name) print_constant(#name, name);
#define KIT_SPELLED(...) #__VA_ARGS__
#define KIT_EXPANDED(...) KIT_SPELLED(__VA_ARGS__)
#define KIT_MACRO(use) std::printf("macro %s: %s\n", #use, KIT_EXPANDED(use));
#define KIT_TYPE(name) print_type<name>("type", #name);
#define KIT_RECORD(name)                                                                           \
  std::printf("record %s: size %zu, alignment %zu\n", #name, sizeof(name), alignof(name));
#define KIT_FIELD(record, field)                                                                   \
  std::printf("field %s.%s: offset %zu, size %zu\n", #record, #field, offsetof(record, field),     \
              sizeof(static_cast<record *>(nullptr)->field));
#include "api_table.def"
  return 0;
}
