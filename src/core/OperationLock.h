#pragma once
// The operation lock for the length of one clean, restore or finishing of a
// stopped run: two of them, in this copy of the program or another, would move
// the same items.
#include "platform/Platform.h"
#include "platform/Ui.h"

namespace stowly {

class OperationLock {
public:
    explicit OperationLock(Platform& os) : os_(os), held_(os.ClaimOperationLock()) {}
    ~OperationLock() {
        if (held_) os_.ReleaseOperationLock();
    }
    OperationLock(const OperationLock&) = delete;
    OperationLock& operator=(const OperationLock&) = delete;
    // False when another operation holds the lock: this one must not run.
    bool held() const { return held_; }

private:
    Platform& os_;
    bool held_;
};

inline constexpr const char* kOperationRunning =
    "Stowly is already cleaning or restoring the desktop.  Please try again when it has finished.";

// Tells the user and returns true when another operation holds the lock.
inline bool LockedOut(Ui& ui, const OperationLock& lock) {
    if (lock.held()) return false;
    ui.Message(kOperationRunning, "", MsgButtons::Ok, MsgIcon::Exclamation);
    return true;
}

} // namespace stowly
