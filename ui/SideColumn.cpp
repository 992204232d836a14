#include "ui/SideColumn.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace qrdesk {
namespace {

// A multi-line field shows two lines, the text made four: the column keeps room below.
constexpr int kMultiLineHeight = 40;
constexpr int kMadeHeight = 60;
constexpr int kSwatch = 14;

QString ColourName(std::uint32_t argb) {
    const QColor colour = QColor::fromRgba(argb);
    return colour.alpha() == 255 ? colour.name(QColor::HexRgb).toUpper()
                                 : colour.name(QColor::HexArgb).toUpper();
}

QIcon Swatch(std::uint32_t argb) {
    QPixmap pixmap(kSwatch, kSwatch);
    pixmap.fill(QColor::fromRgba(argb));
    QPainter painter(&pixmap);
    painter.setPen(Qt::gray);
    painter.drawRect(0, 0, kSwatch - 1, kSwatch - 1);
    return QIcon(pixmap);
}

}  // namespace

SideColumn::SideColumn(QWidget* parent) : QWidget(parent) {
    setObjectName("SideColumn1");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 8, 8, 8);

    // 内容: the type list, one page of fields per type, the text they make.
    auto* content = new QGroupBox(tr("内容"), this);
    content->setObjectName("Frame2");
    auto* contentLayout = new QVBoxLayout(content);
    cmbContentType_ = new QComboBox(content);
    cmbContentType_->setObjectName("cmbContentType");
    cmbContentType_->addItems(ContentTypeCaptions());
    cmbContentType_->setToolTip(tr("内容类型"));
    contentLayout->addWidget(cmbContentType_);
    pages_ = new QStackedWidget(content);
    for (const ContentKind& kind : ContentKinds()) pages_->addWidget(MakePage(kind.type));
    contentLayout->addWidget(pages_);
    lblMade_ = new QLabel(content);
    lblMade_->setObjectName("lblMade");
    lblMade_->setWordWrap(true);
    contentLayout->addWidget(lblMade_);
    txtMade_ = new QPlainTextEdit(content);
    txtMade_->setObjectName("txtMade");
    txtMade_->setReadOnly(true);
    txtMade_->setTabChangesFocus(true);
    txtMade_->setFixedHeight(kMadeHeight);
    txtMade_->setToolTip(tr("将编码的文本"));
    lblMade_->setBuddy(txtMade_);
    contentLayout->addWidget(txtMade_);
    // The group is as high as the page shown, so that the column keeps room below for the
    // short pages (the contact page fills it).
    column->addWidget(content);

    // 外观: colours, quiet zone, logo.
    auto* look = new QGroupBox(tr("外观"), this);
    look->setObjectName("Frame3");
    auto* form = new QFormLayout(look);
    cmdForeground_ = new QPushButton(look);
    cmdForeground_->setObjectName("cmdForeground");
    cmdBackground_ = new QPushButton(look);
    cmdBackground_->setObjectName("cmdBackground");
    form->addRow(tr("前景色"), cmdForeground_);
    form->addRow(tr("背景色"), cmdBackground_);
    spnMargin_ = new QSpinBox(look);
    spnMargin_->setObjectName("spnMargin");
    spnMargin_->setRange(0, 100);
    spnMargin_->setValue(kDefaultMargin);
    spnMargin_->setSuffix(tr(" 模块"));
    spnMargin_->setToolTip(tr("四周空白的宽度（模块）；少于 4 个模块时部分扫描器可能无法识别"));
    form->addRow(tr("边距"), spnMargin_);
    auto* logoRow = new QHBoxLayout;
    cmdLogo_ = new QPushButton(tr("选择…"), look);
    cmdLogo_->setObjectName("cmdLogo");
    cmdLogo_->setToolTip(tr("放在二维码中央的标志（PNG、JPEG 或 SVG）"));
    cmdClearLogo_ = new QToolButton(look);
    cmdClearLogo_->setObjectName("cmdClearLogo");
    cmdClearLogo_->setText(QStringLiteral("×"));
    cmdClearLogo_->setToolTip(tr("去掉标志"));
    cmdClearLogo_->setFocusPolicy(Qt::StrongFocus);
    logoRow->addWidget(cmdLogo_, 1);
    logoRow->addWidget(cmdClearLogo_);
    form->addRow(tr("标志"), logoRow);
    spnLogoSize_ = new QSpinBox(look);
    spnLogoSize_->setObjectName("spnLogoSize");
    spnLogoSize_->setRange(kMinLogoPercent, kMaxLogoPercent);
    spnLogoSize_->setValue(kDefaultLogoPercent);
    spnLogoSize_->setSuffix(QStringLiteral(" %"));
    spnLogoSize_->setToolTip(tr("标志（含白边）占二维码宽度的百分比"));
    form->addRow(tr("标志大小"), spnLogoSize_);
    column->addWidget(look);
    column->addStretch(1);  // room for more groups

    ChooseColour = [this](const QColor& initial, const QString& title) {
        return QColorDialog::getColor(initial, window(), title, QColorDialog::ShowAlphaChannel);
    };
    ChooseLogoFile = [this] {
        return QFileDialog::getOpenFileName(window(), tr("选择标志"), QString(),
                                            tr("图片 (*.png *.jpg *.jpeg *.svg)"));
    };
    ShowMessage = [](const QString&) {};

    connect(cmbContentType_, &QComboBox::currentIndexChanged, this, [this](int index) {
        ShowPage(index);
        ShowMade();
        emit typeChanged(Type());
    });
    connect(cmdForeground_, &QPushButton::clicked, this, [this] { PickColour(true); });
    connect(cmdBackground_, &QPushButton::clicked, this, [this] { PickColour(false); });
    connect(cmdLogo_, &QPushButton::clicked, this, &SideColumn::PickLogo);
    connect(cmdClearLogo_, &QToolButton::clicked, this, &SideColumn::ClearLogo);
    UpdateColourButtons();
    ClearLogo();
    ShowPage(0);
    ShowMade();
}

