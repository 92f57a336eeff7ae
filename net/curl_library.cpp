#include "net/curl_library.h"

#include <dlfcn.h>

#include "net/library_symbols.h"

namespace skyrill {
namespace {

// The soname of libcurl 7.x and 8.x.
constexpr char kCurlSoname[] = "libcurl.so.4";

// Never closed: curl keeps threads and handles to the program's end.
const CurlLibrary* openCurl() {
  void* library = ::dlopen(kCurlSoname, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return nullptr;
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
  if (!complete || curl.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) return nullptr;
  return &curl;
}

}  // namespace

const CurlLibrary* curlLibrary() {
  static const CurlLibrary* const curl = openCurl();
  return curl;
}

}  // namespace skyrill
