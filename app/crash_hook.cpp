#include "app/crash_hook.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <QString>
#include <QtGlobal>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <vector>

#include "app/crash_report_mode.h"
#include "core/masked_text.h"

extern char** environ;

namespace skyrill {
namespace {

struct FatalSignal {
  int number;
  const char* text;
};

constexpr std::array kFatalSignals = {
    FatalSignal{SIGSEGV, "SIGSEGV 非法内存访问"}, FatalSignal{SIGBUS, "SIGBUS 总线错误"},
    FatalSignal{SIGFPE, "SIGFPE 算术运算错误"},   FatalSignal{SIGILL, "SIGILL 非法指令"},
    FatalSignal{SIGABRT, "SIGABRT 程序中止"},
};

// The longest error text passed on to the question, in bytes.
constexpr std::size_t kMaxErrorTextBytes = 2000;

// Everything the signal handler needs, prepared at installation: it may
// not allocate.
struct HookState {
  std::string programFile;
  int programFd = -1;    // the running program, whatever becomes of its file
  std::string heldFile;  // how the report mode finds the held text
  int heldFd = -1;
  bool heldInMemory = false;  // heldFd is memory, inherited by the report mode
  const std::string* heldText = nullptr;
  const std::string* heldTextKey = nullptr;  // masked wherever the held text holds it
  std::array<std::string, kFatalSignals.size()> signalNumbers;
  std::vector<char> alternateStack;
  QtMessageHandler previousMessageHandler = nullptr;
};

HookState* g_hook = nullptr;
volatile sig_atomic_t g_faulting = 0;

// Writes the bytes at the offset, which moves past them; false on failure.
bool writeAt(int fd, std::string_view bytes, off_t& offset) {
  while (!bytes.empty()) {
    const ssize_t written = ::pwrite(fd, bytes.data(), bytes.size(), offset);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
    offset += written;
  }
  return true;
}

// Writes the held text into the scratch file, the API key masked:
// async-signal-safe calls only.
void saveHeldText() {
  if (!g_hook || g_hook->heldFd < 0) return;
  const int fd = g_hook->heldFd;
  if (::ftruncate(fd, 0) != 0) return;
  const std::string* text = g_hook->heldText;
  const std::string* key = g_hook->heldTextKey;
  off_t offset = 0;
  bool writing = true;
  forEachMaskedPiece(text ? std::string_view(*text) : std::string_view(),
                     key ? std::string_view(*key) : std::string_view(),
                     [fd, &offset, &writing](std::string_view piece) {
                       writing = writing && writeAt(fd, piece, offset);
                     });
}

void writeError(const char* text) {
  [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, text, std::strlen(text));
}

// Replaces the process with the program in crash-report mode: the program
// it runs, through the descriptor opened at start, even when its file has
// been moved or replaced since. Only returns when that fails, saying so.
void startCrashReport(const char* number, const char* text) {
  if (!g_hook) return;
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);  // the mask would outlive the exec
  const char* argv[] = {g_hook->programFile.c_str(), kCrashReportFlag, number, text,
                        g_hook->heldFile.c_str(),    nullptr};
  if (g_hook->programFd >= 0) {
    ::fexecve(g_hook->programFd, const_cast<char* const*>(argv), environ);
  }
  ::execve(argv[0], const_cast<char* const*>(argv), environ);
  writeError("skyrill: 程序出错，需要关闭，但无法询问是否保存数据（");
  writeError(text);
  writeError("）\n");
}

void onFatalSignal(int signalNumber) {
  if (g_faulting) ::_exit(kCrashExitStatus);  // a fault while reporting one
  g_faulting = 1;
  saveHeldText();
  for (std::size_t index = 0; index < kFatalSignals.size(); ++index) {
    if (kFatalSignals[index].number == signalNumber) {
      startCrashReport(g_hook->signalNumbers[index].c_str(), kFatalSignals[index].text);
    }
  }
  ::_exit(kCrashExitStatus);
}

void onQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtFatalMsg) fatalError(0, "Qt " + message.toStdString());
  if (g_hook && g_hook->previousMessageHandler) {
    g_hook->previousMessageHandler(type, context, message);
  }
}

