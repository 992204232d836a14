#pragma once
// The main window: the symbol display, the settings frame with its four lists, three size
// options, text box and two commands, and the web panel; below that drawing area, a status
// line with the report on the last generated symbol.

#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>

#include <QWidget>

#include "common/Image.h"
#include "encoder/clsQRCode.h"
#include "ui/ProgramOptions.h"

class QComboBox;
class QLabel;
class QRadioButton;

namespace Ui {
class Form1;
}

namespace qrdesk {

class Form1 : public QWidget {
    Q_OBJECT
  public:
    explicit Form1(const ProgramOptions& options = {}, QWidget* parent = nullptr);
    ~Form1() override;

    // The modal windows the commands open. Tests replace them so that none blocks.
    std::function<void(const QString& text)> ShowMessage;
    std::function<bool(const QString& question)> AskYesNo;
    std::function<QString(const QString& title, const QString& filter, int filterIndex,
                          const QString& initialFolder, int flags, QWidget* owner)>
        ShowSaveDialog;

    const QString& IsCreate() const { return TavroIsCreate; }
    const clsQRCode* Encoder() const { return encoder_.get(); }
    // The window's size without the status line: the area the controls and the resize rule
    // work in (824 x 613 when the window opens).
    QSize DrawingAreaSize() const;
    // The report's lines as last shown, before any shortening to the line's width.
    const QStringList& StatusLines() const { return statusLines_; }

    // The save command's path: the chosen file name (not its folders) in lower case, with
    // ".bmp" appended unless it already ends so.
    static QString BitmapPath(const QString& chosenPath);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void Form_Load();
    void Form_Resize();
    void Command1_Click();
    void Command2_Click();
    void Image1_Click();
    void Option1_Click(int index);
    void Text1_Change();
    void Text1_GotFocus();
    void CreateWebPanel();
    void ShowStatus(const QStringList& lines);

    std::unique_ptr<Ui::Form1> ui_;
    std::array<QComboBox*, 4> cmb1_{};
    std::array<QRadioButton*, 3> Option1_{};
    QLabel* StatusBar1 = nullptr;
    QStringList statusLines_;
    ProgramOptions options_;

    QString TavroEwmTxt;
    QString TavroIsCreate;
    std::unique_ptr<clsQRCode> encoder_;  // made by the first generation, kept for the window
    Image saved_;  // what Picture1 shows: the stretched copy that the save command writes
};

}  // namespace qrdesk
