// Watches for dialog boxes of this process (message boxes, property frames), or of other
// processes with a given caption, records their caption and text, and presses OK. A test that expects a box
// checks Seen(); a test that expects none checks that Seen() is empty.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

struct SeenBox {
    std::wstring caption;
    std::wstring text;  // the message text (the static control of a message box), if any
};

class MessageBoxWatcher {
public:
    // Boxes of this process; with a caption, boxes of that caption in other processes.
    explicit MessageBoxWatcher(const wchar_t* caption = nullptr);
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    std::vector<SeenBox> Seen();
    // Waits until at least count boxes have been seen, at most timeoutMs.
    bool WaitFor(size_t count, DWORD timeoutMs);

private:
    void Run();
    std::wstring caption_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<SeenBox> seen_;
    std::vector<HWND> handled_;
    std::thread thread_;
};

}  // namespace testing_support
