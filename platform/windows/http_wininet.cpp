// The HTTP client over WinINet's synchronous calls, each made on the response's own call thread
// while the caller waits for it no longer than its limit: Wine's WinINet ignores its time-outs, and
// neither there nor always on Windows does closing a handle end a call blocked on it. A call that
// runs out of time is left to its thread, which closes the handles once the call returns.
#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>
// The system headers below need the declarations of the ones above.
#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <cwchar>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "platform/http.h"
#include "platform/windows/utf16.h"

namespace Platform {
namespace {

using Clock = std::chrono::steady_clock;

bool Is_http_url(const std::string& url) {
    std::string head = url.substr(0, 8);
    std::transform(head.begin(), head.end(), head.begin(), [](unsigned char c) { return std::tolower(c); });
    return head.rfind("http://", 0) == 0 || head.rfind("https://", 0) == 0;
}

// The sessions of every client that are open now, so that an abort can close them from any thread.
struct Open_sessions {
    std::mutex mutex;
    std::set<std::pair<const std::atomic<bool>*, HINTERNET>> open;

    void Add(const std::atomic<bool>* owner, HINTERNET session) {
        std::lock_guard<std::mutex> lock(mutex);
        open.insert({owner, session});
    }
    // True when the session was still open (and is now closed by the caller's hand).
    bool Take(const std::atomic<bool>* owner, HINTERNET session) {
        std::lock_guard<std::mutex> lock(mutex);
        return open.erase({owner, session}) > 0;
    }
    void Close_all_of(const std::atomic<bool>* owner) {
        std::lock_guard<std::mutex> lock(mutex);
        for (auto it = open.begin(); it != open.end();) {
            if (it->first == owner) {
                InternetCloseHandle(it->second);  // a blocked call on it fails at once
                it = open.erase(it);
            } else {
                ++it;
            }
        }
    }
};

Open_sessions& Sessions() {
    static Open_sessions* sessions = new Open_sessions;  // worker threads may still close at exit
    return *sessions;
}

// The blocking calls of one response, run one at a time on a thread of its own. What a call
// needs and gives lives here, so a call that outlives its caller's wait still has it all. The
// thread closes the handles as it ends: after the response is gone, and after its last call.
struct Call_thread {
    std::shared_ptr<std::atomic<bool>> aborted;
    HINTERNET session = nullptr;
    HINTERNET request = nullptr;
    std::vector<char> buffer;
    DWORD got = 0;
    BOOL read_ok = FALSE;

    std::mutex mutex;
    std::condition_variable changed;
    std::function<void()> job;  // the call waiting to run
    bool busy = false;          // a call waits or runs
    bool ending = false;        // no call comes any more

    static void Run(const std::shared_ptr<Call_thread>& self) {
        std::unique_lock<std::mutex> lock(self->mutex);
        for (;;) {
            self->changed.wait(lock, [&] { return self->job || self->ending; });
            if (!self->job) break;
            const std::function<void()> job = std::move(self->job);
            self->job = nullptr;
            lock.unlock();
            job();
            lock.lock();
            self->busy = false;
            self->changed.notify_all();
        }
        lock.unlock();
        if (self->request) InternetCloseHandle(self->request);
        if (self->session && Sessions().Take(self->aborted.get(), self->session)) InternetCloseHandle(self->session);
    }
};

std::string Host_of(const std::string& url) {
    const size_t start = url.find("://");
    if (start == std::string::npos) return {};
    std::string rest = url.substr(start + 3);
    rest = rest.substr(0, rest.find_first_of("/?#"));
    if (const size_t at = rest.rfind('@'); at != std::string::npos) rest = rest.substr(at + 1);
    if (!rest.empty() && rest.front() == '[') return rest.substr(1, rest.find(']') - 1);
    return rest.substr(0, rest.find(':'));
}

// WinINet does not tell the server's address: a literal address is taken as it is, a name is resolved.
std::string Address_of(const std::string& host) {
    static std::once_flag once;
    std::call_once(once, [] {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    });
    addrinfo hints{};
    hints.ai_flags = AI_NUMERICHOST;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0) {
        hints.ai_flags = 0;
        if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0) return {};
    }
    char text[INET6_ADDRSTRLEN] = {};
    const int length = static_cast<int>(sizeof text);
    if (found->ai_family == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr, text, length);
    else if (found->ai_family == AF_INET6)
        inet_ntop(AF_INET6, &reinterpret_cast<sockaddr_in6*>(found->ai_addr)->sin6_addr, text, length);
    freeaddrinfo(found);
    return text;
}

