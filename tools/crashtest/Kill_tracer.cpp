// The tracer: a seccomp filter in the child sends only the file system calls to the tracer (the rest run
// at full speed), and each such call's path or descriptor is matched against the watched file. x86-64 only.
#include "tools/crashtest/Kill_tracer.h"

#include <fcntl.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <sys/user.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace Crashtest {
namespace {

const long Watched_calls[] = {SYS_open,    SYS_openat,   SYS_creat,     SYS_write,  SYS_writev,    SYS_pwrite64,
                              SYS_pwritev, SYS_pwritev2, SYS_ftruncate, SYS_fsync,  SYS_fdatasync, SYS_close,
                              SYS_rename,  SYS_renameat, SYS_renameat2, SYS_unlink, SYS_unlinkat};

// Allow everything but the watched calls, which stop in the tracer.
std::vector<sock_filter> Filter() {
    std::vector<sock_filter> f;
    f.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)));
    f.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0));
    f.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    f.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)));
    const std::size_t n = std::size(Watched_calls);
    for (std::size_t i = 0; i < n; ++i)
        f.push_back(
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<__u32>(Watched_calls[i]), static_cast<__u8>(n - i), 0));
    f.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    f.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_TRACE));
    return f;
}

std::string Read_link(const std::string& link) {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink(link.c_str(), buffer, sizeof buffer);
    if (n <= 0) return "";
    std::string path(buffer, static_cast<std::size_t>(n));
    const std::string deleted = " (deleted)";
    if (path.size() > deleted.size() && path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0)
        path.erase(path.size() - deleted.size());
    return path;
}

// A string argument, read from the tracee page by page (a path may end just before an unmapped page).
std::string Read_string(pid_t tid, unsigned long long address) {
    std::string text;
    const unsigned long long page = 4096;
    while (text.size() < PATH_MAX) {
        char chunk[4096];
        const std::size_t length = static_cast<std::size_t>(page - address % page);
        iovec local{chunk, length};
        iovec remote{reinterpret_cast<void*>(address), length};
        const ssize_t n = ::process_vm_readv(tid, &local, 1, &remote, 1, 0);
        if (n <= 0) break;
        const void* end = std::memchr(chunk, '\0', static_cast<std::size_t>(n));
        if (end) return text + std::string(chunk, static_cast<const char*>(end) - chunk);
        text.append(chunk, static_cast<std::size_t>(n));
        address += static_cast<unsigned long long>(n);
    }
    return text;
}

std::string Proc(pid_t tid, const std::string& rest) { return "/proc/" + std::to_string(tid) + "/" + rest; }

std::string Fd_path(pid_t tid, long long fd) { return fd < 0 ? "" : Read_link(Proc(tid, "fd/" + std::to_string(fd))); }

bool Fd_writable(pid_t tid, long long fd) {
    std::ifstream info(Proc(tid, "fdinfo/" + std::to_string(fd)));
    std::string word;
    while (info >> word)
        if (word == "flags:") {
            std::string octal;
            info >> octal;
            return (std::stoul(octal, nullptr, 8) & O_ACCMODE) != O_RDONLY;
        }
    return false;
}

// A path argument made absolute against the folder it is relative to (the working folder or a descriptor's).
std::string Absolute(pid_t tid, long long dirfd, const std::string& path) {
    if (path.empty()) return "";
    if (path[0] == '/') return fs::path(path).lexically_normal().string();
    const std::string base = (static_cast<int>(dirfd) == AT_FDCWD) ? Read_link(Proc(tid, "cwd")) : Fd_path(tid, dirfd);
    return (fs::path(base) / path).lexically_normal().string();
}

std::string Read_whole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class Matcher {
public:
    explicit Matcher(const std::string& target)
        : target_(target),
          folder_(fs::path(target).parent_path().string()),
          temp_prefix_("." + fs::path(target).filename().string() + ".tmp-") {}
    // The file or one of its temporary files.
    bool File(const std::string& path) const {
        if (path == target_) return true;
        const fs::path p(path);
        return p.parent_path() == folder_ && p.filename().string().rfind(temp_prefix_, 0) == 0;
    }
    bool Folder(const std::string& path) const { return path == folder_; }
    const std::string& Target() const { return target_; }

private:
    std::string target_, folder_, temp_prefix_;
};

