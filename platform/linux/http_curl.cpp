// The HTTP client over libcurl's multi interface, driven by whoever reads: Open drives the
// transfer until the final answer's headers arrived, Read drives it until a block is full. libcurl
// is opened with the first request (curl_library.h); without it every request fails.
#include <strings.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "platform/http.h"
#include "platform/linux/curl_library.h"

namespace Platform {
namespace {

// How long one wait for network activity lasts before the abort switch is looked at again.
constexpr int Poll_slice_ms = 50;

bool Is_http_url(const std::string& url) {
    std::string head = url.substr(0, 8);
    std::transform(head.begin(), head.end(), head.begin(), [](unsigned char c) { return std::tolower(c); });
    return head.rfind("http://", 0) == 0 || head.rfind("https://", 0) == 0;
}

// The loopback server of the tests is never reached through a proxy of the environment.
std::string No_proxy_list() {
    std::string list = "127.0.0.1,localhost,::1";
    for (const char* name : {"no_proxy", "NO_PROXY"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            list += ",";
            list += value;
            break;
        }
    }
    return list;
}

class Curl_response final : public Http_response {
public:
    Curl_response(const Curl_library& curl, const std::string& url, const std::string& agent, const Http_limits& limits,
                  Redirects redirects, std::shared_ptr<std::atomic<bool>> aborted)
        : curl_(curl),
          follow_(redirects == Redirects::follow),
          aborted_(std::move(aborted)),
          no_proxy_(No_proxy_list()),
          stall_limit_(std::chrono::milliseconds(limits.stall_ms)) {
        easy_ = curl_.easy_init();
        multi_ = curl_.multi_init();
        headers_ = curl_.slist_append(headers_, "Cache-Control: no-cache");
        headers_ = curl_.slist_append(headers_, "Pragma: no-cache");
        curl_.easy_setopt(easy_, CURLOPT_URL, url.c_str());
        curl_.easy_setopt(easy_, CURLOPT_USERAGENT, agent.c_str());
        curl_.easy_setopt(easy_, CURLOPT_HTTPHEADER, headers_);
        curl_.easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_.easy_setopt(easy_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_.easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, follow_ ? 1L : 0L);
        curl_.easy_setopt(easy_, CURLOPT_MAXREDIRS, 10L);
        curl_.easy_setopt(easy_, CURLOPT_NOPROXY, no_proxy_.c_str());
        curl_.easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
        curl_.easy_setopt(easy_, CURLOPT_TIMEOUT_MS, limits.overall_ms);
        curl_.easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT_MS, limits.connect_ms);
        curl_.easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &Curl_response::On_header);
        curl_.easy_setopt(easy_, CURLOPT_HEADERDATA, this);
        curl_.easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &Curl_response::On_body);
        curl_.easy_setopt(easy_, CURLOPT_WRITEDATA, this);
        curl_.multi_add_handle(multi_, easy_);
    }

    ~Curl_response() override {
        curl_.multi_remove_handle(multi_, easy_);
        curl_.easy_cleanup(easy_);
        curl_.multi_cleanup(multi_);
        curl_.slist_free_all(headers_);
    }

    // Drives the transfer until the final answer's headers are in; false when it failed first.
    bool Open() {
        if (!Drive_until([this] { return headers_done_; })) return false;
        return headers_done_ || result_ == CURLE_OK;
    }

    long Read(char* buffer, std::size_t size) override {
        if (!Drive_until([this, size] { return buffer_.size() - offset_ >= size; })) return -1;
        std::size_t count = std::min(size, buffer_.size() - offset_);
        if (count == 0) return result_ == CURLE_OK ? 0 : -1;
        std::memcpy(buffer, buffer_.data() + offset_, count);
        offset_ += count;
        if (offset_ == buffer_.size()) {
            buffer_.clear();
            offset_ = 0;
        }
        return static_cast<long>(count);
    }

    int Status() const override {
        long code = 0;
        curl_.easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &code);
        return static_cast<int>(code);
    }

    bool Secure() const override {
        // Certificate and host checks are never switched off, so an HTTPS answer is a verified one.
        const char* scheme = nullptr;
        curl_.easy_getinfo(easy_, CURLINFO_SCHEME, &scheme);
        return scheme && strcasecmp(scheme, "https") == 0;
    }

    std::string Peer_ip() const override {
        const char* ip = nullptr;
        curl_.easy_getinfo(easy_, CURLINFO_PRIMARY_IP, &ip);
        return ip ? ip : "";
    }

    std::string Final_url() const override {
        const char* url = nullptr;
        curl_.easy_getinfo(easy_, CURLINFO_EFFECTIVE_URL, &url);
        return url ? url : "";
    }

    long long Content_length() const override {
        curl_off_t length = -1;
        if (curl_.easy_getinfo(easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK) return -1;
        return length < 0 ? -1 : static_cast<long long>(length);
    }

    std::string Redirect_url() const override {
        if (follow_) return "";
        char* location = nullptr;
        curl_.easy_getinfo(easy_, CURLINFO_REDIRECT_URL, &location);
        return location ? location : "";
    }

private:
    // Runs the transfer until done() holds or it finished; false when it was aborted.
    // A transfer silent for longer than the stall limit ends as failed (curl's own low-speed check
    // averages over several seconds, so it would notice a stall after a burst only late).
    template <typename Done>
    bool Drive_until(Done done) {
        while (!done() && !finished_) {
            if (aborted_->load()) return false;
            if (std::chrono::steady_clock::now() - last_activity_ > stall_limit_) {
                finished_ = true;
                result_ = CURLE_OPERATION_TIMEDOUT;
                break;
            }
            int running = 0;
            curl_.multi_perform(multi_, &running);
            int left = 0;
            while (CURLMsg* message = curl_.multi_info_read(multi_, &left)) {
                if (message->msg == CURLMSG_DONE) {
                    finished_ = true;
                    result_ = message->data.result;
                }
            }
            if (done() || finished_) break;
            curl_.multi_poll(multi_, nullptr, 0, Poll_slice_ms, nullptr);
        }
        return !aborted_->load();
    }

    static size_t On_header(char* data, size_t size, size_t count, void* self_ptr) {
        auto* self = static_cast<Curl_response*>(self_ptr);
        self->last_activity_ = std::chrono::steady_clock::now();
        std::size_t length = size * count;
        bool blank = (length == 2 && data[0] == '\r' && data[1] == '\n') || (length == 1 && data[0] == '\n');
        if (blank) {
            long code = 0;
            self->curl_.easy_getinfo(self->easy_, CURLINFO_RESPONSE_CODE, &code);
            char* location = nullptr;
            self->curl_.easy_getinfo(self->easy_, CURLINFO_REDIRECT_URL, &location);
            // A redirect that is handed back is the final answer.
            bool interim = code / 100 == 1 || (self->follow_ && code / 100 == 3 && location != nullptr);
            if (!interim) self->headers_done_ = true;
        }
        return length;
    }

    static size_t On_body(char* data, size_t size, size_t count, void* self_ptr) {
        auto* self = static_cast<Curl_response*>(self_ptr);
        self->last_activity_ = std::chrono::steady_clock::now();
        self->headers_done_ = true;
        self->buffer_.append(data, size * count);
        return size * count;
    }

    const Curl_library& curl_;
    bool follow_;
    std::shared_ptr<std::atomic<bool>> aborted_;
    std::string no_proxy_;
    CURL* easy_ = nullptr;
    CURLM* multi_ = nullptr;
    curl_slist* headers_ = nullptr;
    std::string buffer_;
    std::size_t offset_ = 0;
    bool headers_done_ = false;
    bool finished_ = false;
    CURLcode result_ = CURLE_OK;
    std::chrono::steady_clock::duration stall_limit_;
    std::chrono::steady_clock::time_point last_activity_ = std::chrono::steady_clock::now();
};

}  // namespace

Http_client::Http_client(std::string agent, Http_limits limits)
    : agent_(std::move(agent)), limits_(limits), aborted_(std::make_shared<std::atomic<bool>>(false)) {}

Http_client::~Http_client() = default;

std::unique_ptr<Http_response> Http_client::Open(const std::string& url) {
    if (aborted_->load() || !Is_http_url(url)) return nullptr;
    const Curl_library* curl = Curl();
    if (!curl) return nullptr;
    auto response = std::make_unique<Curl_response>(*curl, url, agent_, limits_, redirects_, aborted_);
    if (!response->Open()) return nullptr;
    return response;
}

std::string Http_client::Unavailable_reason() { return Curl_failure(); }

void Http_client::Abort() { aborted_->store(true); }

bool Http_client::Aborted() const { return aborted_->load(); }

}  // namespace Platform
