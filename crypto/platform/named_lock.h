#pragma once
// A lock shared by name between the threads of this process and every process of the same user:
// a process mutex for threads and flock(2) on a per-user file for processes. The kernel drops a
// process's file lock when it dies, so a holder killed mid-request never blocks the others.

namespace zlc::platform {

enum class LockResult {
    ok,
    create_failed,  // the lock file could not be opened safely
    wait_failed,    // the file lock could not be taken
};

// Waits, without a time limit, until this thread holds the lock named `name`. Only one name is
// used per process; the first call fixes it.
[[nodiscard]] LockResult named_lock_acquire(const char* name) noexcept;

// Releases a lock this thread holds; false when the file lock could not be dropped (the thread
// lock is released all the same).
[[nodiscard]] bool named_lock_release() noexcept;

}  // namespace zlc::platform
