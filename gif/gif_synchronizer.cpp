#include "gif/gif_synchronizer.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

TGIFSynchronizer& TGIFSynchronizer::Instance()
{
    static TGIFSynchronizer instance;
    return instance;
}

TGIFSynchronizer::TGIFSynchronizer() : fallbackMain_(std::this_thread::get_id()) {}

std::thread::id TGIFSynchronizer::mainThread() const
{
    return fallbackMain_;
}

bool TGIFSynchronizer::OnMainThread() const
{
    if (QCoreApplication* app = QCoreApplication::instance())
        return QThread::currentThread() == app->thread();
    return std::this_thread::get_id() == mainThread();
}

void TGIFSynchronizer::Synchronize(const std::function<void()>& fn)
{
    if (OnMainThread()) {
        fn();
        return;
    }
    Call call;
    call.fn = &fn;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        pending_.push_back(&call);
    }
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, [this] { ServePending(); }, Qt::QueuedConnection);
    std::unique_lock<std::mutex> lock(mutex_);
    served_.wait(lock, [&] { return call.done; });
    if (call.error)
        std::rethrow_exception(call.error);
}

int TGIFSynchronizer::ServePending()
{
    int served = 0;
    for (;;) {
        Call* call = nullptr;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (pending_.empty())
                return served;
            call = pending_.front();
            pending_.pop_front();
        }
        try {
            (*call->fn)();
        } catch (...) {
            call->error = std::current_exception();
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            call->done = true;
        }
        served_.notify_all();
        ++served;
    }
}
