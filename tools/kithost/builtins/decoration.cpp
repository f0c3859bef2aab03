// The boxes that only show something in the visual host (comment, panel,
// fpic, swatch, live.comment, live.line): headless, each takes any message
// and says nothing. Only swatch has outlets, as in the host (its colour as
// a list and as hue, saturation and lightness); they stay silent.
#include "builtins_internal.hpp"

#include <string_view>

namespace kithost::builtins {

namespace {

struct Decoration {
  t_object header;
  void *colour;
  void *hsl;
};

t_class *decoration_classes[6] = {};
constexpr std::string_view decoration_names[] = {"comment", "panel",        "fpic",
                                                 "swatch",  "live.comment", "live.line"};
static_assert(std::size(decoration_names) == std::size(decoration_classes));

void *decoration_new(t_symbol *s, long, t_atom *) {
  for (std::size_t i = 0; i < std::size(decoration_names); ++i) {
    if (decoration_names[i] != s->s_name)
      continue;
    auto *x = static_cast<Decoration *>(object_alloc(decoration_classes[i]));
    if (x && decoration_names[i] == "swatch") {
      x->hsl = outlet_new(x, nullptr);
      x->colour = outlet_new(x, nullptr);
    }
    return x;
  }
  return nullptr;
}

void decoration_anything(Decoration *, t_symbol *, long, t_atom *) {}

void decoration_assist(Decoration *, void *, long kind, long, char *text) {
  copy_assist(text, kind == ASSIST_INLET ? "(anything) taken, nothing done"
                                         : "never: the host's user interface");
}

} // namespace

// One entry point for them all: whichever is named first defines each.
void define_decorations() {
  for (std::size_t i = 0; i < std::size(decoration_names); ++i) {
    t_class *&c = decoration_classes[i];
    c = class_new(decoration_names[i].data(), reinterpret_cast<method>(decoration_new), nullptr,
                  sizeof(Decoration), nullptr, A_GIMME, 0);
    add_message_methods<Decoration, decoration_anything>(c);
    class_addmethod(c, reinterpret_cast<method>(decoration_assist), "assist", A_CANT, 0);
    class_register(CLASS_BOX, c);
  }
}

} // namespace kithost::builtins
