#pragma once
// Drives a running velmor-viewer from another process, as a test or an automation script would:
// starts it, finds its main window, sends its menu commands and reads its status bar and log.
#include "viewer_ids.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace viewertest {

constexpr DWORD kStartWaitMs = 20000;
constexpr DWORD kPollMs = 20;

// Waits for a condition in another process; true once it holds.
template <typename Done>
bool WaitFor(Done done, DWORD ms)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(kPollMs))
        if (done())
            return true;
    return done();
}

// A visible top-level window of a process with the given class and (when given) caption.
inline HWND FindProcessWindow(DWORD process, const char* className, const char* caption = nullptr)
{
    struct Search {
        DWORD process;
        const char* className;
        const char* caption;
        HWND found;
    } search{process, className, caption, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            char name[64] = {}, text[64] = {};
            GetClassNameA(window, name, sizeof name);
            GetWindowTextA(window, text, sizeof text);
            if (owner != s->process || !IsWindowVisible(window) || lstrcmpA(name, s->className) != 0 ||
                (s->caption && lstrcmpA(text, s->caption) != 0))
                return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class ViewerProcess {
public:
    // Starts the viewer with `arguments` and waits for its main window; main() is null on failure.
    explicit ViewerProcess(const std::string& arguments)
    {
        std::string line(1, '"');  // built by appending: GCC 12 warns wrongly on "..." + string
        line.append(ViewerPath()).append("\" ").append(arguments);
        STARTUPINFOA startup = {sizeof startup};
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup,
                            &info_))
            return;
        BindToThisProcess();
        ResumeThread(info_.hThread);
        WaitFor([&] { return (main_ = FindProcessWindow(info_.dwProcessId, viewer::kMainClass)) != nullptr; },
                kStartWaitMs);
        if (main_)
            remote_ = VirtualAllocEx(info_.hProcess, nullptr, kTextBytes, MEM_COMMIT, PAGE_READWRITE);
    }
    ~ViewerProcess()
    {
        if (main_)
            PostMessageA(main_, WM_CLOSE, 0, 0);
        if (info_.hProcess && WaitForSingleObject(info_.hProcess, kStartWaitMs) != WAIT_OBJECT_0)
            TerminateProcess(info_.hProcess, 1);
        if (info_.hProcess) {
            CloseHandle(info_.hThread);
            CloseHandle(info_.hProcess);
        }
        if (job_)
            CloseHandle(job_);
    }
    ViewerProcess(const ViewerProcess&) = delete;
    ViewerProcess& operator=(const ViewerProcess&) = delete;

    HWND main() const { return main_; }
    DWORD id() const { return info_.dwProcessId; }
    HANDLE handle() const { return info_.hProcess; }
    HWND Child(int id) const { return GetDlgItem(main_, id); }
    bool Running() const { return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

    // A menu command, posted: the settings dialogs are modal and a sent command would wait for them.
    void Command(int id) const { PostMessageA(main_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

    // A status-bar part's text. The bar's messages carry pointers that are not carried between
    // processes, so the text goes through memory in the viewer's process.
    std::string Status(viewer::StatusPart part) const
    {
        char text[kTextBytes] = {};
        if (!remote_ || !SendMessageA(Child(viewer::kIdStatus), SB_GETTEXTA, part, reinterpret_cast<LPARAM>(remote_)))
            return {};
        SIZE_T read = 0;
        ReadProcessMemory(info_.hProcess, remote_, text, sizeof text - 1, &read);
        return text;
    }

    // The log list's lines. List-box texts are carried between processes by the system, which
    // may convert them on the way and write more than the reported length: the buffer is ample.
    std::vector<std::string> Log() const
    {
        std::vector<std::string> lines;
        HWND log = Child(viewer::kIdLog);
        const LRESULT count = SendMessageW(log, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            if (SendMessageW(log, LB_GETTEXTLEN, i, 0) >= LRESULT(kTextBytes))
                continue;
            std::vector<wchar_t> wide(kTextBytes * 2, L'\0');
            SendMessageW(log, LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide.data()));
            char line[kTextBytes * 4] = {};
            WideCharToMultiByte(CP_UTF8, 0, wide.data(), -1, line, sizeof line - 1, nullptr, nullptr);
            lines.push_back(line);
        }
        return lines;
    }
    bool LogHas(const std::string& words) const
    {
        for (const std::string& line : Log())
            if (line.find(words) != std::string::npos)
                return true;
        return false;
    }

    // The number after the words of a status part ("received 123"), or -1.
    long long Number(viewer::StatusPart part) const
    {
        const std::string text = Status(part);
        const size_t digits = text.find_first_of("0123456789");
        return digits == std::string::npos ? -1 : std::atoll(text.c_str() + digits);
    }

private:
    static constexpr SIZE_T kTextBytes = 512;

    static std::string ViewerPath() { return VELMOR_VIEWER_PATH; }

    // A viewer left behind by a test that crashed would keep the camera claimed for the next
    // tests: the viewer ends with the job, and the job with this process.
    void BindToThisProcess()
    {
        job_ = CreateJobObjectA(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (job_ && SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits))
            AssignProcessToJobObject(job_, info_.hProcess);
    }

    PROCESS_INFORMATION info_ = {};
    HWND main_ = nullptr;
    void* remote_ = nullptr;
    HANDLE job_ = nullptr;
};

}  // namespace viewertest
