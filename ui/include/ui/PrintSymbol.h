#pragma once
// The symbol on paper (or any paint device): whole device pixels per module, so that every
// module of a printed symbol is the same size, at the physical width the user asked for.

#include <QPoint>
#include <QRect>

#include "common/Image.h"
#include "common/Logo.h"

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

// Paints a logo over a symbol PaintSymbol painted with the same modulePixels and origin: its
// box white, the logo inside the pad as large as fits with its proportions kept, smoothed
// (a printer's pixels are far smaller than the logo's).
void PaintLogo(QPainter& painter, const LogoBox& box, const LogoImage& logo, int modulePixels,
               QPoint origin);

// Where a symbol of side device pixels goes on paper (both in device pixels, the printable
// area within the paper) to be centred on it, as an origin for PaintSymbol, which paints from
// the printable area's corner. Where uneven margins would put part of it outside the printable
// area, it is moved in; a symbol larger than that area starts at its corner.
QPoint CentredOrigin(const QRect& paper, const QRect& printable, int side);

}  // namespace qrdesk
