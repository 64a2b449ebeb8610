#include "msgbox_watcher.h"

namespace testing_support {
namespace {

struct Found {
    const std::wstring* caption;  // empty: this process's boxes
    std::vector<HWND> boxes;
};

// Visible dialog windows of this process, or of the caption in other processes. A caption is read
// only from another process's window: asking a window of this process would wait for its thread.
BOOL CALLBACK CollectBox(HWND hwnd, LPARAM lp) {
    Found& found = *reinterpret_cast<Found*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[16] = {};
    GetClassNameW(hwnd, cls, 16);
    if (!IsWindowVisible(hwnd) || lstrcmpW(cls, L"#32770") != 0) return TRUE;
    bool wanted = pid == GetCurrentProcessId();
    if (!found.caption->empty()) {
        wchar_t caption[64] = {};
        wanted = !wanted && GetWindowTextW(hwnd, caption, 64) > 0 && *found.caption == caption;
    }
    if (wanted) found.boxes.push_back(hwnd);
    return TRUE;
}

}  // namespace

MessageBoxWatcher::MessageBoxWatcher(const wchar_t* caption)
    : caption_(caption ? caption : L""), thread_([this] { Run(); }) {}

MessageBoxWatcher::~MessageBoxWatcher() {
    stop_ = true;
    thread_.join();
}

std::vector<SeenBox> MessageBoxWatcher::Seen() {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
}

bool MessageBoxWatcher::WaitFor(size_t count, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        if (Seen().size() >= count) return true;
        Sleep(20);
    }
    return Seen().size() >= count;
}

void MessageBoxWatcher::Run() {
    while (!stop_) {
        Found found{&caption_, {}};
        EnumWindows(CollectBox, reinterpret_cast<LPARAM>(&found));
        for (HWND box : found.boxes) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                bool known = false;
                for (HWND h : handled_) known = known || h == box;
                if (known) continue;
                handled_.push_back(box);
            }
            SeenBox seen;
            wchar_t buf[1024] = {};
            GetWindowTextW(box, buf, 1024);
            seen.caption = buf;
            buf[0] = L'\0';
            // A message box's text is the static control with id 0xFFFF.
            GetDlgItemTextW(box, 0xFFFF, buf, 1024);
            seen.text = buf;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                seen_.push_back(seen);
            }
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
        }
        Sleep(30);
    }
}

}  // namespace testing_support
