#pragma once
// The preview's worker thread. The interface hands it the picture and a copy
// of the ten settings; the newest request wins (one not yet started is
// replaced); the interface shows the last finished result.
#include <cstdint>
#include <memory>

#include "preview/PostChain.h"

struct PreviewResult {
    std::shared_ptr<const RgbaImage> image;  // after the post chain
    std::shared_ptr<const RgbaImage> scene;  // the picture it was computed from
    PostChainSettings settings;
    uint64_t serial = 0;  // grows with every request
    double milliseconds = 0;
};

// A new picture: the next request computes on it.
void PreviewSetScene(std::shared_ptr<const RgbaImage> scene);
// Asks for the picture with these settings; nothing happens when the newest
// request already has them for the same picture. Starts the thread once.
void PreviewRequest(const PostChainSettings& settings);
// True while a request waits or runs, or a result waits to be taken: the
// interface has something new to draw soon.
bool PreviewBusy();
// Hands out a result finished since the last call; false when there is none.
bool PreviewTakeResult(PreviewResult& result);
// Stops the thread after the run in progress (for tests and shutdown); a
// later request starts it again.
void PreviewStop();
