// URL downloads. The worker thread of Open_url only opens the URL; all reading happens on the
// user-interface thread. A transfer that fails half-way or grows past its ceiling leaves no file
// behind: the bytes go to a temporary file that only a complete answer puts in place.
#include "net/VxInternet.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "net/Net_servers.h"
#include "net/VxNet_shell.h"
#include "platform/dialogs.h"
#include "settings/Atomic_file.h"
#include "trace/VxTrace.h"

namespace {
constexpr const char* Caption = "VxInternet";

bool Starts_like_jpeg(const char* block, long size) {
    // The start-of-image marker FF D8 followed by the lead byte FF of the next marker.
    return size >= 3 && static_cast<unsigned char>(block[0]) == 0xFF && static_cast<unsigned char>(block[1]) == 0xD8 &&
           static_cast<unsigned char>(block[2]) == 0xFF;
}

// The error line of an open that failed; when the machine cannot make requests at all, it says why.
std::string Cannot_open(const std::string& url) {
    const std::string why = Platform::Http_client::Unavailable_reason();
    return "Can't open url:" + url + (why.empty() ? "" : " (" + why + ")");
}
}  // namespace

VxInternet& VxInternet::Instance() {
    static VxInternet internet;
    return internet;
}

void VxInternet::Open_client(Platform::Http_limits limits, Caller caller) {
    Close_handles();
    client_ = std::make_unique<Platform::Http_client>(caller == Caller::classic ? Agent : Program_agent, limits);
    if (caller == Caller::cover_service) client_->Set_redirects(Platform::Redirects::report);
}

void VxInternet::Open_url(const std::string& url, bool& timed_out, Platform::Http_limits limits, Caller caller) {
    Open_client(limits, caller);
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
        if (!response && !client->Aborted()) VxTrace::Instance().Write_error(Cannot_open(url));
        std::lock_guard<std::mutex> lock(handover.mutex);
        handover.response = std::move(response);
        handover.done = true;
        handover.finished.notify_one();
    });

    bool in_time;
    {
        std::unique_lock<std::mutex> lock(handover.mutex);
        in_time =
            handover.finished.wait_for(lock, std::chrono::milliseconds(Open_timeout_ms), [&] { return handover.done; });
    }
    if (!in_time) {
        VxTrace::Instance().Write_error("server timeout on url: " + url);
        client->Abort();
        worker.join();    // the abort ends the pending open within one poll slice
        Close_handles();  // the late answer, if any, goes with the handover
        timed_out = true;
        return;
    }
    worker.join();
    response_ = std::move(handover.response);
    timed_out = false;
}

void VxInternet::Open_url_here(const std::string& url) {
    Open_client(limits_);
    response_ = client_->Open(url);
    if (!response_) VxTrace::Instance().Write_error(Cannot_open(url));
}

void VxInternet::Close_handles() {
    response_.reset();
    client_.reset();
}

long VxInternet::Read_block(char* buffer) { return response_ ? response_->Read(buffer, Block_size) : -1; }

std::string VxInternet::Read_text(std::size_t limit, Beyond_limit beyond, const std::string& url) {
    auto refused = [&] {
        VxTrace::Instance().Write_error("Refused an answer of more than " + std::to_string(limit) +
                                        " bytes from url: " + url);
        return std::string();
    };
    if (beyond == Beyond_limit::refuse && response_ && response_->Content_length() > static_cast<long long>(limit))
        return refused();
    std::string text;
    char block[Block_size];
    long count = 0;
    while (text.size() < limit && (count = Read_block(block)) > 0) text.append(block, static_cast<std::size_t>(count));
    // A text that must be whole is no text when its transfer broke off (a version cut short reads as another).
    if (count < 0 && beyond == Beyond_limit::refuse) {
        VxTrace::Instance().Write_error("Transfer failed on url: " + url);
        return std::string();
    }
    if (text.size() >= limit) {
        if (text.size() > limit) text.resize(limit);
        // Whether anything follows the limit shows only by reading on: one more byte.
        if (beyond == Beyond_limit::refuse && Read_block(block) > 0) return refused();
    }
    return text;
}

bool VxInternet::Download_to_file(const std::string& url, const std::string& path) {
    return Copy_to_file(url, path, Copy_kind::installer);
}

bool VxInternet::Download_image(const std::string& url, const std::string& path) {
    return Copy_to_file(url, path, Copy_kind::image);
}

