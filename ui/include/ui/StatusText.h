#pragma once
// The status line after each generation, in the window's language: what the symbol holds,
// what each reader makes of the picture that a save writes, and advice when it helps.

#include <QString>
#include <QStringList>

#include "common/SymbolJob.h"
#include "encoder/clsQRCode.h"

namespace qrdesk {

// Up to three lines, for example
//   "3-M · 掩码 0 · 字节 27 · 数字 5 · 数据 259 / 352 位"
//   "zxing-cpp：读取正确 · zbar：显示为“https://example.org/莠ｧ?id=12345”"
//   "建议：将文本编码改为“UTF-8+ECI”后重新生成。"
// The third comes only when a reader does not show the text as typed: the advice that was
// tried, the window's own choices first, or what was tried in vain.
QStringList StatusLines(const SymbolResult& symbol);

// The figures for data that do not fit the options, one line: what they need, what the
// chosen symbol holds, and a choice that holds them when there is one, for example
//   "需要 20,676 位，40-M 最多 18,672 位；选择 L 可容纳"
//   "需要 1,732 位，10-M 最多 1,728 位；选择版本 11 可容纳"
QString TooLongFigures(const FitFigures& fit);

// "数字", "字母数字", "字节", "汉字", "ECI".
QString ModeCaption(clsQRCode::Mode mode);

// A reader's text on one line and at most 40 characters long, for quoting.
QString QuoteReaderText(const QString& text);

}  // namespace qrdesk
