#include "app/render/render_pool.h"

namespace app {

RenderPool::RenderPool(int threads) {
    InitializeCriticalSection(&lock_);
    if (threads <= 0) return;
    available_ = CreateSemaphoreA(nullptr, 0, 0x7FFFFFFF, nullptr);
    for (int i = 0; available_ && i < threads; ++i)
        if (HANDLE t = CreateThread(nullptr, 0, &RenderPool::Main, this, 0, nullptr)) threads_.push_back(t);
}

RenderPool::~RenderPool() {
    EnterCriticalSection(&lock_);
    stopping_ = true;
    LeaveCriticalSection(&lock_);
    if (available_) ReleaseSemaphore(available_, static_cast<LONG>(threads_.size()), nullptr);
    for (HANDLE t : threads_) {
        WaitForSingleObject(t, INFINITE);
        CloseHandle(t);
    }
    if (available_) CloseHandle(available_);
    DeleteCriticalSection(&lock_);
}

void RenderPool::Run(RenderTask* task) {
    static const FieldPictures kNone;
    const FieldPictures* pictures = task->pictures ? task->pictures->Decoded(&task->failure) : &kNone;
    if (task->small.canvas) {
        if (pictures) task->thumbnail = RenderThumbnail(task->small, task->poster, *pictures);
        return;
    }
    task->result = task->base && pictures ? RenderPoster(*task->base, task->poster, task->format, *pictures)
                                          : std::vector<uint8_t>{};
}

void RenderPool::Submit(RenderTask* task) {
    if (threads_.empty()) {  // no threads (or none could be made): render here
        Run(task);
        return;
    }
    task->done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!task->done) {
        Run(task);
        return;
    }
    EnterCriticalSection(&lock_);
    queue_.push_back(task);
    LeaveCriticalSection(&lock_);
    ReleaseSemaphore(available_, 1, nullptr);
}

void RenderPool::Wait(RenderTask* task) {
    if (!task->done) return;
    WaitForSingleObject(task->done, INFINITE);
    CloseHandle(task->done);
    task->done = nullptr;
}

bool RenderPool::Ready(RenderTask* task) {
    if (task->done && WaitForSingleObject(task->done, 0) != WAIT_OBJECT_0) return false;
    Wait(task);
    return true;
}

DWORD WINAPI RenderPool::Main(void* self) {
    auto* pool = static_cast<RenderPool*>(self);
    for (;;) {
        WaitForSingleObject(pool->available_, INFINITE);
        EnterCriticalSection(&pool->lock_);
        RenderTask* task = nullptr;
        if (!pool->queue_.empty()) {
            task = pool->queue_.front();
            pool->queue_.pop_front();
        }
        const bool stop = pool->stopping_ && !task;
        LeaveCriticalSection(&pool->lock_);
        if (stop) return 0;
        if (!task) continue;
        try {
            Run(task);
        } catch (...) {
            task->result.clear();
            task->thumbnail.reset();
        }
        SetEvent(task->done);
    }
}

}  // namespace app
