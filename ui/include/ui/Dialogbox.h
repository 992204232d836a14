#pragma once
// The window's modal dialogs: the save-file dialog, the message boxes and the print dialog.

#include <QString>
#include <QStringList>

class QPrinter;
class QWidget;

namespace Dialogbox {

// Save-dialog flags, as the save command passes them.
constexpr int OverwritePrompt = 0x2;  // ask before a chosen existing file is replaced
constexpr int HideReadOnly = 0x4;     // no read-only check box (Qt's dialog has none)

// The "|"-separated filter ("description|pattern|description|pattern...") as Qt name filters;
// a description that already ends with its pattern in parentheses is kept as it is.
QStringList NameFiltersFromPipes(const QString& filter);

// What the user chose in the save dialog: the path as the dialog gives it ("" on cancel or
// failure) and the filter in force, 1..n.
struct SaveChoice {
    QString path;
    int filterIndex = 1;
};

// Runs a modal save-file dialog. filterIndex 1..n starts on that description/pattern pair,
// 0 (or out of range) on the first; an initialFolder that does not exist lets the platform
// choose.
SaveChoice ShowSaveDialog(const QString& title, const QString& filter, int filterIndex,
                          const QString& initialFolder, int flags, QWidget* owner);

// A modal message box: the text, one OK button, no icon, the application's title as caption.
void MessageBox(QWidget* owner, const QString& text);

// A modal question with Yes and No (No the default) and the same caption; true for Yes.
bool AskYesNo(QWidget* owner, const QString& text);

// The print dialog with a page of its own, "二维码", where the symbol's printed width
// (quiet zone included) is chosen in millimetres, starting at *widthMm. True when the user
// prints; then *widthMm holds the width chosen and printer the rest.
bool ShowPrintDialog(QPrinter& printer, double* widthMm, QWidget* owner);

// The width the print dialog's page offers, in millimetres.
inline constexpr double kMinPrintWidthMm = 10;
inline constexpr double kMaxPrintWidthMm = 500;

}  // namespace Dialogbox
