#pragma once

// Replaces the program's global allocation functions with ones that ask
// `tryAllocate(size)`, which the including file defines: nullptr makes the
// allocation fail (std::bad_alloc, or nullptr for the nothrow forms). For the
// test programs and libraries that make memory run out on purpose; include
// it in one file of a program only.

#include <cstdlib>
#include <new>

void* tryAllocate(std::size_t size) noexcept;

namespace skyrill::testing {

inline void* allocateOrThrow(std::size_t size) {
  void* block = tryAllocate(size == 0 ? 1 : size);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

}  // namespace skyrill::testing

void* operator new(std::size_t size) {
  return skyrill::testing::allocateOrThrow(size);
}
void* operator new[](std::size_t size) {
  return skyrill::testing::allocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return tryAllocate(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return tryAllocate(size == 0 ? 1 : size);
}
void operator delete(void* block) noexcept {
  std::free(block);
}
void operator delete[](void* block) noexcept {
  std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
  std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
  std::free(block);
}
