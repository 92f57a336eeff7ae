// Makes a program's manual page from its --help and --version output, at
// build time, so that the page says what the program says:
//
//   skyrill-help-to-man PROGRAM OUTPUT --name TEXT --date DATE [--see-also NAME,...]
//
// The help text is read as our programs write it: a "Usage:" block whose
// lines start with the program's name (deeper-indented lines continue the one
// above), then paragraphs separated by blank lines. Indented lines are option
// entries, the option and its text separated by two spaces or more, the text
// going on in deeper-indented lines; a line at the margin ending in a colon
// heads the entries below it; other lines at the margin are running text.
// The text from "Exit status:" on goes to a section of its own, and so do
// the entries under the headings "Keys:", "Files:" and "Environment:".
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Runs `program arg` without a shell and returns what it wrote on standard
// output, or nothing when it could not be run or did not exit with status 0.
std::optional<std::string> outputOf(const std::string& program, const char* arg) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) return std::nullopt;
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    return std::nullopt;
  }
  if (child == 0) {
    ::dup2(pipeEnds[1], STDOUT_FILENO);
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    // The window program answers --help before it opens a display; this
    // keeps a build without one safe all the same.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::vector<char*> argv = {const_cast<char*>(program.c_str()), const_cast<char*>(arg),
                                     nullptr};
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(pipeEnds[1]);
  std::string output;
  char buffer[4096];
  for (;;) {
    const ssize_t got = ::read(pipeEnds[0], buffer, sizeof buffer);
    if (got > 0) {
      output.append(buffer, static_cast<size_t>(got));
    } else if (got == 0 || errno != EINTR) {
      break;
    }
  }
  ::close(pipeEnds[0]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return std::nullopt;
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return output;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

size_t indentOf(const std::string& line) {
  const size_t first = line.find_first_not_of(' ');
  return first == std::string::npos ? line.size() : first;
}

std::string trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool isUpper(char c) {
  return c >= 'A' && c <= 'Z';
}
bool isLower(char c) {
  return c >= 'a' && c <= 'z';
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
bool isWordChar(char c) {
  return isUpper(c) || isLower(c) || isDigit(c) || c == '_';
}

// Where a word may start: an option's dash there is a dash, not a hyphen.
bool atWordStart(const std::string& text, size_t i) {
  if (i == 0) return true;
  const char before = text[i - 1];
  return before == ' ' || before == '[' || before == '(' || before == '|' || before == '"' ||
         before == ',' || before == '=';
}

// The text as roff: backslashes kept, a dash that begins a word (an option,
// a negative number) and the hyphens in that word written as minus signs,
// so that they can be copied into a shell.
std::string roffText(const std::string& text) {
  std::string out;
  bool inDashedWord = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '-' && atWordStart(text, i)) inDashedWord = true;
    if (!(isWordChar(c) || c == '-')) inDashedWord = false;
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-' && inDashedWord) {
      out += "\\-";
    } else {
      out += c;
    }
  }
  return out;
}

// A word every hyphen of which is a minus sign: a program's name, a
// placeholder such as Y-M-D.
std::string withMinusSigns(const std::string& word) {
  std::string out;
  for (char c : word) out += c == '-' ? std::string("\\-") : std::string(1, c);
  return out;
}

// A line of roff input that starts with a dot or an apostrophe would be read
// as a request.
std::string roffLine(const std::string& text) {
  std::string out = roffText(text);
  if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
  return out;
}

// A synopsis or an option as roff: options in bold, the words to be replaced
// (FILE, N, HOST:PORT, Y-M-D) in italics, the rest as it is.
std::string roffSyntax(const std::string& text) {
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '-' && atWordStart(text, i) && i + 1 < text.size() &&
        (isWordChar(text[i + 1]) || text[i + 1] == '-')) {
      size_t end = i;
      while (end < text.size() && (isWordChar(text[end]) || text[end] == '-')) ++end;
      out += "\\fB" + roffText(text.substr(i, end - i)) + "\\fR";
      i = end;
    } else if (isUpper(c) && (i == 0 || !isWordChar(text[i - 1]))) {
      // A run of capitals, digits and underscores, joined by '-' or ':' to
      // more of them; a lower-case letter after it makes it an ordinary word.
      size_t end = i;
      for (;;) {
        while (end < text.size() && (isUpper(text[end]) || isDigit(text[end]) || text[end] == '_'))
          ++end;
        if (end + 1 < text.size() && (text[end] == '-' || text[end] == ':') &&
            isUpper(text[end + 1])) {
          ++end;
          continue;
        }
        break;
      }
      if (end < text.size() && isLower(text[end])) {
        while (end < text.size() && isWordChar(text[end])) ++end;
        out += roffText(text.substr(i, end - i));
      } else {
        out += "\\fI" + withMinusSigns(text.substr(i, end - i)) + "\\fR";
      }
      i = end;
    } else if (c == '\\') {
      out += "\\e";
      ++i;
    } else {
      out += c;
      ++i;
    }
  }
  if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
  return out;
}

