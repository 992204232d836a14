#include "svglogo/SvgLogo.h"

#include <cairo.h>
#include <librsvg/rsvg.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

int Fail(const char* reason, char* error, std::size_t errorSize) {
    if (error && errorSize > 0) {
        std::strncpy(error, reason, errorSize - 1);
        error[errorSize - 1] = '\0';
    }
    return -1;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int qrdesk_svglogo_version() {
    return kSvgLogoVersion;
}

extern "C" __attribute__((visibility("default"))) int qrdesk_svglogo_draw(
    const char* data, std::size_t size, int maxSide, std::uint32_t* pixels, int* width, int* height,
    char* error, std::size_t errorSize) {
    if (!data || !pixels || !width || !height || maxSide < 1)
        return Fail("bad arguments", error, errorSize);
    GError* failure = nullptr;
    // From bytes, with no base file: references to other files cannot be resolved.
    const std::unique_ptr<RsvgHandle, void (*)(gpointer)> handle(
        rsvg_handle_new_from_data(reinterpret_cast<const guint8*>(data), size, &failure),
        g_object_unref);
    if (!handle) {
        const int result =
            Fail(failure ? failure->message : "not an SVG document", error, errorSize);
        if (failure) g_error_free(failure);
        return result;
    }
    // The natural size, else the view box's proportions.
    gdouble naturalWidth = 0, naturalHeight = 0;
    if (!rsvg_handle_get_intrinsic_size_in_pixels(handle.get(), &naturalWidth, &naturalHeight)) {
        gboolean hasViewBox = FALSE;
        RsvgRectangle viewBox{};
        rsvg_handle_get_intrinsic_dimensions(handle.get(), nullptr, nullptr, nullptr, nullptr,
                                             &hasViewBox, &viewBox);
        if (hasViewBox) naturalWidth = viewBox.width, naturalHeight = viewBox.height;
    }
    if (!(naturalWidth > 0) || !(naturalHeight > 0))
        return Fail("the SVG document has no size and no view box", error, errorSize);
    const double scale = std::min(maxSide / naturalWidth, maxSide / naturalHeight);
    const int w = std::clamp(static_cast<int>(std::lround(naturalWidth * scale)), 1, maxSide);
    const int h = std::clamp(static_cast<int>(std::lround(naturalHeight * scale)), 1, maxSide);
    const std::unique_ptr<cairo_surface_t, void (*)(cairo_surface_t*)> surface(
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h), cairo_surface_destroy);
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return Fail("out of memory", error, errorSize);
    const std::unique_ptr<cairo_t, void (*)(cairo_t*)> cairo(cairo_create(surface.get()),
                                                             cairo_destroy);
    const RsvgRectangle viewport{0, 0, static_cast<double>(w), static_cast<double>(h)};
    if (!rsvg_handle_render_document(handle.get(), cairo.get(), &viewport, &failure)) {
        const int result =
            Fail(failure ? failure->message : "cannot draw the SVG document", error, errorSize);
        if (failure) g_error_free(failure);
        return result;
    }
    cairo_surface_flush(surface.get());
    // cairo's pixels are premultiplied, native-endian 0xAARRGGBB words.
    const unsigned char* rows = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < h; ++y) {
        const auto* row =
            reinterpret_cast<const std::uint32_t*>(rows + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = row[x], a = p >> 24;
            std::uint32_t out = p & 0xFF000000u;
            if (a != 0)
                for (int shift = 0; shift < 24; shift += 8)
                    out |= std::min<std::uint32_t>(255, ((p >> shift & 0xFF) * 255 + a / 2) / a)
                           << shift;
            pixels[static_cast<std::size_t>(y) * w + x] = out;
        }
    }
    *width = w;
    *height = h;
    return 0;
}
