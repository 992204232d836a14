// The window in English: every Chinese text of the sources has a finished English
// translation (lupdate run afresh over the sources, so a new text without one fails), the
// English window shows the words chosen below, they fit their controls, and the Chinese
// window keeps the described captions.

#include <QAction>
#include <QDirIterator>
#include <QGroupBox>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QXmlStreamReader>
#include <set>

#include "WindowFixture.h"

namespace {

const QString kUi = QStringLiteral(QRDESK_SOURCE_DIR "/ui");
const QString kTs = kUi + "/translations/qrdesk_en.ts";

bool HasChinese(const QString& text) {
    static const QRegularExpression cjk(
        QStringLiteral("[\\x{3000}-\\x{303f}\\x{3400}-\\x{9fff}\\x{ff01}-\\x{ff60}]"));
    return text.contains(cjk);
}

std::multiset<QString> Placeholders(const QString& text) {
    std::multiset<QString> found;
    static const QRegularExpression marks(QStringLiteral("%\\d+|&\\w"));
    for (const auto& match : marks.globalMatch(text))
        found.insert(match.captured().left(1) == "&" ? "&" : match.captured());
    return found;
}

// What is wrong with each message of the .ts that lupdate makes from the sources now.
QStringList UnfinishedMessages(const QString& ts) {
    QFile file(ts);
    if (!file.open(QIODevice::ReadOnly)) return {"cannot read " + ts};
    QStringList faults;
    QXmlStreamReader xml(&file);
    QString context, source;
    int messages = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == u"name") context = xml.readElementText();
        if (xml.name() == u"source") source = xml.readElementText();
        if (xml.name() != u"translation") continue;
        ++messages;
        const QString type = xml.attributes().value("type").toString();
        const QString english = xml.readElementText();
        const QString where = context + ": " + source;
        if (!type.isEmpty())
            faults << type + ": " + where;
        else if (english.isEmpty() || HasChinese(english))
            faults << "not English: " + where;
        else if (Placeholders(english) != Placeholders(source))
            faults << "%n or & differ: " + where;
    }
    if (xml.hasError()) faults << xml.errorString();
    if (messages == 0) faults << "no messages";
    return faults;
}

TEST(Translation, EverySourceTextHasAFinishedEnglishTranslation) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString ts = dir.filePath("qrdesk_en.ts");
    ASSERT_TRUE(QFile::copy(kTs, ts));
    QProcess lupdate;
    lupdate.start(QRDESK_LUPDATE, {"-silent", "-locations", "none", kUi, "-ts", ts});
    ASSERT_TRUE(lupdate.waitForFinished(60000));
    ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();
    const QStringList faults = UnfinishedMessages(ts);
    EXPECT_TRUE(faults.isEmpty()) << "run the target update_translations and translate:\n"
                                  << faults.join('\n').toStdString();
}

// lupdate sees only marked texts: a Chinese literal in the window's code must stand in a
// translation call (tr, QCoreApplication::translate, QT_TRANSLATE_NOOP, QT_TR_NOOP).
TEST(Translation, EveryChineseLiteralIsMarkedForTranslation) {
    static const QRegularExpression comments(QStringLiteral("//[^\\n]*|/\\*.*?\\*/"),
                                             QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression literal(QStringLiteral("\"(?:[^\"\\\\\\n]|\\\\.)*\""));
    static const QRegularExpression marker(
        QStringLiteral("\\b(?:tr|translate|QT_TR_NOOP|QT_TRANSLATE_NOOP)\\s*\\("));
    QStringList unmarked;
    QDirIterator files(kUi, {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QString code = QString::fromUtf8(file.readAll());
        // Comments out, literals kept (a "//" inside one is rare in this code and only hides).
        code.replace(comments, " ");
        for (const auto& match : literal.globalMatch(code)) {
            if (!HasChinese(match.captured())) continue;
            // The statement up to the literal: from the last ';', '{' or '}' before it.
            const QString before = code.left(match.capturedStart());
            const qsizetype start = std::max(
                {before.lastIndexOf(';'), before.lastIndexOf('{'), before.lastIndexOf('}')});
            if (!before.mid(start + 1).contains(marker))
                unmarked << files.fileName() + ": " + match.captured();
        }
    }
    EXPECT_TRUE(unmarked.isEmpty()) << unmarked.join('\n').toStdString();
}

TEST(Translation, EveryHelpPageHasAnEnglishOne) {
    QDirIterator pages(kUi + "/help", {"*.html"}, QDir::Files);
    int chinese = 0;
    while (pages.hasNext()) {
        const QString page = pages.next();
        if (page.endsWith(".en.html")) continue;
        ++chinese;
        QFile english(page.chopped(5) + ".en.html");
        ASSERT_TRUE(english.open(QIODevice::ReadOnly)) << english.fileName().toStdString();
        EXPECT_FALSE(HasChinese(QString::fromUtf8(english.readAll())));
    }
    EXPECT_GT(chinese, 0);
}

// The texts a control shows that do not fit it: captions of labels and buttons, the items of
// closed lists.
QStringList Overflowing(QWidget* window) {
    QStringList faults;
    for (auto* label : window->findChildren<QLabel*>(QRegularExpression("^Label\\d$")))
        if (label->fontMetrics().horizontalAdvance(label->text()) > label->contentsRect().width())
            faults << label->text();
    for (auto* button : window->findChildren<QPushButton*>()) {
        const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin);
        if (button->fontMetrics().horizontalAdvance(button->text()) + margin > button->width())
            faults << button->text();
    }
    for (auto* list : window->findChildren<QComboBox*>()) {
        const int room = ClosedListRoom(list);
        for (int k = 0; k < list->count(); ++k)
            if (list->fontMetrics().horizontalAdvance(list->itemText(k)) > room)
                faults << list->itemText(k);
    }
    return faults;
}

// Every text the window shows, its lists' items and tooltips included.
QStringList ShownTexts(QWidget* window) {
    QStringList texts{window->windowTitle()};
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        texts << widget->toolTip();
        if (auto* label = qobject_cast<QLabel*>(widget)) texts << label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) texts << button->text();
        if (auto* frame = qobject_cast<QGroupBox*>(widget)) texts << frame->title();
        if (auto* text = qobject_cast<QTextBrowser*>(widget)) texts << text->toPlainText();
        if (auto* list = qobject_cast<QComboBox*>(widget))
            for (int k = 0; k < list->count(); ++k) texts << list->itemText(k);
    }
    for (QAction* action : window->findChildren<QAction*>()) texts << action->text();
    return texts;
}

