#pragma once
// The preview's worker thread. The interface hands it the picture (the
// built-in scene or a screenshot) and, frame after frame, the settings and
// the width to compute at; the newest request wins (one not yet started is
// replaced); the interface shows the last finished result. The worker keeps
// the scene at the asked size and the frames of the preview's steps
// (PreviewCache) while it runs, and frees them when it stops.
#include <cstdint>
#include <memory>

#include "preview/PreviewRun.h"

struct PreviewResult {
    std::shared_ptr<const RgbaImage> image;       // after every step
    std::shared_ptr<const RgbaImage> before;      // the picture it was computed from, at the same size
    std::shared_ptr<const RgbaImage> screenshot;  // the screenshot it was asked for, null for the built-in scene
    bool hasScene = false;                        // the steps that need the scene's depth ran
    ShaderSettings settings;
    uint64_t serial = 0;  // grows with every request
    double milliseconds = 0;
    PreviewTimings timings;
};

// The picture the next request computes on: a screenshot, or the built-in
// scene when null.
void PreviewSetPicture(std::shared_ptr<const RgbaImage> screenshot);
// Asks for the preview of these settings, `width` pixels wide (at most the
// picture's own width; the height keeps the picture's aspect). Nothing
// happens when the newest request already has the same width and the same
// previewed settings for the same picture. Starts the thread once.
void PreviewRequest(const ShaderSettings& settings, int width);
// True while a request waits or runs, or a result waits to be taken: the
// interface has something new to draw soon.
bool PreviewBusy();
// Hands out a result finished since the last call; false when there is none.
bool PreviewTakeResult(PreviewResult& result);
// Stops the thread after the run in progress (for tests and shutdown) and
// frees what it kept; a later request starts it again.
void PreviewStop();
