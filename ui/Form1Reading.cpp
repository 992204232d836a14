// The window's reading of symbols: the "识别" group (a picture file, Ctrl+O; the whole
// screen, Ctrl+R), the clipboard's picture (Ctrl+Shift+V), pictures dropped on the window,
// and "编辑并重新生成" from the results window.

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QImageReader>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>
#include <QUrl>
#include <QVBoxLayout>

#include "common/Symbol.h"
#include "ui/Form1.h"
#include "ui/SideColumn.h"
#include "ui_Form1.h"

namespace qrdesk {
namespace {

struct ReadingText {
    Q_DECLARE_TR_FUNCTIONS(ReadingText)
};

// The image files Qt's plug-ins read here, for the file dialog's filter.
QString ImageFilter() {
    QStringList patterns;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        patterns << QStringLiteral("*.") + QString::fromLatin1(format);
    return ReadingText::tr("图片 (%1)").arg(patterns.join(' ')) + QStringLiteral(";;") +
           ReadingText::tr("所有文件 (*)");
}

// The picture in the file at path, or a null image with *error set.
QImage LoadImage(const QString& path, QString* error) {
    // A FIFO or device would block the window or never end: pictures are regular files.
    if (!QFileInfo(path).isFile()) {
        if (error)
            *error = ReadingText::tr("无法读取图片“%1”：%2")
                         .arg(QFileInfo(path).fileName(), ReadingText::tr("不是普通文件。"));
        return {};
    }
    QImageReader reader(path);
    reader.setAutoTransform(true);
    // Qt's own allocation limit (256 MB by default) refuses pictures past about 64 megapixels
    // at four bytes a pixel before any is decoded; raised to the readers' 100 megapixels.
    reader.setAllocationLimit(512);
    QImage image = reader.read();
    if (image.isNull() && error)
        *error = ReadingText::tr("无法读取图片“%1”：%2")
                     .arg(QFileInfo(path).fileName(), reader.errorString());
    return image;
}

}  // namespace

void Form1::CreateReadingGroup() {
    grpRead_ = new QGroupBox(ReadingText::tr("识别"), SideColumn1);
    grpRead_->setObjectName("grpRead");
    auto* group = new QVBoxLayout(grpRead_);
    cmdReadFile_ = new QPushButton(ReadingText::tr("识别图片…"), grpRead_);
    cmdReadFile_->setObjectName("cmdReadFile");
    cmdReadFile_->setToolTip(ReadingText::tr("识别图片文件中的二维码 (Ctrl+O)"));
    cmdReadScreen_ = new QPushButton(ReadingText::tr("识别屏幕"), grpRead_);
    cmdReadScreen_->setObjectName("cmdReadScreen");
    cmdReadScreen_->setToolTip(ReadingText::tr("识别整个屏幕上的二维码 (Ctrl+R)"));
    group->addWidget(cmdReadFile_);
    group->addWidget(cmdReadScreen_);
    // At the bottom of the side column, below the room it leaves free.
    if (auto* column = qobject_cast<QVBoxLayout*>(SideColumn1->layout()))
        column->addWidget(grpRead_);

    ChooseImageFile = [this] {
        return QFileDialog::getOpenFileName(this, ReadingText::tr("识别图片"), QString(),
                                            ImageFilter());
    };
    GrabScreen = [](QString* error) { return GrabScreens(error); };
    connect(cmdReadFile_, &QPushButton::clicked, this, [this] {
        const QString path = ChooseImageFile();
        if (!path.isEmpty()) ReadImageFile(path);
    });
    connect(cmdReadScreen_, &QPushButton::clicked, this, &Form1::ReadScreen);
    const struct {
        QKeySequence keys;
        std::function<void()> run;
    } shortcuts[] = {{QKeySequence(Qt::CTRL | Qt::Key_O), [this] { cmdReadFile_->click(); }},
                     {QKeySequence(Qt::CTRL | Qt::Key_R), [this] { ReadScreen(); }},
                     {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V), [this] { ReadClipboard(); }}};
    for (const auto& shortcut : shortcuts) {
        auto* s = new QShortcut(shortcut.keys, this);
        connect(s, &QShortcut::activated, this, shortcut.run);
    }
}

void Form1::ShowReading(const QImage& picture, const QString& source) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const PictureReading reading = ReadImage(picture);
    QApplication::restoreOverrideCursor();
    if (!results_) {
        results_ = new ReadResults(this);
        connect(results_, &ReadResults::editRequested, this, &Form1::EditAndRegenerate);
    }
    results_->Show(reading, source);
}

void Form1::ReadImageFile(const QString& path) {
    QString error;
    const QImage picture = LoadImage(path, &error);
    if (picture.isNull()) {
        ShowMessage(error);
        return;
    }
    ShowReading(picture, QFileInfo(path).fileName());
}

void Form1::ReadClipboard() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data || !DropPicture(data)) ShowMessage(ReadingText::tr("剪贴板中没有图片。"));
}

void Form1::ReadScreen() {
    QString error;
    const QImage screen = GrabScreen(&error);
    if (screen.isNull()) {
        ShowMessage(error);
        return;
    }
    ShowReading(screen, ReadingText::tr("屏幕"));
}

bool Form1::DropPicture(const QMimeData* data) {
    if (data->hasImage()) {
        const QImage picture = qvariant_cast<QImage>(data->imageData());
        if (!picture.isNull()) {
            ShowReading(picture, ReadingText::tr("图片"));
            return true;
        }
    }
    // A picture file: one local file that Qt can read as an image.
    const QList<QUrl> urls = data->urls();
    if (urls.size() == 1 && urls.front().isLocalFile()) {
        const QString path = urls.front().toLocalFile();
        // Asking a FIFO its format would wait for a writer: only regular files are asked.
        if (QFileInfo(path).isFile() && !QImageReader::imageFormat(path).isEmpty()) {
            ReadImageFile(path);
            return true;
        }
    }
    return false;
}

void Form1::EditAndRegenerate(const QString& text, const ListChoice& choice) {
    const int indexes[4] = {choice.version, choice.level, choice.mask, choice.encoding};
    for (int k = 0; k < 4; ++k)
        if (indexes[k] >= 0 && indexes[k] < cmb1_[k]->count())
            cmb1_[k]->setCurrentIndex(indexes[k]);
    ui_->Text1->setPlainText(text);
    activateWindow();
    ui_->Command1->click();
    const FoundSymbol* read = results_ ? results_->Selected() : nullptr;
    if (!read || !symbol_.Made()) return;
    // The same symbol only when the bytes and what the modules said all match; what was not
    // read cannot be promised.
    const SymbolFacts& f = read->facts;
    const bool same = symbol_.bytes == read->First().bytes &&
                      (f.version == 0 || f.version == symbol_.report.version) &&
                      (f.mask < 0 || f.mask == symbol_.report.mask) &&
                      (f.level == 0 || f.level == *LevelName(symbol_.report.level));
    const bool complete = f.version != 0 && f.mask >= 0 && f.level != 0;
    ShowNotice(!same ? ReadingText::tr("重新生成的二维码与识别的不同（数据或设置无法还原）。")
               : complete
                   ? ReadingText::tr("已重新生成：版本、纠错等级、掩码与数据都与识别的相同。")
                   : ReadingText::tr("已重新生成：数据相同；原图的版本或掩码未能读出，未必相同。"));
}

}  // namespace qrdesk
