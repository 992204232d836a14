#pragma once
// SVG logos drawn for the command line, which links no drawing library of its own: librsvg
// (with cairo, pango and glib behind it) loads as the module qrdesk-svglogo only when a logo
// is an SVG file. A plain C interface with caller-owned buffers, so that nothing of either
// side's C++ library crosses it.

#include <cstddef>
#include <cstdint>

extern "C" {

// The interface's version: a module of another version is not used.
inline constexpr int kSvgLogoVersion = 1;
inline constexpr const char* kSvgLogoModule = "qrdesk-svglogo.so";
inline constexpr const char* kSvgLogoVersionEntry = "qrdesk_svglogo_version";
inline constexpr const char* kSvgLogoDrawEntry = "qrdesk_svglogo_draw";

int qrdesk_svglogo_version();

// Draws the SVG document of size bytes at data as large as fits into maxSide x maxSide pixels
// with its proportions kept, into pixels (room for maxSide * maxSide values, 0xAARRGGBB, alpha
// not premultiplied, row by row); sets *width and *height. Returns 0; on failure -1 with a
// reason of at most errorSize - 1 bytes in error (NUL-terminated). External files the
// document names are not read: only the bytes given are drawn.
int qrdesk_svglogo_draw(const char* data, std::size_t size, int maxSide, std::uint32_t* pixels,
                        int* width, int* height, char* error, std::size_t errorSize);
}
