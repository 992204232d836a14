#include "ui/Form1.h"

#include <QComboBox>
#include <QDrag>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QStandardItemModel>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "common/SymbolJob.h"
#include "ui/Controls.h"
#include "ui/QtImage.h"
#include "ui/SideColumn.h"
#include "ui/StatusText.h"
#include "ui/WindowVocabulary.h"
#include "ui_Form1.h"

#ifdef QRDESK_HAVE_WEBENGINE
#include <QWebEngineView>
#endif

// The window's icon and help page are resources of this static library; link them in.
static void InitResources() {
    Q_INIT_RESOURCE(qrdesk);
}

namespace qrdesk {
namespace {
const char* const kPrompt = QT_TRANSLATE_NOOP("qrdesk::Form1", "请在此输入文本信息！");
const char* const kNoText = QT_TRANSLATE_NOOP("qrdesk::Form1", "您未输入文本信息！");
const char* const kTooLong = QT_TRANSLATE_NOOP("qrdesk::Form1", "文本信息过长，无法生成二维码！");
const char* const kNoMemory = QT_TRANSLATE_NOOP("qrdesk::Form1", "内存不足，无法生成二维码！");
// The status line: three lines of report under the drawing area.
constexpr int kStatusLines = 3;
constexpr int kStatusPadding = 3;
// The size options' height, which their round marks must fit.
constexpr int kOptionHeight = 13;
// The help page's list indent, in pixels.
constexpr int kHelpIndent = 12;
// The picture a drag shows under the pointer.
constexpr int kDragPixmapSide = 96;
// The level list's items "M - 15%", selected at start-up, and "H - 30%".
constexpr int kStartLevel = 1;
constexpr int kLevelH = 3;
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
    Label1_ = {ui_->Label1, ui_->Label2, ui_->Label3};
    ui_->Image1->lower();
    ui_->Picture1->setBackgroundRole(QPalette::Base);
    ui_->Picture1->setForegroundRole(QPalette::Text);

    // The marks drawn whole in their 13 pixels; each caption is its option's buddy and
    // selects it when clicked.
    auto* optionStyle = new SizeOptionStyle(kOptionHeight);
    optionStyle->setParent(this);
    for (int i = 0; i < 3; ++i) {
        Option1_[i]->setStyle(optionStyle);
        Label1_[i]->setBuddy(Option1_[i]);
        Label1_[i]->installEventFilter(this);
    }
    // Enter presses a focused button, as Space does.
    ui_->Command1->setAutoDefault(true);
    ui_->Command2->setAutoDefault(true);

