#pragma once
// The report shown after each generation, in the window's language: what the symbol holds
// (version, level, mask, segments, bits of the capacity), whether the picture to be saved
// reads back as the encoded bytes, and what a reader will show. The window's status line and
// the command line's --info both print it.

#include <string>
#include <string_view>
#include <vector>

#include "common/ReadBack.h"
#include "common/TextBytes.h"
#include "encoder/clsQRCode.h"

namespace qrdesk {

// The window's size options: "小图", "中图", "大图", Picture1's edge for each; the report
// names the one to choose.
inline constexpr int kSizeOptionPixels[3] = {200, 400, 600};
// The option's caption for 200, 400 or 600; nullptr for other sizes.
const char* SizeOptionName(int pixels);

// "数字", "字母数字", "字节", "汉字".
const char* ModeCaption(clsQRCode::Mode mode);

// The report as UTF-8 lines: first what was made and the verdict, for example
// "7-M · 掩码 0 · 字节 12 · 数字 30 · 数据 160 / 1056 位 · 可识别"; then, when there is something
// to warn about, one more line: the picture does not read at its size (naming the size
// option that does), or a reader will show something other than typed (suggesting "UTF-8"
// for text converted to the legacy code page). typed is the text as UTF-8.
std::vector<std::string> ReportLines(const clsQRCode::EncodeReport& symbol,
                                     const SymbolCheck& check, std::string_view typed,
                                     TextEncoding encoding);

}  // namespace qrdesk
