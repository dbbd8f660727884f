#pragma once

#include <chrono>
#include <functional>
#include <future>
#include <thread>

// Runs work on a thread of its own and calls whileWaiting every few milliseconds until it has
// finished: for a single step that would hold a window still, such as a large file written and
// flushed to disk, while the window handles its events. Without whileWaiting the work runs
// here. The work must not touch what whileWaiting does.
template <typename Work>
auto runAside(Work work, const std::function<void()>& whileWaiting) -> decltype(work())
{
    if (!whileWaiting)
        return work();
    std::packaged_task<decltype(work())()> task(std::move(work));
    auto done = task.get_future();
    std::thread worker(std::move(task));
    while (done.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        whileWaiting();
    worker.join();
    return done.get();
}
