// What the user does with the symbol shown: save it, copy it, print it, its menu, dragging it
// out, and text dropped on the window.

#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QStandardPaths>

#include "common/FileWrite.h"
#include "ui/Controls.h"
#include "ui/Form1.h"
#include "ui/PrintSymbol.h"
#include "ui/SymbolFiles.h"
#include "ui_Form1.h"

namespace qrdesk {
namespace {
const char* const kNothingToSave = QT_TRANSLATE_NOOP("qrdesk::Form1", "请先生成二维码");
const char* const kTooLongNothingToSave =
    QT_TRANSLATE_NOOP("qrdesk::Form1", "文本信息过长，未能生成二维码，没有可保存的图片。");
const char* const kTooLongNothingToPrint =
    QT_TRANSLATE_NOOP("qrdesk::Form1", "文本信息过长，未能生成二维码，没有可打印的图片。");
const char* const kSaveTitle = QT_TRANSLATE_NOOP("qrdesk::Form1", "保存二维码文件");
const char* const kCopied = QT_TRANSLATE_NOOP("qrdesk::Form1", "已复制到剪贴板");
// The program asks the overwrite question itself, about the name it really writes.
constexpr int kSaveFlags = Dialogbox::HideReadOnly;
}  // namespace

QString Form1::SaveFolder() const {
    if (!lastFolder_.isEmpty() && QDir(lastFolder_).exists()) return lastFolder_;
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QDir(pictures).exists()) return pictures;
    return QDir::homePath();
}

void Form1::Command2_Click() {
    if (TavroIsCreate != "ok" || !symbol_.Made()) {
        // After a text that did not fit, say so rather than ask for a generation just made.
        const bool tooLong = TavroIsCreate == "ok" && !tooLong_.isEmpty();
        ShowMessage(tooLong ? tr(kTooLongNothingToSave) + '\n' + tooLong_ : tr(kNothingToSave));
        return;
    }
    const Dialogbox::SaveChoice choice =
        ShowSaveDialog(tr(kSaveTitle), SaveFilter(), 0, SaveFolder(), kSaveFlags, nullptr);
    if (choice.path.isEmpty()) return;
    lastFolder_ = QFileInfo(choice.path).absolutePath();
    const FileFormat format = SaveFormatFromFilter(choice.filterIndex);
    const QString path = SavePath(choice.path, format);
    const QString shown = QDir::toNativeSeparators(path);
    if (QFileInfo::exists(path) && !AskYesNo(tr("%1 已存在。\n要替换它吗？").arg(shown))) return;
    std::string reason;
    int error = 0;
    if (!WriteFileAtomically(QFile::encodeName(path).toStdString(),
                             SymbolFileBytes(symbol_, format), &reason, &error)) {
        ShowMessage(tr("无法保存文件 %1\n%2").arg(shown, SaveFailureReason(path, error, reason)));
        return;
    }
    ShowNotice(tr("已保存：%1").arg(shown));
}

void Form1::CopyToClipboard(const QImage& picture) {
    if (picture.isNull()) return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setImage(picture);
    ShowNotice(tr(kCopied));
}

void Form1::Image1_Click() {
    CopyToClipboard(ui_->Image1->Picture());
}

void Form1::mnuCopy_Click() {
    CopyToClipboard(ui_->Picture1->Picture());
}

void Form1::mnuPrint_Click() {
    if (!symbol_.Made()) {
        ShowMessage(!tooLong_.isEmpty() ? tr(kTooLongNothingToPrint) + '\n' + tooLong_
                                        : tr(kNothingToSave));
        return;
    }
    if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrinter& printer = *printer_;
    double widthMm = printWidthMm_;
    if (!ShowPrintDialog(printer, &widthMm)) return;
    printWidthMm_ = widthMm;
    QPainter painter;
    if (!painter.begin(&printer)) {
        const QString file = printer.outputFileName();
        if (file.isEmpty()) {
            ShowMessage(tr("无法打印：打印机“%1”不可用").arg(printer.printerName()));
            return;
        }
        // Printing to a file: say which and why, as a save does.
        const QString reason = SaveFailureReason(file, WriteErrno(file), "");
        ShowMessage(tr("无法打印到文件 %1").arg(QDir::toNativeSeparators(file)) +
                    (reason.isEmpty() ? QString() : '\n' + reason));
        return;
    }
    // Centred on the paper, shrunk only where the printable area is too small.
    const QPageLayout page = printer.pageLayout();
    const QRect room = page.paintRectPixels(printer.resolution());
    const int across = symbol_.modules.size + 2 * kPrintQuietZone;
    const int module =
        ModulePixels(widthMm, printer.resolution(), across, std::min(room.width(), room.height()));
    const QPoint origin =
        CentredOrigin(page.fullRectPixels(printer.resolution()), room, module * across);
    PaintSymbol(painter, symbol_.modules, module, origin);
    if (symbol_.logo) PaintLogo(painter, symbol_.logoBox, symbol_.logo->image, module, origin);
    painter.end();
    const QString where = printer.outputFileName().isEmpty()
                              ? printer.printerName()
                              : QDir::toNativeSeparators(printer.outputFileName());
    ShowNotice(tr("已打印：%1").arg(where));
}

void Form1::UpdateSymbolActions() {
    // Saving and printing say why when there is nothing; a copy of nothing is no command.
    mnuCopy->setEnabled(!ui_->Picture1->Picture().isNull());
}

void Form1::ShowSymbolMenu(QWidget* over, const QPoint& position) {
    UpdateSymbolActions();
    mnuSymbol->popup(over->mapToGlobal(position));
}

QMimeData* Form1::SymbolMimeData() const {
    if (!symbol_.Made()) return nullptr;
    auto* data = new QMimeData;
    const std::string png = SymbolFileBytes(symbol_, FileFormat::Png);
    data->setData("image/png", QByteArray(png.data(), static_cast<qsizetype>(png.size())));
    data->setImageData(ui_->Picture1->Picture());
    return data;
}

void Form1::DragSymbol() {
    if (QMimeData* data = SymbolMimeData()) StartDrag(data);
}

void Form1::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* data = event->mimeData();
    if (data->hasText() || data->hasImage() || data->hasUrls()) event->acceptProposedAction();
}

void Form1::dragMoveEvent(QDragMoveEvent* event) {
    const QMimeData* data = event->mimeData();
    if (data->hasText() || data->hasImage() || data->hasUrls()) event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent* event) {
    // A picture (image data, or an image file) is read; text fills the box.
    if (DropPicture(event->mimeData())) {
        event->acceptProposedAction();
        return;
    }
    if (!event->mimeData()->hasText()) return;
    ui_->Text1->setPlainText(event->mimeData()->text());
    event->acceptProposedAction();
    activateWindow();
    ui_->Text1->setFocus(Qt::OtherFocusReason);
}

}  // namespace qrdesk