    // The status line hangs below the drawing area, which keeps its size: the window grows
    // by the line's height only, and is never made smaller than that.
    StatusBar1 = new QLabel(this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setFrameShape(QFrame::StyledPanel);
    StatusBar1->setFrameShadow(QFrame::Sunken);
    StatusBar1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    StatusBar1->setMargin(kStatusPadding);
    StatusBar1->setTextFormat(Qt::PlainText);
    StatusBar1->setFocusPolicy(Qt::NoFocus);
    StatusBar1->setAutoFillBackground(true);
    StatusBar1->setBackgroundRole(QPalette::Window);
    // Chinese comes from a fallback font whose lines may be taller than the window font's:
    // "二维码 Ag" measures both.
    const QString sample = QStringLiteral("\u4e8c\u7ef4\u7801 Ag");
    const int lines = std::max(kStatusLines * StatusBar1->fontMetrics().lineSpacing(),
                               StatusBar1->fontMetrics()
                                   .boundingRect(QRect(0, 0, 1000, 1000), Qt::AlignLeft,
                                                 QStringList(kStatusLines, sample).join('\n'))
                                   .height());
    const int statusHeight = lines + 2 * (kStatusPadding + StatusBar1->frameWidth());
    StatusBar1->setGeometry(0, height(), width(), statusHeight);
    // The side column stands right of the drawing area, the window's whole height.
    SideColumn1 = new SideColumn(this);
    SideColumn1->setGeometry(width(), 0, SideColumn::kWidth, height() + statusHeight);
    CreateReadingGroup();
    resize(width() + SideColumn::kWidth, height() + statusHeight);
    setMinimumSize(size());
    noticeTimer_.setSingleShot(true);
    connect(&noticeTimer_, &QTimer::timeout, this, [this] {
        notice_.clear();
        RenderStatus();
    });

    ShowMessage = [this](const QString& text) { Dialogbox::MessageBox(this, text); };
    AskYesNo = [this](const QString& question) { return Dialogbox::AskYesNo(this, question); };
    ShowSaveDialog = Dialogbox::ShowSaveDialog;
    ShowPrintDialog = [this](QPrinter& printer, double* widthMm) {
        return Dialogbox::ShowPrintDialog(printer, widthMm, this);
    };
    StartDrag = [this](QMimeData* data) {
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        const QPixmap shown = QPixmap::fromImage(ui_->Picture1->Picture());
        drag->setPixmap(shown.scaled(kDragPixmapSide, kDragPixmapSide, Qt::KeepAspectRatio));
        drag->setHotSpot(QPoint(kDragPixmapSide / 2, kDragPixmapSide / 2));
        drag->exec(Qt::CopyAction);
    };

    connect(ui_->Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(ui_->Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(ui_->Image1, &ImageControl::clicked, this, &Form1::Image1_Click);
    for (int i = 0; i < 3; ++i)
        connect(Option1_[i], &QRadioButton::clicked, this, [this, i] { Option1_Click(i); });
    connect(ui_->Text1, &QPlainTextEdit::textChanged, this, &Form1::Text1_Change);
    connect(ui_->Text1, &PromptTextBox::gotFocus, this, &Form1::Text1_GotFocus);
    ConnectSideColumn();

    // Ctrl+Enter generates wherever the focus is, the text box included.
    for (const QKeyCombination keys : {Qt::CTRL | Qt::Key_Return, Qt::CTRL | Qt::Key_Enter}) {
        auto* generate = new QShortcut(QKeySequence(keys), this);
        connect(generate, &QShortcut::activated, ui_->Command1, &QPushButton::click);
    }
    setAcceptDrops(true);

    CreateSymbolMenu();
    CreateWebPanel();
    Form_Load();
    cmb1_[0]->setFocus(Qt::OtherFocusReason);
}

Form1::~Form1() = default;

void Form1::CreateWebPanel() {
    QWidget* plain = ui_->WebBrow;
    QWidget* panel = nullptr;
    if (options_.webHost.isEmpty()) {
        // The help page inside the program: no web engine, no network.
        auto* help = new QTextBrowser(this);
        help->setOpenLinks(false);
        help->document()->setIndentWidth(kHelpIndent);  // the panel is narrow
        // The style draws no focus on a text browser's frame; a Tab stop must show itself.
        help->setStyleSheet(
            QStringLiteral("QTextBrowser:focus { border: %1px solid palette(highlight); }")
                .arg(PictureBox::kFocusFrameWidth));
        help->setSource(WebPanelUrl(options_));
        // Text dropped on the page goes to the window, which puts it into the text box.
        help->setAcceptDrops(false);
        help->viewport()->setAcceptDrops(false);
        panel = help;
    }
#ifdef QRDESK_HAVE_WEBENGINE
    else if (!options_.plainWebPanel) {
        panel = new QWebEngineView(this);
    }
#endif
    if (panel) {
        panel->setObjectName("WebBrow");
        panel->setGeometry(plain->geometry());
        setTabOrder(ui_->Text1, panel);
        ui_->WebBrow = nullptr;
        delete plain;
        return;
    }
    // The plain panel names the page it stands for.
    auto* label = new QLabel(WebPanelUrl(options_).toString(), plain);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignCenter);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setForegroundRole(QPalette::PlaceholderText);
    auto* layout = new QVBoxLayout(plain);
    layout->addWidget(label);
}

void Form1::CreateSymbolMenu() {
    mnuSymbol = new QMenu(this);
    mnuSymbol->setObjectName("mnuSymbol");
    mnuCopy = mnuSymbol->addAction(tr("复制"), this, &Form1::mnuCopy_Click);
    mnuSaveAs = mnuSymbol->addAction(tr("另存为…"), this, &Form1::Command2_Click);
    mnuPrint = mnuSymbol->addAction(tr("打印…"), this, &Form1::mnuPrint_Click);
    mnuCopy->setObjectName("mnuCopy");
    mnuSaveAs->setObjectName("mnuSaveAs");
    mnuPrint->setObjectName("mnuPrint");
    // Ctrl+C copies the symbol while the symbol has the focus (elsewhere it is the text
    // box's); Ctrl+S and Ctrl+P work anywhere in the window. The menu shows them.
    mnuCopy->setShortcut(QKeySequence::Copy);
    mnuCopy->setShortcutContext(Qt::WidgetShortcut);
    ui_->Picture1->addAction(mnuCopy);
    mnuSaveAs->setShortcut(QKeySequence::Save);
    mnuPrint->setShortcut(QKeySequence::Print);
    addAction(mnuSaveAs);
    addAction(mnuPrint);
    for (PictureBox* box :
         {static_cast<PictureBox*>(ui_->Picture1), static_cast<PictureBox*>(ui_->Image1)}) {
        box->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(box, &QWidget::customContextMenuRequested, this,
                [this, box](const QPoint& position) { ShowSymbolMenu(box, position); });
        connect(box, &PictureBox::dragRequested, this, &Form1::DragSymbol);
    }
    UpdateSymbolActions();
}

void Form1::Form_Load() {
    TavroIsCreate = "no";
    TavroEwmTxt = tr(kPrompt);
#ifdef QRDESK_HAVE_WEBENGINE
    // Navigate once; the page loads in the background and nothing waits for it.
    if (auto* view = findChild<QWebEngineView*>("WebBrow")) view->setUrl(WebPanelUrl(options_));
#endif
    ui_->Text1->setPlainText(TavroEwmTxt);  // the change action empties it again

    cmb1_[0]->addItem("Automatic");
    for (int v = 1; v <= 40; ++v) cmb1_[0]->addItem(QString::number(v));
    cmb1_[0]->setCurrentIndex(0);
    for (const char* level : kLevelItems) cmb1_[1]->addItem(level);
    cmb1_[1]->setCurrentIndex(kStartLevel);
    cmb1_[2]->addItem("Automatic");
    for (int m = 0; m <= 7; ++m) cmb1_[2]->addItem(QString::number(m));
    cmb1_[2]->addItem(WindowText(kLowestPenaltyItem));
    cmb1_[2]->setCurrentIndex(0);
    for (const char* item : kEncodingItems) cmb1_[3]->addItem(item);
    cmb1_[3]->setCurrentIndex(1);
    // "ANSI+ECI" only where the code page has a designator that both readers honour.
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
    return {width() - SideColumn::kWidth, height() - StatusBar1->height()};
}

void Form1::ConnectSideColumn() {
    SideColumn1->ShowMessage = [this](const QString& text) { ShowMessage(text); };
    // The text box is the input of plain text only; a template takes its fields instead.
    connect(SideColumn1, &SideColumn::typeChanged, this,
            [this](ContentType type) { ui_->Text1->setEnabled(type == ContentType::Text); });
    // A logo takes level H, unless the user chose a level; removed, it gives back the level.
    connect(cmb1_[1], &QComboBox::activated, this, [this] {
        levelChosen_ = true;
        levelForLogo_ = false;
    });
    connect(SideColumn1, &SideColumn::logoChanged, this, [this](bool present) {
        if (present && !levelChosen_ && cmb1_[1]->currentIndex() != kLevelH) {
            cmb1_[1]->setCurrentIndex(kLevelH);
            levelForLogo_ = true;
        } else if (!present && levelForLogo_) {
            cmb1_[1]->setCurrentIndex(kStartLevel);
            levelForLogo_ = false;
        }
    });
}

void Form1::Form_Resize() {
    const QSize area = DrawingAreaSize();
    StatusBar1->setGeometry(0, area.height(), area.width(), StatusBar1->height());
    SideColumn1->setGeometry(area.width(), 0, SideColumn::kWidth, height());
    RenderStatus();  // shortened anew to the line's width

    const int w = area.width();
    const int h = area.height() - 56;
    const int m = w <= h ? w : h;
    // A drawing area too small for the image leaves it where it was.
    if (m - 16 < 0) return;
    ui_->Image1->setGeometry(8, 64, m - 16, m - 16);
}

void Form1::Command1_Click() {
    // A template's text, or the text box's as described.
    QString text = ui_->Text1->toPlainText();
    if (SideColumn1->Type() != ContentType::Text) {
        const ContentResult made = SideColumn1->Made();
        if (!made.Ok()) {
            ShowMessage(ProblemText(SideColumn1->Type(), made));
            return;
        }
        text = QString::fromStdString(made.text);
    } else if (text.isEmpty()) {
        // This generation made nothing: saving and printing no longer speak of an earlier
        // text's figures.
        tooLong_.clear();
        ShowMessage(tr(kNoText));
        return;
    }
    TavroIsCreate = "ok";
    for (const QComboBox* list : cmb1_)
        if (list->currentIndex() < 0) return;

    SymbolSettings settings = SettingsFromLists(cmb1_[0]->currentIndex(), cmb1_[1]->currentIndex(),
                                                cmb1_[2]->currentIndex(), cmb1_[3]->currentIndex(),
                                                options_.ansiCodePage.toStdString());
    settings.text = text.toStdU16String();
    settings.size = ui_->Picture1->width();
    settings.keepWritten = true;
    settings.advice = AdviceScope::ChoicesFirst;
    settings.colours = SideColumn1->SymbolColours();
    settings.margin = SideColumn1->Margin();
    settings.logo = SideColumn1->Logo();
    settings.logoPercent = SideColumn1->LogoPercent();
    if (!encoder_) encoder_ = std::make_unique<clsQRCode>();
    // The symbol is drawn at once; the readers' verdicts on the picture a save would write
    // (a few milliseconds, more when other sides and levels are tried) follow from the check.
    SymbolResult made = MakeSymbol(*encoder_, settings);
    if (made.status == SymbolStatus::UnknownCodePage) {
        ShowMessage(QString::fromStdString(made.error));
        return;
    }
    notice_.clear();
    tooLong_.clear();
    if (check_) check_->Cancel();  // an older symbol's verdicts would be stale
    checking_ = 0;
    if (!made.Made()) {
        // Leave nothing that a later save could write under this text's name.
        ui_->Image1->ClearPicture();
        ui_->Picture1->ClearPicture();
        symbol_ = {};
        UpdateSymbolActions();
        ShowStatus({});
        if (made.status != SymbolStatus::DoesNotFit) {
            ShowMessage(tr(kNoMemory));
            return;
        }
        tooLong_ = TooLongFigures(made.fit);
        ShowMessage(tr(kTooLong) + '\n' + tooLong_);
        return;
    }
    symbol_ = std::move(made);
    // The logo is only in the written picture; without one the modules are drawn sharp.
    ui_->Image1->SetPicture(ToQImage(symbol_.logo ? symbol_.written : symbol_.unscaled));
    ui_->Picture1->SetPicture(ToQImage(symbol_.written));
    UpdateSymbolActions();
    StartCheck(settings);
}

void Form1::StartCheck(const SymbolSettings& settings) {
    if (readers_.All().empty()) {
        ShowStatus(qrdesk::StatusLines(symbol_));
        return;
    }
    if (!check_)
        check_ = std::make_unique<SymbolCheck>(
            readers_.All(), [this](std::uint64_t number, SymbolResult checked) {
                // To the GUI thread; a window closed meanwhile drops the event with itself.
                QMetaObject::invokeMethod(
                    this,
                    [this, number, checked = std::move(checked)]() mutable {
                        if (number != checking_) return;  // a newer symbol is shown
                        checking_ = 0;
                        symbol_.typed = std::move(checked.typed);
                        symbol_.verdicts = std::move(checked.verdicts);
                        symbol_.advice = checked.advice;
                        ShowStatus(qrdesk::StatusLines(symbol_));
                    },
                    Qt::QueuedConnection);
            });
    checking_ = check_->Start(settings, symbol_);
    ShowStatus({qrdesk::StatusLines(symbol_).value(0)});  // the report until the verdicts come
}

void Form1::ShowStatus(const QStringList& lines) {
    statusLines_ = lines;
    RenderStatus();
}

void Form1::ShowNotice(const QString& text) {
    notice_ = text;
    noticeTimer_.start(kNoticeMs);
    RenderStatus();
}

void Form1::RenderStatus() {
    // A notice takes the first free line, or the last line while it lasts.
    QStringList lines = statusLines_;
    if (!notice_.isEmpty()) {
        if (lines.size() >= kStatusLines) lines.resize(kStatusLines - 1);
        lines << notice_;
    }
    const QFontMetrics metrics = StatusBar1->fontMetrics();
    const int room = StatusBar1->contentsRect().width() - 2 * StatusBar1->margin();
    QStringList shown;
    for (const QString& line : lines) shown << metrics.elidedText(line, Qt::ElideRight, room);
    StatusBar1->setText(shown.join('\n'));
    StatusBar1->setToolTip(shown == lines ? QString() : lines.join('\n'));
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    for (int i = 0; i < 3; ++i) {
        if (watched != Label1_[i] || event->type() != QEvent::MouseButtonRelease) continue;
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            Label1_[i]->rect().contains(mouse->position().toPoint())) {
            Option1_[i]->setFocus(Qt::MouseFocusReason);
            Option1_[i]->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::Option1_Click(int index) {
    if (index < 0 || index > 2) return;
    // Only the box changes; its picture keeps its size until the next generation.
    ui_->Picture1->resize(kOfferedSides[index], kOfferedSides[index]);
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
