// Qt's own texts in the window's language: the save, question and print dialogs (with the
// print dialog's page for the width) show no English.

#include <QAbstractButton>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QTabWidget>
#include <QTemporaryDir>

#include "WindowFixture.h"
#include "ui/Dialogbox.h"
#include "ui/SymbolFiles.h"

namespace {

// Latin letters only beside Chinese ("保存(&S)", "PNG 图片").
bool IsEnglish(const QString& text) {
    bool latin = false, chinese = false;
    for (const QChar c : text) {
        latin = latin || (c.isLetter() && c.unicode() < 0x80);
        chinese = chinese || (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF);
    }
    return latin && !chinese;
}

// The English captions, tab names and tooltips a window shows.
QStringList EnglishTexts(QWidget* window) {
    QStringList texts{window->windowTitle().remove("qrdesk")};
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisible()) continue;
        texts << widget->toolTip();
        if (auto* label = qobject_cast<QLabel*>(widget)) texts << label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) texts << button->text();
        if (auto* tabs = qobject_cast<QTabWidget*>(widget))
            for (int i = 0; i < tabs->count(); ++i) texts << tabs->tabText(i);
    }
    QStringList english;
    for (const QString& text : texts)
        if (IsEnglish(text)) english << text;
    return english;
}

TEST(QtTexts, DialogsAndButtonsAreChinese) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QPrinter printer;
    PrintToPdf(printer, dir.filePath("p.pdf"));
    double widthMm = 40;
    const std::vector<std::function<void()>> dialogs = {
        [&] { Dialogbox::ShowSaveDialog("", qrdesk::SaveFilter(), 0, dir.path(), 0, nullptr); },
        [&] { Dialogbox::AskYesNo(nullptr, QString::fromUtf8("要替换它吗？")); },
        [&] { EXPECT_TRUE(Dialogbox::ShowPrintDialog(printer, &widthMm, nullptr)); },
    };
    for (const auto& open : dialogs) {
        QStringList english{"not seen"};
        const auto watch = OnNextModal([&](QWidget* modal) {
            english = EnglishTexts(modal);
            // The print dialog's own page, in front, where the width is chosen.
            if (auto* width = modal->findChild<QDoubleSpinBox*>("SymbolWidth")) {
                auto* tabs = modal->findChild<QTabWidget*>();
                EXPECT_EQ(tabs->tabText(tabs->currentIndex()), QString::fromUtf8("二维码"));
                EXPECT_EQ(width->value(), 40);
                width->setValue(30);
                static_cast<QDialog*>(modal)->accept();
            }
        });
        open();
        EXPECT_TRUE(english.isEmpty()) << english.join(" | ").toStdString();
    }
    EXPECT_EQ(widthMm, 30);
}

}  // namespace
