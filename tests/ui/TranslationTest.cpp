// The window in English: every Chinese text of the sources has a finished English translation
// (lupdate run afresh, so a new text without one fails), the English window shows the words
// chosen below and no Chinese, its texts fit their controls, and Chinese keeps the captions.

#include <QAction>
#include <QDirIterator>
#include <QGroupBox>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QXmlStreamReader>

#include "WindowFixture.h"
#include "ui/ContentVocabulary.h"
#include "ui/SideColumn.h"

namespace {

const QString kUi = QStringLiteral(QRDESK_SOURCE_DIR "/ui");

bool HasChinese(const QString& text) {
    static const QRegularExpression cjk(
        "[\\x{3000}-\\x{303f}\\x{3400}-\\x{9fff}\\x{ff01}-\\x{ff60}]");
    return text.contains(cjk);
}

// "%1", "%2" and "&" in their order of number, as a translation must keep them.
QStringList Marks(const QString& text) {
    QStringList marks;
    for (const auto& m : QRegularExpression("%\\d+|&(?=\\w)").globalMatch(text))
        marks << m.captured();
    marks.sort();
    return marks;
}

TEST(Translation, EverySourceTextHasAFinishedEnglishTranslation) {
    QTemporaryDir dir;
    const QString ts = dir.filePath("qrdesk_en.ts");
    ASSERT_TRUE(QFile::copy(kUi + "/translations/qrdesk_en.ts", ts));
    QProcess lupdate;
    lupdate.start(QRDESK_LUPDATE, {"-silent", "-locations", "none", kUi, "-ts", ts});
    ASSERT_TRUE(lupdate.waitForFinished(60000));
    ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();
    QFile file(ts);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QString source;
    int messages = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == u"source") source = xml.readElementText();
        if (xml.name() != u"translation") continue;
        ++messages;
        const QString type = xml.attributes().value("type").toString();  // unfinished, vanished
        const QString english = xml.readElementText();
        EXPECT_TRUE(type.isEmpty() && !english.isEmpty() && !HasChinese(english))
            << type.toStdString() << ": " << source.toStdString()
            << " (build the target update_translations and translate it)";
        EXPECT_EQ(Marks(english), Marks(source)) << source.toStdString();
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_GT(messages, 50);
}

