#include "tools/skyrill-summary/options.h"

#include <algorithm>
#include <charconv>

#include "archive/station_comparison.h"
#include "cli/option_parser.h"
#include "core/calendar_date.h"

namespace skyrill {

const char* const kSummaryUsage =
    "Usage:\n"
    "  skyrill-summary FOLDER... [--csv OUT] [--chart OUT.png|.jpg|.svg|.pdf]\n"
    "                  [--station S] [--from DATE] [--to DATE] [--threads N]\n"
    "  skyrill-summary FOLDER... --station S --climate [--from DATE] [--to DATE]\n"
    "                  [--csv OUT] [--threads N]\n"
    "  skyrill-summary FOLDER... --station S --on MM-DD [--csv OUT] [--threads N]\n"
    "  skyrill-summary FOLDER... --station A,B[,...] --compare ELEMENT [--from DATE]\n"
    "                  [--to DATE] [--csv OUT] [--chart OUT] [--threads N]\n"
    "  skyrill-summary --help | --version\n"
    "\n"
    "Sums up saved days: every *.json file below the folders (at any depth, e.g.\n"
    "the History folder with its years) is read as the window opens a file, with\n"
    "the default wind and visibility, and gives one row: file, mode, station,\n"
    "date, then the eleven status-bar panels in bar order, each as its value, its\n"
    "class label and its mark (\"*\" when some hour lacked the element), in cells\n"
    "of their own; a panel without data leaves its cells empty.\n"
    "Of several files of one station and day (a fetch repeated, or the same name\n"
    "in two folders) only the later fetch counts, and only it is read (the one\n"
    "before it too when it cannot be): the later time stamp in the name (a past\n"
    "day's file counts as fetched after the current-day files of that day), then\n"
    "the later modification time. Rows go by station, then date, to standard\n"
    "output as they are read; with --csv or --chart the table is written at the\n"
    "end.\n"
    "\n"
    "  FOLDER          a folder to search, or a single observation file\n"
    "  --csv OUT       write the table to OUT instead of standard output; CSV,\n"
    "                  UTF-8 with a byte-order mark, a header row, one row per day\n"
    "  --chart OUT     draw one station's days over the period: highest and lowest\n"
    "                  temperature, precipitation by phase, the visibility class;\n"
    "                  behind the temperatures the band of daily normals where the\n"
    "                  station's days of every saved year give one (3 years at\n"
    "                  least); the format follows OUT's ending: .png, .jpg or .jpeg\n"
    "                  an image, .svg a drawing, .pdf a page. Needs --station when\n"
    "                  the files hold several stations; with --compare the\n"
    "                  stations' values side by side (see below)\n"
    "  --station S     only the days of station S; several go comma-separated\n"
    "                  (A,B), for the table or for --compare\n"
    "  --from DATE     only days on or after DATE (YYYY-MM-DD, YYYY-M-D or\n"
    "                  YYYYMMDD)\n"
    "  --to DATE       only days on or before DATE (likewise)\n"
    "  --climate       write the station's climate table in place of its days (see\n"
    "                  below); needs --station\n"
    "  --on MM-DD      write that calendar day in every saved year in place of the\n"
    "                  days (see below); needs --station\n"
    "  --compare ELEMENT\n"
    "                  compare the stations of --station day by day (see below)\n"
    "  --threads N     read with N threads (default: one per core when there are\n"
    "                  many files)\n"
    "  --help          show this text\n"
    "  --version       show the program's version\n"
    "\n"
    "The climate table (--climate) takes the same files and the same daily values\n"
    "as the rows above (the values of the panels 最高气温, 最低气温, 平均气温 and\n"
    "降水量) and gives one row per month, 1 to 12, then 全年:\n"
    "  - a year's value of a month: for a temperature the mean of its days, when\n"
    "    at most 5 days of the month lack the value and never more than 3 in a row\n"
    "    (a day without a file lacks it); for the precipitation the month's total,\n"
    "    and its days with at least 0.1 mm (降水日数), only when every day has one;\n"
    "  - the normal: the mean of the years' values, \"年数\" how many years counted\n"
    "    (empty cells when none did);\n"
    "  - 极端最高气温, 极端最低气温, 日最大降水量: over every saved day of the month,\n"
    "    with the date, the earliest of equal ones;\n"
    "  - 全年: the mean of the twelve temperature normals, the sum of the twelve\n"
    "    precipitation ones, each only when all twelve months have one; the\n"
    "    extremes over all days; as 年数 the fewest of the months';\n"
    "  - numbers with one decimal, rounded half away from zero.\n"
    "One calendar day (--on) gives one row per year with a saved day of that date\n"
    "(02-29: leap years alone), its four values as the panels show them, then the\n"
    "rows 平均, 最高 and 最低 over the years with a value, with one decimal.\n"
    "\n"
    "A comparison (--compare ELEMENT) takes the same files and daily values as\n"
    "the rows above and writes the header 日期 then one column per station,\n"
    "\"STATION ELEMENT (unit)\" (\"50953 最高气温 (℃)\"), and one row per date from\n"
    "--from to --to (without them, the first to the last day any of the stations\n"
    "has): each station's value exactly as the value cell of its row above, empty\n"
    "where it has no saved day or the day no value. ELEMENT is a panel's name or\n"
    "its alias: 最高气温 (tmax), 最低气温 (tmin), 平均气温 (tmean), 降水量 (precip),\n"
    "最大小时雨强 (rain1h), 最高风速 (wind), 平均气压 (pressure), 最低能见度 (vis).\n"
    "--chart draws the stations' values on one scale, a colour each (6 stations at\n"
    "most), with gaps where a day is missing; amounts as bars side by side.\n"
    "\n"
    "A file that cannot be read as a day is left out and reported on standard\n"
    "error with the message the window would show; the run goes on. A progress\n"
    "bar goes to standard error when it is a terminal, unless the table goes to\n"
    "a terminal as it is made.\n"
    "\n"
    "Exit status: 0 every file was read, 1 some files were left out or an output\n"
    "file could not be written, or --climate, --on or --compare found no saved day\n"
    "of the stations, 2 usage error (also a FOLDER that does not exist, --climate\n"
    "or --on without one station, with --chart or with each other, a day that no\n"
    "year has, --compare without --station or with an element it does not know,\n"
    "or --chart over several stations without --compare, or with no day to\n"
    "draw), 3 out of memory.\n";

namespace {

bool readThreads(const std::string& text, unsigned& threads) {
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, threads);
  return result.ec == std::errc() && result.ptr == end && threads > 0;
}

// The stations of --station, comma-separated; false with an error for an
// empty one or one given twice.
bool readStations(const std::string& text, SummaryCommand& command, std::string& error) {
  if (text.empty()) return true;
  std::size_t start = 0;
  for (std::size_t comma; start <= text.size(); start = comma + 1) {
    comma = std::min(text.find(',', start), text.size());
    const std::string station = text.substr(start, comma - start);
    if (station.empty()) {
      error = "--station: an empty station in the list";
      return false;
    }
    if (std::find(command.stations.begin(), command.stations.end(), station) !=
        command.stations.end()) {
      error = "--station: " + station + " is given twice";
      return false;
    }
    command.stations.push_back(station);
  }
  if (command.stations.size() == 1)
    command.filter.station = command.stations.front();
  else
    command.filter.stations = command.stations;
  return true;
}

// The stations side by side: one element, stations named, no other table.
void checkCompareOptions(SummaryCommand& command, const std::string& element, bool compared,
                         std::string& error) {
  if (!compared) {
    if (command.stations.size() > 1 && !command.chartFile.empty())
      error = "--chart draws one station; compare several with --compare ELEMENT";
    return;
  }
  command.compare = readDailyElement(element);
  if (!command.compare) {
    error = "--compare takes one of " + dailyElementChoices();
  } else if (command.stations.empty()) {
    error = "--compare needs the stations: --station A,B";
  } else if (command.climate || command.sameDay) {
    error =
        std::string("--compare goes alone, without ") + (command.climate ? "--climate" : "--on");
  } else if (!command.chartFile.empty() && command.stations.size() > kMostComparedStations) {
    error = "--chart compares " + std::to_string(kMostComparedStations) + " stations at most";
  }
}

// The climate table and the calendar day: one station's, without a chart,
// one of them at a time. False with the error when they are not so.
bool checkClimateOptions(SummaryCommand& command, const std::string& onDay, std::string& error) {
  if (!command.climate && !command.sameDay) return true;
  const char* option = command.climate ? "--climate" : "--on";
  if (command.climate && command.sameDay) {
    error = "--climate and --on go one at a time";
  } else if (command.filter.station.empty()) {
    error = std::string(option) + " needs one station: --station S";
  } else if (!command.chartFile.empty()) {
    error = std::string(option) + " draws no chart; leave out --chart";
  } else if (command.sameDay) {
    const auto monthDay = readMonthDay(onDay);
    if (!monthDay) error = "--on takes a day of the year as MM-DD, e.g. 07-05 or 02-29";
    command.filter.monthDay = monthDay.value_or(0);
  }
  return error.empty();
}

}  // namespace

