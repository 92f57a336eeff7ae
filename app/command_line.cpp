#include "app/command_line.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "cli/option_parser.h"

namespace skyrill {

const char* const kProgramUsage =
    "Usage: skyrill [FILE]\n"
    "       skyrill --help | --version\n"
    "\n"
    "Shows one weather station's hourly observations for one day in a window.\n"
    "\n"
    "  FILE        a saved day (.json) to show at start, opened as if it had been\n"
    "              dropped on the window\n"
    "  --help      show this text\n"
    "  --version   show the program's version\n"
    "\n"
    "The toolkit's own options (-platform, -display, -style and the like) are\n"
    "taken as well.\n"
    "\n"
    "Exit status: 0 the window was closed or the program was ended by SIGTERM,\n"
    "SIGINT or SIGHUP, 2 usage error (also a windowing system that cannot be\n"
    "used: a -platform or QT_QPA_PLATFORM that names no plugin, no display to\n"
    "reach), 255 a fatal error (after the question that offers to save the crash\n"
    "report).\n";

namespace {

// The toolkit's options that take the next argument (or "=value"), the X11
// ones included.
constexpr std::array<std::string_view, 18> kToolkitOptionsWithValue = {
    "platform",        "platformpluginpath",
    "platformtheme",   "plugin",
    "qwindowgeometry", "qwindowicon",
    "qwindowtitle",    "session",
    "display",         "geometry",
    "style",           "stylesheet",
    "qmljsdebugger",   "name",
    "title",           "icon",
    "visual",          "ncols"};
constexpr std::array<std::string_view, 7> kToolkitFlags = {
    "reverse", "widgetcount", "nograb", "dograb", "testability", "cmap", "sync"};

// The name of a toolkit option without its dashes and value, as the toolkit
// reads it: one dash or two.
std::string_view toolkitName(std::string_view arg) {
  if (!arg.starts_with('-')) return {};
  arg.remove_prefix(arg.starts_with("--") ? 2 : 1);
  return arg.substr(0, arg.find('='));
}

}  // namespace

std::vector<std::string> withoutToolkitOptions(const std::vector<std::string>& args) {
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--") {
      rest.insert(rest.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
      break;
    }
    const std::string_view name = toolkitName(args[i]);
    const bool takesValue =
        std::ranges::find(kToolkitOptionsWithValue, name) != kToolkitOptionsWithValue.end();
    if (takesValue) {
      if (args[i].find('=') == std::string::npos) ++i;
      continue;
    }
    if (std::ranges::find(kToolkitFlags, name) != kToolkitFlags.end()) continue;
    rest.push_back(args[i]);
  }
  return rest;
}

std::optional<CommandLine> readCommandLine(const std::vector<std::string>& args,
                                           std::string& error) {
  CommandLine line;
  std::vector<std::string> files;
  const bool read = OptionParser()
                        .flag("--help", line.help)
                        .flag("--version", line.version)
                        .operands(files, "FILE", 1)
                        .parse(withoutToolkitOptions(args), error);
  if (!read) return std::nullopt;
  if (!files.empty()) line.dayFile = files.front();
  return line;
}

}  // namespace skyrill
