#pragma once
// The window's words for the content templates and the logo: the content-type list's items,
// each field's caption, the choices of the Wi-Fi security list, and why fields make no text.
// Chinese is the source language; every text goes through Qt's translation.

#include <QString>
#include <QStringList>
#include <optional>
#include <string>

#include "common/Content.h"
#include "common/Logo.h"

namespace qrdesk {

// "文本", "网址", "Wi-Fi", "联系人", "电子邮件", "短信", "电话", "位置", "日程": the list's
// items, index = ContentType.
QStringList ContentTypeCaptions();

// The caption of a field of a type ("网络名称" for wifi's ssid); the name itself when it has
// none.
QString FieldCaption(ContentType type, const char* field);

// A hint shown in an empty field (an example of the form expected); empty for none.
QString FieldPlaceholder(ContentType type, const char* field);

// The Wi-Fi security list: captions and the values the template takes.
struct SecurityChoice {
    const char* caption;
    const char* value;
};
inline constexpr SecurityChoice kSecurityChoices[] = {
    {"WPA/WPA2", "WPA"},
    {"WPA3", "SAE"},
    {"WEP", "WEP"},
    {QT_TRANSLATE_NOOP("qrdesk::SideColumn", "无密码"), "nopass"}};

// Why the fields make no text, one sentence naming the field by its caption.
QString ProblemText(ContentType type, const ContentResult& result);

// A logo file read and decoded, or why not: PNG and JPEG through common/, SVG drawn by Qt
// at up to kSvgLogoPixels on its longer side.
std::optional<LoadedLogo> LoadLogo(const QString& path, QString* error);

}  // namespace qrdesk
