#include "preview/PreviewWorker.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace {

struct Request {
    std::shared_ptr<const RgbaImage> scene;
    PostChainSettings settings;
    uint64_t serial = 0;
};

struct Worker {
    std::mutex mutex;
    std::condition_variable wake;
    std::thread thread;
    bool stopping = false;
    bool running = false;  // a request is being computed
    std::shared_ptr<const RgbaImage> scene;
    std::optional<Request> pending;
    std::optional<Request> newest;  // the last request made, to skip repeats
    std::optional<PreviewResult> finished;
    uint64_t serial = 0;
};

// Never destroyed: the thread may still be finishing while the process ends.
Worker& TheWorker() {
    static Worker* worker = new Worker();
    return *worker;
}

void Loop(Worker& w) {
    std::unique_lock<std::mutex> lock(w.mutex);
    for (;;) {
        w.wake.wait(lock, [&] { return w.stopping || w.pending.has_value(); });
        if (w.stopping) return;
        Request request = std::move(*w.pending);
        w.pending.reset();
        w.running = true;
        lock.unlock();

        const auto start = std::chrono::steady_clock::now();
        // The full-size steps share the machine's cores (up to four); the
        // picture is the same as from one.
        const int threads = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
        auto image =
            std::make_shared<const RgbaImage>(RunPostChain(*request.scene, request.settings, nullptr, nullptr, threads));
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();

        lock.lock();
        w.running = false;
        // A newer request may be waiting; this result is still the newest
        // finished one and is shown until that one is done.
        w.finished = PreviewResult{image, request.scene, request.settings, request.serial, ms};
    }
}

}  // namespace

void PreviewSetScene(std::shared_ptr<const RgbaImage> scene) {
    Worker& w = TheWorker();
    std::lock_guard<std::mutex> lock(w.mutex);
    w.scene = std::move(scene);
    w.newest.reset();
}

void PreviewRequest(const PostChainSettings& settings) {
    Worker& w = TheWorker();
    std::lock_guard<std::mutex> lock(w.mutex);
    if (!w.scene || w.scene->pixels.empty()) return;
    if (w.newest && w.newest->settings == settings && w.newest->scene == w.scene) return;
    Request request{w.scene, settings, ++w.serial};
    w.newest = request;
    w.pending = request;
    if (!w.thread.joinable()) {
        w.stopping = false;
        w.thread = std::thread(Loop, std::ref(w));
    }
    w.wake.notify_one();
}

bool PreviewBusy() {
    Worker& w = TheWorker();
    std::lock_guard<std::mutex> lock(w.mutex);
    return w.running || w.pending.has_value() || w.finished.has_value();
}

bool PreviewTakeResult(PreviewResult& result) {
    Worker& w = TheWorker();
    std::lock_guard<std::mutex> lock(w.mutex);
    if (!w.finished) return false;
    result = std::move(*w.finished);
    w.finished.reset();
    return true;
}

void PreviewStop() {
    Worker& w = TheWorker();
    std::thread thread;
    {
        std::lock_guard<std::mutex> lock(w.mutex);
        w.stopping = true;
        w.pending.reset();
        w.newest.reset();
        thread = std::move(w.thread);
        w.wake.notify_one();
    }
    if (thread.joinable()) thread.join();
    std::lock_guard<std::mutex> lock(w.mutex);
    w.finished.reset();
    w.stopping = false;
}