struct Page {
  std::string program;
  std::string name;
  std::string date;
  std::string version;
  std::vector<std::string> seeAlso;
};

struct Synopsis {
  bool command = false;  // starts with the program's name
  std::string text;      // the rest of the line, continuation lines joined
};

// Reads the "Usage:" block from `lines[at]` on; `at` ends past it.
std::optional<std::vector<Synopsis>> readUsage(const std::vector<std::string>& lines, size_t& at,
                                               const std::string& program) {
  while (at < lines.size() && lines[at].empty()) ++at;
  if (at == lines.size() || !startsWith(lines[at], "Usage:")) return std::nullopt;
  std::vector<Synopsis> synopses;
  size_t commandIndent = 0;
  for (bool first = true; at < lines.size() && !lines[at].empty(); ++at, first = false) {
    const std::string line = first ? std::string(6, ' ') + lines[at].substr(6) : lines[at];
    const std::string text = trimmed(line);
    if (text.empty()) continue;
    const size_t indent = indentOf(line);
    if (text == program || startsWith(text, program + " ")) {
      synopses.push_back({true, trimmed(text.substr(program.size()))});
      commandIndent = indent;
    } else if (indent > 0 && !synopses.empty() && synopses.back().command &&
               indent > commandIndent) {
      synopses.back().text += " " + text;
    } else {
      synopses.push_back({false, text});
    }
  }
  if (synopses.empty() || !synopses.front().command) return std::nullopt;
  return synopses;
}

// A section of the page: its title and its roff text.
struct Section {
  std::string title;
  std::string text;
};

// Headings at the margin that open a section of the page of their own (the
// page's FILES, not a heading inside DESCRIPTION), with the section's title.
std::optional<std::string> ownSectionTitle(const std::string& heading) {
  for (const char* own : {"Keys", "Files", "Environment"}) {
    if (heading == own) {
      std::string title = own;
      for (char& c : title) c = isLower(c) ? static_cast<char>(c - 'a' + 'A') : c;
      return title;
    }
  }
  return std::nullopt;
}

// The rest of the help text as roff sections, in the order the help has
// them: the description, the exit status and the sections of their own.
std::vector<Section> writeBody(const std::vector<std::string>& lines, size_t at) {
  std::vector<Section> sections{{"DESCRIPTION", {}}};
  size_t current = 0;         // the section being written
  size_t beforeExit = 0;      // the section to go back to after the exit status
  std::string paragraph;      // running text being gathered
  bool inEntry = false;       // an option entry is being gathered:
  std::string entry;          // its text so far
  size_t entryIndent = 0;     // and the indent of its option
  bool inExitStatus = false;  // from "Exit status:" to the paragraph's end

  const auto flushParagraph = [&] {
    if (paragraph.empty()) return;
    std::string& target = sections[current].text;
    if (!target.empty()) target += ".PP\n";
    target += roffLine(paragraph) + "\n";
    paragraph.clear();
  };
  const auto flushEntry = [&] {
    if (inEntry && !entry.empty()) sections[current].text += roffLine(entry) + "\n";
    inEntry = false;
    entry.clear();
  };
  const auto openSection = [&](const std::string& title) {
    sections.push_back({title, {}});
    current = sections.size() - 1;
  };
  const auto addRunningText = [&](const std::string& text) {
    std::string whole = paragraph.empty() ? text : paragraph + " " + text;
    const size_t exit = inExitStatus ? std::string::npos : whole.find("Exit status:");
    if (exit != std::string::npos) {
      paragraph = trimmed(whole.substr(0, exit));
      flushParagraph();
      inExitStatus = true;
      beforeExit = current;
      openSection("EXIT STATUS");
      whole = trimmed(whole.substr(exit + std::strlen("Exit status:")));
    }
    paragraph = whole;
  };

  for (; at < lines.size(); ++at) {
    const std::string& line = lines[at];
    if (line.empty()) {
      flushEntry();
      flushParagraph();
      if (inExitStatus) current = beforeExit;
      inExitStatus = false;
      continue;
    }
    const size_t indent = indentOf(line);
    const std::string text = trimmed(line);
    if (indent == 0) {
      flushEntry();
      const bool headsEntries = text.back() == ':' && at + 1 < lines.size() &&
                                !lines[at + 1].empty() && indentOf(lines[at + 1]) > 0;
      if (headsEntries) {
        flushParagraph();
        const std::string heading = text.substr(0, text.size() - 1);
        if (const auto title = ownSectionTitle(heading)) {
          openSection(*title);
        } else {
          sections[current].text += ".SS " + roffLine(heading) + "\n";
        }
      } else {
        addRunningText(text);
      }
      continue;
    }
    // An indented line: a new option entry, or more of the one above.
    flushParagraph();
    if (inEntry && indent > entryIndent) {
      entry += entry.empty() ? text : " " + text;
      continue;
    }
    flushEntry();
    const size_t gap = text.find("  ");
    const std::string option = gap == std::string::npos ? text : text.substr(0, gap);
    sections[current].text += ".TP\n" + roffSyntax(option) + "\n";
    inEntry = true;
    entry = gap == std::string::npos ? std::string() : trimmed(text.substr(gap));
    entryIndent = indent;
  }
  flushEntry();
  flushParagraph();
  return sections;
}

