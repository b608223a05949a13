// URL downloads. The worker thread of Open_url only opens the URL; all reading happens on the
// user-interface thread. A transfer that fails half-way leaves no file behind (Part_file).
#include "net/VxInternet.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "net/Net_servers.h"
#include "net/Part_file.h"
#include "net/VxNet_shell.h"
#include "platform/dialogs.h"
#include "trace/VxTrace.h"

namespace {
constexpr const char* Caption = "VxInternet";

bool Starts_like_jpeg(const char* block, long size) {
    // The start-of-image marker FF D8 followed by the lead byte FF of the next marker.
    return size >= 3 && static_cast<unsigned char>(block[0]) == 0xFF && static_cast<unsigned char>(block[1]) == 0xD8 &&
           static_cast<unsigned char>(block[2]) == 0xFF;
}
}  // namespace

VxInternet& VxInternet::Instance() {
    static VxInternet internet;
    return internet;
}

void VxInternet::Open_client() {
    Close_handles();
    client_ = std::make_unique<Platform::Http_client>(Agent, limits_);
}

void VxInternet::Open_url(const std::string& url, bool& timed_out) {
    Open_client();
    struct Handover {
        std::mutex mutex;
        std::condition_variable finished;
        bool done = false;
        std::unique_ptr<Platform::Http_response> response;
    } handover;
    Platform::Http_client* client = client_.get();

    std::thread worker([&handover, client, url] {
        auto response = client->Open(url);
        // After a time-out the open fails because the handle was closed; that is not news.
        if (!response && !client->Aborted()) VxTrace::Instance().Write_error("Can't open url:" + url);
        std::lock_guard<std::mutex> lock(handover.mutex);
        handover.response = std::move(response);
        handover.done = true;
        handover.finished.notify_one();
    });

    bool in_time;
    {
        std::unique_lock<std::mutex> lock(handover.mutex);
        in_time = handover.finished.wait_for(lock, std::chrono::milliseconds(Open_timeout_ms), [&] { return handover.done; });
    }
    if (!in_time) {
        VxTrace::Instance().Write_error("server timeout on url: " + url);
        client->Abort();
        worker.join();  // the abort ends the pending open within one poll slice
        Close_handles();  // the late answer, if any, goes with the handover
        timed_out = true;
        return;
    }
    worker.join();
    response_ = std::move(handover.response);
    timed_out = false;
}

void VxInternet::Open_url_here(const std::string& url) {
    Open_client();
    response_ = client_->Open(url);
    if (!response_) VxTrace::Instance().Write_error("Can't open url:" + url);
}

void VxInternet::Close_handles() {
    response_.reset();
    client_.reset();
}

long VxInternet::Read_block(char* buffer) { return response_ ? response_->Read(buffer, Block_size) : -1; }

std::string VxInternet::Read_text() {
    std::string text;
    char block[Block_size];
    long count;
    while (text.size() < Max_text_size && (count = Read_block(block)) > 0) text.append(block, static_cast<std::size_t>(count));
    return text;
}

bool VxInternet::Download_to_file(const std::string& url, const std::string& path) {
    return Copy_to_file(url, path, Copy_kind::installer);
}

bool VxInternet::Download_image(const std::string& url, const std::string& path) {
    return Copy_to_file(url, path, Copy_kind::image);
}

bool VxInternet::Copy_to_file(const std::string& url, const std::string& path, Copy_kind kind) {
    bool timed_out = false;
    Open_url(url, timed_out);
    if (timed_out) return false;
    if (!response_) {
        Close_handles();
        return false;
    }
    if (kind == Copy_kind::installer) {
        // An installer is started once it is here: an error page or an answer that anyone on the
        // way could have replaced must never become one.
        if (response_->Status() >= 400) {
            VxTrace::Instance().Write_error("Error page (" + std::to_string(response_->Status()) + ") on url: " + url);
            Close_handles();
            return false;
        }
        if (!Net_servers::Trusted_program_source(response_->Secure(), response_->Peer_ip())) {
            VxTrace::Instance().Write_error("Refused download without HTTPS: " + url);
            Close_handles();
            return false;
        }
    }

    Part_file file(path);
    bool first = true;
    bool writing = true;
    bool failed = false;
    bool any_block = false;
    int kilobytes = 0;
    char block[Block_size];
    long count;
    while ((count = Read_block(block)) > 0) {
        any_block = true;
        if (first) {
            first = false;
            if (kind == Copy_kind::image && !Starts_like_jpeg(block, count)) writing = false;
            if (writing && !file.Create()) {
                Platform::Message_box(Caption, "Cannot create file on disk...");
                failed = true;
                break;
            }
        }
        if (writing && !file.Write(block, static_cast<std::size_t>(count))) {
            file.Discard();
            Platform::Message_box(Caption, "Error writing to file on disk...");
            failed = true;
            break;
        }
        if (kind == Copy_kind::installer) {
            kilobytes += static_cast<int>(count / 1000);
            VxNet_shell::Current().Progress_download_file(kilobytes);
        }
    }
    if (count < 0 && !failed) {
        // A reset, a stall or the overall limit: what arrived is incomplete, so it is not kept.
        VxTrace::Instance().Write_error("Transfer failed on url: " + url);
        failed = true;
    }
    Close_handles();

    if (failed || !writing || !any_block) return false;
    if (!file.Commit()) {
        Platform::Message_box(Caption, "Error writing to file on disk...");
        return false;
    }
    return true;
}
