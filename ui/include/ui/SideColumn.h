#pragma once
// The window's side column, right of the described area: "内容" (the content-type list, the
// chosen type's fields and the text they make) and "外观" (the symbol's colours, its quiet
// zone, a logo and its size). Room stays free at the bottom for more groups.

#include <QColor>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "common/Content.h"
#include "common/Image.h"
#include "ui/ContentVocabulary.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QToolButton;

namespace qrdesk {

class SideColumn : public QWidget {
    Q_OBJECT
  public:
    explicit SideColumn(QWidget* parent = nullptr);

    // The column's width, its right margin included.
    static constexpr int kWidth = 216;
    static constexpr int kDefaultMargin = 4;

    ContentType Type() const;
    void SetType(ContentType type);
    // The chosen type's fields as the template takes them (UTF-8).
    ContentFields Fields() const;
    // Sets a field of the chosen type's page, by name; false when it has no such field.
    bool SetField(ContentType type, const char* name, const QString& value);
    // The text the fields make, or why they make none (Text: the text box's business).
    ContentResult Made() const { return MakeContent(Type(), Fields()); }

    Colours SymbolColours() const { return colours_; }
    void SetColours(const Colours& colours);
    int Margin() const;
    // The logo chosen, if any, and its size in percent.
    const std::shared_ptr<const LoadedLogo>& Logo() const { return logo_; }
    QString LogoPath() const { return logoPath_; }
    int LogoPercent() const;
    // Reads and decodes path as the logo; false, with the logo unchanged, when it cannot.
    bool SetLogo(const QString& path, QString* error);
    void ClearLogo();

    // The modal dialogs; tests replace them. ChooseColour returns an invalid colour on cancel,
    // ChooseLogoFile an empty path.
    std::function<QColor(const QColor& initial, const QString& title)> ChooseColour;
    std::function<QString()> ChooseLogoFile;
    // Says why a chosen logo cannot be used.
    std::function<void(const QString& text)> ShowMessage;

  signals:
    void typeChanged(qrdesk::ContentType type);
    void logoChanged(bool present);

  private:
    QWidget* MakePage(ContentType type);
    void ShowPage(int index);
    void ShowMade();
    void PickColour(bool dark);
    void PickLogo();
    void UpdateColourButtons();

    QComboBox* cmbContentType_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    QLabel* lblMade_ = nullptr;
    QPlainTextEdit* txtMade_ = nullptr;
    QPushButton* cmdForeground_ = nullptr;
    QPushButton* cmdBackground_ = nullptr;
    QSpinBox* spnMargin_ = nullptr;
    QPushButton* cmdLogo_ = nullptr;
    QToolButton* cmdClearLogo_ = nullptr;
    QSpinBox* spnLogoSize_ = nullptr;
    // Each page's field editors, by type: (field name, editor).
    std::vector<std::vector<std::pair<const char*, QWidget*>>> editors_;

    Colours colours_;
    std::shared_ptr<const LoadedLogo> logo_;
    QString logoPath_;
};

}  // namespace qrdesk