// Quotes a .TH argument.
std::string quoted(const std::string& text) {
  return "\"" + roffText(text) + "\"";
}

std::string upper(std::string text) {
  for (char& c : text) {
    if (isLower(c)) c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

std::optional<std::string> makePage(const Page& page, const std::string& help) {
  const std::vector<std::string> lines = linesOf(help);
  size_t at = 0;
  const auto synopses = readUsage(lines, at, page.program);
  if (!synopses) return std::nullopt;

  const std::vector<Section> sections = writeBody(lines, at);

  std::string out;
  out += ".\\\" Made from the output of " + page.program + " --help; do not edit.\n";
  out += ".TH " + quoted(upper(page.program)) + " 1 " + quoted(page.date) + " " +
         quoted("Skyrill " + page.version) + " \"User Commands\"\n";
  out += ".SH NAME\n" + withMinusSigns(page.program) + " \\- " + roffText(page.name) + "\n";
  // The synopsis neither hyphenated nor stretched to the margin.
  out += ".SH SYNOPSIS\n.nh\n.ad l\n";
  for (size_t i = 0; i < synopses->size(); ++i) {
    const Synopsis& synopsis = (*synopses)[i];
    if (i > 0) out += ".br\n";
    if (synopsis.command) {
      out += ".B " + withMinusSigns(page.program) + "\n";
      if (!synopsis.text.empty()) out += roffSyntax(synopsis.text) + "\n";
    } else {
      out += roffSyntax(synopsis.text) + "\n";
    }
  }
  out += ".ad\n.hy\n";
  for (const Section& section : sections) {
    if (section.text.empty()) continue;
    const bool spaced = section.title.find(' ') != std::string::npos;
    out += ".SH " + (spaced ? "\"" + section.title + "\"" : section.title) + "\n" + section.text;
  }
  std::vector<std::string> others;
  for (const std::string& other : page.seeAlso) {
    if (other != page.program) others.push_back(other);
  }
  if (!others.empty()) {
    out += ".SH \"SEE ALSO\"\n";
    for (size_t i = 0; i < others.size(); ++i) {
      out +=
          ".BR " + withMinusSigns(others[i]) + " (1)" + (i + 1 < others.size() ? "," : "") + "\n";
    }
  }
  return out;
}

std::vector<std::string> splitCommas(const std::string& text) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, ',')) {
    if (!part.empty()) parts.push_back(part);
  }
  return parts;
}

int usageError() {
  std::fputs(
      "usage: skyrill-help-to-man PROGRAM OUTPUT --name TEXT --date DATE "
      "[--see-also NAME,...]\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 3) return usageError();
  const std::string program = argv[1];
  const std::string output = argv[2];
  Page page;
  page.program = std::filesystem::path(program).filename().string();
  for (int i = 3; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--name") {
      page.name = argv[i + 1];
    } else if (option == "--date") {
      page.date = argv[i + 1];
    } else if (option == "--see-also") {
      page.seeAlso = splitCommas(argv[i + 1]);
    } else {
      return usageError();
    }
  }
  if (argc % 2 == 0 || page.name.empty() || page.date.empty()) return usageError();

  const auto help = outputOf(program, "--help");
  const auto version = outputOf(program, "--version");
  if (!help || !version) {
    std::fprintf(stderr, "skyrill-help-to-man: %s --help or --version failed\n", program.c_str());
    return 1;
  }
  // "NAME VERSION" on the first line.
  const std::string versionLine = linesOf(*version).empty() ? "" : linesOf(*version).front();
  const size_t space = versionLine.rfind(' ');
  if (space == std::string::npos || space + 1 == versionLine.size()) {
    std::fprintf(stderr, "skyrill-help-to-man: no version in \"%s\"\n", versionLine.c_str());
    return 1;
  }
  page.version = versionLine.substr(space + 1);

  const auto text = makePage(page, *help);
  if (!text) {
    std::fprintf(stderr, "skyrill-help-to-man: %s --help has no \"Usage: %s\" block\n",
                 program.c_str(), page.program.c_str());
    return 1;
  }
  const std::string temporary = output + ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << *text;
    if (!out.flush()) {
      std::fprintf(stderr, "skyrill-help-to-man: cannot write %s\n", temporary.c_str());
      return 1;
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, output, error);
  if (error) {
    std::fprintf(stderr, "skyrill-help-to-man: cannot write %s\n", output.c_str());
    return 1;
  }
  return 0;
}
