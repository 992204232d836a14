#pragma once
// The window's language: the described Chinese, or English. --lang chooses it, else the
// user's preferred languages do; Qt's own texts (the file, colour and print dialogs, the
// message boxes' buttons, the text box's context menu) follow it.

#include <QString>
#include <QStringList>
#include <QTranslator>
#include <optional>

namespace qrdesk {

enum class Language { Chinese, English };

// --lang's value: "zh" or "en", also with a territory ("zh_CN", "en-GB"); nullopt otherwise.
std::optional<Language> LanguageFromName(const QString& name);

// The language for the user's preferred languages, most preferred first, as
// QLocale::system().uiLanguages() gives them (LANGUAGE, else LC_ALL, LC_MESSAGES, LANG): the
// first that is Chinese or English decides; with neither (German only, C, POSIX) the window
// keeps its own language, Chinese.
Language LanguageForLocales(const QStringList& uiLanguages);

// The translations in force, installed on the application while this object lives.
// English: the window's English (qrdesk_en.qm, built into the program) and an English
// default locale, which also picks the help page's English version. Chinese: the window's
// own texts, Qt's Simplified Chinese (qtbase_zh_CN.qm from Debian's qt6-translations-l10n)
// and a Chinese default locale.
class Translations {
  public:
    Translations() = default;
    ~Translations();
    Translations(const Translations&) = delete;
    Translations& operator=(const Translations&) = delete;

    // Replaces the translations in force. False when a translation file could not be loaded:
    // its texts then stay as written (the window's Chinese, Qt's English).
    bool Use(Language language);

  private:
    void Remove();
    QTranslator qt_, window_;
    bool qtInstalled_ = false, windowInstalled_ = false;
};

}  // namespace qrdesk
