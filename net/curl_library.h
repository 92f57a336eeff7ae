#pragma once

#include <curl/curl.h>

// libcurl, opened by the first exchange rather than with the program: a
// window that starts, or a tool that reads a file, loads none of curl's
// TLS and network libraries.
namespace skyrill {

// The functions of libcurl the client uses.
struct CurlLibrary {
  decltype(&::curl_global_init) global_init;
  decltype(&::curl_version_info) version_info;
  decltype(&::curl_easy_init) easy_init;
  decltype(&::curl_easy_cleanup) easy_cleanup;
  decltype(&::curl_easy_reset) easy_reset;
  decltype(&::curl_easy_setopt) easy_setopt;
  decltype(&::curl_easy_getinfo) easy_getinfo;
  decltype(&::curl_multi_init) multi_init;
  decltype(&::curl_multi_cleanup) multi_cleanup;
  decltype(&::curl_multi_add_handle) multi_add_handle;
  decltype(&::curl_multi_remove_handle) multi_remove_handle;
  decltype(&::curl_multi_perform) multi_perform;
  decltype(&::curl_multi_poll) multi_poll;
  decltype(&::curl_multi_wakeup) multi_wakeup;
  decltype(&::curl_multi_info_read) multi_info_read;
  decltype(&::curl_slist_append) slist_append;
  decltype(&::curl_slist_free_all) slist_free_all;
};

// The library, opened and set up (curl_global_init) by the first call from
// any thread; null when it cannot be opened or lacks a function.
const CurlLibrary* curlLibrary();

// Whether curl could not be opened for want of memory (its libraries could
// not be mapped, or its set-up ran out), rather than for want of the library.
bool curlLackedMemory();

}  // namespace skyrill
