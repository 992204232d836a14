// The formats read through their libraries: PNG (libspng: bounds-checked, decodes a row at a
// time), JPEG (libjpeg-turbo: grey output straight from the luma, a cap on its memory), WebP
// (libwebp: the luma plane written straight into the picture) and GIF (giflib, one line at a
// time). Each reads the size first and decodes a row at a time into the grey picture, so the
// memory is the picture and a row or two.

#include <gif_lib.h>
#include <spng.h>
#include <webp/decode.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include "ImageFormats.h"

namespace qrdesk::image {
namespace {

// ---- PNG

// Adam7's passes: first column and row, and their steps; a row of a pass holds the pixels
// of that row at these columns only.
constexpr int kPassX[7] = {0, 4, 0, 2, 0, 1, 0}, kPassDx[7] = {8, 8, 4, 4, 2, 2, 1};

std::string PngError(int code) {
    return std::string("PNG: ") + spng_strerror(code);
}

}  // namespace

DecodedImage DecodePng(Bytes file, const ImageLimits& limits) {
    const std::unique_ptr<spng_ctx, void (*)(spng_ctx*)> context(spng_ctx_new(0), spng_ctx_free);
    spng_ctx* png = context.get();
    if (!png) return Failure("PNG: out of memory");
    // libspng takes no pointer to const; it only reads the buffer.
    int error = spng_set_png_buffer(png, const_cast<std::uint8_t*>(file.data()), file.size());
    // Ancillary chunks are not needed; a compressed one may not unpack to more than this.
    constexpr std::size_t kChunkCache = std::size_t{16} << 20;
    if (!error)
        error =
            spng_set_chunk_limits(png, file.size(), std::min(kChunkCache, limits.maxDecoderBytes));
    spng_ihdr header{};
    if (!error) error = spng_get_ihdr(png, &header);
    if (error) return Failure(PngError(error));
    DecodedImage out = Allocate(header.width, header.height, limits, "PNG");
    if (!out.Ok()) return out;
    // libspng's own limit too, so that nothing it does by itself goes past ours.
    spng_set_image_limits(png, header.width, header.height);
    error = spng_decode_image(png, nullptr, 0, SPNG_FMT_RGBA8,
                              SPNG_DECODE_TRNS | SPNG_DECODE_PROGRESSIVE);
    if (error) return Failure(PngError(error));
    const std::size_t width = header.width;
    std::vector<std::uint8_t> row(4 * width);
    spng_row_info info{};
    do {
        error = spng_get_row_info(png, &info);
        if (error) break;
        error = spng_decode_row(png, row.data(), row.size());
        if (error && error != SPNG_EOI) break;
        // An interlaced pass fills only its own columns of the row.
        const bool interlaced = header.interlace_method != 0;
        const std::size_t first = interlaced ? kPassX[info.pass] : 0;
        const std::size_t step = interlaced ? kPassDx[info.pass] : 1;
        std::uint8_t* grey = out.image.pixels.data() + info.row_num * width;
        for (std::size_t x = first; x < width; x += step) {
            const std::uint8_t* p = &row[4 * x];
            grey[x] = OnWhite(GreyOf(p[0], p[1], p[2]), p[3]);
        }
    } while (!error);
    if (error != SPNG_EOI) return Failure(PngError(error));
    return out;
}

// ---- JPEG

namespace {

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void JpegExit(j_common_ptr info) {
    auto* error = reinterpret_cast<JpegError*>(info->err);
    (*info->err->format_message)(info, error->message);
    std::longjmp(error->jump, 1);
}

void JpegWarning(j_common_ptr, int) {}  // damaged data is still shown, as viewers do

// A progressive file may repeat scans without end, each a pass over the whole picture; real
// files have a dozen. libjpeg-turbo's own tools stop at 500.
constexpr int kMaxScans = 500;

void JpegProgress(j_common_ptr info) {
    if (info->is_decompressor &&
        reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans) {
        std::snprintf(reinterpret_cast<JpegError*>(info->err)->message, JMSG_LENGTH_MAX,
                      "more than %d scans", kMaxScans);
        std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
    }
}

// What the decoding touches lives outside the function that calls setjmp: a longjmp back
// into it leaves no object of its own half-changed or undestroyed.
struct JpegJob {
    jpeg_decompress_struct info{};
    JpegError error{};
    jpeg_progress_mgr progress{};
    DecodedImage out;
    std::vector<JSAMPLE> row;
};

// Decodes into job.out; false with job.error.message set when libjpeg gave up.
bool RunJpeg(JpegJob& job, Bytes file, const ImageLimits& limits) {
    jpeg_decompress_struct& info = job.info;
    info.err = jpeg_std_error(&job.error.manager);
    job.error.manager.error_exit = JpegExit;
    job.error.manager.emit_message = JpegWarning;
    if (setjmp(job.error.jump)) return false;
    jpeg_create_decompress(&info);
    info.mem->max_memory_to_use = static_cast<long>(limits.maxDecoderBytes);
    job.progress.progress_monitor = JpegProgress;
    info.progress = &job.progress;
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    job.out = Allocate(info.image_width, info.image_height, limits, "JPEG");
    if (!job.out.Ok()) return true;
    // Grey straight from the luma; CMYK has none and is converted here.
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_GRAYSCALE;
    jpeg_start_decompress(&info);
    job.row.resize(static_cast<std::size_t>(info.output_width) * info.output_components);
    while (info.output_scanline < info.output_height) {
        std::uint8_t* grey = job.out.image.pixels.data() +
                             static_cast<std::size_t>(info.output_scanline) * info.output_width;
        JSAMPROW rows[1] = {job.row.data()};
        jpeg_read_scanlines(&info, rows, 1);
        if (!cmyk) {
            std::memcpy(grey, job.row.data(), info.output_width);
            continue;
        }
        // Adobe's CMYK JPEGs store the inks inverted: 255 is no ink.
        for (JDIMENSION x = 0; x < info.output_width; ++x) {
            const JSAMPLE* p = &job.row[4 * static_cast<std::size_t>(x)];
            grey[x] = GreyOf(p[0] * p[3] / 255, p[1] * p[3] / 255, p[2] * p[3] / 255);
        }
    }
    jpeg_finish_decompress(&info);
    return true;
}

}  // namespace

DecodedImage DecodeJpeg(Bytes file, const ImageLimits& limits) {
    const auto job = std::make_unique<JpegJob>();
    // libjpeg's memory is released however the decoding ends, a failed allocation of the
    // row or the picture included (destroying a struct never created does nothing).
    struct Destroy {
        jpeg_decompress_struct& info;
        ~Destroy() { jpeg_destroy_decompress(&info); }
    } destroy{job->info};
    if (!RunJpeg(*job, file, limits)) return Failure(std::string("JPEG: ") + job->error.message);
    return std::move(job->out);
}

// ---- WebP

DecodedImage DecodeWebp(Bytes file, const ImageLimits& limits) {
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) return Failure("WebP: this libwebp does not fit");
    if (WebPGetFeatures(file.data(), file.size(), &config.input) != VP8_STATUS_OK)
        return Failure("WebP: damaged or cut short");
    if (config.input.has_animation) return Failure("WebP: animated pictures are not read");
    const int width = config.input.width, height = config.input.height;
    DecodedImage out = Allocate(width, height, limits, "WebP");
    if (!out.Ok()) return out;
    // Luma into the picture itself; chroma (a quarter each) and alpha beside it.
    const std::size_t pixels = out.image.pixels.size();
    const int chromaWidth = (width + 1) / 2;
    const std::size_t chroma = static_cast<std::size_t>(chromaWidth) * ((height + 1) / 2);
    std::vector<std::uint8_t> u(chroma), v(chroma), alpha(config.input.has_alpha ? pixels : 0);
    WebPYUVABuffer& yuva = config.output.u.YUVA;
    config.output.colorspace = config.input.has_alpha ? MODE_YUVA : MODE_YUV;
    config.output.is_external_memory = 1;
    yuva.y = out.image.pixels.data();
    yuva.y_stride = width;
    yuva.y_size = pixels;
    yuva.u = u.data();
    yuva.v = v.data();
    yuva.u_stride = yuva.v_stride = chromaWidth;
    yuva.u_size = yuva.v_size = chroma;
    yuva.a = alpha.empty() ? nullptr : alpha.data();
    yuva.a_stride = alpha.empty() ? 0 : width;
    yuva.a_size = alpha.size();
    const VP8StatusCode status = WebPDecode(file.data(), file.size(), &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK) return Failure("WebP: damaged or cut short");
    // Studio-range luma (16 black .. 235 white) to the full range.
    for (std::size_t i = 0; i < pixels; ++i) {
        const int y = std::clamp((out.image.pixels[i] - 16) * 255 / 219, 0, 255);
        out.image.pixels[i] = alpha.empty() ? static_cast<std::uint8_t>(y) : OnWhite(y, alpha[i]);
    }
    return out;
}

