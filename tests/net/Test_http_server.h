// A small HTTP/1.1 server for the tests of the internet services, bound to 127.0.0.1 on a port
// the system picks, answering in a thread of its own: set answers per path, slow, stalled,
// redirecting, error, oversized or dripping answers, and count what was asked. Unknown paths get a 404 HTML page.
#pragma once

#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace TestSupport {

struct Http_reply {
    int status = 200;
    std::string content_type = "text/html";
    std::string body;
    std::string location;             // sent as "Location" (use with status 302)
    int delay_ms = 0;                 // silence before the status line
    long stall_after = -1;            // bytes of the body sent before the server goes silent for good; -1 sends all
    long long announced_length = -1;  // the Content-Length sent: -1 the true one, -2 none at all
    long long filler = 0;             // bytes sent after the body, made as they go (answers too large to keep)
    int drip_ms = 0;                  // the body goes one byte at a time, this long apart
};

class Test_http_server {
public:
    Test_http_server();
    ~Test_http_server();
    Test_http_server(const Test_http_server&) = delete;
    Test_http_server& operator=(const Test_http_server&) = delete;

    int Port() const { return port_; }
    std::string Base() const;  // "http://127.0.0.1:<port>/"

    // target is a path ("/Info.txt") or a path with its query; the exact target wins over the path.
    void Serve(const std::string& target, Http_reply reply);
    static Http_reply Page(const std::string& html, int status = 200);
    static Http_reply Jpeg(std::size_t size);  // FF D8 FF E0 followed by filler bytes
    static Http_reply Redirect(const std::string& location);

    int Requests(const std::string& path) const;  // requests whose path (query left out) is path
    int Total_requests() const;
    std::vector<std::string> Targets() const;                // every request target in order of arrival
    std::string Last_header(const std::string& name) const;  // of the latest request, "" if absent

private:
    void Accept_loop();
    void Handle(int fd);
    bool Wait_or_stop(int ms);  // false when the server is stopping
    bool Stopping() const;

    int listen_fd_ = -1;
    int wake_[2] = {-1, -1};
    int port_ = 0;
    mutable std::mutex mutex_;
    std::condition_variable stop_signal_;
    bool stopping_ = false;
    std::map<std::string, Http_reply> replies_;
    std::vector<std::string> targets_;
    std::map<std::string, std::string> last_headers_;
    std::vector<std::thread> connections_;
    std::thread acceptor_;
};

}  // namespace TestSupport
