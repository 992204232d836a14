#pragma once
// Symbol images read back with zxing-cpp, as a scanner would read them: Qt's images (what the
// window shows and copies), common's palette images, and image files of any format Qt reads.

#include <QByteArray>
#include <QImage>
#include <optional>

#include "common/Image.h"
#include "support/ZxingDecode.h"

// nullopt when no QR Code is found (an empty image included).
std::optional<DecodedSymbol> DecodeImage(const QImage& image);
std::optional<DecodedSymbol> DecodeImage(const qrdesk::Image& image);
std::optional<DecodedSymbol> DecodeFile(const QByteArray& contents);

// An SVG file drawn by an independent renderer (rsvg-convert, package librsvg2-bin) at
// pixels x pixels; a null image when it cannot be drawn.
QImage RenderSvg(const QByteArray& svg, int pixels);

// The payload as read, before any text decoding; empty when nothing was read.
QByteArray DecodedBytes(const std::optional<DecodedSymbol>& symbol);
