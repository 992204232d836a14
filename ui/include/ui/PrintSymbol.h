#pragma once
// The symbol on paper (or any paint device): whole device pixels per module, so that every
// module of a printed symbol is the same size, at the physical width the user asked for.

#include <QPoint>

#include "common/Image.h"

class QPainter;

namespace qrdesk {

// The quiet zone printed around the symbol, in modules.
inline constexpr int kPrintQuietZone = kQuietZone;

// Device pixels per module for modulesAcross modules (quiet zone included) to come out
// widthMm wide at dotsPerInch: the whole number nearest to that, at least 1, and at most
// what fits into roomPixels (when that is positive).
int ModulePixels(double widthMm, double dotsPerInch, int modulesAcross, int roomPixels = 0);

// Paints the modules with the quiet zone, modulePixels device pixels per module, from origin
// (the quiet zone's top-left corner) in the painter's device pixels: light as white, dark as
// black. Returns the side in device pixels.
int PaintSymbol(QPainter& painter, const Modules& modules, int modulePixels, QPoint origin);

}  // namespace qrdesk
