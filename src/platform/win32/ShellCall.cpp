#include "platform/win32/ShellCall.h"

#include <windows.h>

#include <atomic>
#include <mutex>
#include <optional>

#include "platform/win32/Handle.h"

namespace stowly {

struct ShellCall::State {
    std::mutex gate;          // held while the work touches the caller's data
    bool givenUp = false;     // under `gate`
    bool ended = false;       // under `gate`
    std::atomic<ULONGLONG> lastBeat{GetTickCount64()};
    KernelHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::function<void(ShellCall&)> work;
    std::optional<HRESULT> com; // on the call's thread, once set up
};

void ShellCall::Beat() { state_->lastBeat = GetTickCount64(); }

void ShellCall::NeedCom() {
    if (!state_->com) state_->com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
}

bool ShellCall::WithCaller(const std::function<void()>& f) {
    std::lock_guard lock(state_->gate);
    if (state_->givenUp) return false;
    f();
    return true;
}

namespace {

DWORD WINAPI RunWork(void* param) {
    // The thread holds the state alive for as long as it runs, given up on or not.
    std::shared_ptr<ShellCall::State> state(std::move(*static_cast<std::shared_ptr<ShellCall::State>*>(param)));
    delete static_cast<std::shared_ptr<ShellCall::State>*>(param);
    ShellCall call(state);
    state->work(call);
    state->work = nullptr; // what it holds goes while COM is still up
    if (state->com && SUCCEEDED(*state->com)) CoUninitialize();
    {
        std::lock_guard lock(state->gate);
        state->ended = true;
    }
    SetEvent(state->done.get());
    return 0;
}

} // namespace

bool RunShellCall(std::function<void(ShellCall&)> work, unsigned silenceMs) {
    auto state = std::make_shared<ShellCall::State>();
    if (!state->done) return false;
    state->work = std::move(work);
    auto* handoff = new std::shared_ptr<ShellCall::State>(state);
    KernelHandle thread(CreateThread(nullptr, 0, RunWork, handoff, 0, nullptr));
    if (!thread) {
        delete handoff;
        return false;
    }
    for (;;) {
        const HANDLE done = state->done.get();
        const DWORD woke = MsgWaitForMultipleObjects(1, &done, FALSE, 100, QS_SENDMESSAGE | QS_PAINT);
        if (woke == WAIT_OBJECT_0) return true;
        // Paint and sent messages only; peeking handles the sent ones on its own.
        for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT);) DispatchMessageW(&msg);
        if (GetTickCount64() - state->lastBeat.load() < silenceMs) continue;
        std::lock_guard lock(state->gate);
        if (state->ended) return true;
        state->givenUp = true;
        return false;
    }
}

} // namespace stowly
