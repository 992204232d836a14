#include "ui/StatusText.h"

#include <QCoreApplication>
#include <QLocale>
#include <algorithm>

#include "common/Symbol.h"
#include "common/Warnings.h"
#include "ui/WindowVocabulary.h"

namespace qrdesk {
namespace {

// The status line's texts are translated in their own context.
struct StatusLine {
    Q_DECLARE_TR_FUNCTIONS(StatusLine)
};

constexpr qsizetype kQuotedCharacters = 40;

QString Grouped(std::int64_t n) {
    return QLocale(QLocale::Chinese, QLocale::China).toString(static_cast<qlonglong>(n));
}

QString MadeLine(const clsQRCode::EncodeReport& symbol) {
    QStringList parts;
    parts << QStringLiteral("%1-%2").arg(symbol.version).arg(LevelName(symbol.level));
    parts << (symbol.penalty < 0
                  ? StatusLine::tr("掩码 %1").arg(symbol.mask)
                  : StatusLine::tr("掩码 %1（罚分 %2）").arg(symbol.mask).arg(symbol.penalty));
    for (const auto& s : symbol.segments)
        parts << ModeCaption(s.mode) + ' ' + QString::number(s.length);
    parts << StatusLine::tr("数据 %1 / %2 位").arg(symbol.dataBits).arg(symbol.capacityBits);
    return parts.join(QStringLiteral(" · "));
}

// A reader as the window names it: WeChat's by the app's own name.
QString ReaderName(const std::string& name) {
    return name == "wechat" ? StatusLine::tr("微信") : QString::fromStdString(name);
}

QString VerdictText(const ReaderVerdict& reader) {
    const QString name = ReaderName(reader.name);
    if (reader.read && reader.textAsTyped) return StatusLine::tr("%1：读取正确").arg(name);
    if (reader.read)
        return StatusLine::tr("%1：显示为“%2”")
            .arg(name, QuoteReaderText(QString::fromStdString(reader.text)));
    if (reader.decoded) return StatusLine::tr("%1：读出数据，但无法显示文本").arg(name);
    if (reader.helpedBy == "pure")
        return StatusLine::tr("%1：无法识别（仅纯图模式可识别）").arg(name);
    if (reader.helpedBy == "enlarged")
        return StatusLine::tr("%1：无法识别（仅放大后可识别）").arg(name);
    return StatusLine::tr("%1：无法识别").arg(name);
}

// The encoding item the character-set advice names.
QString CharsetItem(const SymbolResult& symbol) {
    const bool ansi = symbol.advice.charset == SymbolAdvice::Charset::Eci &&
                      symbol.encoding == TextEncoding::Ansi;
    return QString::fromUtf8(kEncodingItems[ansi ? kAnsiEciItem : kUtf8EciItem]);
}

// The advice on a picture that some reader cannot read: the window's own choices (a size
// option, a level) when one reads, else the whole-pixel sides that read, else what was tried.
QString SizeAdvice(const SymbolResult& symbol) {
    const SymbolAdvice& a = symbol.advice;
    QStringList choices;
    if (a.offeredSide != 0)
        choices << StatusLine::tr("“%1”（%2 像素）")
                       .arg(WindowText(SizeOptionName(a.offeredSide)))
                       .arg(a.offeredSide);
    if (a.level != 0) choices << QStringLiteral("“%1”").arg(kLevelItems[a.level - 1]);
    if (a.logoPercent != 0) choices << StatusLine::tr("标志大小 %1 %").arg(a.logoPercent);
    if (!choices.isEmpty())
        return StatusLine::tr("建议：%1 像素的图片无法识别，请选择%2后重新生成。")
            .arg(symbol.side)
            .arg(choices.join(StatusLine::tr("或")));
    QStringList sides;
    for (const std::int32_t scale : {a.smallerScale, a.largerScale})
        if (scale != 0) sides << QString::number(scale * symbol.across);
    if (!sides.isEmpty())
        return StatusLine::tr(
                   "%1 像素的图片无法识别；窗口的尺寸与纠错等级都无法识别，每模块整数像素的 %2 "
                   "像素图片可以识别。")
            .arg(symbol.side)
            .arg(sides.join(StatusLine::tr(" 或 ")));
    QStringList tried;
    if (a.noneUpTo != 0) tried << StatusLine::tr("%1 像素以内的其他尺寸").arg(Grouped(a.noneUpTo));
    if (a.triedLevels)
        tried << (symbol.logo ? StatusLine::tr("其他纠错等级与更小的标志")
                              : StatusLine::tr("其他纠错等级"));
    if (tried.isEmpty()) return StatusLine::tr("%1 像素的图片无法识别。").arg(symbol.side);
    return StatusLine::tr("%1 像素的图片无法识别，%2也无法识别。")
        .arg(symbol.side)
        .arg(tried.join(StatusLine::tr("与")));
}

}  // namespace

QString TooLongFigures(const FitFigures& fit) {
    if (fit.neededBits < 0)
        return StatusLine::tr("%1 字节，远超任何二维码的容量").arg(Grouped(fit.bytes));
    const QString line = StatusLine::tr("需要 %1 位，%2-%3 最多 %4 位")
                             .arg(Grouped(fit.neededBits))
                             .arg(fit.version)
                             .arg(LevelName(fit.level))
                             .arg(Grouped(fit.capacityBits));
    if (fit.largerVersion != 0)
        return line + StatusLine::tr("；选择版本 %1 可容纳").arg(fit.largerVersion);
    if (fit.lowerLevel != 0)
        return line + StatusLine::tr("；选择 %1 可容纳").arg(LevelName(fit.lowerLevel));
    return line;
}

QString ModeCaption(clsQRCode::Mode mode) {
    switch (mode) {
        case clsQRCode::ModeNumeric:
            return StatusLine::tr("数字");
        case clsQRCode::ModeAlphanumeric:
            return StatusLine::tr("字母数字");
        case clsQRCode::ModeKanji:
            return StatusLine::tr("汉字");
        case clsQRCode::ModeEci:
            return QStringLiteral("ECI");
        default:
            return StatusLine::tr("字节");
    }
}

QString QuoteReaderText(const QString& text) {
    QString line;
    qsizetype shown = std::min(text.size(), kQuotedCharacters);
    if (shown < text.size() && text.at(shown - 1).isHighSurrogate()) --shown;  // a whole pair
    for (const QChar c : text.left(shown)) {
        if (c == '\n')
            line += QChar(0x21B5);  // a visible line break
        else
            line += c.isPrint() || c.isSurrogate() ? c : QChar(' ');
    }
    if (shown < text.size()) line += QChar(0x2026);
    return line;
}

// The settings' warnings, the rule the command line warns by, in the window's words.
QString WarningsText(const SymbolResult& symbol) {
    QStringList warnings;
    for (const SymbolWarning warning : WarningsFor(symbol.margin, symbol.colours)) {
        switch (warning) {
            case SymbolWarning::ThinMargin:
                warnings << StatusLine::tr(
                                "边距 %1 个模块，少于标准要求的 4 个，有些识读器找不到二维码")
                                .arg(symbol.margin);
                break;
            case SymbolWarning::Inverted:
                warnings << StatusLine::tr("前景色比背景色浅，很多识读器读不了反色的二维码");
                break;
            case SymbolWarning::LowContrast:
                warnings << StatusLine::tr("前景色与背景色的对比度低于 3:1，识读器可能分不清模块");
                break;
        }
    }
    if (warnings.isEmpty()) return {};
    return StatusLine::tr("注意：%1。").arg(warnings.join(StatusLine::tr("；")));
}

QStringList StatusLines(const SymbolResult& symbol) {
    QStringList lines{MadeLine(symbol.report)};
    QStringList verdicts;
    for (const ReaderVerdict& reader : symbol.verdicts) verdicts << VerdictText(reader);
    lines << verdicts.join(QStringLiteral(" · "));
    if (symbol.advice.charset != SymbolAdvice::Charset::None)
        lines << StatusLine::tr("建议：将文本编码改为“%1”后重新生成。").arg(CharsetItem(symbol));
    else if (!symbol.AllDecoded())
        lines << SizeAdvice(symbol);
    // The warnings follow the advice on the last line: the status line has three.
    if (const QString warnings = WarningsText(symbol); !warnings.isEmpty()) {
        if (lines.size() < 3)
            lines << warnings;
        else
            lines.back() += ' ' + warnings;
    }
    return lines;
}

}  // namespace qrdesk
