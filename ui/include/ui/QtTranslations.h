#pragma once
// Qt's own texts (the file and print dialogs, the message boxes' buttons, the text box's
// context menu) in Simplified Chinese, as the window's own texts are.

class QCoreApplication;

namespace qrdesk {

// Installs Qt's Simplified Chinese translations (qtbase_zh_CN.qm from Qt's translations
// folder, Debian's qt6-translations-l10n) on app and makes Chinese the default locale.
// False when the translations are not installed: Qt's texts then stay English.
bool InstallQtTranslations(QCoreApplication& app);

}  // namespace qrdesk
