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
    "report).\n"
    "\n"
    "Keys:\n"
    "  Enter         fetch the day (G.获取), or press the focused button\n"
    "  Esc           give up the fetch under way\n"
    "  Ctrl+O        open a saved day (数据 → 打开)\n"
    "  Ctrl+S        save the day fetched (保存)\n"
    "  Ctrl+P        print the day on display (打印…)\n"
    "  F1            the data grid of the day (显示表格)\n"
    "  F2            the overview of the station's saved days (时段概览…)\n"
    "  F3            the day on display in its station's climate (历史同期…)\n"
    "  F4            stations side by side, a day or a period (多站对比…)\n"
    "  Page Up       the day before, from the archive or fetched (前一天)\n"
    "  Page Down     the day after (后一天)\n"
    "  Ctrl+Q        quit (退出)\n"
    "  Left, Right   on the chart: the hour before or after in the readout\n"
    "  Home, End     on the chart: the first or the last hour\n"
    "  Tab           the next element: R.实况, year, month, day, station number,\n"
    "                C.选择站点, G.获取, the chart\n"
    "  Alt+letter    the element or menu whose caption has the letter underlined\n"
    "  Alt+Down, F4  in a date field: the calendar\n"
    "  Ctrl+A, Ctrl+C\n"
    "                in the data grid: select every cell, copy the cells selected\n"
    "                as tab-separated text with their header row\n"
    "  Esc, Ctrl+W   in the data grid: close it\n"
    "  Ctrl+S, Ctrl+C, Ctrl+P\n"
    "                in the overview and in 历史同期: export the chart or the\n"
    "                tables (导出…), copy the chart and the rows, print them\n"
    "                (打印…)\n"
    "  Esc           in the station picker, a download window or 多站对比: stop\n"
    "                the download under way, else close\n"
    "\n"
    "Files:\n"
    "  $XDG_CONFIG_HOME/skyrill/Stormbook.ini\n"
    "                the settings, read at start and written at the end\n"
    "                (~/.config/skyrill/ when XDG_CONFIG_HOME is not set)\n"
    "  $XDG_DATA_HOME/skyrill/History/\n"
    "                the saved days, one folder per year\n"
    "                (~/.local/share/skyrill/ when XDG_DATA_HOME is not set)\n"
    "  $XDG_DATA_HOME/skyrill/skyrill_Bug.log\n"
    "                the crash report, written when the user agrees to it\n"
    "  $XDG_CACHE_HOME/skyrill/\n"
    "                the station directory's lists: ProvinceData, SiteData and\n"
    "                StationLists/ (~/.cache/skyrill/ when XDG_CACHE_HOME is not\n"
    "                set)\n"
    "  Stormbook.ini beside the program\n"
    "                makes a portable copy: the settings, History, the crash\n"
    "                report and the caches are then all kept beside the program,\n"
    "                as they are for a run from the build tree\n"
    "\n"
    "Environment:\n"
    "  XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_CACHE_HOME\n"
    "                where the settings, the saved days and the caches go (see\n"
    "                Files)\n"
    "  HOME          the home folder the places above fall back to\n"
    "  QT_SCALE_FACTOR\n"
    "                scales the window, e.g. 2 on a high-density screen; the\n"
    "                chart is painted for the screen's pixels\n"
    "  QT_QPA_PLATFORM\n"
    "                the toolkit's display: xcb, wayland, or offscreen for no\n"
    "                display\n";

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
