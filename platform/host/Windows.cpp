// Simulated machine: the top-level windows below the desktop, in Z order. A window exists from its
// appearsAt clock value until its goneAt; when it first exists it goes to the top, so the later a
// window came, the higher it lies.
#include "platform/host/Machine.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

struct Window {
    HWND handle = nullptr;
    DWORD processId = 0;
    DWORD threadId = 0;
    std::string title;
    std::string className;
    bool hidden = false; // no operation here asks for visibility
    DWORD appearsAt = 0;
    DWORD goneAt = 0xFFFFFFFFu;
    DWORD placedAt = 0;   // the clock when the window was added to the machine
    unsigned placing = 0; // order of adding, for windows that came at the same clock
};

std::vector<Window> windows;
unsigned placings = 0;
// Never reset: a window handle kept from before a reset must not name a new window afterwards.
std::uintptr_t nextWindowValue = 0x30000;
char desktopToken; // the desktop window's handle is this object's address

HWND Desktop() {
    return reinterpret_cast<HWND>(&desktopToken);
}

bool Exists(const Window& window, DWORD clock) {
    return window.appearsAt <= clock && clock < window.goneAt;
}

// When the window went to the top of the Z order: it cannot come before it was added.
DWORD CameAt(const Window& window) {
    return std::max(window.appearsAt, window.placedAt);
}

// The windows that exist now, topmost first.
std::vector<const Window*> ZOrder() {
    const DWORD clock = sim::Clock();
    std::vector<const Window*> order;
    for (const Window& window : windows) {
        if (Exists(window, clock)) {
            order.push_back(&window);
        }
    }
    std::sort(order.begin(), order.end(), [](const Window* a, const Window* b) {
        if (CameAt(*a) != CameAt(*b)) {
            return CameAt(*a) > CameAt(*b);
        }
        return a->placing > b->placing;
    });
    return order;
}

// The window if it exists now; null otherwise.
const Window* Find(HWND handle) {
    const DWORD clock = sim::Clock();
    for (const Window& window : windows) {
        if (window.handle == handle && Exists(window, clock)) {
            return &window;
        }
    }
    sim::detail::SetLastError(sim::detail::kErrorInvalidWindowHandle);
    return nullptr;
}

void Place(DWORD processId, DWORD threadId, const sim::WindowScript& script) {
    Window window;
    window.handle = reinterpret_cast<HWND>(nextWindowValue);
    nextWindowValue += 2;
    window.processId = processId;
    window.threadId = threadId;
    window.title = script.title;
    window.className = script.className;
    window.hidden = script.hidden;
    window.appearsAt = script.appearsAt;
    window.goneAt = script.goneAt;
    window.placedAt = sim::Clock();
    window.placing = placings++;
    windows.push_back(window);
}

// Copies at most maxCount-1 bytes and a terminator, as GetWindowTextA and GetClassNameA do.
int CopyText(const std::string& text, LPSTR buffer, int maxCount) {
    if (buffer == nullptr || maxCount <= 0) {
        return 0;
    }
    const std::size_t count = std::min<std::size_t>(text.size(), maxCount - 1);
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    return static_cast<int>(count);
}

} // namespace

namespace sim {

DWORD AddForeignWindow(const std::string& title, const std::string& className) {
    const DWORD processId = detail::AddForeignProcess();
    WindowScript script;
    script.title = title;
    script.className = className;
    Place(processId, detail::ThreadOf(processId), script);
    return processId;
}

void AddWindowOwnedBy(DWORD processId, const std::string& title, const std::string& className) {
    DWORD threadId = detail::ThreadOf(processId);
    if (threadId == 0) {
        threadId = detail::NewThreadId();
    }
    WindowScript script;
    script.title = title;
    script.className = className;
    Place(processId, threadId, script);
}

namespace detail {

void AddChildWindows(DWORD processId, DWORD threadId, const std::vector<WindowScript>& scripts) {
    for (const WindowScript& script : scripts) {
        Place(processId, threadId, script);
    }
}

void ResetWindows() {
    windows.clear();
    placings = 0;
}

} // namespace detail
} // namespace sim

using sim::Op;
using sim::detail::EnterCall;

HWND WINAPI GetDesktopWindow() {
    if (EnterCall(Op::GetDesktopWindow)) {
        return nullptr;
    }
    return Desktop();
}

HWND WINAPI GetWindow(HWND window, UINT command) {
    if (EnterCall(Op::GetWindow)) {
        sim::detail::SetLastError(sim::detail::kErrorInvalidWindowHandle);
        return nullptr;
    }
    const std::vector<const Window*> order = ZOrder();
    if (window == Desktop()) {
        // The desktop's children are the top-level windows; it has no siblings.
        return command == GW_CHILD && !order.empty() ? order.front()->handle : nullptr;
    }
    if (Find(window) == nullptr || command != GW_HWNDNEXT) {
        return nullptr; // top-level windows here have no children
    }
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        if (order[i]->handle == window) {
            return order[i + 1]->handle;
        }
    }
    return nullptr;
}

DWORD WINAPI GetWindowThreadProcessId(HWND window, LPDWORD processId) {
    if (EnterCall(Op::GetWindowThreadProcessId)) {
        sim::detail::SetLastError(sim::detail::kErrorInvalidWindowHandle);
        return 0; // the process id stays as it was
    }
    const Window* found = Find(window);
    if (found == nullptr) {
        return 0;
    }
    if (processId != nullptr) {
        *processId = found->processId;
    }
    return found->threadId;
}

int WINAPI GetWindowTextA(HWND window, LPSTR text, int maxCount) {
    if (EnterCall(Op::GetWindowTextA)) {
        sim::detail::SetLastError(sim::detail::kErrorInvalidWindowHandle);
        return 0;
    }
    const Window* found = Find(window);
    return found == nullptr ? 0 : CopyText(found->title, text, maxCount);
}

int WINAPI GetClassNameA(HWND window, LPSTR className, int maxCount) {
    if (EnterCall(Op::GetClassNameA)) {
        sim::detail::SetLastError(sim::detail::kErrorInvalidWindowHandle);
        return 0;
    }
    const Window* found = Find(window);
    return found == nullptr ? 0 : CopyText(found->className, className, maxCount);
}