// ---- GIF

namespace {

struct GifSource {
    Bytes file;
    std::size_t at = 0;
};

int ReadGif(GifFileType* gif, GifByteType* into, int count) {
    auto* source = static_cast<GifSource*>(gif->UserData);
    const std::size_t n =
        std::min(static_cast<std::size_t>(std::max(count, 0)), source->file.size() - source->at);
    std::memcpy(into, source->file.data() + source->at, n);
    source->at += n;
    return static_cast<int>(n);
}

std::string GifError(int code) {
    const char* text = GifErrorString(code);
    return std::string("GIF: ") + (text ? text : "damaged");
}

// The transparent colour index of a graphic control extension, or -1.
int TransparentIndex(const GifByteType* block) {
    return block[0] >= 4 && (block[1] & 1) ? block[4] : -1;
}

}  // namespace

// The first frame, laid on white where it is transparent or does not reach.
DecodedImage DecodeGif(Bytes file, const ImageLimits& limits) {
    GifSource source{file};
    int error = 0;
    const std::unique_ptr<GifFileType, void (*)(GifFileType*)> handle(
        DGifOpen(&source, ReadGif, &error), [](GifFileType* g) { DGifCloseFile(g, nullptr); });
    GifFileType* gif = handle.get();
    if (!gif) return Failure(GifError(error));
    DecodedImage out = Allocate(gif->SWidth, gif->SHeight, limits, "GIF");
    if (!out.Ok()) return out;
    int transparent = -1;
    for (GifRecordType record = UNDEFINED_RECORD_TYPE; record != TERMINATE_RECORD_TYPE;) {
        if (DGifGetRecordType(gif, &record) == GIF_ERROR) return Failure(GifError(gif->Error));
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
                return Failure(GifError(gif->Error));
            if (code == GRAPHICS_EXT_FUNC_CODE && block) transparent = TransparentIndex(block);
            while (block)
                if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
                    return Failure(GifError(gif->Error));
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE) continue;
        if (DGifGetImageDesc(gif) == GIF_ERROR) return Failure(GifError(gif->Error));
        const GifImageDesc& frame = gif->Image;
        const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
        if (!map || frame.Width <= 0 || frame.Height <= 0)
            return Failure("GIF: a frame without colours or pixels");
        // Every line of a frame is decoded, also where it reaches past the screen.
        if (std::int64_t{frame.Width} * frame.Height > limits.maxPixels)
            return Failure("GIF: a frame of " + std::to_string(frame.Width) + " x " +
                           std::to_string(frame.Height) + " pixels is larger than " +
                           std::to_string(limits.maxPixels) + " pixels");
        std::uint8_t grey[256];
        std::fill_n(grey, 256, 255);  // indices past the map: white
        for (int i = 0; i < std::min(map->ColorCount, 256); ++i)
            grey[i] = GreyOf(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue);
        if (transparent >= 0) grey[transparent] = 255;
        // Interlaced frames send rows 0, 8, ... then 4, 12, ... then 2, 6, ... then 1, 3, ...
        constexpr int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
        std::vector<GifPixelType> line(static_cast<std::size_t>(frame.Width));
        for (int pass = 0; pass < (frame.Interlace ? 4 : 1); ++pass) {
            const int start = frame.Interlace ? kStart[pass] : 0;
            const int step = frame.Interlace ? kStep[pass] : 1;
            for (int y = start; y < frame.Height; y += step) {
                if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR)
                    return Failure(GifError(gif->Error));
                const int row = frame.Top + y;
                if (row < 0 || row >= out.image.height) continue;
                std::uint8_t* target =
                    out.image.pixels.data() + static_cast<std::size_t>(row) * out.image.width;
                // A frame may reach past the screen; what lies outside is not shown.
                for (int x = std::max(0, -frame.Left);
                     x < frame.Width && frame.Left + x < out.image.width; ++x)
                    target[frame.Left + x] = grey[line[x]];
            }
        }
        return out;
    }
    return Failure("GIF: no frame");
}

}  // namespace qrdesk::image
