#include "ui/Dialogbox.h"

#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>

namespace Dialogbox {

QStringList NameFiltersFromPipes(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        QString pattern = parts[i + 1];
        pattern.replace(';', ' ');  // "*.bmp;*.dib" in Qt's notation
        if (description.endsWith('(' + parts[i + 1] + ')'))
            filters << description;
        else
            filters << QStringLiteral("%1 (%2)").arg(description, pattern);
    }
    return filters;
}

QString ShowSaveDialog(const QString& title, const QString& filter, int filterIndex,
                       const QString& initialFolder, int flags, QWidget* owner) {
    QFileDialog dialog(owner, title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(flags & OverwritePrompt));
    // Folders given in another system's notation ("D:\") do not exist here.
    if (!initialFolder.isEmpty() && QDir(initialFolder).exists())
        dialog.setDirectory(initialFolder);
    const QStringList filters = NameFiltersFromPipes(filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = filterIndex >= 1 && filterIndex <= filters.size() ? filterIndex - 1 : 0;
        dialog.selectNameFilter(filters[index]);
    }
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

void MessageBox(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, owner);
    box.exec();
}

bool AskYesNo(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), text,
                    QMessageBox::Yes | QMessageBox::No, owner);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace Dialogbox
