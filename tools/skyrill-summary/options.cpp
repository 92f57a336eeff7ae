#include "tools/skyrill-summary/options.h"

#include <charconv>

#include "cli/option_parser.h"

namespace skyrill {

const char* const kSummaryUsage =
    "Usage:\n"
    "  skyrill-summary FOLDER... [--csv OUT] [--chart OUT.png|.jpg|.svg|.pdf]\n"
    "                  [--station S] [--from DATE] [--to DATE] [--threads N]\n"
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
    "                  the format follows OUT's ending: .png, .jpg or .jpeg an\n"
    "                  image, .svg a drawing, .pdf a page. Needs --station when\n"
    "                  the files hold several stations\n"
    "  --station S     only the days of station S\n"
    "  --from DATE     only days on or after DATE (YYYY-MM-DD, YYYY-M-D or\n"
    "                  YYYYMMDD)\n"
    "  --to DATE       only days on or before DATE (likewise)\n"
    "  --threads N     read with N threads (default: one per core when there are\n"
    "                  many files)\n"
    "  --help          show this text\n"
    "  --version       show the program's version\n"
    "\n"
    "A file that cannot be read as a day is left out and reported on standard\n"
    "error with the message the window would show; the run goes on. A progress\n"
    "bar goes to standard error when it is a terminal, unless the table goes to\n"
    "a terminal as it is made.\n"
    "\n"
    "Exit status: 0 every file was read, 1 some files were left out or an output\n"
    "file could not be written, 2 usage error (also a FOLDER that does not exist,\n"
    "or --chart without --station over several stations, or with no day to draw),\n"
    "3 out of memory.\n";

namespace {

bool readThreads(const std::string& text, unsigned& threads) {
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, threads);
  return result.ec == std::errc() && result.ptr == end && threads > 0;
}

}  // namespace

std::optional<SummaryCommand> parseSummaryCommand(const std::vector<std::string>& args,
                                                  std::string& error) {
  SummaryCommand command;
  std::string from, to, threads;
  bool fromGiven = false, toGiven = false;
  const bool read = OptionParser()
                        .flag("--help", command.help)
                        .flag("--version", command.version)
                        .value("--csv", command.csvFile)
                        .value("--chart", command.chartFile)
                        .value("--station", command.filter.station)
                        .value("--from", from, &fromGiven)
                        .value("--to", to, &toGiven)
                        .value("--threads", threads)
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
    else
      checkPictureOption("--chart", command.chartFile, error);
  }
  if (!error.empty()) return std::nullopt;
  return command;
}

}  // namespace skyrill
