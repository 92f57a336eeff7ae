#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace skyrill {

// Stops the fuzzer with a report when a property of the code under test
// fails: libFuzzer then keeps the input that broke it.
inline void require(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "property failed: %s\n", property);
  std::abort();
}

// The fuzzer's input as text.
inline std::string_view inputText(const unsigned char* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace skyrill
