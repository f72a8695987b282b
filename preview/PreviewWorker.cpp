#include "preview/PreviewWorker.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "preview/PreviewPicture.h"

namespace {

struct Request {
    std::shared_ptr<const RgbaImage> screenshot;  // null: the built-in scene
    ShaderSettings settings;
    int width = 0;
    uint64_t serial = 0;
};

struct Worker {
    std::mutex mutex;
    std::condition_variable wake;
    std::thread thread;
    bool stopping = false;
    bool running = false;  // a request is being computed
    std::shared_ptr<const RgbaImage> screenshot;
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

// What the thread keeps between requests, freed when it ends: the input at
// the last size asked for, its picture, and the frames of the steps.
struct Kept {
    std::shared_ptr<const RgbaImage> screenshot;
    int width = 0;
    std::shared_ptr<const PreviewScene> scene;
    std::shared_ptr<const RgbaImage> before;
    PreviewCache cache;
};

void Loop(Worker& w) {
    Kept kept;
    std::unique_lock<std::mutex> lock(w.mutex);
    for (;;) {
        w.wake.wait(lock, [&] { return w.stopping || w.pending.has_value(); });
        if (w.stopping) return;
        Request request = std::move(*w.pending);
        w.pending.reset();
        w.running = true;
        lock.unlock();

        const auto start = std::chrono::steady_clock::now();
        if (!kept.scene || kept.screenshot != request.screenshot || kept.width != request.width) {
            kept.scene = std::make_shared<const PreviewScene>(PreviewSceneAt(request.screenshot.get(), request.width));
            kept.before = std::make_shared<const RgbaImage>(ImageFromTarget(kept.scene->colour));
            kept.screenshot = request.screenshot;
            kept.width = request.width;
        }
        // The steps share the machine's cores (up to four); the picture is
        // the same as from one.
        const int threads = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
        PreviewResult result;
        result.image = std::make_shared<const RgbaImage>(
            ImageFromTarget(RunPreview(kept.scene, request.settings, kept.cache, &result.timings, threads)));
        result.before = kept.before;
        result.screenshot = request.screenshot;
        result.hasScene = kept.scene->hasDepth;
        result.settings = request.settings;
        result.serial = request.serial;
        result.milliseconds =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();

        lock.lock();
        w.running = false;
        // A newer request may be waiting; this result is still the newest
        // finished one and is shown until that one is done.
        w.finished = std::move(result);
    }
}

}  // namespace

void PreviewSetPicture(std::shared_ptr<const RgbaImage> screenshot) {
    Worker& w = TheWorker();
    std::lock_guard<std::mutex> lock(w.mutex);
    w.screenshot = std::move(screenshot);
    w.newest.reset();
}

void PreviewRequest(const ShaderSettings& settings, int width) {
    Worker& w = TheWorker();
    std::lock_guard<std::mutex> lock(w.mutex);
    width = std::clamp(width, 1, w.screenshot ? std::min(w.screenshot->width, kPreviewMaxWidth) : kPreviewMaxWidth);
    if (w.screenshot && w.screenshot->pixels.empty()) return;
    if (w.newest && w.newest->screenshot == w.screenshot && w.newest->width == width &&
        SamePreviewedSettings(w.newest->settings, settings))
        return;
    Request request{w.screenshot, settings, width, ++w.serial};
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