void installSignalHandlers(HookState& hook) {
  // A stack overflow leaves no stack for the handler: give it its own.
  hook.alternateStack.resize(256 * 1024);
  stack_t stack{};
  stack.ss_sp = hook.alternateStack.data();
  stack.ss_size = hook.alternateStack.size();
  sigaltstack(&stack, nullptr);

  struct sigaction action {};
  action.sa_handler = onFatalSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_ONSTACK | SA_RESETHAND;
  for (std::size_t index = 0; index < kFatalSignals.size(); ++index) {
    hook.signalNumbers[index] = std::to_string(kFatalSignals[index].number);
    sigaction(kFatalSignals[index].number, &action, nullptr);
  }
}

// Where the held text goes when a fault comes: memory that needs no folder,
// left open across the re-execution so that the report mode reads it there;
// else a scratch file in the temporary folder.
void openHeldTextStore(HookState& hook) {
  hook.heldFd = ::memfd_create(kHeldFilePrefix.data(), 0);
  if (hook.heldFd >= 0) {
    hook.heldInMemory = true;
    hook.heldFile = "/proc/self/fd/" + std::to_string(hook.heldFd);
    return;
  }
  const char* tempDir = std::getenv("TMPDIR");
  std::string pattern = std::string(tempDir && *tempDir ? tempDir : "/tmp") + "/" +
                        std::string(kHeldFilePrefix) + "XXXXXX";
  hook.heldFd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (hook.heldFd >= 0) hook.heldFile = pattern;
}

// Cuts a text to at most `limit` bytes without splitting a UTF-8 character.
std::string cutUtf8(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return std::string(text);
  std::size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return std::string(text.substr(0, end));
}

}  // namespace

void installCrashHook(const std::filesystem::path& programFile, const std::string* heldText,
                      const std::string* heldTextKey) {
  if (g_hook) {
    g_hook->heldText = heldText;
    g_hook->heldTextKey = heldTextKey;
    return;
  }
  auto* hook = new HookState;  // lives until the process ends
  hook->programFile = programFile.string();
  hook->programFd = ::open("/proc/self/exe", O_RDONLY | O_CLOEXEC);
  hook->heldText = heldText;
  hook->heldTextKey = heldTextKey;
  openHeldTextStore(*hook);
  g_hook = hook;
  installSignalHandlers(*hook);
  hook->previousMessageHandler = qInstallMessageHandler(onQtMessage);
  std::set_terminate([] { fatalCurrentException(); });
}

void releaseCrashHook() {
  if (!g_hook) return;
  g_hook->heldText = nullptr;  // its owner is about to go
  g_hook->heldTextKey = nullptr;
  if (g_hook->heldFd < 0) return;
  ::close(g_hook->heldFd);
  if (!g_hook->heldInMemory) ::unlink(g_hook->heldFile.c_str());
  g_hook->heldFd = -1;
  g_hook->heldFile.clear();
}

void fatalError(int errorNumber, std::string_view errorText) {
  const std::string* key = g_hook ? g_hook->heldTextKey : nullptr;
  const std::string text = cutUtf8(
      maskedText(errorText, key ? std::string_view(*key) : std::string_view()), kMaxErrorTextBytes);
  if (!g_faulting && g_hook) {
    g_faulting = 1;
    saveHeldText();
    const std::string number = std::to_string(errorNumber);
    startCrashReport(number.c_str(), text.c_str());
  }
  std::fprintf(stderr, "skyrill: %d %s\n", errorNumber, text.c_str());
  ::_exit(kCrashExitStatus);
}

void fatalCurrentException() {
  std::string text = "未处理的异常";
  try {
    if (std::exception_ptr current = std::current_exception()) std::rethrow_exception(current);
  } catch (const std::exception& error) {
    text += "：";
    text += error.what();
  } catch (...) {
  }
  fatalError(0, text);
}

}  // namespace skyrill
