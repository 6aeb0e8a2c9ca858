#pragma once
// TGIFSynchronizer: runs a function on the user-interface thread for a painter thread and
// waits for it. The user-interface thread is the application's thread when a Qt application
// exists, otherwise the thread that first used the synchroniser. Calls are queued; the
// application's event loop serves them, and so does any wait of the user-interface thread
// for painters (ServePending), so a painter waiting for its paint never blocks such a wait.

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

class TGIFSynchronizer {
public:
    static TGIFSynchronizer& Instance();

    // Runs fn on the user-interface thread (directly when called there) and waits for it; an
    // exception of fn passes to the caller.
    void Synchronize(const std::function<void()>& fn);
    // Runs every queued call; user-interface thread only. Returns how many ran.
    int ServePending();
    bool OnMainThread() const;

private:
    TGIFSynchronizer();
    struct Call {
        const std::function<void()>* fn = nullptr;
        bool done = false;
        std::exception_ptr error;
    };
    std::thread::id mainThread() const;

    std::thread::id fallbackMain_;
    std::mutex mutex_;
    std::condition_variable served_;
    std::deque<Call*> pending_;
};
