// URL downloads: opening a URL with a 5000 ms time-out kept by a worker thread, copying the answer
// to a file (with the kilobyte progress screen) or, for covers, only when it starts like a JPEG.
// One object per process; every call comes from the user-interface thread and blocks it.
#pragma once

#include <memory>
#include <string>

#include "platform/http.h"

class VxInternet {
public:
    static VxInternet& Instance();

    static constexpr const char* Agent = "Microsoft Internet Explorer";
    static constexpr int Block_size = 1024;
    static constexpr int Open_timeout_ms = 5000;
    // Longest page or version file kept in memory; the rest of a larger answer is not read.
    static constexpr std::size_t Max_text_size = 16u << 20;

    // Opens the internet handle and the URL on a worker thread, waiting for it at most 5000 ms.
    // Afterwards the URL handle is the open answer, or empty. On a time-out both handles are closed
    // and the worker's late answer is thrown away.
    void Open_url(const std::string& url, bool& timed_out);
    // The same on the calling thread without a time-out of its own (the cover search request).
    void Open_url_here(const std::string& url);
    bool Url_open() const { return response_ != nullptr; }
    // Closes the URL handle and the internet handle, each if present.
    void Close_handles();

    // One block of the open answer: up to 1024 bytes, 0 at its end, -1 when the transfer failed.
    long Read_block(char* buffer);
    // Every block of the open answer, appended, up to Max_text_size; "" when nothing could be read.
    std::string Read_text();

    // Copies the answer to path, showing the kilobytes so far after each block. Only a complete
    // answer with a non-error status from a trusted source (HTTPS, or the loopback test server)
    // replaces path; otherwise nothing is written and the result is false. Used for installers.
    bool Download_to_file(const std::string& url, const std::string& path);
    // Copies the answer to path only when its first block starts with FF D8 FF (a JPEG);
    // true when the whole image arrived and was written.
    bool Download_image(const std::string& url, const std::string& path);

    // The limits that end a transfer that stalls after connecting (tests shorten them).
    void Set_limits(Platform::Http_limits limits) { limits_ = limits; }

private:
    VxInternet() = default;
    void Open_client();
    enum class Copy_kind { installer, image };
    bool Copy_to_file(const std::string& url, const std::string& path, Copy_kind kind);

    Platform::Http_limits limits_;
    std::unique_ptr<Platform::Http_client> client_;      // the internet handle
    std::unique_ptr<Platform::Http_response> response_;  // the URL handle
};