// lupdate sees only marked texts: a Chinese literal in the window's code must stand in a
// translation call of its statement.
TEST(Translation, EveryChineseLiteralIsMarkedForTranslation) {
    const QRegularExpression comments("//[^\\n]*|/\\*.*?\\*/",
                                      QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpression literal("\"(?:[^\"\\\\\\n]|\\\\.)*\"");
    const QRegularExpression marker("\\b(?:tr|translate|QT_TR_NOOP|QT_TRANSLATE_NOOP)\\s*\\(");
    QDirIterator files(kUi, {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString code = QString::fromUtf8(file.readAll()).replace(comments, " ");
        for (const auto& match : literal.globalMatch(code)) {
            if (!HasChinese(match.captured())) continue;
            const QString before = code.left(match.capturedStart());
            const qsizetype statement = std::max(
                {before.lastIndexOf(';'), before.lastIndexOf('{'), before.lastIndexOf('}')});
            EXPECT_TRUE(before.mid(statement + 1).contains(marker))
                << files.fileName().toStdString() << ": " << match.captured().toStdString();
        }
    }
}

// Label and button captions and closed lists' items wider than their controls.
QStringList Overflowing(QWidget* window) {
    QStringList faults;
    for (auto* label : window->findChildren<QLabel*>(QRegularExpression("^Label\\d$")))
        if (label->fontMetrics().horizontalAdvance(label->text()) > label->contentsRect().width())
            faults << label->text();
    for (auto* button : window->findChildren<QPushButton*>())
        if (button->fontMetrics().horizontalAdvance(button->text()) +
                button->style()->pixelMetric(QStyle::PM_ButtonMargin) >
            button->width())
            faults << button->text();
    for (auto* list : window->findChildren<QComboBox*>())
        for (int k = 0; k < list->count(); ++k)
            if (list->fontMetrics().horizontalAdvance(list->itemText(k)) > ClosedListRoom(list))
                faults << list->itemText(k);
    return faults;
}

QString TextOf(QObject* o) {
    if (auto* frame = qobject_cast<QGroupBox*>(o)) return frame->title();
    if (auto* label = qobject_cast<QLabel*>(o)) return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(o)) return button->text();
    if (auto* action = qobject_cast<QAction*>(o)) return action->text();
    if (auto* help = qobject_cast<QTextBrowser*>(o)) return help->toPlainText();
    if (auto* list = qobject_cast<QComboBox*>(o)) {
        QStringList items;
        for (int k = 0; k < list->count(); ++k) items << list->itemText(k);
        return items.join('|');
    }
    return {};
}

// The captions chosen for English beside the described Chinese ones.
const struct {
    const char *control, *chinese, *english;
} kCaptions[] = {{"Frame1", "二维码设置", "QR Code settings"},
                 {"Label1", "小图", "Small"},
                 {"Label2", "中图", "Mid"},
                 {"Label3", "大图", "Large"},
                 {"Command1", "生成二维码", "Generate"},
                 {"Command2", "保存图片", "Save image"},
                 {"mnuSaveAs", "另存为…", "Save As…"}};

TEST_F(WindowTest, EnglishShowsTheChosenWordsAndNoChinese) {
    struct English {  // for this test only, whatever its end
        English() { ok = TestTranslations().Use(qrdesk::Language::English); }
        ~English() { TestTranslations().Use(qrdesk::Language::Chinese); }
        bool ok;
    } english;
    ASSERT_TRUE(english.ok);
    Open({});
    for (const auto& c : kCaptions)
        EXPECT_EQ(TextOf(window->findChild<QObject*>(c.control)), QString::fromUtf8(c.english));
    EXPECT_EQ(List(2)->itemText(9), "Min penalty");
    EXPECT_TRUE(TextOf(Find("WebBrow")).startsWith("How to use"));
    Generate("");
    EXPECT_EQ(messages, std::vector<QString>{"You have not typed any text!"});
    Text1()->setPlainText("Type your text here!");  // the prompt, which the box does not keep
    EXPECT_TRUE(Text1()->toPlainText().isEmpty());
    Generate("HELLO WORLD");
    EXPECT_EQ(window->StatusLines().value(0).section(" · ", 1, 1), "mask 0");
    QStringList shown = window->StatusLines();
    for (QObject* o : window->findChildren<QObject*>()) shown << TextOf(o);
    for (const QString& text : shown) EXPECT_FALSE(HasChinese(text)) << text.toStdString();
    EXPECT_EQ(Overflowing(window.get()), QStringList());
}

TEST_F(WindowTest, ChineseKeepsTheDescribedCaptions) {
    for (const auto& c : kCaptions)
        EXPECT_EQ(TextOf(window->findChild<QObject*>(c.control)), QString::fromUtf8(c.chinese));
    EXPECT_EQ(Overflowing(window.get()), QStringList());
}

// The longest reason a page's fields may be refused for, in the column's font: each field
// missing or broken over lines, and the faults of its kind of value.
QString LongestProblem(qrdesk::ContentType type, const QFontMetrics& metrics) {
    using P = qrdesk::ContentProblem;
    const std::pair<std::string_view, P> kFaults[] = {
        {"lat", P::NotANumber},         {"lat", P::OutOfRange},        {"lon", P::OutOfRange},
        {"start", P::NotADate},         {"end", P::EndBeforeStart},    {"end", P::MixedTimes},
        {"number", P::NotAPhoneNumber}, {"phone", P::NotAPhoneNumber}, {"to", P::NotAnAddress},
        {"email", P::NotAnAddress},     {"password", P::Contradiction}};
    QString longest;
    for (const qrdesk::ContentField& field : qrdesk::KindOf(type).fields) {
        std::vector<P> problems{P::Missing, P::LineBreak};
        for (const auto& [name, problem] : kFaults)
            if (name == field.name) problems.push_back(problem);
        for (const P problem : problems) {
            const QString text = qrdesk::ProblemText(type, {{}, problem, field.name});
            if (metrics.horizontalAdvance(text) > metrics.horizontalAdvance(longest))
                longest = text;
        }
    }
    return longest;
}

// The side column keeps its fixed size in both languages: on every content page, with the
// longest reason for refusal shown, each caption and reason shows whole and each control lies
// inside the column at no less than its minimum width.
QStringList SideColumnOverflow(qrdesk::SideColumn* column) {
    QStringList faults;
    const QRect inside = column->rect();
    auto* made = column->findChild<QLabel*>("lblMade");
    for (int type = 1; type < static_cast<int>(qrdesk::ContentKinds().size()); ++type) {
        column->SetType(static_cast<qrdesk::ContentType>(type));
        made->setText(LongestProblem(column->Type(), made->fontMetrics()));
        QApplication::processEvents();  // the page's layout
        for (auto* w : column->findChildren<QWidget*>()) {
            if (!w->isVisibleTo(column)) continue;
            const QRect place(w->mapTo(column, QPoint()), w->size());
            auto* label = qobject_cast<QLabel*>(w);
            const bool cut = label && (label->wordWrap()
                                           ? label->heightForWidth(label->width()) > label->height()
                                           : label->fontMetrics().horizontalAdvance(label->text()) >
                                                 label->contentsRect().width());
            if (!inside.contains(place) || w->width() < w->minimumSizeHint().width() || cut)
                faults << QString("%1 %2 on page %3").arg(w->objectName(), TextOf(w)).arg(type);
        }
    }
    return faults;
}

TEST_F(WindowTest, SideColumnFitsInBothLanguages) {
    for (const auto language : {qrdesk::Language::English, qrdesk::Language::Chinese}) {
        ASSERT_TRUE(TestTranslations().Use(language));
        Open({});
        EXPECT_EQ(window->Column()->width(), qrdesk::SideColumn::kWidth);
        EXPECT_EQ(SideColumnOverflow(window->Column()), QStringList());
        EXPECT_EQ(Overflowing(window.get()), QStringList());
    }
}

TEST(Translation, LanguageRule) {
    using qrdesk::Language;
    const std::pair<QStringList, Language> cases[] = {{{"en-US"}, Language::English},
                                                      {{"en_GB.UTF-8"}, Language::English},
                                                      {{"zh-CN"}, Language::Chinese},
                                                      {{"zh_TW"}, Language::Chinese},
                                                      {{"de", "en"}, Language::English},
                                                      {{"fr", "zh", "en"}, Language::Chinese},
                                                      {{"de-DE"}, Language::Chinese},
                                                      {{"C"}, Language::Chinese},
                                                      {{}, Language::Chinese}};
    for (const auto& [preferred, language] : cases)
        EXPECT_EQ(qrdesk::LanguageForLocales(preferred), language)
            << preferred.join(':').toStdString();
    EXPECT_EQ(qrdesk::LanguageFromName("EN"), Language::English);
    EXPECT_EQ(qrdesk::LanguageFromName("zh_CN"), Language::Chinese);
    for (const char* unknown : {"", "fr", "english"})
        EXPECT_FALSE(qrdesk::LanguageFromName(unknown));
}

}  // namespace
