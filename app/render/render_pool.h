// Worker threads that stamp and encode posters while the main thread reads
// the table and writes files in order. Win32 threads and a critical section.
#pragma once
#include <windows.h>
#include <deque>
#include <memory>
#include <string>
#include <vector>
#include "app/render/renderer.h"

namespace app {

// One poster on one template.
struct RenderTask {
    TemplateCanvas base;
    PosterDescription poster;
    std::shared_ptr<RowPictures> pictures;  // the row's files, decoded by the first task drawing it; null: none
    OutputFormat format;
    std::vector<uint8_t> result;  // empty on failure
    std::string failure;          // a picture that could not be decoded: the row's problem
    // A thumbnail instead, when its canvas is set: the poster drawn on a copy
    // of it and left unpacked in `thumbnail` (null on failure).
    ThumbnailBase small;
    std::shared_ptr<imprinta::picture::Canvas> thumbnail;
    HANDLE done = nullptr;        // set when result is ready (pool tasks only)
};

class RenderPool {
public:
    explicit RenderPool(int threads);  // 0 threads: Submit renders at once
    ~RenderPool();                     // finishes queued tasks, then joins
    RenderPool(const RenderPool&) = delete;
    RenderPool& operator=(const RenderPool&) = delete;
    void Submit(RenderTask* task);
    // Waits until the task's result is there.
    void Wait(RenderTask* task);
    // Whether the task's result is there (and its event closed), without waiting.
    bool Ready(RenderTask* task);

private:
    static DWORD WINAPI Main(void* self);
    static void Run(RenderTask* task);
    CRITICAL_SECTION lock_;
    HANDLE available_ = nullptr;  // semaphore: queued tasks, plus one per thread to stop
    std::deque<RenderTask*> queue_;
    bool stopping_ = false;
    std::vector<HANDLE> threads_;
};

}  // namespace app