// What the tracer remembers of a call between its entry and its exit.
struct Pending {
    bool rename_onto_target = false;
    bool unlink_of_target = false;
};

// Whether the call at this entry stop is a point; sets what its exit must look at.
bool Is_point(pid_t tid, const user_regs_struct& r, const Matcher& m, Pending& pending) {
    const long long a0 = static_cast<long long>(r.rdi), a2 = static_cast<long long>(r.rdx);
    const auto writing = [](unsigned long long flags) {
        return (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) != 0;
    };
    switch (static_cast<long>(r.orig_rax)) {
        case SYS_open:
            return writing(r.rsi) && m.File(Absolute(tid, AT_FDCWD, Read_string(tid, r.rdi)));
        case SYS_creat:
            return m.File(Absolute(tid, AT_FDCWD, Read_string(tid, r.rdi)));
        case SYS_openat:
            return writing(r.rdx) && m.File(Absolute(tid, a0, Read_string(tid, r.rsi)));
        case SYS_write:
        case SYS_writev:
        case SYS_pwrite64:
        case SYS_pwritev:
        case SYS_pwritev2:
        case SYS_ftruncate:
        case SYS_close:
            return m.File(Fd_path(tid, a0)) && Fd_writable(tid, a0);
        case SYS_fsync:
        case SYS_fdatasync: {
            const std::string path = Fd_path(tid, a0);
            return m.File(path) || m.Folder(path);
        }
        case SYS_rename:
        case SYS_renameat:
        case SYS_renameat2: {
            const bool at = r.orig_rax != SYS_rename;
            const std::string from =
                at ? Absolute(tid, a0, Read_string(tid, r.rsi)) : Absolute(tid, AT_FDCWD, Read_string(tid, r.rdi));
            const std::string to =
                at ? Absolute(tid, a2, Read_string(tid, r.r10)) : Absolute(tid, AT_FDCWD, Read_string(tid, r.rsi));
            pending.rename_onto_target = to == m.Target();
            return m.File(from) || m.File(to);
        }
        case SYS_unlink:
        case SYS_unlinkat: {
            const std::string path = r.orig_rax == SYS_unlink ? Absolute(tid, AT_FDCWD, Read_string(tid, r.rdi))
                                                              : Absolute(tid, a0, Read_string(tid, r.rsi));
            pending.unlink_of_target = path == m.Target();
            return m.File(path);
        }
        default:
            return false;
    }
}

pid_t g_group = 0;
volatile sig_atomic_t g_timed_out = 0;
void On_alarm(int) {
    g_timed_out = 1;
    if (g_group > 0) ::kill(-g_group, SIGKILL);
}

[[noreturn]] void Start_child(const Traced_program& program, const std::vector<sock_filter>& filter) {
    ::setpgid(0, 0);
    if (::chdir(program.folder.c_str()) != 0) _exit(126);
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, 0), ::dup2(null, 1), ::dup2(null, 2);
    if (::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) _exit(125);
    ::raise(SIGSTOP);  // the tracer sets its options before the filter exists
    sock_fprog prog{static_cast<unsigned short>(filter.size()), const_cast<sock_filter*>(filter.data())};
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 || ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &prog) != 0)
        _exit(124);
    std::vector<std::string> argv = program.argv, env = program.env;
    std::vector<char*> a, e;
    for (std::string& s : argv) a.push_back(s.data());
    for (std::string& s : env) e.push_back(s.data());
    a.push_back(nullptr);
    e.push_back(nullptr);
    ::execve(a[0], a.data(), e.data());
    _exit(127);
}

}  // namespace