bool VxInternet::Open_secure(const std::string& url) {
    std::string at = url;
    for (int hop = 0;; ++hop) {
        if (!Net_servers::Secure_address(at)) {
            VxTrace::Instance().Write_error(hop == 0
                                                ? "Refused address without HTTPS: " + at
                                                : "Refused redirect without HTTPS to: " + at + " from url: " + url);
            Close_handles();
            return false;
        }
        bool timed_out = false;
        Open_url(at, timed_out, limits_, Caller::cover_service);
        if (timed_out || !response_) {
            Close_handles();
            return false;
        }
        const std::string next = response_->Redirect_url();
        if (response_->Status() / 100 != 3 || next.empty()) break;
        if (hop == Max_redirects) {
            VxTrace::Instance().Write_error("Refused more than " + std::to_string(Max_redirects) +
                                            " redirects from url: " + url);
            Close_handles();
            return false;
        }
        at = next;
    }
    // A back end that follows redirects by itself shows only where it ended.
    const std::string final_url = response_->Final_url();
    if (!final_url.empty() && !Net_servers::Secure_address(final_url)) {
        VxTrace::Instance().Write_error("Refused redirect without HTTPS to: " + final_url + " from url: " + url);
        Close_handles();
        return false;
    }
    return true;
}

VxInternet::Cover_fetch VxInternet::Download_cover(const std::string& url, const std::string& path) {
    if (!Open_secure(url)) return Cover_fetch::failed;
    const int status = response_->Status();
    if (status == 404) {
        Close_handles();
        return Cover_fetch::absent;
    }
    if (status != 200) {
        VxTrace::Instance().Write_error("Error page (" + std::to_string(status) + ") on url: " + url);
        Close_handles();
        return Cover_fetch::failed;
    }
    return Copy_answer(url, path, Copy_kind::cover) ? Cover_fetch::written : Cover_fetch::failed;
}

bool VxInternet::Copy_to_file(const std::string& url, const std::string& path, Copy_kind kind) {
    Platform::Http_limits limits = limits_;
    if (kind == Copy_kind::installer) limits.overall_ms = std::max(limits.overall_ms, Installer_overall_ms);
    bool timed_out = false;
    Open_url(url, timed_out, limits);
    if (timed_out) return false;
    if (!response_) {
        Close_handles();
        return false;
    }
    return Copy_answer(url, path, kind);
}

bool VxInternet::Copy_answer(const std::string& url, const std::string& path, Copy_kind kind) {
    const long long ceiling = kind == Copy_kind::installer ? Max_installer_size : Max_cover_size;
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
    auto too_large = [&](long long bytes) {
        VxTrace::Instance().Write_error("Refused download of " + std::to_string(bytes) + " bytes (at most " +
                                        std::to_string(ceiling) + ") from url: " + url);
    };
    if (const long long announced = response_->Content_length(); announced > ceiling) {
        too_large(announced);
        Close_handles();
        return false;
    }

    Atomic_file::Writer file(path);
    bool first = true;
    bool writing = true;
    bool failed = false;
    bool any_block = false;
    long long total = 0;
    int kilobytes = 0;
    char block[Block_size];
    long count;
    while ((count = Read_block(block)) > 0) {
        any_block = true;
        total += count;
        if (total > ceiling) {
            // More than it announced, or it announced nothing: what came so far goes.
            too_large(total);
            file.Discard();
            failed = true;
            break;
        }
        if (first) {
            first = false;
            if (kind != Copy_kind::installer && !Starts_like_jpeg(block, count)) writing = false;
            if (writing && !file.Open()) {
                Platform::Message_box(Caption, "Cannot create file on disk...");
                failed = true;
                break;
            }
        }
        if (writing && !file.Append(block, static_cast<std::size_t>(count))) {
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
        // A reset, a stall or the deadline: what arrived is incomplete, so it is not kept.
        VxTrace::Instance().Write_error("Transfer failed on url: " + url);
        failed = true;
    }
    Close_handles();

    if (kind == Copy_kind::cover && !failed && (!writing || !any_block))
        VxTrace::Instance().Write_error((any_block ? "Not a JPEG image from url: " : "Empty answer from url: ") + url);
    if (failed || !writing || !any_block) return false;
    if (!file.Commit()) {
        Platform::Message_box(Caption, "Error writing to file on disk...");
        return false;
    }
    return true;
}
