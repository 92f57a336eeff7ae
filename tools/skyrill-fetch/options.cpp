#include "tools/skyrill-fetch/options.h"

#include <charconv>

#include "cli/option_parser.h"
#include "fetch/range_fetcher.h"

namespace skyrill {

namespace {

// The usage, up to the options every fetching tool shares, and after them.
constexpr const char* kUsageHead =
    "Usage:\n"
    "  skyrill-fetch --station S[,S...] --from DATE --to DATE [--into FOLDER]\n"
    "                [--jobs N] [--rate R] [--advanced] [--key K] [--proxy HOST:PORT]\n"
    "                [--server BASE] [--trust-certificate SHA256] [--insecure]\n"
    "  skyrill-fetch --help | --version\n"
    "\n"
    "Fetches every past day from DATE to DATE (both included) of the stations into\n"
    "the History archive, as the window's auto-save keeps them: each day in the\n"
    "folder of its year, named like 0_58453_0_20240120.json, written whole. A day\n"
    "already in the archive is not asked for again, so a run that stopped goes on\n"
    "where it stopped. An answer the window would refuse is reported with the\n"
    "window's message and not saved; a request that fails on the way (no\n"
    "connection, a time-out, a 5xx status, a cut-off answer) is tried again up to\n"
    "3 times, after about 1, 2 and 4 seconds. After 12 requests in a row fail on\n"
    "the way, retries included, with no answer between them, the service is taken\n"
    "to be down and the run stops, naming the server and the cause; the days saved\n"
    "stay, and the next run goes on from there. A folder that cannot be written\n"
    "is reported, with the reason, before any request.\n"
    "\n"
    "  --station S     a station number; several separated by commas\n"
    "  --from DATE     the first day (YYYY-MM-DD, YYYY-M-D or YYYYMMDD)\n"
    "  --to DATE       the last day, a past day at most 20 years after the first\n"
    "  --into FOLDER   the History folder to fill (default: the window's)\n"
    "  --jobs N        requests in flight at most (default 4, at most 16)\n"
    "  --rate R        requests per second at most (default 10; 0 for no bound)\n"
    "  --advanced      use the advanced data source\n"
    "  --key K         the API key (default: the window's)\n"
    "  --proxy H:P     the proxy to go through (default: the window's, when on)\n"
    "  --server BASE   the data service's base address (default: the window's)\n";
constexpr const char* kUsageTail =
    "  --help          show this text\n"
    "  --version       show the program's version\n"
    "An option's value may follow it or be joined to it by \"=\" (--jobs=8).\n"
    "\n"
    "Progress goes to standard error: a bar with days done, days per second and\n"
    "the time left on a terminal, plain lines otherwise. Ctrl+C stops the run at\n"
    "once; the days saved stay.\n"
    "\n"
    "Exit status: 0 every day is in the archive, 1 some days were refused or\n"
    "failed, or the run was stopped (Ctrl+C, a service down, a folder or file\n"
    "that could not be written), 2 usage error (also a date that does not\n"
    "exist, a last day before the first, today or a later day, a range of more\n"
    "than 20 years, a station that is not 1 to 5 letters or digits, or no --into\n"
    "where the window's History folder is not known), 3 out of memory.\n"
    "\n"
    "A secure server's certificate is checked against the system's trust store and\n"
    "the certificates trusted in the window's settings, by host and port.\n";

const std::string kUsageText = std::string(kUsageHead) + trustUsage(18) + kUsageTail;

template <typename Number>
bool readNumber(const std::string& text, Number& out) {
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, out);
  return result.ec == std::errc() && result.ptr == end;
}

std::vector<std::string> splitStations(const std::string& text) {
  std::vector<std::string> stations;
  std::size_t start = 0;
  for (std::size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1) {
    stations.push_back(text.substr(start, comma - start));
  }
  stations.push_back(text.substr(start));
  return stations;
}

// The words of a range check, in the tool's language.
std::string problemText(RangeProblem problem) {
  switch (problem) {
    case RangeProblem::NoStation:
      return "give --station";
    case RangeProblem::BadStation:
      return "--station takes station numbers of 1 to 5 letters or digits, separated by commas";
    case RangeProblem::BadDate:
      return "--from and --to take dates that exist, as YYYY-MM-DD, YYYY-M-D or YYYYMMDD";
    case RangeProblem::LastBeforeFirst:
      return "--to comes before --from";
    case RangeProblem::NotPast:
      return "--to must be a past day (before today)";
    case RangeProblem::TooLong:
      return "the range is longer than 20 years";
    case RangeProblem::None:
      break;
  }
  return {};
}

}  // namespace

const char* const kFetchUsage = kUsageText.c_str();

std::optional<FetchCommand> parseFetchCommand(const std::vector<std::string>& args, int today,
                                              std::string& error) {
  FetchCommand command;
  std::string stations, from, to, jobs, rate, key, proxy, server;
  bool keyGiven = false, proxyGiven = false, serverGiven = false;
  OptionParser parser;
  addTrustOptions(parser, command.trust);
  const bool read = parser.flag("--help", command.help)
                        .flag("--version", command.version)
                        .flag("--advanced", command.advanced)
                        .value("--station", stations)
                        .value("--from", from)
                        .value("--to", to)
                        .value("--into", command.folder)
                        .value("--jobs", jobs)
                        .value("--rate", rate)
                        .value("--key", key, &keyGiven)
                        .value("--proxy", proxy, &proxyGiven)
                        .value("--server", server, &serverGiven)
                        .parse(args, error);
  if (!read) return std::nullopt;
  if (command.help || command.version) return command;

  if (!checkTrustOptions(command.trust, error)) return std::nullopt;
  if (keyGiven) command.key = key;
  if (proxyGiven) command.proxy = proxy;
  if (serverGiven) command.server = server;
  if (!stations.empty()) command.stations = splitStations(stations);
  if (from.empty() || to.empty()) {
    error = "give --from and --to";
    return std::nullopt;
  }
  if (!readDateOption("--from", from, command.firstDay, error) ||
      !readDateOption("--to", to, command.lastDay, error))
    return std::nullopt;
  if (!jobs.empty() &&
      (!readNumber(jobs, command.jobs) || command.jobs == 0 || command.jobs > kMaxJobs)) {
    error = "--jobs takes a whole number from 1 to " + std::to_string(kMaxJobs);
    return std::nullopt;
  }
  if (!rate.empty() && (!readNumber(rate, command.rate) || !(command.rate >= 0))) {
    error = "--rate takes a number of requests per second, 0 for no bound";
    return std::nullopt;
  }
  RangeRequest range;
  range.stations = command.stations;
  range.firstDay = command.firstDay;
  range.lastDay = command.lastDay;
  if (const RangeProblem problem = checkRange(range, today); problem != RangeProblem::None) {
    error = problemText(problem);
    return std::nullopt;
  }
  return command;
}

}  // namespace skyrill
