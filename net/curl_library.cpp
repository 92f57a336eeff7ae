#include "net/curl_library.h"

#include <dlfcn.h>

#include <string_view>

#include "net/library_symbols.h"

namespace skyrill {
namespace {

// The soname of libcurl 7.x and 8.x.
constexpr char kCurlSoname[] = "libcurl.so.4";

bool g_lackedMemory = false;

// Whether a failed open says the memory ran out: a library that could not be
// mapped, as under a limit of the address space.
bool saysOutOfMemory(const char* error) {
  if (error == nullptr) return false;
  const std::string_view text(error);
  return text.find("failed to map segment") != std::string_view::npos ||
         text.find("Cannot allocate memory") != std::string_view::npos;
}

// Never closed: curl keeps threads and handles to the program's end. Bound
// lazily: the functions of curl's libraries that no exchange calls (LDAP,
// SSH, Kerberos, ...) are not looked up, where that library allows it.
const CurlLibrary* openCurl() {
  void* library = ::dlopen(kCurlSoname, RTLD_LAZY | RTLD_LOCAL);
  if (library == nullptr) {
    g_lackedMemory = saysOutOfMemory(::dlerror());
    return nullptr;
  }
  static CurlLibrary curl{};
  const bool complete = findSymbol(library, "curl_global_init", curl.global_init) &&
                        findSymbol(library, "curl_version_info", curl.version_info) &&
                        findSymbol(library, "curl_easy_init", curl.easy_init) &&
                        findSymbol(library, "curl_easy_cleanup", curl.easy_cleanup) &&
                        findSymbol(library, "curl_easy_reset", curl.easy_reset) &&
                        findSymbol(library, "curl_easy_setopt", curl.easy_setopt) &&
                        findSymbol(library, "curl_easy_getinfo", curl.easy_getinfo) &&
                        findSymbol(library, "curl_multi_init", curl.multi_init) &&
                        findSymbol(library, "curl_multi_cleanup", curl.multi_cleanup) &&
                        findSymbol(library, "curl_multi_add_handle", curl.multi_add_handle) &&
                        findSymbol(library, "curl_multi_remove_handle", curl.multi_remove_handle) &&
                        findSymbol(library, "curl_multi_perform", curl.multi_perform) &&
                        findSymbol(library, "curl_multi_poll", curl.multi_poll) &&
                        findSymbol(library, "curl_multi_wakeup", curl.multi_wakeup) &&
                        findSymbol(library, "curl_multi_info_read", curl.multi_info_read) &&
                        findSymbol(library, "curl_slist_append", curl.slist_append) &&
                        findSymbol(library, "curl_slist_free_all", curl.slist_free_all);
  if (!complete) return nullptr;
  const CURLcode setUp = curl.global_init(CURL_GLOBAL_DEFAULT);
  g_lackedMemory = setUp == CURLE_OUT_OF_MEMORY;
  return setUp == CURLE_OK ? &curl : nullptr;
}

}  // namespace

const CurlLibrary* curlLibrary() {
  static const CurlLibrary* const curl = openCurl();
  return curl;
}

bool curlLackedMemory() {
  curlLibrary();
  return g_lackedMemory;
}

}  // namespace skyrill
