#pragma once
// Images for Qt's widgets and clipboard.

#include <QImage>

#include "common/Image.h"

namespace qrdesk {

// The image as a 32-bit RGB QImage, pixel for pixel; a null QImage for an empty one.
QImage ToQImage(const Image& image);

}  // namespace qrdesk
