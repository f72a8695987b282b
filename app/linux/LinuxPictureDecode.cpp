// Pictures on Linux: PNG through libpng's simplified reader, JPEG through
// libjpeg-turbo, BMP through our own bounded reader.
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
#include <png.h>

#include "app/BmpDecode.h"
#include "app/PictureDecode.h"

namespace {

DecodedPicture Damaged(std::string detail) {
    DecodedPicture picture;
    picture.fault = PictureFault::Damaged;
    picture.detail = std::move(detail);
    return picture;
}

DecodedPicture DecodePng(const std::string& bytes, unsigned width, unsigned height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return Damaged(image.message);
    if (image.width != width || image.height != height) {
        png_image_free(&image);
        return Damaged("PNG frame of another size than its header");
    }
    image.format = PNG_FORMAT_RGBA;
    DecodedPicture picture;
    picture.pixels.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, picture.pixels.data(), 0, nullptr)) return Damaged(image.message);
    picture.width = width;
    picture.height = height;
    return picture;
}

// libjpeg reports errors through a callback that must not return: it jumps
// back into DecodeJpegInto. Warnings (corrupt or missing data) are taken as
// errors: a damaged picture is refused rather than shown half grey.
struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void JpegFail(j_common_ptr info) {
    JpegErrors* errors = reinterpret_cast<JpegErrors*>(info->err);
    info->err->format_message(info, errors->message);
    std::longjmp(errors->jump, 1);
}

void JpegMessage(j_common_ptr info, int level) {
    if (level < 0) JpegFail(info);
}

// A progressive picture can be made of a great many tiny scans, each of
// which runs over the whole coefficient buffer; real ones have about ten.
constexpr int kMaxJpegScans = 100;

struct JpegProgress {
    jpeg_progress_mgr manager;
    JpegErrors* errors;
};

void JpegProgressCheck(j_common_ptr info) {
    const j_decompress_ptr decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > kMaxJpegScans) {
        JpegErrors* errors = reinterpret_cast<JpegProgress*>(info->progress)->errors;
        std::snprintf(errors->message, sizeof errors->message, "more than %d scans", kMaxJpegScans);
        std::longjmp(errors->jump, 1);
    }
}

// Only plain C data lives in this frame, so the jump back skips no
// destructor; the picture lives in the caller's.
bool DecodeJpegInto(const std::string& bytes, unsigned width, unsigned height, const PictureLimits& limits,
                    DecodedPicture& picture, JpegErrors& errors) {
    jpeg_decompress_struct info{};  // zeroed: destroying it before it is made does nothing
    JpegProgress progress{};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = JpegFail;
    errors.manager.emit_message = JpegMessage;
    errors.message[0] = '\0';
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    progress.manager.progress_monitor = JpegProgressCheck;
    progress.errors = &errors;
    info.progress = &progress.manager;
    info.mem->max_memory_to_use = 1024L << 20;
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    jpeg_read_header(&info, TRUE);
    if (info.image_width != width || info.image_height != height) {
        std::snprintf(errors.message, sizeof errors.message, "JPEG frame of another size than its header");
        jpeg_destroy_decompress(&info);
        return false;
    }
    if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK) {
        std::snprintf(errors.message, sizeof errors.message, "CMYK JPEG not read");
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_EXT_RGBA;
    // Decoding at 1/2, 1/4 or 1/8 skips most of the work for a picture that
    // is scaled down afterwards anyway.
    info.scale_num = 1;
    info.scale_denom = 1;
    for (unsigned denominator = 8; denominator > 1 && limits.minWidth > 0; denominator /= 2) {
        if ((width + denominator - 1) / denominator >= limits.minWidth) {
            info.scale_denom = denominator;
            break;
        }
    }
    jpeg_start_decompress(&info);
    if (info.output_width > width || info.output_height > height || info.output_components != 4) {
        std::snprintf(errors.message, sizeof errors.message, "unexpected JPEG output");
        jpeg_destroy_decompress(&info);
        return false;
    }
    picture.width = info.output_width;
    picture.height = info.output_height;
    picture.pixels.resize(size_t(picture.width) * picture.height * 4);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = picture.pixels.data() + size_t(info.output_scanline) * picture.width * 4;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

DecodedPicture DecodeJpeg(const std::string& bytes, unsigned width, unsigned height, const PictureLimits& limits) {
    DecodedPicture picture;
    JpegErrors errors;
    if (!DecodeJpegInto(bytes, width, height, limits, picture, errors)) return Damaged(errors.message);
    return picture;
}

}  // namespace

DecodedPicture PlatformDecodePicture(const std::string& fileBytes, PictureKind kind, unsigned width, unsigned height,
                                     const PictureLimits& limits) {
    switch (kind) {
        case PictureKind::Png: return DecodePng(fileBytes, width, height);
        case PictureKind::Jpeg: return DecodeJpeg(fileBytes, width, height, limits);
        case PictureKind::Bmp: return DecodeBmp(fileBytes, width, height);
        case PictureKind::Unknown: break;
    }
    return Damaged("unknown kind");
}
