#pragma once

#include <dlfcn.h>

namespace skyrill {

// Sets `function` to the library's symbol of that name; false when it lacks one.
template <typename Function>
bool findSymbol(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(::dlsym(library, name));
  return function != nullptr;
}

}  // namespace skyrill
