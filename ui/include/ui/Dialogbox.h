#pragma once
// The window's modal dialogs: the save-file dialog and the message boxes.

#include <QString>
#include <QStringList>

class QWidget;

namespace Dialogbox {

// Save-dialog flags, as the save command passes them.
constexpr int OverwritePrompt = 0x2;  // ask before a chosen existing file is replaced
constexpr int HideReadOnly = 0x4;     // no read-only check box (Qt's dialog has none)

// The "|"-separated filter ("description|pattern|description|pattern...") as Qt name filters;
// a description that already ends with its pattern in parentheses is kept as it is.
QStringList NameFiltersFromPipes(const QString& filter);

// Runs a modal save-file dialog. filterIndex 1..n starts on that description/pattern pair,
// 0 (or out of range) on the first; an initialFolder that does not exist lets the platform
// choose. Returns the chosen path as the dialog gives it, or "" on cancel or failure.
QString ShowSaveDialog(const QString& title, const QString& filter, int filterIndex,
                       const QString& initialFolder, int flags, QWidget* owner);

// A modal message box: the text, one OK button, no icon, the application's title as caption.
void MessageBox(QWidget* owner, const QString& text);

// A modal question with Yes and No (No the default) and the same caption; true for Yes.
bool AskYesNo(QWidget* owner, const QString& text);

}  // namespace Dialogbox
