#include "tools/pictures/tool_modules.h"

#include <dlfcn.h>

#include "store/program_paths.h"

namespace skyrill {
namespace {

std::filesystem::path toolModuleFolder() {
  return (programDirectory() / SKYRILL_MODULE_DIR_FROM_TOOLS).lexically_normal();
}

}  // namespace

// Never unloaded: what a module made may outlive the call, and leak checks
// at exit need its symbols.
void* toolModuleEntry(const std::string& module, const char* entry, std::string& error) {
  const std::string path = (toolModuleFolder() / module).string();
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    error = std::string("cannot load ") + dlerror();  // names the file and why
    return nullptr;
  }
  void* address = dlsym(handle, entry);
  if (address == nullptr) error = std::string("cannot load ") + dlerror();
  return address;
}

}  // namespace skyrill
