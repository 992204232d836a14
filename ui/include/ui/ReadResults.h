#pragma once
// Reading symbols in the window: a picture (from a file, the clipboard, a drop or the whole
// screen) read by the three readers, and the results window that lists what was found.

#include <QDialog>
#include <QImage>
#include <QString>
#include <functional>

#include "common/PictureReading.h"
#include "common/SymbolJob.h"

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace qrdesk {

// Every symbol in picture (transparent parts laid on white), in reading order.
PictureReading ReadImage(const QImage& picture);

// The whole desktop, every screen at its place; a null image with *error set where the
// screens cannot be captured (Wayland without a capture Qt can use).
QImage GrabScreens(QString* error);

// text with what could hide or disguise it made visible: control characters as their
// pictures (U+2400..), direction and invisible format characters as <U+XXXX>.
QString SafeText(const QString& text);

// Whether text is one web or mail link, fit for "打开链接".
bool IsLink(const QString& text);

// The window's list indexes that make the symbol again: version, level, mask and encoding;
// -1 where the symbol does not say (that list keeps its choice).
struct ListChoice {
    int version = -1;
    int level = -1;
    int mask = -1;
    int encoding = -1;
};
ListChoice ChoiceFor(const FoundSymbol& symbol);

// The results window: the symbols found, each reader's text and what the modules say.
class ReadResults : public QDialog {
    Q_OBJECT
  public:
    explicit ReadResults(QWidget* owner);

    // Shows reading (what source names: a file, "剪贴板", "屏幕"); the first symbol is
    // selected and has the focus.
    void Show(const PictureReading& reading, const QString& source);
    // The selected symbol; nullptr when none.
    const FoundSymbol* Selected() const;
    QListWidget* List() const { return list_; }
    QString Details() const;

    // Asks before a link is opened (true: open it) and opens it; tests replace both.
    std::function<bool(const QString& question)> AskYesNo;
    std::function<void(const QString& url)> OpenUrl;

    // Copies the selected symbol's text, exactly, to the clipboard.
    void CopySelected();
    void OpenSelectedLink();

  protected:
    // The list's own Ctrl+C would copy the safe text shown; the exact text is copied instead.
    bool eventFilter(QObject* watched, QEvent* event) override;

  signals:
    // "编辑并重新生成": the text and the list choices that make the symbol again.
    void editRequested(const QString& text, const qrdesk::ListChoice& choice);

  private:
    void ShowSelected();

    PictureReading reading_;
    QLabel* summary_ = nullptr;
    QListWidget* list_ = nullptr;
    QPlainTextEdit* details_ = nullptr;
    QPushButton* cmdCopy_ = nullptr;
    QPushButton* cmdOpen_ = nullptr;
    QPushButton* cmdEdit_ = nullptr;
};

}  // namespace qrdesk