class Wininet_response final : public Http_response {
public:
    Wininet_response(std::shared_ptr<std::atomic<bool>> aborted, const Http_limits& limits, Redirects redirects)
        : follow_(redirects == Redirects::follow),
          aborted_(std::move(aborted)),
          deadline_(Clock::now() + std::chrono::milliseconds(limits.overall_ms)),
          stall_(std::max(1L, limits.stall_ms)),
          calls_(std::make_shared<Call_thread>()) {
        calls_->aborted = aborted_;
        std::thread([calls = calls_] { Call_thread::Run(calls); }).detach();
    }

    ~Wininet_response() override { End_calls(); }

    bool Open(const std::string& url, const std::string& agent, const Http_limits& limits) {
        session_ = InternetOpenW(Wide(agent).c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
        if (!session_) return false;
        Sessions().Add(aborted_.get(), session_);
        calls_->session = session_;
        if (aborted_->load()) return false;  // an abort that came before the session was known
        DWORD stall = static_cast<DWORD>(std::max(1L, std::min(limits.stall_ms, limits.overall_ms)));
        DWORD connect = static_cast<DWORD>(std::max(1L, std::min(limits.connect_ms, limits.overall_ms)));
        InternetSetOptionW(session_, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
        for (DWORD option :
             {INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT})
            InternetSetOptionW(session_, option, &stall, sizeof stall);
        const wchar_t* headers = L"Cache-Control: no-cache\r\nPragma: no-cache\r\n";
        // A redirect handed back is an answer of its own: WinINet must not follow it by itself.
        const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                            INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTH |
                            (follow_ ? 0 : INTERNET_FLAG_NO_AUTO_REDIRECT);
        // Reaching the server, then the headers, each within its limit, and all within the overall one.
        const Clock::time_point until =
            std::min(deadline_, Clock::now() + std::chrono::milliseconds(connect) + std::chrono::milliseconds(stall));
        Call_thread* calls = calls_.get();
        const std::wstring wide_url = Wide(url);
        const bool done = Call(
            [calls, wide_url, headers, flags] {
                calls->request =
                    InternetOpenUrlW(calls->session, wide_url.c_str(), headers, static_cast<DWORD>(-1), flags, 0);
            },
            until);
        if (!done) return false;
        request_ = calls_->request;
        if (!request_ || aborted_->load() || Clock::now() > deadline_) return false;
        final_url_ = Query_url();
        // Redirects go to http and https only; WinINet would also follow one to ftp.
        return Is_http_url(final_url_.empty() ? url : final_url_);
    }

    long Read(char* buffer, std::size_t size) override {
        std::size_t filled = 0;
        while (filled < size) {
            if (aborted_->load() || Clock::now() > deadline_) return -1;
            DWORD got = 0;
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - filled, 1 << 20));
            Call_thread* calls = calls_.get();
            calls->buffer.resize(want);
            const bool done = Call(
                [calls, want] {
                    calls->got = 0;
                    calls->read_ok = InternetReadFile(calls->request, calls->buffer.data(), want, &calls->got);
                },
                std::min(deadline_, Clock::now() + stall_));
            if (!done || !calls->read_ok || Clock::now() > deadline_) return -1;
            got = calls->got;
            std::memcpy(buffer + filled, calls->buffer.data(), got);
            if (got == 0) break;  // the end of the body
            filled += got;
        }
        return aborted_->load() ? -1 : static_cast<long>(filled);
    }

    int Status() const override {
        DWORD code = 0, length = sizeof code;
        if (!HttpQueryInfoW(request_, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &length, nullptr))
            return 0;
        return static_cast<int>(code);
    }

    bool Secure() const override {
        // Certificate and host checks stay on (no INTERNET_FLAG_IGNORE_CERT_*), so HTTPS is verified.
        return final_url_.rfind("https://", 0) == 0 || final_url_.rfind("HTTPS://", 0) == 0;
    }

    std::string Peer_ip() const override { return Address_of(Host_of(final_url_)); }

