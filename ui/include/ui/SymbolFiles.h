#pragma once
// The files the save command writes: the formats its dialog offers, the name each gets, the
// bytes, and why a write failed, in the window's language.

#include <QString>
#include <string>

#include "common/SymbolJob.h"

namespace qrdesk {

// The save dialog's filter, "|"-separated: the bitmap first, then PNG and SVG.
QString SaveFilter();

// The format of the dialog's filter 1..3; the bitmap for any other index.
FileFormat SaveFormatFromFilter(int filterIndex);

// "bmp", "png", "svg".
const char* SaveExtension(FileFormat format);

// The path written for the path chosen in the dialog: the file name (not its folders) in
// lower case, with ".bmp" (".png", ".svg") appended unless it already ends so.
QString SavePath(const QString& chosenPath, FileFormat format);

// The errno a write of path meets as the file system stands (a missing folder, a read-only
// one, a folder of that name), for writers that give none; 0 when none is seen.
int WriteErrno(const QString& path);

// Why writing path failed, for errno (0 when the writer gave none) and the writer's own
// text: the common causes in Chinese, the writer's text for the rest.
QString SaveFailureReason(const QString& path, int errnoValue, const std::string& reason);

}  // namespace qrdesk
