#include "ui/ReadResults.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QShortcut>
#include <QUrl>
#include <QVBoxLayout>
#include <cstring>

#include "common/Symbol.h"
#include "common/TextBytes.h"
#include "readback/ReadSymbols.h"
#include "ui/StatusText.h"
#include "ui/WindowVocabulary.h"

namespace qrdesk {
namespace {

struct ResultsText {
    Q_DECLARE_TR_FUNCTIONS(ResultsText)
};

QString ReaderCaption(int reader) {
    return reader == int(ReaderId::WeChat) ? ResultsText::tr("微信")
                                           : QString::fromUtf8(kReaderNames[reader]);
}

QString FactsText(const SymbolFacts& f) {
    const QString unknown = ResultsText::tr("未知");
    QStringList segments;
    if (f.segments)
        for (const ReadSegment& s : *f.segments)
            segments << ModeCaption(static_cast<clsQRCode::Mode>(s.mode)) + ' ' +
                            QString::number(s.mode == clsQRCode::ModeEci ? s.eci : s.count);
    return ResultsText::tr("版本 %1 · 纠错等级 %2 · 掩码 %3 · 数据段 %4")
        .arg(f.version ? QString::number(f.version) : unknown)
        .arg(f.level ? QString(QChar(f.level)) : unknown)
        .arg(f.mask >= 0 ? QString::number(f.mask) : unknown)
        .arg(!f.segments          ? unknown
             : segments.isEmpty() ? ResultsText::tr("无")
                                  : segments.join(ResultsText::tr("，")));
}

}  // namespace

PictureReading ReadImage(const QImage& picture) {
    if (picture.isNull()) return {};
    // Transparent parts on white, as a viewer shows them; then grey as the readers weigh it.
    QImage flat(picture.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    {
        QPainter painter(&flat);
        painter.drawImage(0, 0, picture);
    }
    GreyImage grey;
    grey.width = flat.width();
    grey.height = flat.height();
    grey.pixels.resize(static_cast<std::size_t>(grey.width) * grey.height);
    for (int y = 0; y < grey.height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(flat.constScanLine(y));
        for (int x = 0; x < grey.width; ++x)
            grey.pixels[static_cast<std::size_t>(y) * grey.width + x] =
                GreyOf(qRed(line[x]), qGreen(line[x]), qBlue(line[x]));
    }
    return ReadSymbols(grey);
}

QImage GrabScreens(QString* error) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    QRect desktop;
    for (const QScreen* screen : screens) desktop |= screen->geometry();
    QImage whole;
    if (!desktop.isEmpty() && QGuiApplication::platformName() != QLatin1String("wayland")) {
        whole = QImage(desktop.size(), QImage::Format_RGB32);
        whole.fill(Qt::white);
        bool failed = false;
        QPainter painter(&whole);
        for (QScreen* screen : screens) {
            const QPixmap shot = screen->grabWindow(0);
            if (shot.isNull()) {
                failed = true;  // the picture goes once the painter has let go of it
                break;
            }
            // Each screen at its place in the desktop, at one pixel a logical pixel.
            painter.drawPixmap(
                QRect(screen->geometry().topLeft() - desktop.topLeft(), screen->geometry().size()),
                shot);
        }
        painter.end();
        if (failed) whole = QImage();
    }
    if (whole.isNull() && error)
        *error = QGuiApplication::platformName() == QLatin1String("wayland")
                     ? ResultsText::tr(
                           "在 Wayland 桌面上无法截取屏幕：请用桌面的截图工具截图，"
                           "再按 Ctrl+Shift+V 从剪贴板识别。")
                     : ResultsText::tr("无法截取屏幕。");
    return whole;
}

QString SafeText(const QString& text) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < 0x20)
            out += QChar(0x2400 + c);  // ␀ .. ␟, ␊ for a line break
        else if (c == 0x7F)
            out += QChar(0x2421);
        else if ((c >= 0x80 && c < 0xA0) || (c >= 0x200B && c <= 0x200F) ||
                 (c >= 0x202A && c <= 0x202E) || (c >= 0x2060 && c <= 0x206F) || c == 0xFEFF ||
                 c == 0x00AD)
            out += QStringLiteral("<U+%1>").arg(QString::number(c, 16).toUpper(), 4, QChar('0'));
        else
            out += text.at(i);
    }
    return out;
}

bool IsLink(const QString& text) {
    static const QRegularExpression link(
        QStringLiteral("^(https?://|mailto:)[^\\s\\x00-\\x1F\\x7F]+$"),
        QRegularExpression::CaseInsensitiveOption);
    return link.match(text).hasMatch() && QUrl(text, QUrl::StrictMode).isValid();
}

ListChoice ChoiceFor(const FoundSymbol& symbol) {
    ListChoice choice;
    const SymbolFacts& f = symbol.facts;
    const SymbolReading& zxing = symbol.readings[int(ReaderId::Zxing)];
    const char level = f.level ? f.level : zxing.level.value_or(0);
    if (f.version >= 1 && f.version <= 40) choice.version = f.version;
    if (const char* at = level ? std::strchr("LMQH", level) : nullptr)
        choice.level = int(at - "LMQH");
    if (f.mask >= 0 && f.mask <= 7) choice.mask = f.mask + 1;
    const std::string& bytes = symbol.First().bytes;
    const int eci = zxing.read ? zxing.eci.value_or(-2) : -2;
    if (eci == kUtf8Eci)
        choice.encoding = kUtf8EciItem;
    else if (eci == -1 && ValidUtf8(bytes) == bytes)
        choice.encoding = 1;  // "UTF-8"
    return choice;
}