    // The Location of a redirect handed back, made absolute against the address asked, as curl
    // gives it; whatever it names (ftp, file) is the caller's to refuse.
    std::string Redirect_url() const override {
        if (follow_ || Status() / 100 != 3) return "";
        DWORD length = 0;
        HttpQueryInfoW(request_, HTTP_QUERY_LOCATION, nullptr, &length, nullptr);
        if (length == 0) return "";
        std::wstring location(length / sizeof(wchar_t) + 1, L'\0');
        if (!HttpQueryInfoW(request_, HTTP_QUERY_LOCATION, location.data(), &length, nullptr)) return "";
        location.resize(wcsnlen(location.c_str(), location.size()));
        const std::wstring base = Wide(final_url_);
        // Joining never makes an address longer than both parts together.
        std::wstring combined(base.size() + location.size() + 16, L'\0');
        DWORD combined_length = static_cast<DWORD>(combined.size());
        if (!InternetCombineUrlW(base.c_str(), location.c_str(), combined.data(), &combined_length, ICU_NO_ENCODE))
            return Narrow(location);
        combined.resize(wcsnlen(combined.c_str(), combined.size()));
        return Narrow(combined);
    }

    std::string Final_url() const override { return final_url_; }

    long long Content_length() const override {
        wchar_t text[32] = {};
        DWORD length = sizeof text;
        if (!HttpQueryInfoW(request_, HTTP_QUERY_CONTENT_LENGTH, text, &length, nullptr)) return -1;
        wchar_t* end = nullptr;
        const long long value = std::wcstoll(text, &end, 10);
        return end != text && value >= 0 ? value : -1;
    }

private:
    // Runs one blocking call on the call thread and waits for it until `until` or an abort. False
    // when it did not return in time: the call is left to the thread, the session is closed so that
    // the call fails as soon as the system lets it, and every later call of this response fails.
    bool Call(std::function<void()> job, Clock::time_point until) {
        if (broken_) return false;
        std::unique_lock<std::mutex> lock(calls_->mutex);
        calls_->job = std::move(job);
        calls_->busy = true;
        calls_->changed.notify_all();
        while (calls_->busy) {
            const Clock::time_point now = Clock::now();
            if (aborted_->load() || now >= until) {
                lock.unlock();
                broken_ = true;
                End_calls();
                if (Sessions().Take(aborted_.get(), session_)) InternetCloseHandle(session_);
                return false;
            }
            // An abort closes the sessions without a word to this wait: it looks again now and then.
            calls_->changed.wait_until(lock, std::min(until, now + std::chrono::milliseconds(100)));
        }
        return true;
    }

    // The call thread closes the handles and ends once its call, if any, has returned.
    void End_calls() {
        std::lock_guard<std::mutex> lock(calls_->mutex);
        calls_->ending = true;
        calls_->changed.notify_all();
    }

    std::string Query_url() const {
        DWORD length = 0;
        InternetQueryOptionW(request_, INTERNET_OPTION_URL, nullptr, &length);
        if (length == 0) return {};
        std::wstring url(length / sizeof(wchar_t) + 1, L'\0');
        if (!InternetQueryOptionW(request_, INTERNET_OPTION_URL, url.data(), &length)) return {};
        url.resize(wcsnlen(url.c_str(), url.size()));
        return Narrow(url);
    }

    bool follow_;
    std::shared_ptr<std::atomic<bool>> aborted_;
    Clock::time_point deadline_;
    std::chrono::milliseconds stall_;
    std::shared_ptr<Call_thread> calls_;
    bool broken_ = false;  // a call ran out of time; the handles are the call thread's
    HINTERNET session_ = nullptr;
    HINTERNET request_ = nullptr;
    std::string final_url_;
};

}  // namespace

Http_client::Http_client(std::string agent, Http_limits limits)
    : agent_(std::move(agent)), limits_(limits), aborted_(std::make_shared<std::atomic<bool>>(false)) {}

Http_client::~Http_client() = default;

std::unique_ptr<Http_response> Http_client::Open(const std::string& url) {
    if (aborted_->load() || !Is_http_url(url)) return nullptr;
    auto response = std::make_unique<Wininet_response>(aborted_, limits_, redirects_);
    if (!response->Open(url, agent_, limits_)) return nullptr;
    return response;
}

// WinINet is part of every Windows: requests can always be made.
std::string Http_client::Unavailable_reason() { return {}; }

void Http_client::Abort() {
    aborted_->store(true);
    Sessions().Close_all_of(aborted_.get());
}

bool Http_client::Aborted() const { return aborted_->load(); }

}  // namespace Platform
