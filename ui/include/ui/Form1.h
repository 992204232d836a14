#pragma once
// The main window: the symbol display, the settings frame with its four lists, three size
// options, text box and two commands, and the web panel; below that drawing area, a status
// line with the report on the last generated symbol. The symbol can be copied, saved as a
// bitmap, PNG or SVG, printed and dragged out; text dropped on the window fills the box.

#include <QString>
#include <QStringList>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>

#include <QWidget>

#include "common/SymbolJob.h"
#include "encoder/clsQRCode.h"
#include "readback/ReadBack.h"
#include "ui/Dialogbox.h"
#include "ui/ProgramOptions.h"
#include "ui/ReadResults.h"
#include "ui/SymbolCheck.h"

class QAction;
class QGroupBox;
class QPushButton;
class QComboBox;
class QLabel;
class QMenu;
class QMimeData;
class QPrinter;
class QRadioButton;

namespace Ui {
class Form1;
}

namespace qrdesk {

class SideColumn;

class Form1 : public QWidget {
    Q_OBJECT
  public:
    explicit Form1(const ProgramOptions& options = {}, QWidget* parent = nullptr);
    ~Form1() override;

    // The modal windows the commands open and the drag of the symbol. Tests replace them so
    // that none blocks.
    std::function<void(const QString& text)> ShowMessage;
    std::function<bool(const QString& question)> AskYesNo;
    std::function<Dialogbox::SaveChoice(const QString& title, const QString& filter,
                                        int filterIndex, const QString& initialFolder, int flags,
                                        QWidget* owner)>
        ShowSaveDialog;
    // The print dialog: true to print, with *widthMm the symbol's width chosen there.
    std::function<bool(QPrinter& printer, double* widthMm)> ShowPrintDialog;
    // Takes the data of a drag of the symbol out of the window.
    std::function<void(QMimeData* data)> StartDrag;
    // The picture file to read ("识别图片…"); an empty path on cancel.
    std::function<QString()> ChooseImageFile;
    // The whole desktop for "识别屏幕"; a null image with *error set when it cannot be had.
    std::function<QImage(QString* error)> GrabScreen;

    // Reading symbols: a picture file, the clipboard's picture, the whole screen, a picture
    // given. Each shows the results window (or says why nothing could be read).
    void ReadImageFile(const QString& path);
    void ReadClipboard();
    void ReadScreen();
    void ShowReading(const QImage& picture, const QString& source);
    // The results window, once a read made it; nullptr before.
    ReadResults* Results() const { return results_; }
    // The "识别" group's buttons.
    QPushButton* ReadFileButton() const { return cmdReadFile_; }
    QPushButton* ReadScreenButton() const { return cmdReadScreen_; }

    const QString& IsCreate() const { return TavroIsCreate; }
    const clsQRCode* Encoder() const { return encoder_.get(); }
    // The window's size without the status line and the side column: the area the described
    // controls and the resize rule work in (824 x 613 when the window opens, and at least
    // that).
    QSize DrawingAreaSize() const;
    // The readers are still checking the symbol shown: its status line lacks their verdicts.
    bool Checking() const { return checking_ != 0; }
    // The side column: content templates, colours, margin and logo.
    SideColumn* Column() const { return SideColumn1; }
    // The last symbol made, as saves, copies and prints take it.
    const SymbolResult& Symbol() const { return symbol_; }
    // The report's lines as last shown, before any shortening to the line's width.
    const QStringList& StatusLines() const { return statusLines_; }
    // What the status line says for a moment after a copy, save or print; "" otherwise.
    const QString& StatusNotice() const { return notice_; }
    // The folder the save dialog starts in: the one last chosen in this run while it
    // exists, else the user's Pictures folder, else home.
    QString SaveFolder() const;
    // The symbol as a drag carries it: a PNG image of the shown picture; nullptr without one.
    QMimeData* SymbolMimeData() const;

    // How long a notice stays in the status line.
    static constexpr int kNoticeMs = 8000;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Form_Load();
    void Form_Resize();
    void Command1_Click();
    void StartCheck(const SymbolSettings& settings);
    void Command2_Click();
    void Image1_Click();
    void Option1_Click(int index);
    void Text1_Change();
    void Text1_GotFocus();
    void mnuCopy_Click();
    void mnuPrint_Click();
    void CreateWebPanel();
    void ConnectSideColumn();
    void CreateSymbolMenu();
    void ShowSymbolMenu(QWidget* over, const QPoint& position);
    void DragSymbol();
    void CopyToClipboard(const QImage& picture);
    void UpdateSymbolActions();
    void ShowStatus(const QStringList& lines);
    void ShowNotice(const QString& text);
    void RenderStatus();
    void CreateReadingGroup();
    void EditAndRegenerate(const QString& text, const ListChoice& choice);
    bool DropPicture(const QMimeData* data);

    std::unique_ptr<Ui::Form1> ui_;
    std::array<QComboBox*, 4> cmb1_{};
    std::array<QRadioButton*, 3> Option1_{};
    std::array<QLabel*, 3> Label1_{};
    QLabel* StatusBar1 = nullptr;
    SideColumn* SideColumn1 = nullptr;
    // Whether the user chose the level, which a logo then leaves alone; whether a logo chose
    // it, so that removing the logo gives the start value back.
    bool levelChosen_ = false;
    bool levelForLogo_ = false;
    QStringList statusLines_;
    QString notice_;
    QTimer noticeTimer_;
    ProgramOptions options_;

    QMenu* mnuSymbol = nullptr;
    QAction* mnuCopy = nullptr;
    QAction* mnuSaveAs = nullptr;
    QAction* mnuPrint = nullptr;

    QString TavroEwmTxt;
    QString TavroIsCreate;
    std::unique_ptr<clsQRCode> encoder_;  // made by the first generation, kept for the window
    Readers readers_;                     // what the status line's verdicts come from
    // The readers' check of the symbol shown, off the GUI thread; declared after readers_ so
    // that it stops before they go.
    std::unique_ptr<SymbolCheck> check_;
    std::uint64_t checking_ = 0;  // the check whose verdicts the status line waits for
    // The last symbol made: its written picture is what Picture1 shows and the save command
    // writes; its modules are printed.
    SymbolResult symbol_;
    QString tooLong_;           // the figures when the last generation's text did not fit
    QString lastFolder_;        // the folder last chosen in the save dialog in this run
    double printWidthMm_ = 40;  // the printed width last chosen in this run
    // The printer last chosen in this run, with its output file and page: made by the first
    // print.
    std::unique_ptr<QPrinter> printer_;

    // Reading: the "识别" group at the bottom of the side column, and the results window.
    QGroupBox* grpRead_ = nullptr;
    QPushButton* cmdReadFile_ = nullptr;
    QPushButton* cmdReadScreen_ = nullptr;
    ReadResults* results_ = nullptr;
};

}  // namespace qrdesk