ReadResults::ReadResults(QWidget* owner) : QDialog(owner) {
    setWindowTitle(ResultsText::tr("识别结果"));
    setModal(false);
    summary_ = new QLabel(this);
    list_ = new QListWidget(this);
    list_->setObjectName("ResultList");
    details_ = new QPlainTextEdit(this);
    details_->setReadOnly(true);
    details_->setObjectName("ResultDetails");
    cmdCopy_ = new QPushButton(ResultsText::tr("复制文本"), this);
    cmdOpen_ = new QPushButton(ResultsText::tr("打开链接"), this);
    cmdEdit_ = new QPushButton(ResultsText::tr("编辑并重新生成"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdCopy_);
    buttons->addWidget(cmdOpen_);
    buttons->addWidget(cmdEdit_);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(list_, 1);
    layout->addWidget(details_, 2);
    layout->addLayout(buttons);
    resize(520, 420);

    AskYesNo = [this](const QString& question) {
        return QMessageBox::question(this, windowTitle(), question) == QMessageBox::Yes;
    };
    OpenUrl = [](const QString& url) { QDesktopServices::openUrl(QUrl(url, QUrl::StrictMode)); };

    // Ctrl+C copies the selected symbol's text wherever the focus is in this window (the
    // details' own selection is copied by its context menu).
    auto* copy = new QShortcut(QKeySequence::Copy, this);
    copy->setContext(Qt::WindowShortcut);
    connect(copy, &QShortcut::activated, this, &ReadResults::CopySelected);
    connect(cmdCopy_, &QPushButton::clicked, this, &ReadResults::CopySelected);
    connect(cmdOpen_, &QPushButton::clicked, this, &ReadResults::OpenSelectedLink);
    connect(cmdEdit_, &QPushButton::clicked, this, [this] {
        if (const FoundSymbol* symbol = Selected())
            emit editRequested(QString::fromStdString(symbol->First().text), ChoiceFor(*symbol));
    });
    connect(list_, &QListWidget::currentRowChanged, this, &ReadResults::ShowSelected);
    list_->installEventFilter(this);
}

bool ReadResults::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ &&
        (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        if (event->type() == QEvent::KeyPress) CopySelected();
        event->accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void ReadResults::Show(const PictureReading& reading, const QString& source) {
    reading_ = reading;
    list_->clear();
    for (const FoundSymbol& symbol : reading_.symbols) {
        const QString text = SafeText(QString::fromStdString(symbol.First().text));
        list_->addItem(text.size() > 80 ? text.left(79) + QChar(0x2026) : text);
    }
    summary_->setText(
        reading_.symbols.empty()
            ? ResultsText::tr("%1：未找到二维码。").arg(source)
            : ResultsText::tr("%1：找到 %2 个二维码。").arg(source).arg(reading_.symbols.size()));
    if (!reading_.wechatMissing.empty())
        summary_->setText(summary_->text() + '\n' +
                          ResultsText::tr("未使用微信的识别器：%1")
                              .arg(QString::fromStdString(reading_.wechatMissing)));
    show();
    raise();
    activateWindow();
    if (list_->count() > 0) {
        list_->setCurrentRow(0);
        list_->setFocus(Qt::OtherFocusReason);
    }
    ShowSelected();
}

const FoundSymbol* ReadResults::Selected() const {
    const int row = list_->currentRow();
    return row >= 0 && row < int(reading_.symbols.size()) ? &reading_.symbols[row] : nullptr;
}

QString ReadResults::Details() const {
    return details_->toPlainText();
}

void ReadResults::ShowSelected() {
    const FoundSymbol* symbol = Selected();
    cmdCopy_->setEnabled(symbol != nullptr);
    cmdEdit_->setEnabled(symbol != nullptr);
    cmdOpen_->setEnabled(symbol && IsLink(QString::fromStdString(symbol->First().text)));
    if (!symbol) {
        details_->clear();
        return;
    }
    QStringList lines;
    lines
        << ResultsText::tr("文本：%1").arg(SafeText(QString::fromStdString(symbol->First().text)));
    lines << FactsText(symbol->facts);
    for (int r = 0; r < kReaderCount; ++r) {
        const SymbolReading& reading = symbol->readings[r];
        QString line = ReaderCaption(r) + ResultsText::tr("：");
        if (!reading.read) {
            line += r == int(ReaderId::WeChat) && !reading_.wechatMissing.empty()
                        ? ResultsText::tr("未使用")
                        : ResultsText::tr("无法识别");
        } else {
            line += QStringLiteral("“%1”").arg(SafeText(QString::fromStdString(reading.text)));
            if (reading.eci)
                line += *reading.eci < 0 ? ResultsText::tr("，无 ECI")
                                         : ResultsText::tr("，ECI %1").arg(*reading.eci);
        }
        lines << line;
    }
    details_->setPlainText(lines.join('\n'));
}

void ReadResults::CopySelected() {
    if (const FoundSymbol* symbol = Selected())
        QApplication::clipboard()->setText(QString::fromStdString(symbol->First().text));
}

void ReadResults::OpenSelectedLink() {
    const FoundSymbol* symbol = Selected();
    if (!symbol) return;
    const QString url = QString::fromStdString(symbol->First().text);
    if (!IsLink(url)) return;
    // The whole link, made safe, so that nothing in it is hidden from the question.
    if (AskYesNo(ResultsText::tr("打开这个链接吗？\n\n%1").arg(SafeText(url)))) OpenUrl(url);
}

}  // namespace qrdesk