void SideColumn::ShowPage(int index) {
    // A stack is as high as its largest page that is not ignored.
    for (int i = 0; i < pages_->count(); ++i)
        pages_->widget(i)->setSizePolicy(
            QSizePolicy::Preferred, i == index ? QSizePolicy::Preferred : QSizePolicy::Ignored);
    pages_->setCurrentIndex(index);
    pages_->updateGeometry();
}

QWidget* SideColumn::MakePage(ContentType type) {
    auto* page = new QWidget(pages_);
    auto* form = new QFormLayout(page);
    form->setContentsMargins(0, 0, 0, 0);
    auto& editors = editors_.emplace_back();
    if (type == ContentType::Text) {
        // The described text box stays the only input for plain text.
        auto* hint = new QLabel(tr("在“二维码设置”的文本框中输入文本。"), page);
        hint->setWordWrap(true);
        form->addRow(hint);
        return page;
    }
    for (const ContentField& field : KindOf(type).fields) {
        QWidget* editor = nullptr;
        const QString name = QStringLiteral("fld_%1_%2").arg(KindOf(type).name, field.name);
        if (std::string_view(field.name) == "security") {
            auto* list = new QComboBox(page);
            for (const SecurityChoice& choice : kSecurityChoices) list->addItem(tr(choice.caption));
            connect(list, &QComboBox::currentIndexChanged, this, &SideColumn::ShowMade);
            editor = list;
        } else if (std::string_view(field.name) == "hidden") {
            auto* check = new QCheckBox(page);
            connect(check, &QCheckBox::toggled, this, &SideColumn::ShowMade);
            editor = check;
        } else if (field.multiLine) {
            auto* box = new QPlainTextEdit(page);
            box->setTabChangesFocus(true);
            box->setFixedHeight(kMultiLineHeight);
            connect(box, &QPlainTextEdit::textChanged, this, &SideColumn::ShowMade);
            editor = box;
        } else {
            auto* line = new QLineEdit(page);
            line->setPlaceholderText(FieldPlaceholder(type, field.name));
            connect(line, &QLineEdit::textChanged, this, &SideColumn::ShowMade);
            editor = line;
        }
        editor->setObjectName(name);
        const QString caption = FieldCaption(type, field.name);
        editor->setAccessibleName(caption);
        form->addRow(field.required ? caption + QStringLiteral(" *") : caption, editor);
        editors.emplace_back(field.name, editor);
    }
    return page;
}

ContentType SideColumn::Type() const {
    const int index = cmbContentType_->currentIndex();
    return index < 0 ? ContentType::Text : static_cast<ContentType>(index);
}

void SideColumn::SetType(ContentType type) {
    cmbContentType_->setCurrentIndex(static_cast<int>(type));
}

