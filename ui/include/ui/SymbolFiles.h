#pragma once
// The files the save command writes: the formats its dialog offers, the name each gets, the
// bytes, and why a write failed, in the window's language.

#include <QString>
#include <string>

#include "common/Image.h"

namespace qrdesk {

enum class SaveFormat { Bmp, Png, Svg };

// The save dialog's filter, "|"-separated: the bitmap first, then PNG and SVG.
QString SaveFilter();

// The format of the dialog's filter 1..3; the bitmap for any other index.
SaveFormat SaveFormatFromFilter(int filterIndex);

// "bmp", "png", "svg".
const char* SaveExtension(SaveFormat format);

// The path written for the path chosen in the dialog: the file name (not its folders) in
// lower case, with ".bmp" (".png", ".svg") appended unless it already ends so.
QString SavePath(const QString& chosenPath, SaveFormat format);

// The file: the shown picture as a BMP or PNG, pixel for pixel; or the modules as an SVG of
// whole modules with a four-module quiet zone, picture.width pixels wide.
std::string EncodeSymbolFile(SaveFormat format, const Image& picture, const Modules& modules);

// The errno a write of path meets as the file system stands (a missing folder, a read-only
// one, a folder of that name), for writers that give none; 0 when none is seen.
int WriteErrno(const QString& path);

// Why writing path failed, for errno (0 when the writer gave none) and the writer's own
// text: the common causes in Chinese, the writer's text for the rest.
QString SaveFailureReason(const QString& path, int errnoValue, const std::string& reason);

}  // namespace qrdesk
