#include "ui/StatusText.h"

#include <QLocale>
#include <algorithm>
#include <optional>

#include "common/Symbol.h"
#include "ui/WindowVocabulary.h"

namespace qrdesk {
namespace {

constexpr qsizetype kQuotedCharacters = 40;

QString Grouped(std::int64_t n) {
    return QLocale(QLocale::Chinese, QLocale::China).toString(static_cast<qlonglong>(n));
}

// The data bits of bytes at version as the encoder makes them; nullopt beyond any symbol.
std::optional<std::int32_t> NeededBits(const clsQRCode& encoder, std::string_view bytes,
                                       const clsQRCode::EncodeOptions& options,
                                       std::int32_t version) {
    if (bytes.size() > static_cast<std::size_t>(INT32_MAX)) return std::nullopt;
    const std::int32_t bits =
        encoder.MeasureDataBits(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                static_cast<std::int32_t>(bytes.size()), version, options);
    return bits < 0 ? std::nullopt : std::optional<std::int32_t>(bits);
}

QString MadeLine(const clsQRCode::EncodeReport& symbol) {
    QStringList parts;
    parts << QStringLiteral("%1-%2").arg(symbol.version).arg(LevelName(symbol.level));
    parts << (symbol.penalty < 0
                  ? QStringLiteral("掩码 %1").arg(symbol.mask)
                  : QStringLiteral("掩码 %1（罚分 %2）").arg(symbol.mask).arg(symbol.penalty));
    for (const auto& s : symbol.segments)
        parts << ModeCaption(s.mode) + ' ' + QString::number(s.length);
    parts << QStringLiteral("数据 %1 / %2 位").arg(symbol.dataBits).arg(symbol.capacityBits);
    return parts.join(QStringLiteral(" · "));
}

QString ReaderVerdict(const ReaderResult& reader) {
    const QString name = QString::fromLatin1(reader.name);
    if (!reader.read) return QStringLiteral("%1：无法识别").arg(name);
    if (reader.textAsTyped) return QStringLiteral("%1：读取正确").arg(name);
    return QStringLiteral("%1：显示为“%2”")
        .arg(name, QuoteReaderText(QString::fromStdString(reader.text)));
}

}  // namespace

QString TooLongFigures(const clsQRCode& encoder, std::string_view bytes,
                       const clsQRCode::EncodeOptions& options) {
    const std::int32_t level = options.level >= 1 && options.level <= 4 ? options.level : 2;
    const bool fixed = options.version >= 1 && options.version <= 40;
    const std::int32_t version = fixed ? options.version : 40;
    const auto capacity = [&](std::int32_t v, std::int32_t l) {
        return 8 * encoder.GetDataCodewordCount(v, l);
    };
    const auto fits = [&](std::int32_t v, std::int32_t l) {
        const auto bits = NeededBits(encoder, bytes, options, v);
        return bits && *bits <= capacity(v, l);
    };
    const QString holds = QStringLiteral("%1-%2 最多 %3 位")
                              .arg(version)
                              .arg(LevelName(level))
                              .arg(Grouped(capacity(version, level)));
    const auto bits = NeededBits(encoder, bytes, options, version);
    if (!bits) {
        const auto least = clsQRCode::GetStreamBitsAtLeast(
            reinterpret_cast<const std::uint8_t*>(bytes.data()),
            static_cast<std::int32_t>(std::min<std::size_t>(bytes.size(), INT32_MAX / 8)));
        return QStringLiteral("至少需要 %1 位，%2").arg(Grouped(least), holds);
    }
    QString line = QStringLiteral("需要 %1 位，%2").arg(Grouped(*bits), holds);
    if (fixed)
        for (std::int32_t v = version + 1; v <= 40; ++v)
            if (fits(v, level)) return line + QStringLiteral("；选择版本 %1 可容纳").arg(v);
    for (std::int32_t l = level - 1; l >= 1; --l)
        if (fits(version, l)) return line + QStringLiteral("；选择 %1 可容纳").arg(LevelName(l));
    return line;
}

QString ModeCaption(clsQRCode::Mode mode) {
    switch (mode) {
        case clsQRCode::ModeNumeric:
            return QStringLiteral("数字");
        case clsQRCode::ModeAlphanumeric:
            return QStringLiteral("字母数字");
        case clsQRCode::ModeKanji:
            return QStringLiteral("汉字");
        case clsQRCode::ModeEci:
            return QStringLiteral("ECI");
        default:
            return QStringLiteral("字节");
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

QStringList StatusLines(const clsQRCode::EncodeReport& symbol, const SymbolCheck& check,
                        const StatusAdvice& advice) {
    QStringList lines{MadeLine(symbol)};
    QStringList verdicts;
    for (const ReaderResult& reader : check.readBack.readers) verdicts << ReaderVerdict(reader);
    lines << verdicts.join(QStringLiteral(" · "));
    if (advice.size != 0) {
        const char* name = SizeOptionName(advice.size);
        lines << QStringLiteral("建议：%1 像素的图片无法识别，请选择“%2”（%3 像素）后重新生成。")
                     .arg(check.size)
                     .arg(QString::fromUtf8(name ? name : ""))
                     .arg(advice.size);
    } else if (!check.readBack.AllRead()) {
        lines << QStringLiteral("%1 像素的图片无法识别，更大的尺寸也无法识别。").arg(check.size);
    } else if (advice.utf8Eci) {
        lines << QStringLiteral("建议：将文本编码改为“UTF-8+ECI”后重新生成。");
    }
    return lines;
}

}  // namespace qrdesk
