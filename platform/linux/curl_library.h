// libcurl opened when the first request is made instead of by the loader at every start: with its TLS,
// SSH, LDAP and Kerberos libraries it is a fifth of what the program links, and most starts never
// use the network before their first frame. Only the functions the HTTP client calls are looked up.
#pragma once

#include <curl/curl.h>

#include <string>

namespace Platform {

struct Curl_library {
    decltype(&curl_global_init) global_init;
    decltype(&curl_easy_init) easy_init;
    decltype(&curl_easy_setopt) easy_setopt;
    decltype(&curl_easy_getinfo) easy_getinfo;
    decltype(&curl_easy_cleanup) easy_cleanup;
    decltype(&curl_multi_init) multi_init;
    decltype(&curl_multi_add_handle) multi_add_handle;
    decltype(&curl_multi_remove_handle) multi_remove_handle;
    decltype(&curl_multi_perform) multi_perform;
    decltype(&curl_multi_info_read) multi_info_read;
    decltype(&curl_multi_poll) multi_poll;
    decltype(&curl_multi_cleanup) multi_cleanup;
    decltype(&curl_slist_append) slist_append;
    decltype(&curl_slist_free_all) slist_free_all;
};

// libcurl with every function found and curl_global_init done, or nullptr when it cannot be opened.
// Any thread; the first call opens it (once per process), later calls return the same table.
const Curl_library* Curl();
// Why Curl() gave nullptr (the loader's words, or the function that was missing); "" before the first
// call and when it succeeded.
const std::string& Curl_failure();

}  // namespace Platform
