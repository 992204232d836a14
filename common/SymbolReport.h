#pragma once
// The report shown after each generation: what the symbol holds (version, level, mask,
// segments, bits of the capacity), whether the picture to be saved reads back as the encoded
// bytes, and what a reader will show. The window's status line and the command line's --info
// both print it.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "common/ReadBack.h"
#include "common/SymbolImage.h"
#include "common/SymbolInfo.h"
#include "common/TextBytes.h"
#include "encoder/clsQRCode.h"
#include "render/Picture.h"

namespace qrdesk {

// The window's size options: "小图", "中图", "大图", Picture1's edge for each.
inline constexpr int kSizeOptionPixels[3] = {200, 400, 600};
// The option's caption for 200, 400 or 600; nullptr for other sizes.
const char* SizeOptionName(int pixels);

// A symbol and the description of what it holds, made together. This is the only place that
// asks where the description comes from, so its source can change without touching the
// window, the command line or the read-back.
struct EncodedSymbol {
    std::shared_ptr<Picture> picture;  // null when the data do not fit
    std::optional<SymbolInfo> info;    // set with every picture
};
EncodedSymbol EncodeSymbol(clsQRCode& encoder, const QByteArray& bytes,
                           const SymbolOptions& options, bool kanjiAllowed);

struct SymbolReport {
    SymbolInfo symbol;
    int size = 0;  // edge in pixels of the picture read back (the one that is saved)
    ReadBack readBack;
    // When that picture does not read: the smallest larger size option whose picture reads
    // back as the encoded bytes; 0 when none does.
    int readableSize = 0;
};

// Reads saved (the picture the save command writes) back against bytes; when it does not
// read, stretches unscaled (one pixel per module) to each larger size option in turn to
// find one that does.
SymbolReport CheckSymbol(const SymbolInfo& symbol, const QByteArray& bytes, const QImage& unscaled,
                         const QImage& saved);

// The report as text lines, in the window's language: first what was made and the verdict,
// for example "7-M · 掩码 0 · 字节 12 · 数字 30 · 数据 160 / 1056 位 · 可识别"; then, when
// there is something to warn about, one more line: the picture does not read at its size
// (naming the size option that does), or a reader will show something other than typed
// (suggesting "UTF-8" for text converted to the legacy code page).
QStringList ReportLines(const SymbolReport& report, const QString& typed, TextEncoding encoding);

// "数字", "字母数字", "字节", "汉字".
const char* ModeCaption(clsQRCode::Mode mode);

}  // namespace qrdesk
