// Prints everything the display path shows for each file named on the
// command line: the answer opened as a history and as a current-day file,
// then shown again with every wind and visibility variant, with the day
// report, the hour slots, the slots' CSV, the data grid and its CSV and the
// picture caption. Two builds that print the same text for the same files
// show those files alike: run it over the fuzz corpora and sample days
// before and after a change to the display path, and compare.
//
//   display_dump FILE... > before.txt

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "core/data_grid.h"
#include "core/day_csv.h"
#include "core/day_texts.h"
#include "core/headless_view.h"
#include "core/query_pipeline.h"
#include "tools/skyrill-day/day_report.h"

namespace skyrill {
namespace {

// The names the file is opened under: the name carries the mode.
constexpr std::array<std::string_view, 2> kFileNames = {"0_57083_0_20190705.json",
                                                        "1_57083_0_20190705_130500.json"};

constexpr std::array<WindVariant, 3> kWindVariants = {
    WindVariant::MaxInstant, WindVariant::TwoMinuteMean, WindVariant::HourlyInstant};
constexpr std::array<VisibilityVariant, 2> kVisibilityVariants = {VisibilityVariant::TenMinuteMean,
                                                                  VisibilityVariant::Reported};

std::string readBytes(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void printGrid(const DataGrid& grid, std::ostream& out) {
  out << "grid caption: " << grid.caption << '\n';
  for (const GridRow& row : grid.rows) {
    for (const GridCell& cell : row) {
      out << cell.text;
      if (cell.colours) {
        const auto rgb = [&out](const Rgb& colour) {
          out << int{colour.red} << ',' << int{colour.green} << ',' << int{colour.blue};
        };
        out << '[';
        rgb(cell.colours->background);
        out << (cell.colours->whiteText ? "/white]" : "]");
      }
      out << '\t';
    }
    out << '\n';
  }
  out << dataGridCsv(grid);
}

void printShown(const HeadlessView& view, const QueryState& state, std::ostream& out) {
  out << formatDayReport(view.title(), view.statusLines(), &state.series);
  out << "max visibility class: " << state.series.maxVisibilityClass << '\n';
  out << daySlotsCsv(state.series);
}

void dumpFile(const char* path, std::ostream& out) {
  const std::string bytes = readBytes(path);
  out << "==== " << path << '\n';
  for (const std::string_view name : kFileNames) {
    out << "-- opened as " << name << '\n';
    HeadlessView view{QueryRequest{}};
    QueryPipeline pipeline(view, nullptr, nullptr);
    const bool shown = pipeline.openDayText(bytes, name, false);
    const QueryState& state = pipeline.state();
    if (!shown) {
      const UserMessage message = view.lastMessage().value_or(UserMessage{});
      out << "refused: " << message.title << " | " << message.text << " | " << message.detail
          << '\n';
      continue;
    }
    printGrid(buildDataGrid(state.document, state.displayedMode), out);
    out << "caption: "
        << composePictureCaption(state.displayedMode, state.document, kLocalFileLabel) << '\n';
    for (const WindVariant wind : kWindVariants) {
      for (const VisibilityVariant visibility : kVisibilityVariants) {
        QueryRequest inputs;
        inputs.windVariant = wind;
        inputs.visibilityVariant = visibility;
        HeadlessView variantView(inputs);
        QueryPipeline variantPipeline(variantView, nullptr, nullptr);
        variantPipeline.openDayText(bytes, name, false);
        out << "-- variants " << static_cast<int>(wind) << ' ' << static_cast<int>(visibility)
            << '\n';
        printShown(variantView, variantPipeline.state(), out);
      }
    }
  }
}

}  // namespace
}  // namespace skyrill

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  for (int i = 1; i < argc; ++i) skyrill::dumpFile(argv[i], std::cout);
  return 0;
}
