// Loaded into a tool with LD_PRELOAD: every allocation of
// SKYRILL_FAIL_ALLOCATIONS_FROM bytes or more fails, as under a memory limit,
// while the small ones the tool needs to start and to speak go through.
#include <cstdlib>

#include "tests/support/replaced_allocation.h"

namespace {

std::size_t failFrom() {
  static const std::size_t bound = [] {
    const char* text = std::getenv("SKYRILL_FAIL_ALLOCATIONS_FROM");
    return text ? static_cast<std::size_t>(std::strtoull(text, nullptr, 10)) : 0;
  }();
  return bound;
}

}  // namespace

void* tryAllocate(std::size_t size) noexcept {
  if (failFrom() != 0 && size >= failFrom()) return nullptr;
  return std::malloc(size);
}
