# Warnings are errors in every target of the kit.
add_compile_options(-Wall -Wextra -Werror)

# Sanitizers, chosen by the presets (KIT_SANITIZE=address;undefined or thread).
set(KIT_SANITIZE "" CACHE STRING "Sanitizers to build with (address;undefined or thread)")
if(KIT_SANITIZE)
  list(JOIN KIT_SANITIZE "," kit_sanitizers)
  add_compile_options(-fsanitize=${kit_sanitizers} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${kit_sanitizers})
endif()
