#include "common/SymbolReport.h"

namespace qrdesk {
namespace {

// How much of a reader's text the report quotes.
constexpr qsizetype kQuotedCharacters = 40;

// The reader's text on one line and at most kQuotedCharacters long.
QString Quote(const QString& text) {
    QString line;
    for (const QChar c : text.left(kQuotedCharacters)) {
        if (c == '\n')
            line += QChar(0x21B5);  // a visible line break
        else
            line += c.isPrint() ? c : QChar(' ');
    }
    if (text.size() > kQuotedCharacters) line += QChar(0x2026);
    return line;
}

QString MadeLine(const SymbolInfo& symbol) {
    QStringList parts;
    parts << QStringLiteral("%1-%2").arg(symbol.version).arg(LevelName(symbol.level));
    parts << QStringLiteral("掩码 %1").arg(symbol.mask);
    for (const SegmentInfo& s : symbol.segments)
        parts << QStringLiteral("%1 %2").arg(QString::fromUtf8(ModeCaption(s.mode))).arg(s.length);
    parts << QStringLiteral("数据 %1 / %2 位").arg(symbol.dataBits).arg(symbol.capacityBits);
    return parts.join(QStringLiteral(" · "));
}

}  // namespace

const char* SizeOptionName(int pixels) {
    switch (pixels) {
        case 200:
            return "小图";
        case 400:
            return "中图";
        case 600:
            return "大图";
        default:
            return nullptr;
    }
}

EncodedSymbol EncodeSymbol(clsQRCode& encoder, const QByteArray& bytes,
                           const SymbolOptions& options, bool kanjiAllowed) {
    EncodedSymbol out;
    clsQRCode::EncodeReport report;
    out.picture = EncodeBytes(encoder, bytes, options, kanjiAllowed, &report);
    if (out.picture) out.info = ToSymbolInfo(report);
    return out;
}

SymbolReport CheckSymbol(const SymbolInfo& symbol, const QByteArray& bytes, const QImage& unscaled,
                         const QImage& saved) {
    SymbolReport report;
    report.symbol = symbol;
    report.size = saved.width();
    report.readBack = ReadBackImage(saved, bytes);
    if (report.readBack.verdict == ReadBackVerdict::Readable || unscaled.isNull()) return report;
    // A larger picture is not always better (nearest-neighbour stretching makes modules of
    // uneven width), so each larger option is tried.
    for (const int size : kSizeOptionPixels) {
        if (size <= report.size) continue;
        if (ReadBackImage(StretchImage(unscaled, size, size), bytes).verdict ==
            ReadBackVerdict::Readable) {
            report.readableSize = size;
            break;
        }
    }
    return report;
}

QStringList ReportLines(const SymbolReport& report, const QString& typed, TextEncoding encoding) {
    const ReadBack& read = report.readBack;
    QString verdict;
    QString warning;
    switch (read.verdict) {
        case ReadBackVerdict::Readable:
            verdict = QStringLiteral("可识别");
            if (read.readerText != typed) {
                warning = read.readerText.isEmpty()
                              ? QStringLiteral("注意：常见扫码器读出的文字为空，与输入的文本不同")
                              : QStringLiteral("注意：常见扫码器将显示“%1”，与输入的文本不同")
                                    .arg(Quote(read.readerText));
                warning += encoding == TextEncoding::Ansi
                               ? QStringLiteral("；请将文本编码改为“UTF-8”后重新生成。")
                               : QStringLiteral("。");
            }
            break;
        case ReadBackVerdict::Unreadable:
            verdict = QStringLiteral("%1 像素无法识别").arg(report.size);
            warning = QStringLiteral("警告：%1 像素的图片无法识别").arg(report.size);
            if (report.readableSize != 0) {
                const char* name = SizeOptionName(report.readableSize);
                warning += QStringLiteral("，请选择“%1”（%2 像素）后重新生成。")
                               .arg(QString::fromUtf8(name ? name : ""))
                               .arg(report.readableSize);
            } else {
                warning += QStringLiteral("，更大的尺寸也无法识别；请缩短文本或降低纠错等级。");
            }
            break;
        case ReadBackVerdict::Mismatch:
            verdict = QStringLiteral("读出的数据不符");
            warning = QStringLiteral("警告：从图片读出的数据与编码的数据不一致。");
            break;
    }
    QStringList lines{MadeLine(report.symbol) + QStringLiteral(" · ") + verdict};
    if (!warning.isEmpty()) lines << warning;
    return lines;
}

const char* ModeCaption(clsQRCode::Mode mode) {
    switch (mode) {
        case clsQRCode::ModeNumeric:
            return "数字";
        case clsQRCode::ModeAlphanumeric:
            return "字母数字";
        case clsQRCode::ModeKanji:
            return "汉字";
        default:
            return "字节";
    }
}

}  // namespace qrdesk
