// URL downloads: opening a URL with a 5000 ms time-out kept by a worker thread, copying the answer
// to a file (with the kilobyte progress screen) or, for covers, only when it starts like a JPEG.
// Every request has a deadline (connect 5 s, the whole request 20 s; installers may take longer
// while bytes keep coming) and every download a ceiling that fits what it fetches. The cover
// services get requests of their own: the program's name as agent, every redirect hop checked.
// One object per process; every call comes from the user-interface thread and blocks it.
#pragma once

#include <memory>
#include <string>

#include "Tavrix_version.h"
#include "platform/http.h"

class VxInternet {
public:
    static VxInternet& Instance();

    static constexpr const char* Agent = "Microsoft Internet Explorer";
    static constexpr int Block_size = 1024;
    static constexpr int Open_timeout_ms = 5000;
    // The ceilings: a larger answer is refused (its Content-Length, or once that many bytes came).
    static constexpr long long Max_cover_size = 10LL << 20;
    static constexpr long long Max_installer_size = 256LL << 20;
    static constexpr std::size_t Max_version_text = 4096;
    // An installer is large: its whole transfer may take this long, as long as it never stalls.
    static constexpr long Installer_overall_ms = 30L * 60 * 1000;
    // The cover services: the agent they ask for, the longest chain of redirects, the largest answer text.
    static constexpr const char* Program_agent = "TavrixJukebox/" TAVRIX_VERSION_TEXT;
    static constexpr int Max_redirects = 5;
    static constexpr std::size_t Max_service_text = 1u << 20;

    // What Read_text does with an answer longer than its limit.
    enum class Beyond_limit {
        cut,     // keep the first bytes, leave the rest unread (a page searched only at its start)
        refuse,  // read nothing (a text that must be whole)
    };

    // Opens the internet handle and the URL on a worker thread, waiting for it at most 5000 ms.
    // Afterwards the URL handle is the open answer, or empty. On a time-out both handles are closed
    // and the worker's late answer is thrown away.
    void Open_url(const std::string& url, bool& timed_out) { Open_url(url, timed_out, limits_); }
    // The same on the calling thread without a time-out of its own (the cover search request).
    void Open_url_here(const std::string& url);
    bool Url_open() const { return response_ != nullptr; }
    // The HTTP status of the open answer; 0 when none is open.
    int Status() const { return response_ ? response_->Status() : 0; }
    // Closes the URL handle and the internet handle, each if present.
    void Close_handles();

    // One block of the open answer: up to 1024 bytes, 0 at its end, -1 when the transfer failed.
    long Read_block(char* buffer);
    // Every block of the open answer, appended, up to limit bytes; "" when nothing could be read, or
    // (refuse) a longer answer or one whose transfer broke off, with an error line naming url.
    std::string Read_text(std::size_t limit, Beyond_limit beyond, const std::string& url);

    // Copies the answer to path, showing the kilobytes so far after each block. Only a complete
    // answer of at most Max_installer_size bytes with a non-error status from a trusted source
    // (HTTPS, or the loopback test server) replaces path; otherwise nothing is written and the
    // result is false. Used for installers.
    bool Download_to_file(const std::string& url, const std::string& path);
    // Copies the answer to path only when its first block starts with FF D8 FF (a JPEG) and it is
    // at most Max_cover_size bytes; true when the whole image arrived and was written.
    bool Download_image(const std::string& url, const std::string& path);

    // Opens url for a cover service (with the open time-out, as Open_url) and follows its redirects
    // one hop at a time, each only to an address Net_servers::Secure_address accepts, at most
    // Max_redirects. True with the URL handle holding the final answer; false with both handles
    // closed and an error line naming the address refused.
    bool Open_secure(const std::string& url);
    // What Download_cover did.
    enum class Cover_fetch {
        written,  // a JPEG of at most Max_cover_size bytes is now path
        absent,   // the service answered that it has no such image (404)
        failed,   // anything else, with an error line; path is as it was
    };
    // Download_image through Open_secure; an answer that is no JPEG is an error line, not a file.
    Cover_fetch Download_cover(const std::string& url, const std::string& path);

    // The deadlines of every request (tests shorten them). An installer's whole transfer has
    // Installer_overall_ms instead; its other limits are these.
    void Set_limits(Platform::Http_limits limits) { limits_ = limits; }
    Platform::Http_limits Limits() const { return limits_; }

private:
    VxInternet() = default;
    enum class Copy_kind { installer, image, cover };
    // Who asks: the services of old with their agent and redirects followed, or a cover service.
    enum class Caller { classic, cover_service };
    void Open_client(Platform::Http_limits limits, Caller caller = Caller::classic);
    void Open_url(const std::string& url, bool& timed_out, Platform::Http_limits limits,
                  Caller caller = Caller::classic);
    bool Copy_to_file(const std::string& url, const std::string& path, Copy_kind kind);
    // Copies the open answer as Copy_to_file describes, and closes it.
    bool Copy_answer(const std::string& url, const std::string& path, Copy_kind kind);

    Platform::Http_limits limits_;
    std::unique_ptr<Platform::Http_client> client_;      // the internet handle
    std::unique_ptr<Platform::Http_response> response_;  // the URL handle
};
