// HTTP client of the platform: open a URL (always fresh from the server), read the answer in
// blocks, close. The caller owns the time-out policy; a client can be aborted from another thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>

namespace Platform {

// Limits that keep a request from blocking forever, whatever the server does.
struct Http_limits {
    long overall_ms = 20L * 1000;  // the whole transfer, opening included
    long stall_ms = 20L * 1000;    // longest time without a single byte arriving
    long connect_ms = 5L * 1000;   // reaching the server
};

// What Open does with a redirect: follow it (to http and https), or hand it back as the answer
// (its Status and Redirect_url) so that the caller decides about every hop itself.
enum class Redirects { follow, report };

// One open answer (the body of a response whose headers have arrived). One thread at a time.
class Http_response {
public:
    virtual ~Http_response() = default;
    // Fills buffer with up to size bytes, less only at the end of the body.
    // Returns the count, 0 at the end, -1 when the transfer failed (reset, stall, time limit, abort).
    virtual long Read(char* buffer, std::size_t size) = 0;
    virtual int Status() const = 0;           // HTTP status of the final answer (after redirects)
    virtual bool Secure() const = 0;          // the final answer came over HTTPS with a verified certificate
    virtual std::string Peer_ip() const = 0;  // numeric address of the server that answered
    virtual std::string Final_url() const = 0;
    // The body's length as the final answer's headers announce it; -1 when they do not.
    virtual long long Content_length() const = 0;
    // Where a redirect handed back (Redirects::report) points; "" for any other answer, and on a
    // back end that always follows redirects (its Final_url then tells where it ended).
    virtual std::string Redirect_url() const { return ""; }
};

// The internet handle: an agent text, and the switch that aborts whatever it has in progress.
class Http_client {
public:
    Http_client(std::string agent, Http_limits limits);
    ~Http_client();
    Http_client(const Http_client&) = delete;
    Http_client& operator=(const Http_client&) = delete;

    // Sends a GET that bypasses every cache and follows redirects (http and https only), and
    // blocks until the final answer's headers arrived. Null when the URL is not an http(s) URL,
    // the server cannot be reached, or the client was aborted. Any thread; the answer may be read
    // on another thread afterwards.
    std::unique_ptr<Http_response> Open(const std::string& url);

    // Why no request can be made at all (the system's HTTP library could not be loaded), or "" when
    // requests can be made. Any thread; fixed once the first Open has run.
    static std::string Unavailable_reason();

    // Any thread: a pending Open fails promptly, and every later Open or Read fails.
    void Abort();
    bool Aborted() const;

    // Before Open: how the next answers treat redirects (follow unless set).
    void Set_redirects(Redirects redirects) { redirects_ = redirects; }

private:
    Redirects redirects_ = Redirects::follow;
    std::string agent_;
    Http_limits limits_;
    std::shared_ptr<std::atomic<bool>> aborted_;  // shared with the answers it opened
};

}  // namespace Platform
