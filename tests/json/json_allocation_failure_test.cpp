// A parse that runs out of memory fails like a text that is no JSON: this
// program replaces the global allocation functions with ones that fail from
// a chosen allocation on.

#include <cstdlib>
#include <new>
#include <string>

#include <gtest/gtest.h>

#include "json/json_document.h"

namespace {

// Allocations left before they fail; negative: none fail.
long allocationsLeft = -1;

void* allocate(std::size_t size) noexcept {
  if (allocationsLeft == 0) return nullptr;
  if (allocationsLeft > 0) --allocationsLeft;
  return std::malloc(size == 0 ? 1 : size);
}

void* allocateOrThrow(std::size_t size) {
  void* block = allocate(size);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

}  // namespace

void* operator new(std::size_t size) {
  return allocateOrThrow(size);
}
void* operator new[](std::size_t size) {
  return allocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return allocate(size);
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

namespace skyrill {
namespace {

// Fails the first, second, third... allocation of a parse in turn, until a
// parse needs no more: each failed one returns false and leaves nothing.
TEST(JsonDocumentAllocationFailure, failsTheParseWhereverMemoryRunsOut) {
  std::string text = R"({"date": "2019-07-05", "wmo": "57083", "res": [)";
  for (int i = 0; i < 200; ++i) {
    text += (i > 0 ? "," : "");
    text +=
        R"({"name": "郑州", "time": "2019-07-04T16:00:00", "T": 19.8, "k": "a\nb", "x": 1, "x": 2})";
  }
  text += "]}";
  bool succeeded = false;
  int failures = 0;
  for (long failAt = 0; failAt < 10000 && !succeeded; ++failAt) {
    JsonDocument document;
    ASSERT_TRUE(document.parse("[1]"));
    allocationsLeft = failAt;
    succeeded = document.parse(text);
    allocationsLeft = -1;
    if (!succeeded) {
      ++failures;
      EXPECT_EQ(document.getText(""), "") << failAt;
      EXPECT_EQ(document.count("res"), 0) << failAt;
    }
  }
  EXPECT_TRUE(succeeded);
  EXPECT_GT(failures, 3);
  JsonDocument document;
  ASSERT_TRUE(document.parse(text));
  EXPECT_EQ(document.getText("res[199].x"), "2");
}

}  // namespace
}  // namespace skyrill
