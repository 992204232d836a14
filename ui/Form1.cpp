#include "ui/Form1.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QVBoxLayout>

#include "common/FileWrite.h"
#include "common/Symbol.h"
#include "common/TextBytes.h"
#include "readback/ReadBack.h"
#include "ui/Dialogbox.h"
#include "ui/QtImage.h"
#include "ui/StatusText.h"
#include "ui/WindowVocabulary.h"
#include "ui_Form1.h"

#ifdef QRDESK_HAVE_WEBENGINE
#include <QWebEngineView>
#endif

// The window's icon is a resource of this static library; link it in.
static void InitResources() {
    Q_INIT_RESOURCE(qrdesk);
}

namespace qrdesk {
namespace {
const char* const kPrompt = "请在此输入文本信息！";
const char* const kNoText = "您未输入文本信息！";
const char* const kTooLong = "文本信息过长，无法生成二维码！";
const char* const kNothingToSave = "请先生成二维码";
const char* const kSaveTitle = "保存二维码文件";
const char* const kSaveFilter = "位图文件(*.bmp)|*.bmp";
const char* const kSaveFolder = "D:\\";
constexpr int kSaveFlags = Dialogbox::OverwritePrompt | Dialogbox::HideReadOnly;
// The status line: three lines of report under the drawing area.
constexpr int kStatusLines = 3;
constexpr int kStatusPadding = 3;
}  // namespace

Form1::Form1(const ProgramOptions& options, QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::Form1>()), options_(options) {
    InitResources();
    ui_->setupUi(this);
    setWindowIcon(QIcon(":/qrdesk/qrdesk.png"));
    setWindowTitle(QGuiApplication::applicationDisplayName());
    QFont font("Tahoma");
    font.setPointSizeF(8.25);
    setFont(font);

    cmb1_ = {ui_->cmb1_0, ui_->cmb1_1, ui_->cmb1_2, ui_->cmb1_3};
    Option1_ = {ui_->Option1_0, ui_->Option1_1, ui_->Option1_2};
    ui_->Image1->lower();
    ui_->Picture1->setBackgroundRole(QPalette::Base);
    ui_->Picture1->setForegroundRole(QPalette::Text);

    // The status line hangs below the drawing area, which keeps its size: the window grows
    // by the line's height only.
    StatusBar1 = new QLabel(this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setFrameShape(QFrame::StyledPanel);
    StatusBar1->setFrameShadow(QFrame::Sunken);
    StatusBar1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    StatusBar1->setMargin(kStatusPadding);
    StatusBar1->setTextFormat(Qt::PlainText);
    StatusBar1->setFocusPolicy(Qt::NoFocus);
    const int statusHeight = kStatusLines * StatusBar1->fontMetrics().lineSpacing() +
                             2 * (kStatusPadding + StatusBar1->frameWidth());
    StatusBar1->setGeometry(0, height(), width(), statusHeight);
    resize(width(), height() + statusHeight);

    ShowMessage = [this](const QString& text) { Dialogbox::MessageBox(this, text); };
    AskYesNo = [this](const QString& question) { return Dialogbox::AskYesNo(this, question); };
    ShowSaveDialog = Dialogbox::ShowSaveDialog;

    connect(ui_->Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(ui_->Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(ui_->Image1, &ImageControl::clicked, this, &Form1::Image1_Click);
    for (int i = 0; i < 3; ++i)
        connect(Option1_[i], &QRadioButton::clicked, this, [this, i] { Option1_Click(i); });
    connect(ui_->Text1, &QPlainTextEdit::textChanged, this, &Form1::Text1_Change);
    connect(ui_->Text1, &PromptTextBox::gotFocus, this, &Form1::Text1_GotFocus);

    CreateWebPanel();
    Form_Load();
    cmb1_[0]->setFocus(Qt::OtherFocusReason);
}

Form1::~Form1() = default;

void Form1::CreateWebPanel() {
    QWidget* plain = ui_->WebBrow;
#ifdef QRDESK_HAVE_WEBENGINE
    if (!options_.plainWebPanel) {
        auto* view = new QWebEngineView(this);
        view->setObjectName("WebBrow");
        view->setGeometry(plain->geometry());
        setTabOrder(ui_->Text1, view);
        ui_->WebBrow = nullptr;
        delete plain;
        return;
    }
#endif
    // The plain panel names the page it stands for.
    auto* label = new QLabel(WebPageUrl(options_.webHost).toString(), plain);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignCenter);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setForegroundRole(QPalette::PlaceholderText);
    auto* layout = new QVBoxLayout(plain);
    layout->addWidget(label);
}

void Form1::Form_Load() {
    TavroIsCreate = "no";
    TavroEwmTxt = kPrompt;
#ifdef QRDESK_HAVE_WEBENGINE
    // Navigate once; the page loads in the background and nothing waits for it.
    if (auto* view = findChild<QWebEngineView*>("WebBrow"))
        view->setUrl(WebPageUrl(options_.webHost));
#endif
    ui_->Text1->setPlainText(TavroEwmTxt);  // the change action empties it again

    cmb1_[0]->addItem("Automatic");
    for (int v = 1; v <= 40; ++v) cmb1_[0]->addItem(QString::number(v));
    cmb1_[0]->setCurrentIndex(0);
    for (const char* level : {"L - 7%", "M - 15%", "Q - 25%", "H - 30%"}) cmb1_[1]->addItem(level);
    cmb1_[1]->setCurrentIndex(1);
    cmb1_[2]->addItem("Automatic");
    for (int m = 0; m <= 7; ++m) cmb1_[2]->addItem(QString::number(m));
    cmb1_[2]->setCurrentIndex(0);
    for (const char* item : kEncodingItems) cmb1_[3]->addItem(item);
    cmb1_[3]->setCurrentIndex(1);
    // "ANSI + ECI" only where the code page has a designator that both readers honour.
    if (EciFromIndex(kAnsiEciItem, options_.ansiCodePage.toStdString()) == 0) {
        if (auto* model = qobject_cast<QStandardItemModel*>(cmb1_[3]->model()))
            model->item(kAnsiEciItem)->setEnabled(false);
        cmb1_[3]->setItemData(kAnsiEciItem,
                              QStringLiteral("%1 has no ECI designator that both zxing-cpp and "
                                             "zbar honour")
                                  .arg(options_.ansiCodePage),
                              Qt::ToolTipRole);
    }
}

void Form1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

QSize Form1::DrawingAreaSize() const {
    return {width(), height() - StatusBar1->height()};
}

void Form1::Form_Resize() {
    const QSize area = DrawingAreaSize();
    StatusBar1->setGeometry(0, area.height(), area.width(), StatusBar1->height());
    ShowStatus(statusLines_);  // shortened anew to the line's width

    const int w = area.width();
    const int h = area.height() - 56;
    const int m = w <= h ? w : h;
    // A drawing area too small for the image leaves it where it was.
    if (m - 16 < 0) return;
    ui_->Image1->setGeometry(8, 64, m - 16, m - 16);
}

void Form1::Command1_Click() {
    if (ui_->Text1->toPlainText().isEmpty()) {
        ShowMessage(kNoText);
        return;
    }
    TavroIsCreate = "ok";
    for (const QComboBox* list : cmb1_)
        if (list->currentIndex() < 0) return;

    const int encodingIndex = cmb1_[3]->currentIndex();
    const TextEncoding encoding = EncodingFromIndex(encodingIndex);
    const std::string codePage = options_.ansiCodePage.toStdString();
    const QString text = ui_->Text1->toPlainText();
    std::string error;
    const auto bytes = TextToBytes(text.toStdU16String(), encoding, codePage, &error);
    if (!bytes) {
        ShowMessage(QString::fromStdString(error));
        return;
    }
    clsQRCode::EncodeOptions symbol = OptionsFromIndexes(
        cmb1_[0]->currentIndex(), cmb1_[1]->currentIndex(), cmb1_[2]->currentIndex());
    symbol.kanjiAllowed = KanjiAllowed(encoding, codePage);
    symbol.eci = EciFromIndex(encodingIndex, codePage);

    if (!encoder_) encoder_ = std::make_unique<clsQRCode>();
    const Symbol encoded = EncodeSymbol(*encoder_, *bytes, symbol);
    if (!encoded.picture) {
        // Leave nothing that a later save could write under this text's name.
        ui_->Image1->ClearPicture();
        ui_->Picture1->ClearPicture();
        saved_ = {};
        ShowStatus({});
        ShowMessage(kTooLong);
        return;
    }
    const Image unscaled = FromPicture(*encoded.picture);
    saved_ = Stretch(unscaled, ui_->Picture1->width(), ui_->Picture1->height());
    ui_->Image1->SetPicture(ToQImage(unscaled));
    ui_->Picture1->SetPicture(ToQImage(saved_));
    // Read back the very picture a save would write, with both readers: a few milliseconds.
    const std::string typed =
        TextToBytes(text.toStdU16String(), TextEncoding::Utf8, codePage).value_or("");
    const SymbolCheck check = CheckSymbol(*bytes, typed, unscaled, saved_, kSizeOptionPixels);
    StatusAdvice advice;
    advice.size = check.readableSize;
    if (check.readBack.AllRead() && !check.readBack.AllAsTyped() && encodingIndex != kUtf8EciItem) {
        // Advise "UTF-8 + ECI" only when it is seen to help.
        clsQRCode::EncodeOptions utf8 = symbol;
        utf8.kanjiAllowed = false;
        utf8.eci = kUtf8Eci;
        advice.utf8Eci = ReadsAsTyped(*encoder_, typed, typed, utf8, saved_.width);
    }
    ShowStatus(qrdesk::StatusLines(encoded.report, check, advice));
}

void Form1::ShowStatus(const QStringList& lines) {
    statusLines_ = lines;
    const QFontMetrics metrics = StatusBar1->fontMetrics();
    const int room = StatusBar1->contentsRect().width() - 2 * StatusBar1->margin();
    QStringList shown;
    for (const QString& line : lines) shown << metrics.elidedText(line, Qt::ElideRight, room);
    StatusBar1->setText(shown.join('\n'));
    StatusBar1->setToolTip(shown == lines ? QString() : lines.join('\n'));
}

QString Form1::BitmapPath(const QString& chosenPath) {
    const qsizetype slash = chosenPath.lastIndexOf('/');
    QString path = chosenPath.left(slash + 1) + chosenPath.mid(slash + 1).toLower();
    if (!path.endsWith(".bmp")) path += ".bmp";
    return path;
}

void Form1::Command2_Click() {
    if (TavroIsCreate != "ok" || saved_.Empty()) {
        ShowMessage(kNothingToSave);
        return;
    }
    const QString chosen =
        ShowSaveDialog(kSaveTitle, kSaveFilter, 0, kSaveFolder, kSaveFlags, nullptr);
    if (chosen.isEmpty()) return;
    const QString path = BitmapPath(chosen);
    // The dialog asked only about the name as chosen there.
    if (path != chosen && QFileInfo::exists(path) &&
        !AskYesNo(QStringLiteral("%1 已存在。\n要替换它吗？").arg(QDir::toNativeSeparators(path))))
        return;
    std::string reason;
    if (!WriteFileAtomically(QFile::encodeName(path).toStdString(), EncodeBmp(saved_), &reason))
        ShowMessage(QStringLiteral("无法保存文件 %1\n%2")
                        .arg(QDir::toNativeSeparators(path), QString::fromStdString(reason)));
}

void Form1::Image1_Click() {
    const QImage& picture = ui_->Image1->Picture();
    if (picture.isNull()) return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setImage(picture);
}

void Form1::Option1_Click(int index) {
    if (index < 0 || index > 2) return;
    // Only the box changes; its picture keeps its size until the next generation.
    ui_->Picture1->resize(kSizeOptionPixels[index], kSizeOptionPixels[index]);
}

void Form1::Text1_Change() {
    if (ui_->Text1->toPlainText() == TavroEwmTxt) ui_->Text1->setPlainText(QString());
}

void Form1::Text1_GotFocus() {
    QTextCursor cursor = ui_->Text1->textCursor();
    cursor.setPosition(0);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    ui_->Text1->setTextCursor(cursor);
}

}  // namespace qrdesk
