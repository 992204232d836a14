// The side column by keyboard alone: each content type chosen in its list, its fields typed,
// the symbol generated and read back; fields a format refuses; the colour buttons and the
// logo with the level it takes.

#include <sys/stat.h>
#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QSpinBox>
#include <QTemporaryDir>

#include "WindowFixture.h"
#include "ui/SideColumn.h"

namespace {

using qrdesk::ContentType;

class SideColumnTest : public WindowTest {
  protected:
    qrdesk::SideColumn* Column() { return window->Column(); }
    QWidget* Focus() { return QApplication::focusWidget(); }
    // Chooses a type with the arrow keys, from the list's own place in the Tab order.
    void ChooseType(ContentType type) {
        Find("cmbContentType")->setFocus(Qt::TabFocusReason);
        QTest::keyClick(Focus(), Qt::Key_Home);
        for (int k = 0; k < static_cast<int>(type); ++k) QTest::keyClick(Focus(), Qt::Key_Down);
    }
    void TypeIntoNext(const QString& text) {
        QTest::keyClick(Focus(), Qt::Key_Tab);
        TypeKeys(Focus(), text);
    }
    void GenerateByKeys() { QTest::keyClick(Focus(), Qt::Key_Return, Qt::ControlModifier); }
};

TEST_F(SideColumnTest, EachTemplateByKeyboardAlone) {
    struct Case {
        ContentType type;
        QStringList typed;  // into the fields in Tab order; "" leaves one as it is
        QString text;       // what the symbol then holds
    };
    const Case cases[] = {
        {ContentType::Url, {"example.org/a b"}, "https://example.org/a%20b"},
        // ssid, password; the security list stays on WPA/WPA2
        {ContentType::Wifi, {"Caf;e", "p:w"}, "WIFI:T:WPA;S:Caf\\;e;P:p\\:w;;"},
        {ContentType::Contact,
         {QString::fromUtf8("Zoë; Jr."), "R&D, Inc."},
         QString::fromUtf8("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Zoë\\; Jr.;;;;\r\nFN:Zoë\\; "
                           "Jr.\r\nORG:R&D\\, Inc.\r\nEND:VCARD\r\n")},
        {ContentType::Email,
         {"a@example.org", "Hi & bye"},
         "mailto:a@example.org?subject=Hi%20%26%20bye"},
        {ContentType::Sms, {"+1 555 0100", "see you"}, "SMSTO:+15550100:see you"},
        {ContentType::Tel, {"+1 555 0100"}, "tel:+15550100"},
        {ContentType::Geo, {"39.9042", "116.4074"}, "geo:39.9042,116.4074"},
        {ContentType::Event,
         {"Launch", "20250101T090000", "20250101T100000"},
         "BEGIN:VEVENT\r\nSUMMARY:Launch\r\nDTSTART:20250101T090000\r\nDTEND:20250101T100000\r\n"
         "END:VEVENT\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qrdesk::KindOf(c.type).name);
        ChooseType(c.type);
        ASSERT_EQ(Column()->Type(), c.type);
        EXPECT_FALSE(Text1()->isEnabled());  // a template does not read the text box
        for (const QString& field : c.typed) TypeIntoNext(field);
        // The preview shows the lines (a text box keeps no CR).
        EXPECT_EQ(Find<QPlainTextEdit>("txtMade")->toPlainText(), QString(c.text).remove('\r'));
        GenerateByKeys();
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(QString::fromUtf8(DecodedBytes(DecodeImage(Picture1()->Picture()))), c.text);
    }
    // Back to "文本": the text box as described.
    ChooseType(ContentType::Text);
    EXPECT_TRUE(Text1()->isEnabled());
    Generate("plain");
    EXPECT_EQ(DecodedBytes(DecodeImage(Picture1()->Picture())), "plain");
}

TEST_F(SideColumnTest, RefusedFieldsSayWhyAndGenerateNothing) {
    struct Case {
        ContentType type;
        const char* field;
        const char* value;
        const char* reason;
    };
    const Case cases[] = {
        {ContentType::Geo, "lat", "91", "“纬度”必须在 -90 到 90 之间。"},
        {ContentType::Event, "start", "20230229T100000", "“开始”必须是存在的日期和时间"},
        {ContentType::Wifi, "ssid", "", "请填写“网络名称”。"},
        {ContentType::Email, "to", "nobody", "“收件人”必须是电子邮件地址"},
    };
    for (const Case& c : cases) {
        Column()->SetType(c.type);
        Column()->SetField(c.type, "lon", "0");
        Column()->SetField(c.type, "summary", "x");
        Column()->SetField(c.type, c.field, QString::fromUtf8(c.value));
        const QString reason = QString::fromUtf8(c.reason);
        EXPECT_TRUE(Find<QLabel>("lblMade")->text().startsWith(reason))
            << Find<QLabel>("lblMade")->text().toStdString();
        messages.clear();
        Click("Command1");
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].startsWith(reason));
        EXPECT_EQ(window->IsCreate(), "no");
        EXPECT_TRUE(Picture1()->Picture().isNull());
    }
}

