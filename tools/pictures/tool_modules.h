#pragma once

#include <string>

// The modules of the command-line tools: shared objects that a tool loads
// only for the runs that need what they link (Qt's drawing), so
// that its other runs load none of it. They sit in lib/skyrill of an
// installation, found from the tool's own folder; the build tree keeps that
// layout.

// Marks a function a tool looks up in its module.
#define SKYRILL_MODULE_ENTRY extern "C" __attribute__((visibility("default")))

namespace skyrill {

// The address of `entry` in the module file `module`, which stays loaded for
// the life of the process; null with `error` telling why.
void* toolModuleEntry(const std::string& module, const char* entry, std::string& error);

// The entry as a function of the given type.
template <typename Function>
Function* toolModuleFunction(const std::string& module, const char* entry, std::string& error) {
  return reinterpret_cast<Function*>(toolModuleEntry(module, entry, error));
}

}  // namespace skyrill
