#pragma once
// The --logo file read and decoded for the symbol job: PNG and JPEG by common/, SVG drawn by
// the module qrdesk-svglogo, loaded only for an SVG logo (librsvg brings cairo, pango and
// glib, which no other run needs).

#include <memory>
#include <string>

#include "common/Logo.h"

namespace qrdesk::cli {

// The logo of the regular file at path (at most kMaxLogoFileBytes); nullptr with *error (one
// line) when it cannot be read or drawn.
std::shared_ptr<const LoadedLogo> ReadLogoFile(const std::string& path, std::string* error);

}  // namespace qrdesk::cli
