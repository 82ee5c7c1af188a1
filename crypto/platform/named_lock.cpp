#include "crypto/platform/named_lock.h"

#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <mutex>

namespace zlc::platform {
namespace {

std::mutex g_threads;
int g_fd = -1;  // guarded by g_threads; kept open for the life of the process
std::once_flag g_fork_handlers;

// A fork while a thread is inside the lock would copy a locked mutex into the child, so forks
// wait for the holder; the child then opens its own file, because the inherited descriptor shares
// the parent's open file description and with it the parent's flock.
void before_fork() {
    g_threads.lock();
}
void after_fork_in_parent() {
    g_threads.unlock();
}
void after_fork_in_child() {
    if (g_fd >= 0) {
        ::close(g_fd);
        g_fd = -1;
    }
    g_threads.unlock();
}

// The per-user runtime directory when it is there, else a uid-named file in /dev/shm. The file
// must be a regular file of this user: a link or a file planted by someone else is refused.
int open_lock_file(const char* name) {
    const uid_t uid = ::geteuid();
    char path[512];
    char directory[64];
    std::snprintf(directory, sizeof(directory), "/run/user/%u", static_cast<unsigned>(uid));
    struct stat info {};
    int written = 0;
    if (::stat(directory, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == uid) {
        written = std::snprintf(path, sizeof(path), "%s/%s", directory, name);
    } else {
        written =
            std::snprintf(path, sizeof(path), "/dev/shm/%s.%u", name, static_cast<unsigned>(uid));
    }
    if (written <= 0 || static_cast<std::size_t>(written) >= sizeof(path)) return -1;
    const int fd = ::open(path, O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != uid) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

LockResult named_lock_acquire(const char* name) noexcept {
    std::call_once(g_fork_handlers, [] {
        ::pthread_atfork(before_fork, after_fork_in_parent, after_fork_in_child);
    });
    g_threads.lock();
    if (g_fd < 0) {
        g_fd = open_lock_file(name);
        if (g_fd < 0) {
            g_threads.unlock();
            return LockResult::create_failed;
        }
    }
    while (::flock(g_fd, LOCK_EX) != 0) {
        if (errno == EINTR) continue;
        g_threads.unlock();
        return LockResult::wait_failed;
    }
    return LockResult::ok;
}

bool named_lock_release() noexcept {
    const bool released = g_fd >= 0 && ::flock(g_fd, LOCK_UN) == 0;
    g_threads.unlock();
    return released;
}

}  // namespace zlc::platform
