// A parse that runs out of memory fails, and says it was memory, not the
// text: this program replaces the global allocation functions with ones that
// fail from a chosen allocation on.

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "core/answer_check.h"
#include "core/headless_view.h"
#include "core/query_pipeline.h"
#include "json/json_document.h"
#include "tests/support/replaced_allocation.h"

namespace {

// Allocations left before they fail; negative: none fail.
long allocationsLeft = -1;
// Allocations left before the one that fails alone; negative: none.
long allocationsBeforeOneFails = -1;

}  // namespace

void* tryAllocate(std::size_t size) noexcept {
  if (allocationsLeft == 0) return nullptr;
  if (allocationsLeft > 0) --allocationsLeft;
  if (allocationsBeforeOneFails >= 0 && allocationsBeforeOneFails-- == 0) return nullptr;
  return std::malloc(size);
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
      EXPECT_TRUE(document.ranOutOfMemory()) << failAt;
      // A good answer memory could not hold is not called a bad one.
      EXPECT_EQ(checkAnswer(text, false, document, "res").outcome, AnswerCheck::OutOfMemory);
    }
  }
  EXPECT_TRUE(succeeded);
  EXPECT_GE(failures, 3);  // the parser's room, the tape and the strings at least
  JsonDocument document;
  ASSERT_TRUE(document.parse(text));
  EXPECT_EQ(document.getText("res[199].x"), "2");
  EXPECT_FALSE(document.ranOutOfMemory());
  EXPECT_FALSE(document.parse("not json"));
  EXPECT_FALSE(document.ranOutOfMemory());
  EXPECT_EQ(checkAnswer("not json", false, document, "res").outcome, AnswerCheck::NotJson);
}

// A day that memory cannot hold is told as such, and the day on display
// stays: never "not JSON" for a good answer.
TEST(JsonDocumentAllocationFailure, aRunSaysMemoryRanOutAndKeepsTheDay) {
  std::string day = R"({"date": "2019-07-05", "wmo": "57083", "res": [)";
  for (int i = 0; i < 24; ++i) {
    day += (i > 0 ? "," : "");
    day += R"({"name": "郑州", "time": "2019-07-05T)" + std::string(i < 10 ? "0" : "") +
           std::to_string(i) + R"(:00:00", "T": 19.8})";
  }
  day += "]}";
  int toldOutOfMemory = 0;
  for (long failAt = 0; failAt < 5000; ++failAt) {
    // A fresh pipeline each time: a run that memory broke off elsewhere
    // than in the parse is left half done.
    HeadlessView view({});
    QueryPipeline pipeline(view, nullptr, nullptr);
    ASSERT_TRUE(pipeline.openDayText(day, "0_57083_0_20190705.json", false));
    const std::string title = view.title();
    allocationsBeforeOneFails = failAt;
    bool shown = false;
    try {
      shown = pipeline.openDayText(day, "0_57083_0_20190705.json", false);
    } catch (const std::bad_alloc&) {  // outside the parse, memory may run out anyhow
    }
    const bool reachedTheEnd = allocationsBeforeOneFails >= 0;
    allocationsBeforeOneFails = -1;
    if (reachedTheEnd) break;  // every allocation of a run has had its turn
    if (shown || pipeline.lastOutcome() != AnswerCheck::OutOfMemory) continue;
    ++toldOutOfMemory;
    ASSERT_TRUE(view.lastMessage());
    EXPECT_EQ(view.lastMessage()->title, kFailureTitle);
    EXPECT_NE(view.lastMessage()->text.find("内存不足"), std::string::npos);
    EXPECT_EQ(view.title(), title);
  }
  EXPECT_GE(toldOutOfMemory, 3);
}

}  // namespace
}  // namespace skyrill
