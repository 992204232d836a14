#include "ui/Dialogbox.h"

#include <QCoreApplication>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QTabWidget>

namespace Dialogbox {
namespace {
// The print dialog's page is translated in its own context.
struct PrintPage {
    Q_DECLARE_TR_FUNCTIONS(PrintPage)
};
}  // namespace

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

SaveChoice ShowSaveDialog(const QString& title, const QString& filter, int filterIndex,
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
    if (files.isEmpty()) return {};
    return {files.first(), static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1};
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

bool ShowPrintDialog(QPrinter& printer, double* widthMm, QWidget* owner) {
    auto* page = new QWidget;
    page->setObjectName("SymbolPage");
    page->setWindowTitle(PrintPage::tr("二维码"));
    auto* width = new QDoubleSpinBox(page);
    width->setObjectName("SymbolWidth");
    width->setRange(kMinPrintWidthMm, kMaxPrintWidthMm);
    width->setDecimals(1);
    width->setSuffix(PrintPage::tr(" 毫米"));
    width->setValue(*widthMm);
    auto* note = new QLabel(PrintPage::tr("宽度含四周的空白（静区）。每个模块占整数个打印点，"
                                          "实际宽度取最接近的可打印值。"),
                            page);
    note->setWordWrap(true);
    auto* layout = new QFormLayout(page);
    layout->addRow(PrintPage::tr("二维码宽度(&W)："), width);
    layout->addRow(note);

    QPrintDialog dialog(&printer, owner);
    dialog.setOptionTabs({page});  // a child of the dialog from here, where tabs are supported
    // The width first when the user opens the dialog's options.
    for (QWidget* parent = page->parentWidget(); parent; parent = parent->parentWidget())
        if (auto* tabs = qobject_cast<QTabWidget*>(parent)) {
            tabs->setCurrentWidget(page);
            break;
        }
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (accepted) *widthMm = width->value();
    if (!page->parent()) delete page;
    return accepted;
}

}  // namespace Dialogbox