ContentFields SideColumn::Fields() const {
    ContentFields fields;
    for (const auto& [name, editor] : editors_[static_cast<std::size_t>(Type())]) {
        QString value;
        if (const auto* line = qobject_cast<const QLineEdit*>(editor)) {
            value = line->text();
        } else if (const auto* box = qobject_cast<const QPlainTextEdit*>(editor)) {
            value = box->toPlainText();
        } else if (const auto* list = qobject_cast<const QComboBox*>(editor)) {
            const int index = std::max(0, list->currentIndex());
            value = QString::fromUtf8(kSecurityChoices[index].value);
        } else if (const auto* check = qobject_cast<const QCheckBox*>(editor)) {
            value = check->isChecked() ? QStringLiteral("yes") : QStringLiteral("no");
        }
        fields[name] = value.toStdString();
    }
    return fields;
}

bool SideColumn::SetField(ContentType type, const char* name, const QString& value) {
    for (const auto& [field, editor] : editors_[static_cast<std::size_t>(type)]) {
        if (std::string_view(field) != name) continue;
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            line->setText(value);
        } else if (auto* box = qobject_cast<QPlainTextEdit*>(editor)) {
            box->setPlainText(value);
        } else if (auto* list = qobject_cast<QComboBox*>(editor)) {
            for (int i = 0; i < static_cast<int>(std::size(kSecurityChoices)); ++i)
                if (value.compare(QString::fromUtf8(kSecurityChoices[i].value),
                                  Qt::CaseInsensitive) == 0)
                    list->setCurrentIndex(i);
        } else if (auto* check = qobject_cast<QCheckBox*>(editor)) {
            check->setChecked(value == QStringLiteral("yes"));
        }
        return true;
    }
    return false;
}

void SideColumn::ShowMade() {
    const bool text = Type() == ContentType::Text;
    lblMade_->setVisible(!text);
    txtMade_->setVisible(!text);
    if (text) return;
    const ContentResult made = Made();
    if (made.Ok()) {
        lblMade_->setText(tr("将编码的文本："));
        lblMade_->setStyleSheet(QString());
        txtMade_->setPlainText(QString::fromStdString(made.text));
    } else {
        // The reason in place of the caption, in a colour that stands out.
        lblMade_->setText(ProblemText(Type(), made));
        lblMade_->setStyleSheet(QStringLiteral("color: #B00020;"));
        txtMade_->clear();
    }
}

void SideColumn::SetColours(const Colours& colours) {
    colours_ = colours;
    UpdateColourButtons();
}

void SideColumn::UpdateColourButtons() {
    cmdForeground_->setText(ColourName(colours_.dark));
    cmdForeground_->setIcon(Swatch(colours_.dark));
    cmdBackground_->setText(ColourName(colours_.light));
    cmdBackground_->setIcon(Swatch(colours_.light));
}

void SideColumn::PickColour(bool dark) {
    std::uint32_t& target = dark ? colours_.dark : colours_.light;
    const QColor chosen =
        ChooseColour(QColor::fromRgba(target), dark ? tr("前景色") : tr("背景色"));
    if (!chosen.isValid()) return;
    target = chosen.rgba();
    UpdateColourButtons();
}

int SideColumn::Margin() const {
    return spnMargin_->value();
}

int SideColumn::LogoPercent() const {
    return spnLogoSize_->value();
}

bool SideColumn::SetLogo(const QString& path, QString* error) {
    auto logo = LoadLogo(path, error);
    if (!logo) return false;
    logo_ = std::make_shared<const LoadedLogo>(std::move(*logo));
    logoPath_ = path;
    const QString name = QFileInfo(path).fileName();
    cmdLogo_->setText(
        cmdLogo_->fontMetrics().elidedText(name, Qt::ElideMiddle, cmdLogo_->width() - 16));
    cmdLogo_->setToolTip(path);
    cmdClearLogo_->setEnabled(true);
    spnLogoSize_->setEnabled(true);
    emit logoChanged(true);
    return true;
}

void SideColumn::ClearLogo() {
    const bool had = logo_ != nullptr;
    logo_.reset();
    logoPath_.clear();
    cmdLogo_->setText(tr("选择…"));
    cmdLogo_->setToolTip(tr("放在二维码中央的标志（PNG、JPEG 或 SVG）"));
    // The focus moves on rather than to nowhere when the button it is on goes grey.
    if (cmdClearLogo_->hasFocus()) cmdLogo_->setFocus(Qt::OtherFocusReason);
    cmdClearLogo_->setEnabled(false);
    spnLogoSize_->setEnabled(false);
    if (had) emit logoChanged(false);
}

void SideColumn::PickLogo() {
    const QString path = ChooseLogoFile();
    if (path.isEmpty()) return;
    QString error;
    if (!SetLogo(path, &error))
        ShowMessage(tr("无法使用标志文件 %1\n%2").arg(QDir::toNativeSeparators(path), error));
}

}  // namespace qrdesk
