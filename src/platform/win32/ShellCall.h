#pragma once
// Calls into the shell's process run on a thread of their own, so that a shell that
// hangs or restarts cannot hang the program with it.
//
// The caller waits while its windows keep answering: paint and messages sent to
// them are handled, input waits in the queue until the call is over. The call
// gives proof of life whenever the shell answers (Beat); when none comes for the
// given silence, the call is given up on. Its thread is then left to end on its own
// and never waited for, not even at exit; from then on it must not touch the
// caller's data, which is why everything it reads or writes of the caller's goes
// through WithCaller.

#include <functional>
#include <memory>

namespace stowly {

// How long the shell may stay silent before a call into it is given up on.
inline constexpr unsigned kShellSilenceMs = 10000;

class ShellCall {
public:
    struct State;
    explicit ShellCall(std::shared_ptr<State> state) : state_(std::move(state)) {}

    // The shell answered: the silence starts again.
    void Beat();
    // Sets up COM on the call's thread, once, for as long as the call runs: only a
    // call that talks to the shell's objects pays for it.
    void NeedCom();
    // Runs `f`, which may touch the caller's data, unless the caller has given up;
    // the caller does not give up while `f` runs. False when it had given up.
    bool WithCaller(const std::function<void()>& f);

private:
    std::shared_ptr<State> state_;
};

// Runs `work` on a thread of its own, and waits for it as
// above. True when it ended, false when it was given up on after `silenceMs`
// without a beat.
bool RunShellCall(std::function<void(ShellCall&)> work, unsigned silenceMs = kShellSilenceMs);

} // namespace stowly
