// Child processes for tests: fork and waitpid where the system has them; on Windows the test
// program itself, started on the one test with the call to stop at and the scratch folders to reuse.
#include "tests/support/child_process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <windows.h>

#include <boost/filesystem.hpp>
#include <vector>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace TestSupport {

#ifndef _WIN32

Child_end Run_in_child(const std::function<void()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        body();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    Child_end end;
    end.exited = WIFEXITED(status);
    end.code = end.exited ? WEXITSTATUS(status) : 0;
    end.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return end;
}

bool Is_replaying_child() { return false; }

#else

namespace {
constexpr const wchar_t* Call_variable = L"TAVRIX_TEST_CHILD_CALL";
constexpr const wchar_t* Folder_variable = L"TAVRIX_TEST_CHILD_FOLDER";

std::wstring Variable(const wchar_t* name) {
    wchar_t value[32768];
    const DWORD n = GetEnvironmentVariableW(name, value, 32768);
    return n > 0 && n < 32768 ? std::wstring(value, n) : std::wstring();
}

// Calls of Run_in_child in the current test, counted the same way in the parent and in its replay.
int Next_call() {
    static std::string test;
    static int calls = 0;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "";
    if (name != test) {
        test = name;
        calls = 0;
    }
    return ++calls;
}

// A command-line argument in the quoting CommandLineToArgvW undoes.
std::wstring Quoted(const std::wstring& arg) {
    std::wstring out = L"\"";
    std::size_t slashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        out.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, L'\\');
    return out + L"\"";
}
}  // namespace

bool Is_replaying_child() { return !Variable(Call_variable).empty(); }

Child_end Run_in_child(const std::function<void()>& body) {
    const int call = Next_call();
    const std::wstring wanted = Variable(Call_variable);
    if (!wanted.empty()) {
        if (std::to_wstring(call) != wanted) return Child_end{true, 0, 0};
        SetCurrentDirectoryW(Variable(Folder_variable).c_str());
        body();
        std::_Exit(0);
    }

    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string filter = std::string(info->test_suite_name()) + "." + info->name();
    wchar_t exe[MAX_PATH * 4];
    GetModuleFileNameW(nullptr, exe, MAX_PATH * 4);
    std::wstring command = Quoted(exe) + L" " + Quoted(L"--gtest_filter=" + std::wstring(filter.begin(), filter.end()));

    SetEnvironmentVariableW(Call_variable, std::to_wstring(call).c_str());
    SetEnvironmentVariableW(Folder_variable, boost::filesystem::current_path().wstring().c_str());
    // The replay's own checks fail wherever the files moved on since (they are the parent's to
    // make): its standard output, where the test framework reports, goes nowhere; errors still show.
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE nowhere =
        CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = nowhere;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    const BOOL started =
        CreateProcessW(exe, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    if (nowhere != INVALID_HANDLE_VALUE) CloseHandle(nowhere);
    SetEnvironmentVariableW(Call_variable, nullptr);
    SetEnvironmentVariableW(Folder_variable, nullptr);
    if (!started) {
        ADD_FAILURE() << "the test's child did not start (" << GetLastError() << ")";
        return Child_end{};
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return Child_end{true, static_cast<int>(code), 0};
}

#endif

}  // namespace TestSupport