struct Caption {
    const char* control;
    const char* chinese;
    const char* english;
};
// The captions chosen for English beside the described Chinese ones.
const Caption kCaptions[] = {
    {"Frame1", "二维码设置", "QR Code settings"},
    {"Label1", "小图", "Small"},
    {"Label2", "中图", "Mid"},
    {"Label3", "大图", "Large"},
    {"Command1", "生成二维码", "Generate"},
    {"Command2", "保存图片", "Save image"},
    {"mnuSaveAs", "另存为…", "Save As…"},
};

QString CaptionOf(QObject* control) {
    if (auto* frame = qobject_cast<QGroupBox*>(control)) return frame->title();
    if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
    if (auto* action = qobject_cast<QAction*>(control)) return action->text();
    return "?";
}

class EnglishWindowTest : public WindowTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(TestTranslations().Use(qrdesk::Language::English));
        Open({});
    }
    void TearDown() override {
        window.reset();
        TestTranslations().Use(qrdesk::Language::Chinese);
    }
};

TEST_F(EnglishWindowTest, ShowsTheChosenEnglishAndNoChinese) {
    for (const Caption& c : kCaptions)
        EXPECT_EQ(CaptionOf(window->findChild<QObject*>(c.control)), QString::fromUtf8(c.english))
            << c.control;
    EXPECT_EQ(List(2)->itemText(9), "Min penalty");
    EXPECT_EQ(List(0)->itemText(0), "Automatic");
    EXPECT_EQ(List(1)->toolTip(), "Error correction level");
    EXPECT_TRUE(Find<QTextBrowser>("WebBrow")->toPlainText().startsWith("How to use"));
    Generate("");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "You have not typed any text!");
    // The prompt is English too: typing it empties the box.
    Text1()->setPlainText("Type your text here!");
    EXPECT_TRUE(Text1()->toPlainText().isEmpty());
    Generate("HELLO WORLD");
    EXPECT_EQ(window->StatusLines().value(0).section(" · ", 1, 1), "mask 0");
    const QStringList shown = ShownTexts(window.get()) + window->StatusLines();
    for (const QString& text : shown) EXPECT_FALSE(HasChinese(text)) << text.toStdString();
    EXPECT_TRUE(Overflowing(window.get()).isEmpty())
        << Overflowing(window.get()).join(" | ").toStdString();
}

TEST_F(WindowTest, ChineseKeepsTheDescribedCaptions) {
    for (const Caption& c : kCaptions)
        EXPECT_EQ(CaptionOf(window->findChild<QObject*>(c.control)), QString::fromUtf8(c.chinese))
            << c.control;
    EXPECT_EQ(List(2)->itemText(9), QString::fromUtf8("最低罚分"));
    EXPECT_TRUE(Overflowing(window.get()).isEmpty())
        << Overflowing(window.get()).join(" | ").toStdString();
}

TEST(Translation, LanguageRule) {
    struct Case {
        QStringList preferred;
        qrdesk::Language language;
    };
    using qrdesk::Language;
    const Case cases[] = {
        {{"en-US"}, Language::English},
        {{"en_GB.UTF-8"}, Language::English},
        {{"zh-CN"}, Language::Chinese},
        {{"zh_TW"}, Language::Chinese},
        {{"de-DE", "en"}, Language::English},
        {{"fr", "zh", "en"}, Language::Chinese},
        {{"de-DE"}, Language::Chinese},
        {{"C"}, Language::Chinese},
        {{}, Language::Chinese},
        {{"EN"}, Language::English},
    };
    for (const Case& c : cases)
        EXPECT_EQ(qrdesk::LanguageForLocales(c.preferred), c.language)
            << c.preferred.join(':').toStdString();
    EXPECT_EQ(qrdesk::LanguageFromName("en"), Language::English);
    EXPECT_EQ(qrdesk::LanguageFromName("zh_CN"), Language::Chinese);
    for (const char* unknown : {"", "fr", "english", "e"})
        EXPECT_FALSE(qrdesk::LanguageFromName(unknown)) << unknown;
}

}  // namespace
