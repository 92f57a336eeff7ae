#include "tools/skyrill-day/options.h"

#include <functional>
#include <map>

namespace skyrill {

const char* const kDayUsage =
    "Usage:\n"
    "  skyrill-day [--realtime] [--wind 1|2|3] [--visibility 1|2] [--slots] FILE\n"
    "  skyrill-day --grid [--realtime] FILE\n"
    "  skyrill-day --station S (--date Y-M-D | --today) [--advanced] [--key K]\n"
    "              [--proxy HOST:PORT] [--server BASE] [--save FILE] [--wind N]\n"
    "              [--visibility N] [--slots]\n"
    "  skyrill-day --help | --version\n"
    "Common: [--chart FILE] [--strip FILE] [--csv FILE] [--grid-csv FILE]\n"
    "\n"
    "Shows one station-day of hourly observations as the window would: the title's\n"
    "three lines, then the eleven status-bar panels (bar 1 panels 0-3, bar 2 panels\n"
    "0-3, bar 3 panels 0-2), UTF-8, one per line.\n"
    "\n"
    "  FILE              a saved observation file (the answer bytes as received); its\n"
    "                    name gives the mode (0_... past day, 1_... current day)\n"
    "  --realtime        as if the current-day box were ticked (for file names\n"
    "                    without a mode)\n"
    "  --wind N          1 maximum instantaneous wind of the last hour (default),\n"
    "                    2 its 2-minute mean, 3 instantaneous wind on the hour\n"
    "  --visibility N    1 10-minute mean visibility (default), 2 reported visibility\n"
    "  --slots           also print the 24 hour slots, slot 1 to 24, each as its nine\n"
    "                    texts (time, T, P, RH, wind direction, wind speed,\n"
    "                    precipitation, visibility, snow depth) joined by tabs\n"
    "  --grid            print the data grid instead: its window caption, the header\n"
    "                    row, then one line per record, cells joined by tabs; a\n"
    "                    coloured cell is TEXT@#rrggbb, with /#ffffff after it when\n"
    "                    its text is white (works with --station too)\n"
    "  --station S       fetch the day of station S from the data service\n"
    "  --date Y-M-D      the past day to fetch, e.g. 2019-7-5\n"
    "  --today           fetch the current day so far\n"
    "  --advanced        use the advanced data source\n"
    "  --key K           the API key\n"
    "  --proxy H:P       fetch through this HTTP proxy\n"
    "  --server BASE     base address of the data service (default: built in)\n"
    "  --save FILE       write the fetched answer bytes to FILE\n"
    "  --chart FILE      write the chart picture (500 x 440): FILE.svg an SVG\n"
    "                    drawing, FILE.pdf a PDF page, any other name a PNG image\n"
    "  --strip FILE      write the wind strip picture (500 x 20), likewise\n"
    "  --csv FILE        write the 24 hour slots as CSV (UTF-8 with a byte-order\n"
    "                    mark): values, acc texts and class labels in columns of\n"
    "                    their own, empty cells for missing values\n"
    "  --grid-csv FILE   write the data grid as CSV, each coloured column followed\n"
    "                    by a column of its cells' backgrounds (#rrggbb)\n"
    "  --help            show this text\n"
    "  --version         show the program's version\n"
    "\n"
    "Exit status: 0 shown, 1 usage error or a file that cannot be written (--save,\n"
    "--chart, --strip, --csv, --grid-csv), 2 the answer check failed (the message\n"
    "is written to standard error), 3 out of memory.\n";

bool splitDateText(const std::string& date, QueryRequest& out) {
  const auto first = date.find('-');
  const auto second = date.find('-', first == std::string::npos ? first : first + 1);
  if (first == std::string::npos || second == std::string::npos) return false;
  out.year = date.substr(0, first);
  out.month = date.substr(first + 1, second - first - 1);
  out.day = date.substr(second + 1);
  return true;
}

std::optional<DayOptions> parseDayOptions(const std::vector<std::string>& args,
                                          std::string& error) {
  DayOptions options;
  const std::map<std::string, bool*> flags = {
      {"--realtime", &options.realtime}, {"--slots", &options.printSlots},
      {"--grid", &options.printGrid},    {"--today", &options.today},
      {"--advanced", &options.advanced}, {"--help", &options.help},
      {"--version", &options.version},   {"-h", &options.help}};
  const std::map<std::string, std::string*> values = {
      {"--station", &options.station}, {"--date", &options.date},
      {"--key", &options.key},         {"--proxy", &options.proxy},
      {"--server", &options.server},   {"--save", &options.saveFile},
      {"--chart", &options.chartFile}, {"--strip", &options.stripFile},
      {"--csv", &options.csvFile},     {"--grid-csv", &options.gridCsvFile}};

  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (auto flag = flags.find(arg); flag != flags.end()) {
      *flag->second = true;
      continue;
    }
    const bool takesValue = values.count(arg) || arg == "--wind" || arg == "--visibility";
    if (takesValue) {
      if (i + 1 >= args.size()) {
        error = arg + " needs a value";
        return std::nullopt;
      }
      const std::string& value = args[++i];
      if (arg == "--wind") {
        if (value != "1" && value != "2" && value != "3") {
          error = "--wind takes 1, 2 or 3";
          return std::nullopt;
        }
        options.wind = static_cast<WindVariant>(value[0] - '0');
      } else if (arg == "--visibility") {
        if (value != "1" && value != "2") {
          error = "--visibility takes 1 or 2";
          return std::nullopt;
        }
        options.visibility = static_cast<VisibilityVariant>(value[0] - '0');
      } else {
        *values.at(arg) = value;
      }
      continue;
    }
    if (arg.size() > 1 && arg[0] == '-') {
      error = "unknown option " + arg;
      return std::nullopt;
    }
    if (!options.file.empty()) {
      error = "only one FILE may be given";
      return std::nullopt;
    }
    options.file = arg;
  }
  if (options.help || options.version) return options;

  if (options.printGrid && options.printSlots) {
    error = "give either --grid or --slots";
  } else if (options.fetches()) {
    QueryRequest date;
    if (!options.file.empty())
      error = "give either FILE or --station, not both";
    else if (options.today == !options.date.empty())
      error = "give either --date or --today";
    else if (!options.today && !splitDateText(options.date, date))
      error = "--date takes Y-M-D";
  } else if (options.file.empty()) {
    error = "give a FILE or --station";
  }
  if (!error.empty()) return std::nullopt;
  return options;
}

}  // namespace skyrill
