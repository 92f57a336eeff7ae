// An observation file opened by the user: its path (typed, dropped or picked)
// decides the mode, its bytes are the answer. Also the name a fetched day is
// saved under, which must open again in the mode it was fetched in.
//
// Input: the realtime tick, a path, then the file's bytes.

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "archive/archive_names.h"
#include "core/query_pipeline.h"
#include "fuzz/fuzz_check.h"
#include "store/observation_files.h"

namespace skyrill {
namespace {

class SilentView : public QueryView {
 public:
  bool messageShown = false;

  QueryRequest readRequest() override { return {}; }
  void setFetchEnabled(bool) override {}
  void showMessage(const UserMessage&) override { messageShown = true; }
  void showVariantCaptions(const std::string&, const std::string&) override {}
  void drawDay(const DaySeries&) override {}
  void showTitle(const std::string&) override {}
  void showStatusLines(const std::array<StatusLine, kStatusLineCount>&) override {}
};

void checkPath(std::string_view path, bool realtimeTicked) {
  const std::string name = fileNameOfPath(path);
  require(name.find_first_of("/\\") == std::string::npos, "a file name has no folders");
  require(path.ends_with(name), "a file name ends its path");
  const int mode = modeNumberFromFileName(path, realtimeTicked);
  require(mode == modeNumberFromFileName(name, realtimeTicked), "only the name counts");
  if (name.find('_') == std::string::npos) {
    require(mode == (realtimeTicked ? 1 : 0), "a name without a mode takes the tick");
  }
}

void checkOpen(std::string_view path, std::string_view bytes, bool realtimeTicked) {
  SilentView view;
  QueryPipeline pipeline(view, nullptr, nullptr);
  const int mode = modeNumberFromFileName(path, realtimeTicked);
  const bool shown = pipeline.openDayText(bytes, fileNameOfPath(path), realtimeTicked);
  require(shown != view.messageShown, "a day is shown or a message says why not");
  const QueryState& state = pipeline.state();
  require(!state.busy, "a run always ends");
  if (!shown) {
    require(state.responseText.empty(), "a refused file is not held");
    return;
  }
  require(mode == 0 || mode == 1, "only the two modes are shown");
  require(static_cast<int>(state.displayedMode) == mode, "the day shows in the name's mode");
  require(state.sourceLabel == kLocalFileLabel, "an opened day says it came from a file");
}

// The name a fetched day is saved under opens again in the fetch's mode,
// whatever the station text holds, and is a name without folders.
void checkSavedName(FuzzedDataProvider& input, bool realtimeTicked) {
  QueryRequest request;
  request.mode = input.ConsumeBool() ? QueryMode::Today : QueryMode::History;
  request.advancedSource = input.ConsumeBool();
  request.stationNumber = input.ConsumeRandomLengthString(32);
  request.year = input.ConsumeRandomLengthString(8);
  request.month = input.ConsumeRandomLengthString(4);
  request.day = input.ConsumeRandomLengthString(4);
  // Up to 2255: the clock counts nanoseconds in 64 bits.
  const std::chrono::system_clock::time_point now{
      std::chrono::seconds(input.ConsumeIntegralInRange<long long>(0, 9'000'000'000))};
  const std::string name = makeSuggestedFileName(request, now);
  require(fileNameOfPath(name) == name, "a saved name has no folders");
  require(modeNumberFromFileName(name, realtimeTicked) == static_cast<int>(request.mode),
          "a saved day opens in its mode");
}

}  // namespace
}  // namespace skyrill

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const bool realtimeTicked = input.ConsumeBool();
  const std::string path = input.ConsumeRandomLengthString(256);
  const std::string bytes = input.ConsumeRemainingBytesAsString();
  skyrill::checkPath(path, realtimeTicked);
  skyrill::checkOpen(path, bytes, realtimeTicked);
  FuzzedDataProvider again(data, size);
  skyrill::checkSavedName(again, realtimeTicked);
  return 0;
}
