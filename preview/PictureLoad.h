#pragma once
// Screenshots the player chooses, loaded off the interface thread: the file
// is read, decoded by the platform's decoders within the pixel budget and
// scaled down to the preview's working width on a thread of its own. The
// interface starts a load and takes its outcome when it is there.
#include <cstdint>
#include <string>

#include "app/PictureDecode.h"
#include "preview/PreviewPicture.h"

// The preview shows at most 1280 pixels across, so anything a player would
// take as a screenshot is enough: an 8K one (7680 x 4320) has 33 megapixels,
// three 4K screens side by side 25. The budget keeps the decoded picture under
// 160 MB and its decoding well under a second.
inline constexpr uint64_t kPictureMaxPixels = 40'000'000;
// Each side, as much as a graphics card takes for one texture.
inline constexpr unsigned kPictureMaxSide = 16384;
// A file larger than this is refused before it is read.
inline constexpr uint64_t kPictureMaxFileBytes = uint64_t(256) << 20;

struct LoadedPicture {
    PictureFault fault = PictureFault::None;
    unsigned declaredWidth = 0;  // as the file's header says, when it was read
    unsigned declaredHeight = 0;
    RgbaImage picture;  // at most kPreviewMaxWidth wide; empty on a fault
};

// The preview's limits for DecodePicture.
PictureLimits PreviewPictureLimits();
// Decodes and scales down a file's bytes.
LoadedPicture PictureFromBytes(const std::string& fileBytes);
// Reads a file and makes it the preview's picture; a failure is logged with
// its cause as "Screenshot <path> not loaded: <cause>".
LoadedPicture LoadPicture(const std::u16string& path);

// Why a picture was not loaded, in the player's language; empty when it was.
std::string PictureLoadProblemText(const LoadedPicture& loaded);

// Starts loading a file on the loader's thread. A load still running for an
// earlier file finishes unseen: only the newest is handed out.
void PictureLoadStart(const std::u16string& path);
// Forgets the load in progress: its outcome is never handed out.
void PictureLoadCancel();
// True from the start of a load until its outcome is taken.
bool PictureLoadBusy();
// Hands out the newest load's outcome once it is finished; false before.
bool PictureLoadTake(LoadedPicture& loaded);
// Drops a load not yet begun, waits for the one in progress and ends the
// thread (tests and shutdown); the outcome of that one, when it is still the
// newest, stays to be taken. A later start starts the thread again.
void PictureLoadStop();
