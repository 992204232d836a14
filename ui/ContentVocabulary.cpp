#include "ui/ContentVocabulary.h"

#include <QCoreApplication>
#include <QFile>
#include <QPainter>
#include <QSvgRenderer>
#include <cstring>
#include <filesystem>

namespace qrdesk {
namespace {

// The context of the content words in the translations.
struct Content {
    Q_DECLARE_TR_FUNCTIONS(Content)
};

QString Tr(const char* source) {
    return Content::tr(source);
}

constexpr const char* kTypeCaptions[] = {
    QT_TRANSLATE_NOOP("Content", "文本"),     QT_TRANSLATE_NOOP("Content", "网址"),
    QT_TRANSLATE_NOOP("Content", "Wi-Fi"),    QT_TRANSLATE_NOOP("Content", "联系人"),
    QT_TRANSLATE_NOOP("Content", "电子邮件"), QT_TRANSLATE_NOOP("Content", "短信"),
    QT_TRANSLATE_NOOP("Content", "电话"),     QT_TRANSLATE_NOOP("Content", "位置"),
    QT_TRANSLATE_NOOP("Content", "日程"),
};

struct FieldWords {
    ContentType type;
    const char* field;
    const char* caption;
    const char* placeholder;
};

constexpr FieldWords kFieldWords[] = {
    {ContentType::Text, "text", QT_TRANSLATE_NOOP("Content", "文本"), nullptr},
    {ContentType::Url, "url", QT_TRANSLATE_NOOP("Content", "网址"), "example.org"},
    {ContentType::Wifi, "ssid", QT_TRANSLATE_NOOP("Content", "网络名称"), nullptr},
    {ContentType::Wifi, "password", QT_TRANSLATE_NOOP("Content", "密码"), nullptr},
    {ContentType::Wifi, "security", QT_TRANSLATE_NOOP("Content", "加密方式"), nullptr},
    {ContentType::Wifi, "hidden", QT_TRANSLATE_NOOP("Content", "隐藏网络"), nullptr},
    {ContentType::Contact, "name", QT_TRANSLATE_NOOP("Content", "姓名"), nullptr},
    {ContentType::Contact, "org", QT_TRANSLATE_NOOP("Content", "单位"), nullptr},
    {ContentType::Contact, "title", QT_TRANSLATE_NOOP("Content", "职务"), nullptr},
    {ContentType::Contact, "phone", QT_TRANSLATE_NOOP("Content", "电话"), "+86 10 1234 5678"},
    {ContentType::Contact, "email", QT_TRANSLATE_NOOP("Content", "电子邮件"), "name@example.org"},
    {ContentType::Contact, "url", QT_TRANSLATE_NOOP("Content", "网址"), nullptr},
    {ContentType::Contact, "address", QT_TRANSLATE_NOOP("Content", "地址"), nullptr},
    {ContentType::Contact, "note", QT_TRANSLATE_NOOP("Content", "备注"), nullptr},
    {ContentType::Email, "to", QT_TRANSLATE_NOOP("Content", "收件人"), "name@example.org"},
    {ContentType::Email, "subject", QT_TRANSLATE_NOOP("Content", "主题"), nullptr},
    {ContentType::Email, "body", QT_TRANSLATE_NOOP("Content", "正文"), nullptr},
    {ContentType::Sms, "number", QT_TRANSLATE_NOOP("Content", "号码"), "+86 138 0000 0000"},
    {ContentType::Sms, "body", QT_TRANSLATE_NOOP("Content", "正文"), nullptr},
    {ContentType::Tel, "number", QT_TRANSLATE_NOOP("Content", "号码"), "+86 10 1234 5678"},
    {ContentType::Geo, "lat", QT_TRANSLATE_NOOP("Content", "纬度"), "39.9042"},
    {ContentType::Geo, "lon", QT_TRANSLATE_NOOP("Content", "经度"), "116.4074"},
    {ContentType::Event, "summary", QT_TRANSLATE_NOOP("Content", "标题"), nullptr},
    {ContentType::Event, "start", QT_TRANSLATE_NOOP("Content", "开始"), "20250101T090000"},
    {ContentType::Event, "end", QT_TRANSLATE_NOOP("Content", "结束"), "20250101T100000"},
    {ContentType::Event, "location", QT_TRANSLATE_NOOP("Content", "地点"), nullptr},
};

const FieldWords* WordsOf(ContentType type, const char* field) {
    for (const FieldWords& words : kFieldWords)
        if (words.type == type && std::strcmp(words.field, field) == 0) return &words;
    return nullptr;
}

}  // namespace

QStringList ContentTypeCaptions() {
    QStringList captions;
    for (const char* caption : kTypeCaptions) captions << Tr(caption);
    return captions;
}

QString FieldCaption(ContentType type, const char* field) {
    const FieldWords* words = WordsOf(type, field);
    return words ? Tr(words->caption) : QString::fromUtf8(field);
}

QString FieldPlaceholder(ContentType type, const char* field) {
    const FieldWords* words = WordsOf(type, field);
    return words && words->placeholder ? QString::fromUtf8(words->placeholder) : QString();
}

QString ProblemText(ContentType type, const ContentResult& result) {
    const QString field = FieldCaption(type, result.field.c_str());
    switch (result.problem) {
        case ContentProblem::None:
            return {};
        case ContentProblem::UnknownField:
            return Content::tr("未知字段“%1”。").arg(field);
        case ContentProblem::Missing:
            return Content::tr("请填写“%1”。").arg(field);
        case ContentProblem::NotAChoice:
            return Content::tr("“%1”的值无效。").arg(field);
        case ContentProblem::NotANumber:
            return Content::tr("“%1”必须是以度为单位的数字，例如 %2。")
                .arg(field, FieldPlaceholder(type, result.field.c_str()));
        case ContentProblem::OutOfRange:
            return Content::tr("“%1”必须在 %2 到 %3 之间。")
                .arg(field)
                .arg(result.field == "lat" ? -90 : -180)
                .arg(result.field == "lat" ? 90 : 180);
        case ContentProblem::NotADate:
            return Content::tr(
                       "“%1”必须是存在的日期和时间，格式为 YYYYMMDDTHHMMSS（UTC 时间末尾加 Z）。")
                .arg(field);
        case ContentProblem::EndBeforeStart:
            return Content::tr("“%1”早于“%2”。").arg(field, FieldCaption(type, "start"));
        case ContentProblem::MixedTimes:
            return Content::tr("“%1”和“%2”必须同为 UTC 时间（末尾加 Z）或同为本地时间。")
                .arg(FieldCaption(type, "start"), field);
        case ContentProblem::NotAPhoneNumber:
            return Content::tr("“%1”只能包含数字、开头的 +、- . ( ) 和空格。").arg(field);
        case ContentProblem::NotAnAddress:
            return Content::tr("“%1”必须是电子邮件地址（name@example.org），多个地址用逗号分隔。")
                .arg(field);
        case ContentProblem::LineBreak:
            return Content::tr("“%1”只能有一行。").arg(field);
        case ContentProblem::Contradiction:
            return Content::tr("无密码的网络不需要“%1”。").arg(field);
    }
    return {};
}

std::optional<LoadedLogo> LoadLogo(const QString& path, QString* error) {
    const auto fail = [&](const QString& reason) {
        if (error) *error = reason;
        return std::nullopt;
    };
    // A FIFO or device would block the window or never end: logos are regular files.
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(QFile::encodeName(path).toStdString(), ignored))
        return fail(Content::tr("不是普通文件。"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return fail(file.errorString());
    // Read at most one byte past the limit: a larger file (or an endless device) is refused.
    const QByteArray bytes = file.read(static_cast<qint64>(kMaxLogoFileBytes) + 1);
    if (bytes.size() > static_cast<qsizetype>(kMaxLogoFileBytes))
        return fail(Content::tr("文件大于 %1 MiB。").arg(kMaxLogoFileBytes / (1024 * 1024)));
    LoadedLogo logo;
    logo.file.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    logo.format = SniffLogoFormat(logo.file);
    if (logo.format != LogoFormat::Svg) {
        std::string reason;
        auto image = DecodeLogo(logo.file, &reason);
        if (!image) return fail(QString::fromStdString(reason));
        logo.image = std::move(*image);
        return logo;
    }
    QSvgRenderer svg(bytes);
    const QSizeF natural = svg.defaultSize().isEmpty() ? svg.viewBoxF().size() : svg.defaultSize();
    if (!svg.isValid() || natural.isEmpty()) return fail(Content::tr("无法绘制这个 SVG 文件。"));
    const QSize size = natural.scaled(kSvgLogoPixels, kSvgLogoPixels, Qt::KeepAspectRatio)
                           .toSize()
                           .expandedTo(QSize(1, 1));
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    svg.render(&painter);
    painter.end();
    logo.image.width = size.width();
    logo.image.height = size.height();
    logo.image.argb.resize(static_cast<std::size_t>(size.width()) * size.height());
    for (int y = 0; y < size.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::copy_n(row, size.width(),
                    logo.image.argb.begin() + static_cast<std::ptrdiff_t>(y) * size.width());
    }
    return logo;
}

}  // namespace qrdesk
