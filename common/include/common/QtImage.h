#pragma once
// The only part of common/ that needs Qt: images for Qt's widgets and clipboard, and the PNG
// file through Qt's writer.

#include <QImage>
#include <string>

#include "common/Image.h"

namespace qrdesk {

// The image as a 32-bit RGB QImage, pixel for pixel; a null QImage for an empty one.
QImage ToQImage(const Image& image);

// A PNG file of the image, through Qt's writer; empty on failure.
std::string EncodePng(const Image& image);

}  // namespace qrdesk