std::optional<SummaryCommand> parseSummaryCommand(const std::vector<std::string>& args,
                                                  std::string& error) {
  SummaryCommand command;
  std::string from, to, threads, onDay, stations, element;
  bool fromGiven = false, toGiven = false, compared = false;
  const bool read = OptionParser()
                        .flag("--help", command.help)
                        .flag("--version", command.version)
                        .value("--csv", command.csvFile)
                        .value("--chart", command.chartFile)
                        .value("--station", stations)
                        .value("--from", from, &fromGiven)
                        .value("--to", to, &toGiven)
                        .value("--threads", threads)
                        .flag("--climate", command.climate)
                        .value("--on", onDay, &command.sameDay)
                        .value("--compare", element, &compared)
                        .operands(command.folders, "FOLDER")
                        .parse(args, error);
  if (!read) return std::nullopt;
  if (command.help || command.version) return command;

  // An empty date ("--from=") is refused, not taken as no bound.
  const auto date = [&error](bool given, const std::string& text, const char* option, int& out) {
    return !given || readDateOption(option, text, out, error);
  };
  if (command.folders.empty()) {
    error = "give at least one FOLDER";
  } else if (date(fromGiven, from, "--from", command.filter.from) &&
             date(toGiven, to, "--to", command.filter.to)) {
    if (command.filter.to != 0 && command.filter.from > command.filter.to)
      error = "--from comes after --to";
    else if (!threads.empty() && !readThreads(threads, command.threads))
      error = "--threads takes a whole number from 1";
    else if (checkPictureOption("--chart", command.chartFile, error) &&
             readStations(stations, command, error) && checkClimateOptions(command, onDay, error))
      checkCompareOptions(command, element, compared, error);
  }
  if (!error.empty()) return std::nullopt;
  return command;
}

}  // namespace skyrill
