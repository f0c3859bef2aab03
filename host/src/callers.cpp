// One caller per typed signature, generated at compile time: a method
// declared (x, long, symbol) is called through a pointer of exactly that
// type, so arguments land where the platform's calling convention puts them
// (a double in a vector register, a long in an integer one).
#include "callers.hpp"
#include "function_cast.hpp"

#include <array>
#include <cstddef>
#include <utility>

namespace kit::rt {
namespace {

template <class T> T word_as(const Word &w);
template <> t_atom_long word_as<t_atom_long>(const Word &w) {
  return w.l;
}
template <> double word_as<double>(const Word &w) {
  return w.f;
}
template <> t_symbol *word_as<t_symbol *>(const Word &w) {
  return w.s;
}

template <class... A, std::size_t... I>
void invoke_method(method fn, void *x, const Word *w, std::index_sequence<I...>) {
  function_cast<void (*)(void *, A...)>(fn)(x, word_as<A>(w[I])...);
}

template <class... A, std::size_t... I>
void *invoke_creation(method fn, const Word *w, std::index_sequence<I...>) {
  return function_cast<void *(*)(A...)>(fn)(word_as<A>(w[I])...);
}

template <class... A> void call_method(method fn, void *x, const Word *w) {
  invoke_method<A...>(fn, x, w, std::index_sequence_for<A...>{});
}

template <class... A> void *call_creation(method fn, const Word *w) {
  return invoke_creation<A...>(fn, w, std::index_sequence_for<A...>{});
}

template <int Kind>
using KindType =
    std::conditional_t<Kind == 0, t_atom_long, std::conditional_t<Kind == 1, double, t_symbol *>>;

constexpr int pow3(int n) {
  return n == 0 ? 1 : 3 * pow3(n - 1);
}

// Code is the signature in base 3, first argument in the lowest digit.
template <int N, int Code, class... A> constexpr TypedCaller make_typed() {
  if constexpr (N == 0)
    return &call_method<A...>;
  else
    return make_typed<N - 1, Code / 3, A..., KindType<Code % 3>>();
}

template <int N, int Code, class... A> constexpr CreationCaller make_creation() {
  if constexpr (N == 0)
    return &call_creation<A...>;
  else
    return make_creation<N - 1, Code / 3, A..., KindType<Code % 3>>();
}

template <int N, std::size_t... Code>
constexpr std::array<TypedCaller, sizeof...(Code)> typed_table(std::index_sequence<Code...>) {
  return {make_typed<N, static_cast<int>(Code)>()...};
}

template <int N, std::size_t... Code>
constexpr std::array<CreationCaller, sizeof...(Code)> creation_table(std::index_sequence<Code...>) {
  return {make_creation<N, static_cast<int>(Code)>()...};
}

template <int N> struct Tables {
  static constexpr auto typed = typed_table<N>(std::make_index_sequence<pow3(N)>{});
  static constexpr auto creation = creation_table<N>(std::make_index_sequence<pow3(N)>{});
};

static_assert(max_typed_args == 5, "the tables below cover 0 to 5 arguments");

int signature_code(int count, const ArgKind *kinds) {
  int code = 0;
  for (int i = count - 1; i >= 0; --i)
    code = code * 3 + static_cast<int>(kinds[i]);
  return code;
}

} // namespace

ArgKind arg_kind(int type_code) {
  switch (type_code) {
  case A_FLOAT:
  case A_DEFFLOAT:
    return ArgKind::double_;
  case A_SYM:
  case A_DEFSYM:
    return ArgKind::symbol;
  default:
    return ArgKind::long_;
  }
}

TypedCaller typed_caller(int count, const ArgKind *kinds) {
  const int code = signature_code(count, kinds);
  switch (count) {
  case 0:
    return Tables<0>::typed[code];
  case 1:
    return Tables<1>::typed[code];
  case 2:
    return Tables<2>::typed[code];
  case 3:
    return Tables<3>::typed[code];
  case 4:
    return Tables<4>::typed[code];
  case 5:
    return Tables<5>::typed[code];
  default:
    return nullptr;
  }
}

CreationCaller creation_caller(int count, const ArgKind *kinds) {
  const int code = signature_code(count, kinds);
  switch (count) {
  case 0:
    return Tables<0>::creation[code];
  case 1:
    return Tables<1>::creation[code];
  case 2:
    return Tables<2>::creation[code];
  case 3:
    return Tables<3>::creation[code];
  case 4:
    return Tables<4>::creation[code];
  case 5:
    return Tables<5>::creation[code];
  default:
    return nullptr;
  }
}

} // namespace kit::rt
