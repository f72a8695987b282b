#include "preview/PictureLoad.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "app/FileIo.h"
#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/Text.h"
#include "settings/Localization.h"

PictureLimits PreviewPictureLimits() {
    return PictureLimits{kPictureMaxPixels, kPictureMaxSide, static_cast<unsigned>(kPreviewMaxWidth)};
}

namespace {

LoadedPicture Decoded(const std::string& fileBytes, std::string& detail) {
    DecodedPicture decoded = DecodePicture(fileBytes, PreviewPictureLimits());
    LoadedPicture loaded;
    loaded.fault = decoded.fault;
    loaded.declaredWidth = decoded.declaredWidth;
    loaded.declaredHeight = decoded.declaredHeight;
    detail = std::move(decoded.detail);
    if (decoded.fault != PictureFault::None) return loaded;
    RgbaImage full{static_cast<int>(decoded.width), static_cast<int>(decoded.height), std::move(decoded.pixels)};
    loaded.picture = full.width > kPreviewMaxWidth ? ScaleToWidth(full, kPreviewMaxWidth) : std::move(full);
    return loaded;
}

}  // namespace

LoadedPicture PictureFromBytes(const std::string& fileBytes) {
    std::string detail;
    return Decoded(fileBytes, detail);
}

LoadedPicture LoadPicture(const std::u16string& path) {
    LoadedPicture loaded;
    std::string detail;
    std::error_code ec;
    const uint64_t size = std::filesystem::file_size(FsPath(path), ec);
    std::string bytes;
    if (!ec && size > kPictureMaxFileBytes) {
        loaded.fault = PictureFault::TooLarge;
        detail = std::to_string(size) + " bytes";
    } else {
        if (!ec) bytes.reserve(size);  // one block rather than one grown in steps to twice the size
        if (ReadFileBytes(path, bytes, kPictureMaxFileBytes)) {
            loaded = Decoded(bytes, detail);
        } else {
            loaded.fault = PictureFault::Unreadable;
            detail = ec ? ec.message() : "read failed";
        }
    }
    // The decoder's words go to the log; the player hears the cause.
    if (loaded.fault != PictureFault::None)
        Log(u"Screenshot " + path + u" not loaded: " + Utf8ToWide(PictureFaultName(loaded.fault)) + u" (" +
            Utf8ToWide(detail) + u")");
    return loaded;
}

std::string PictureLoadProblemText(const LoadedPicture& loaded) {
    switch (loaded.fault) {
        case PictureFault::None: return std::string();
        case PictureFault::Unreadable: return Localization::Text("previewloadunreadable");
        case PictureFault::NotAPicture: return Localization::Text("previewloadnotpicture");
        case PictureFault::Damaged: return Localization::Text("previewloaddamaged");
        case PictureFault::TooLarge: break;
    }
    std::string text = Localization::Text("previewloadtoolarge");
    if (loaded.declaredWidth > 0) {
        std::string size = Localization::Text("previewpicturesize");
        const std::string dimensions =
            std::to_string(loaded.declaredWidth) + " \u00d7 " + std::to_string(loaded.declaredHeight);
        if (const size_t at = size.find("{size}"); at != std::string::npos) size.replace(at, 6, dimensions);
        text += " " + size;
    }
    return text;
}

namespace {

struct Loader {
    std::mutex mutex;
    std::condition_variable wake;
    std::thread thread;
    bool stopping = false;
    bool running = false;
    uint64_t runningSerial = 0;
    std::optional<std::u16string> pending;
    std::optional<LoadedPicture> finished;
    uint64_t serial = 0;  // of the newest start; a load of an older one is dropped
};

// Never destroyed: the thread may still be decoding while the process ends.
Loader& TheLoader() {
    static Loader* loader = new Loader();
    return *loader;
}

void Loop(Loader& l) {
    std::unique_lock<std::mutex> lock(l.mutex);
    for (;;) {
        l.wake.wait(lock, [&] { return l.stopping || l.pending.has_value(); });
        if (l.stopping) return;
        const std::u16string path = std::move(*l.pending);
        l.runningSerial = l.serial;
        l.pending.reset();
        l.running = true;
        lock.unlock();
        LoadedPicture loaded = LoadPicture(path);
        lock.lock();
        l.running = false;
        if (l.runningSerial == l.serial) l.finished = std::move(loaded);
    }
}

}  // namespace

void PictureLoadStart(const std::u16string& path) {
    Loader& l = TheLoader();
    std::lock_guard<std::mutex> lock(l.mutex);
    ++l.serial;
    l.pending = path;
    l.finished.reset();
    if (!l.thread.joinable()) {
        l.stopping = false;
        l.thread = std::thread(Loop, std::ref(l));
    }
    l.wake.notify_one();
}

void PictureLoadCancel() {
    Loader& l = TheLoader();
    std::lock_guard<std::mutex> lock(l.mutex);
    ++l.serial;
    l.pending.reset();
    l.finished.reset();
}

bool PictureLoadBusy() {
    Loader& l = TheLoader();
    std::lock_guard<std::mutex> lock(l.mutex);
    // A load dropped by a newer start or a cancel may still run, but nobody waits for it.
    return l.pending.has_value() || l.finished.has_value() || (l.running && l.runningSerial == l.serial);
}

bool PictureLoadTake(LoadedPicture& loaded) {
    Loader& l = TheLoader();
    std::lock_guard<std::mutex> lock(l.mutex);
    if (!l.finished) return false;
    loaded = std::move(*l.finished);
    l.finished.reset();
    return true;
}

void PictureLoadStop() {
    Loader& l = TheLoader();
    std::thread thread;
    {
        std::lock_guard<std::mutex> lock(l.mutex);
        l.stopping = true;
        l.pending.reset();
        thread = std::move(l.thread);
        l.wake.notify_one();
    }
    if (thread.joinable()) thread.join();
    std::lock_guard<std::mutex> lock(l.mutex);
    l.stopping = false;
}