TEST_F(SideColumnTest, ColoursMarginAndLogoControls) {
    QColor offered;
    QColor answer(0x20, 0x40, 0x80);
    Column()->ChooseColour = [&](const QColor& initial, const QString&) {
        offered = initial;
        return answer;
    };
    Find("cmdForeground")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(Focus(), Qt::Key_Space);
    EXPECT_EQ(offered, QColor(Qt::black));
    EXPECT_EQ(Column()->SymbolColours().dark, 0xFF204080u);
    EXPECT_EQ(Find<QPushButton>("cmdForeground")->text(), "#204080");
    answer = QColor();  // cancelled: nothing changes
    QTest::keyClick(Find("cmdBackground"), Qt::Key_Space);
    EXPECT_EQ(Column()->SymbolColours().light, 0xFFFFFFFFu);

    EXPECT_EQ(Column()->Margin(), 4);
    Find("spnMargin")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(Focus(), Qt::Key_Down);
    EXPECT_EQ(Column()->Margin(), 3);

    QTemporaryDir folder;
    const QString logoPath = folder.filePath("logo.png"), broken = folder.filePath("broken.png");
    QImage logo(32, 32, QImage::Format_ARGB32);
    logo.fill(Qt::red);
    ASSERT_TRUE(logo.save(logoPath));
    ASSERT_TRUE(WriteFile(broken, "\x89PNG\r\n\x1a\n cut"));
    QString chosen;
    Column()->ChooseLogoFile = [&] { return chosen; };
    // A logo takes level H; removing it gives M back.
    chosen = logoPath;
    QTest::keyClick(Find("cmdLogo"), Qt::Key_Space);
    ASSERT_TRUE(Column()->Logo());
    EXPECT_EQ(Column()->Logo()->image.width, 32);
    EXPECT_EQ(List(1)->currentIndex(), 3);
    EXPECT_TRUE(Find("spnLogoSize")->isEnabled());
    EXPECT_EQ(Column()->LogoPercent(), 20);
    Find("cmdClearLogo")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(Focus(), Qt::Key_Space);
    EXPECT_FALSE(Column()->Logo());
    EXPECT_EQ(List(1)->currentIndex(), 1);
    EXPECT_EQ(Focus(), Find("cmdLogo"));
    // A file that cannot be used says why and keeps what was there; a FIFO is not opened
    // (it would hold the window until something writes into it).
    const QString fifo = folder.filePath("fifo");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& path : {broken, fifo, folder.path()}) {
        chosen = path;
        messages.clear();
        QTest::keyClick(Find("cmdLogo"), Qt::Key_Space);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_FALSE(Column()->Logo());
    }
    chosen = broken;
    QTest::keyClick(Find("cmdLogo"), Qt::Key_Space);
    EXPECT_TRUE(messages.back().contains("damaged PNG")) << messages.back().toStdString();
    // A level the user chose stays.
    List(1)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(Focus(), Qt::Key_Up);  // L
    chosen = logoPath;
    QTest::keyClick(Find("cmdLogo"), Qt::Key_Space);
    EXPECT_TRUE(Column()->Logo());
    EXPECT_EQ(List(1)->currentIndex(), 0);

    // The job gets them all: the picture in the colours with the logo in the middle, a quiet
    // zone of 3 modules warned of as the command line warns of it.
    Generate("https://example.org/qrdesk/logo?id=12345");
    const QImage shown = Picture1()->Picture().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(shown.pixelColor(shown.width() / 2, shown.height() / 2), QColor(Qt::red));
    const qrdesk::SymbolResult& made = window->Symbol();
    ASSERT_TRUE(made.logo);
    EXPECT_EQ(made.margin, 3);
    EXPECT_EQ(
        shown.pixel(shown.width() * (3 + made.logoBox.x) / made.across + 1, shown.height() / 2),
        shown.pixel(0, 0));  // the light pad, at the box's edge
    bool darkSeen = false;
    for (int x = 0; x < shown.width(); ++x)
        darkSeen |= shown.pixel(x, shown.height() / 2) == 0xFF204080u;
    EXPECT_TRUE(darkSeen);
    const QString status =
        Find<QLabel>("StatusBar1")->text() + Find<QLabel>("StatusBar1")->toolTip();
    EXPECT_TRUE(status.contains(QString::fromUtf8("边距 3 个模块"))) << status.toStdString();
}

}  // namespace
