#include "tools/skyrill-day/options.h"

#include "cli/option_parser.h"

namespace skyrill {

namespace {

// The usage, up to the options every fetching tool shares, and after them.
constexpr const char* kUsageHead =
    "Usage:\n"
    "  skyrill-day [--realtime] [--wind 1|2|3] [--visibility 1|2] [--slots] FILE\n"
    "  skyrill-day --grid [--realtime] FILE\n"
    "  skyrill-day --station S (--date DATE | --today) [--advanced] [--key K]\n"
    "              [--proxy HOST:PORT] [--server BASE] [--save FILE] [--wind N]\n"
    "              [--visibility N] [--slots] [--trust-certificate SHA256]\n"
    "              [--insecure]\n"
    "  skyrill-day --help | --version\n"
    "Common: [--chart FILE] [--strip FILE] [--caption] [--csv FILE] [--grid-csv FILE]\n"
    "An option's value may follow it or be joined to it by \"=\" (--wind=2).\n"
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
    "  --date DATE       the past day to fetch, as YYYY-MM-DD, YYYY-M-D or YYYYMMDD\n"
    "                    (e.g. 2019-7-5); a date that does not exist is refused\n"
    "  --today           fetch the current day so far\n"
    "  --advanced        use the advanced data source\n"
    "  --key K           the API key\n"
    "  --proxy H:P       fetch through this HTTP proxy\n"
    "  --server BASE     base address of the data service (default: built in)\n"
    "  --save FILE       write the fetched answer bytes to FILE\n";
constexpr const char* kUsageTail =
    "  --chart FILE      write the chart picture (500 x 440); the format follows\n"
    "                    FILE's ending: .png, .jpg or .jpeg an image, .svg a\n"
    "                    drawing, .pdf a page\n"
    "  --strip FILE      write the wind strip picture (500 x 20), likewise\n"
    "  --caption         put a line under each picture with the station, the\n"
    "                    date, the kind of data and its source\n"
    "  --csv FILE        write the 24 hour slots as CSV (UTF-8 with a byte-order\n"
    "                    mark): values, acc texts and class labels in columns of\n"
    "                    their own, empty cells for missing values\n"
    "  --grid-csv FILE   write the data grid as CSV, each coloured column followed\n"
    "                    by a column of its cells' backgrounds (#rrggbb)\n"
    "  --help            show this text\n"
    "  --version         show the program's version\n"
    "\n"
    "Exit status: 0 shown, 1 the answer check failed (the message is written to\n"
    "standard error) or a file cannot be written (--save, --chart, --strip, --csv,\n"
    "--grid-csv), 2 usage error, 3 out of memory.\n"
    "\n"
    "A secure server's certificate is checked against the system's trust store and\n"
    "the certificates trusted in the window's settings, by host and port.\n";

const std::string kUsageText = std::string(kUsageHead) + trustUsage(20) + kUsageTail;

// The variant numbered `text` among `count`, as the window's settings number them.
template <typename Variant>
bool readVariant(const std::string& option, const std::string& text, int count, Variant& out,
                 std::string& error) {
  if (text.size() != 1 || text[0] < '1' || text[0] >= '1' + count) {
    error = option + (count == 3 ? " takes 1, 2 or 3" : " takes 1 or 2");
    return false;
  }
  out = static_cast<Variant>(text[0] - '0');
  return true;
}

// The checks between options, once each is read.
std::string crossCheck(const DayOptions& options, const std::string& date) {
  if (options.printGrid && options.printSlots) return "give either --grid or --slots";
  if (!options.fetches()) return options.file.empty() ? "give a FILE or --station" : "";
  if (!options.file.empty()) return "give either FILE or --station, not both";
  if (options.today == !date.empty()) return "give either --date or --today";
  return {};
}

}  // namespace

const char* const kDayUsage = kUsageText.c_str();

std::optional<DayOptions> parseDayOptions(const std::vector<std::string>& args,
                                          std::string& error) {
  DayOptions options;
  std::string wind, visibility, date;
  std::vector<std::string> files;
  OptionParser parser;
  addTrustOptions(parser, options.trust);
  const bool read = parser.flag("--realtime", options.realtime)
                        .flag("--slots", options.printSlots)
                        .flag("--grid", options.printGrid)
                        .flag("--today", options.today)
                        .flag("--advanced", options.advanced)
                        .flag("--help", options.help)
                        .flag("--version", options.version)
                        .flag("--caption", options.caption)
                        .value("--wind", wind)
                        .value("--visibility", visibility)
                        .value("--station", options.station)
                        .value("--date", date)
                        .value("--key", options.key)
                        .value("--proxy", options.proxy)
                        .value("--server", options.server)
                        .value("--save", options.saveFile)
                        .value("--chart", options.chartFile)
                        .value("--strip", options.stripFile)
                        .value("--csv", options.csvFile)
                        .value("--grid-csv", options.gridCsvFile)
                        .operands(files, "FILE", 1)
                        .parse(args, error);
  if (!read) return std::nullopt;
  if (options.help || options.version) return options;
  if (!files.empty()) options.file = files.front();

  if ((!wind.empty() && !readVariant("--wind", wind, 3, options.wind, error)) ||
      (!visibility.empty() &&
       !readVariant("--visibility", visibility, 2, options.visibility, error)))
    return std::nullopt;
  if (!checkTrustOptions(options.trust, error)) return std::nullopt;
  error = crossCheck(options, date);
  if (error.empty() && !date.empty()) readDateOption("--date", date, options.date, error);
  if (error.empty() && checkPictureOption("--chart", options.chartFile, error))
    checkPictureOption("--strip", options.stripFile, error);
  if (!error.empty()) return std::nullopt;
  return options;
}

}  // namespace skyrill
