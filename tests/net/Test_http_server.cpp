// The loopback test server. Each connection gets a thread; every wait checks the stop switch,
// so the destructor ends slow and stalled answers at once.
#include "tests/net/Test_http_server.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cctype>
#include <chrono>
#include <sstream>
#include <stdexcept>

namespace TestSupport {
namespace {
// The few socket calls whose names differ on Windows. There the acceptor is woken by a connection
// of the server's own (Windows has no pipe to poll), on Linux by a byte through a pipe.
#ifdef _WIN32
using Socket_size = int;
constexpr int No_signal = 0;
constexpr int Shut_write = SD_SEND;
int Poll(pollfd* fds, unsigned long count, int ms) { return WSAPoll(fds, count, ms); }
void Close_socket(int fd) { closesocket(static_cast<SOCKET>(fd)); }
void Start_sockets() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    (void)started;
}
#else
using Socket_size = ssize_t;
constexpr int No_signal = MSG_NOSIGNAL;
constexpr int Shut_write = SHUT_WR;
int Poll(pollfd* fds, unsigned long count, int ms) { return poll(fds, count, ms); }
void Close_socket(int fd) { close(fd); }
void Start_sockets() {}
#endif

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

bool Send_all(int fd, const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        const Socket_size n = send(fd, data.data() + sent, static_cast<int>(data.size() - sent), No_signal);
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

const char* Reason(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 302:
            return "Found";
        case 404:
            return "Not Found";
        case 500:
            return "Internal Server Error";
        default:
            return "Status";
    }
}
}  // namespace

Test_http_server::Test_http_server() {
    Start_sockets();
    listen_fd_ = static_cast<int>(socket(AF_INET, SOCK_STREAM, 0));
    int yes = 1;
    setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&yes), sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (bind(listen_fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listen_fd_, 16) != 0) {
        throw std::runtime_error("test server: cannot listen on 127.0.0.1");
    }
    socklen_t length = sizeof address;
    getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
#ifndef _WIN32
    if (pipe(wake_) != 0) throw std::runtime_error("test server: no pipe");
#endif
    acceptor_ = std::thread([this] { Accept_loop(); });
}

Test_http_server::~Test_http_server() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    stop_signal_.notify_all();
#ifdef _WIN32
    // The acceptor takes this connection, sees the stop switch and ends.
    const int waker = static_cast<int>(socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<unsigned short>(port_));
    connect(waker, reinterpret_cast<sockaddr*>(&address), sizeof address);
    acceptor_.join();
    Close_socket(waker);
#else
    char byte = 1;
    (void)!write(wake_[1], &byte, 1);
    acceptor_.join();
    close(wake_[0]);
    close(wake_[1]);
#endif
    for (auto& connection : connections_) connection.join();
    Close_socket(listen_fd_);
}

std::string Test_http_server::Base() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

void Test_http_server::Serve(const std::string& target, Http_reply reply) {
    std::lock_guard<std::mutex> lock(mutex_);
    replies_[target] = std::move(reply);
}

Http_reply Test_http_server::Page(const std::string& html, int status) {
    Http_reply reply;
    reply.status = status;
    reply.body = html;
    return reply;
}

Http_reply Test_http_server::Jpeg(std::size_t size) {
    Http_reply reply;
    reply.content_type = "image/jpeg";
    reply.body = std::string("\xFF\xD8\xFF\xE0", 4);
    for (std::size_t i = reply.body.size(); i < size; ++i) reply.body += static_cast<char>('a' + i % 26);
    reply.body.resize(size);
    return reply;
}

Http_reply Test_http_server::Redirect(const std::string& location) {
    Http_reply reply;
    reply.status = 302;
    reply.location = location;
    return reply;
}

int Test_http_server::Requests(const std::string& path) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(std::count_if(targets_.begin(), targets_.end(), [&](const std::string& target) {
        return target.substr(0, target.find('?')) == path;
    }));
}

int Test_http_server::Total_requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(targets_.size());
}