Traced_run Run_traced(const Traced_program& program) {
    Traced_run run;
    const Matcher matcher(program.target);
    const std::vector<sock_filter> filter = Filter();
    const pid_t child = ::fork();
    if (child < 0) {
        run.error = "fork failed";
        return run;
    }
    if (child == 0) Start_child(program, filter);
    ::setpgid(child, child);

    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFSTOPPED(status)) {
        run.error = "the program did not accept tracing (exit " + std::to_string(WEXITSTATUS(status)) + ")";
        ::waitpid(child, &status, 0);
        return run;
    }
    const long options = PTRACE_O_TRACESYSGOOD | PTRACE_O_TRACESECCOMP | PTRACE_O_TRACECLONE | PTRACE_O_TRACEFORK |
                         PTRACE_O_TRACEVFORK | PTRACE_O_TRACEEXEC | PTRACE_O_EXITKILL;
    if (::ptrace(PTRACE_SETOPTIONS, child, nullptr, reinterpret_cast<void*>(options)) != 0) {
        run.error = std::string("ptrace options refused: ") + std::strerror(errno);
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        return run;
    }
    g_group = child;
    g_timed_out = 0;
    struct sigaction alarm_action {};
    alarm_action.sa_handler = On_alarm;  // no SA_RESTART: the wait below returns to look at the flag
    ::sigaction(SIGALRM, &alarm_action, nullptr);
    ::alarm(static_cast<unsigned>(program.timeout_s));
    ::ptrace(PTRACE_CONT, child, nullptr, nullptr);

    bool killed = false, filtered = false;
    std::map<pid_t, Pending> in_call;  // threads stopped in a point, waiting for its exit
    // True when this point is the one to kill at: the whole group goes, the stopped thread first of all.
    const auto count = [&] {
        ++run.points;
        if (program.kill_at == 0 || run.points != program.kill_at) return false;
        ::kill(-child, SIGKILL);
        killed = true;
        return true;
    };
    for (;;) {
        const pid_t tid = ::waitpid(-1, &status, __WALL);
        if (tid < 0) {
            if (errno == EINTR) continue;
            break;  // ECHILD: every traced process is gone
        }
        if (WIFEXITED(status) || WIFSIGNALED(status)) {
            if (tid == child && WIFEXITED(status)) run.exit_code = WEXITSTATUS(status);
            in_call.erase(tid);
            continue;
        }
        if (!WIFSTOPPED(status) || killed) continue;  // a killed process is reaped above
        const int signal = WSTOPSIG(status);
        const unsigned event = static_cast<unsigned>(status) >> 16;
        long resume = PTRACE_CONT;
        int deliver = 0;
        if (signal == (SIGTRAP | 0x80)) {  // the exit of a point
            const auto it = in_call.find(tid);
            if (it != in_call.end()) {
                user_regs_struct r{};
                ::ptrace(PTRACE_GETREGS, tid, nullptr, &r);
                const bool ok = static_cast<long long>(r.rax) == 0;
                if (ok && it->second.rename_onto_target) run.states.emplace_back(Read_whole(matcher.Target()));
                if (ok && it->second.unlink_of_target) run.states.emplace_back(std::nullopt);
                in_call.erase(it);
                if (count()) continue;
            }
        } else if (signal == SIGTRAP && event == PTRACE_EVENT_SECCOMP) {
            filtered = true;
            user_regs_struct r{};
            Pending pending;
            if (::ptrace(PTRACE_GETREGS, tid, nullptr, &r) == 0 && Is_point(tid, r, matcher, pending)) {
                if (count()) continue;
                in_call[tid] = pending;
                resume = PTRACE_SYSCALL;  // stop again at its exit
            }
        } else if (signal == SIGTRAP && event != 0) {
            // a new thread or process, or an exec: nothing to do
        } else if (signal != SIGSTOP) {
            deliver = signal;  // the program's own signals go on to it
        }
        ::ptrace(static_cast<__ptrace_request>(resume), tid, nullptr,
                 reinterpret_cast<void*>(static_cast<long>(deliver)));
    }
    ::alarm(0);
    g_group = 0;
    if (g_timed_out) {
        run.error = "timed out after " + std::to_string(program.timeout_s) + " s";
    } else if (killed) {
        run.end = Traced_run::End::killed;
    } else if (run.exit_code >= 0) {
        run.end = Traced_run::End::exited;
        if (!filtered && run.exit_code >= 124 && run.exit_code <= 127)
            run.error = "the filter could not be installed or the program not started (exit " +
                        std::to_string(run.exit_code) + ")";
        if (!run.error.empty()) run.end = Traced_run::End::failed;
    } else {
        run.error = "the program ended by a signal";
    }
    return run;
}

bool Tracing_available(std::string& why) {
    Traced_program probe;
    probe.argv = {"/bin/sh", "-c", "echo x > /dev/null"};
    probe.folder = "/";
    probe.target = "/nonexistent/crashtest-probe";
    probe.timeout_s = 20;
    const Traced_run run = Run_traced(probe);
    why = run.error;
    return run.end == Traced_run::End::exited && run.exit_code == 0;
}

}  // namespace Crashtest
