#include "common/Report.h"

#include "common/Symbol.h"

namespace qrdesk {
namespace {

// How much of a reader's text the report quotes, in UTF-16 code units.
constexpr std::size_t kQuotedUnits = 40;

// Controls and the invisible format characters are shown as blanks.
bool Printable(char32_t c) {
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) return false;
    if (c == 0xAD || (c >= 0x200B && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) ||
        (c >= 0x2060 && c <= 0x206F) || c == 0xFEFF || (c >= 0xFFF9 && c <= 0xFFFB))
        return false;
    if ((c >= 0xE000 && c <= 0xF8FF) || c >= 0xF0000) return false;  // private use
    return (c & 0xFFFE) != 0xFFFE;                                   // noncharacters
}

// The reader's text on one line and at most kQuotedUnits long.
std::string Quote(std::string_view text) {
    const std::u16string units = DecodeUtf8(text).value_or(std::u16string());
    std::u16string line;
    for (std::size_t i = 0; i < units.size() && i < kQuotedUnits; ++i) {
        char16_t c = units[i];
        if (c == u'\n') {
            line += u'\u21B5';  // a visible line break
            continue;
        }
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && i + 1 < kQuotedUnits) {
            const char32_t full =
                0x10000 + ((char32_t{c} - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            if (Printable(full)) {
                line += c;
                line += units[++i];
            } else {
                line += u"  ";
                ++i;
            }
            continue;
        }
        line += (c >= 0xD800 && c <= 0xDFFF) || !Printable(c) ? u' ' : c;
    }
    if (units.size() > kQuotedUnits) line += u'\u2026';
    return TextToBytes(line, TextEncoding::Utf8, "").value_or(std::string());
}

std::string MadeLine(const clsQRCode::EncodeReport& symbol) {
    std::string line = std::to_string(symbol.version) + "-" + LevelName(symbol.level);
    line += " · 掩码 " + std::to_string(symbol.mask);
    for (const auto& s : symbol.segments)
        line += std::string(" · ") + ModeCaption(s.mode) + " " + std::to_string(s.length);
    line += " · 数据 " + std::to_string(symbol.dataBits) + " / " +
            std::to_string(symbol.capacityBits) + " 位";
    return line;
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

std::vector<std::string> ReportLines(const clsQRCode::EncodeReport& symbol,
                                     const SymbolCheck& check, std::string_view typed,
                                     TextEncoding encoding) {
    const ReadBack& read = check.readBack;
    const std::string size = std::to_string(check.size);
    std::string verdict, warning;
    switch (read.verdict) {
        case ReadBackVerdict::Readable:
            verdict = "可识别";
            if (read.readerText != typed) {
                warning = read.readerText.empty()
                              ? "注意：常见扫码器读出的文字为空，与输入的文本不同"
                              : "注意：常见扫码器将显示“" + Quote(read.readerText) +
                                    "”，与输入的文本不同";
                warning +=
                    encoding == TextEncoding::Ansi ? "；请将文本编码改为“UTF-8”后重新生成。" : "。";
            }
            break;
        case ReadBackVerdict::Unreadable:
            verdict = size + " 像素无法识别";
            warning = "警告：" + size + " 像素的图片无法识别";
            if (check.readableSize != 0) {
                const char* name = SizeOptionName(check.readableSize);
                warning += std::string("，请选择“") + (name ? name : "") + "”（" +
                           std::to_string(check.readableSize) + " 像素）后重新生成。";
            } else {
                warning += "，更大的尺寸也无法识别；请缩短文本或降低纠错等级。";
            }
            break;
        case ReadBackVerdict::Mismatch:
            verdict = "读出的数据不符";
            warning = "警告：从图片读出的数据与编码的数据不一致。";
            break;
    }
    std::vector<std::string> lines{MadeLine(symbol) + " · " + verdict};
    if (!warning.empty()) lines.push_back(warning);
    return lines;
}

}  // namespace qrdesk
