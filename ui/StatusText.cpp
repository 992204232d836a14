#include "ui/StatusText.h"

#include <algorithm>

#include "common/Symbol.h"
#include "ui/WindowVocabulary.h"

namespace qrdesk {
namespace {

constexpr qsizetype kQuotedCharacters = 40;

QString MadeLine(const clsQRCode::EncodeReport& symbol) {
    QStringList parts;
    parts << QStringLiteral("%1-%2").arg(symbol.version).arg(LevelName(symbol.level));
    parts << QStringLiteral("掩码 %1").arg(symbol.mask);
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
        lines << QStringLiteral("建议：将文本编码改为“UTF-8 + ECI”后重新生成。");
    }
    return lines;
}

}  // namespace qrdesk
