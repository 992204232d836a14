#include "ui/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

namespace qrdesk {
namespace {
// Built from translations/qrdesk_en.ts into the program's resources.
const char* const kWindowEnglish = ":/qrdesk/translations/qrdesk_en.qm";

std::optional<Language> LanguageOfTag(const QString& tag) {
    const QString language = tag.section('_', 0, 0).section('-', 0, 0).toLower();
    if (language == "zh") return Language::Chinese;
    if (language == "en") return Language::English;
    return std::nullopt;
}
}  // namespace

std::optional<Language> LanguageFromName(const QString& name) {
    return LanguageOfTag(name.trimmed());
}

Language LanguageForLocales(const QStringList& uiLanguages) {
    for (const QString& tag : uiLanguages)
        if (const auto language = LanguageOfTag(tag)) return *language;
    return Language::Chinese;
}

Translations::~Translations() {
    Remove();
}

void Translations::Remove() {
    if (qtInstalled_) QCoreApplication::removeTranslator(&qt_);
    if (windowInstalled_) QCoreApplication::removeTranslator(&window_);
    qtInstalled_ = windowInstalled_ = false;
}

bool Translations::Use(Language language) {
    Remove();
    if (language == Language::English) {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        windowInstalled_ =
            window_.load(kWindowEnglish) && QCoreApplication::installTranslator(&window_);
        return windowInstalled_;
    }
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QLocale::setDefault(chinese);
    qtInstalled_ =
        qt_.load(chinese, "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(&qt_);
    return qtInstalled_;
}

}  // namespace qrdesk
