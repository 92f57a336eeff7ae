#include "net/curl_library.h"

#include <dlfcn.h>

#include <string_view>

namespace skyrill {
namespace {

// The soname of libcurl 7.x and 8.x.
constexpr char kCurlSoname[] = "libcurl.so.4";

template <typename Function>
bool find(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(::dlsym(library, name));
  return function != nullptr;
}

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
  const bool complete = find(library, "curl_global_init", curl.global_init) &&
                        find(library, "curl_version_info", curl.version_info) &&
                        find(library, "curl_easy_init", curl.easy_init) &&
                        find(library, "curl_easy_cleanup", curl.easy_cleanup) &&
                        find(library, "curl_easy_reset", curl.easy_reset) &&
                        find(library, "curl_easy_setopt", curl.easy_setopt) &&
                        find(library, "curl_easy_getinfo", curl.easy_getinfo) &&
                        find(library, "curl_multi_init", curl.multi_init) &&
                        find(library, "curl_multi_cleanup", curl.multi_cleanup) &&
                        find(library, "curl_multi_add_handle", curl.multi_add_handle) &&
                        find(library, "curl_multi_remove_handle", curl.multi_remove_handle) &&
                        find(library, "curl_multi_perform", curl.multi_perform) &&
                        find(library, "curl_multi_poll", curl.multi_poll) &&
                        find(library, "curl_multi_wakeup", curl.multi_wakeup) &&
                        find(library, "curl_multi_info_read", curl.multi_info_read) &&
                        find(library, "curl_slist_append", curl.slist_append) &&
                        find(library, "curl_slist_free_all", curl.slist_free_all);
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