std::vector<std::string> Test_http_server::Targets() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return targets_;
}

std::string Test_http_server::Last_header(const std::string& name) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = last_headers_.find(Lower(name));
    return found == last_headers_.end() ? "" : found->second;
}

bool Test_http_server::Stopping() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stopping_;
}

bool Test_http_server::Wait_or_stop(int ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (ms < 0) {
        stop_signal_.wait(lock, [this] { return stopping_; });
        return false;
    }
    return !stop_signal_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping_; });
}

void Test_http_server::Accept_loop() {
    for (;;) {
#ifdef _WIN32
        pollfd fds[1] = {{static_cast<SOCKET>(listen_fd_), POLLIN, 0}};
        if (Poll(fds, 1, -1) < 0) continue;
        if (Stopping()) return;
#else
        pollfd fds[2] = {{listen_fd_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (Poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents) return;
#endif
        if (!(fds[0].revents & POLLIN)) continue;
        const int fd = static_cast<int>(accept(listen_fd_, nullptr, nullptr));
        if (fd < 0) continue;
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_) {
            Close_socket(fd);
            return;
        }
        connections_.emplace_back([this, fd] {
            Handle(fd);
            Close_socket(fd);
        });
    }
}

void Test_http_server::Handle(int fd) {
    // Read the request head; the tests only send GET without a body.
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
        pollfd readable{};
        readable.fd = fd;
        readable.events = POLLIN;
        const int ready = Poll(&readable, 1, 50);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stopping_) return;
        }
        if (ready <= 0) continue;
        const Socket_size n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) return;
        request.append(buffer, static_cast<std::size_t>(n));
    }
    std::istringstream lines(request.substr(0, request.find("\r\n\r\n")));
    std::string line, method, target;
    std::getline(lines, line);
    std::istringstream(line) >> method >> target;
    std::map<std::string, std::string> headers;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        auto colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::string value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(' '));
        headers[Lower(line.substr(0, colon))] = value;
    }

    Http_reply reply;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        targets_.push_back(target);
        last_headers_ = headers;
        auto found = replies_.find(target);
        if (found == replies_.end()) found = replies_.find(target.substr(0, target.find('?')));
        if (found != replies_.end()) {
            reply = found->second;
        } else {
            reply = Page("<html><body><h1>404 Not Found</h1></body></html>", 404);
        }
    }

    if (reply.delay_ms > 0 && !Wait_or_stop(reply.delay_ms)) return;
    std::ostringstream head;
    head << "HTTP/1.1 " << reply.status << ' ' << Reason(reply.status) << "\r\n"
         << "Content-Type: " << reply.content_type << "\r\n"
         << "Connection: close\r\n";
    if (reply.announced_length != -2)
        head << "Content-Length: "
             << (reply.announced_length >= 0 ? reply.announced_length
                                             : static_cast<long long>(reply.body.size()) + reply.filler)
             << "\r\n";
    if (!reply.location.empty()) head << "Location: " << reply.location << "\r\n";
    head << "\r\n";
    if (!Send_all(fd, head.str())) return;
    if (reply.stall_after >= 0) {
        Send_all(fd, reply.body.substr(0, static_cast<std::size_t>(reply.stall_after)));
        Wait_or_stop(-1);
        return;
    }
    if (reply.drip_ms > 0) {
        for (char byte : reply.body)
            if (!Send_all(fd, std::string(1, byte)) || !Wait_or_stop(reply.drip_ms)) return;
    } else if (!Send_all(fd, reply.body)) {
        return;
    }
    const std::string chunk(64 * 1024, 'f');
    for (long long left = reply.filler; left > 0; left -= static_cast<long long>(chunk.size())) {
        if (Stopping() ||
            !Send_all(fd, chunk.substr(0, static_cast<std::size_t>(std::min<long long>(left, chunk.size())))))
            return;
    }
    shutdown(fd, Shut_write);
}

}  // namespace TestSupport
