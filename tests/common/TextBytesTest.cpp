// Text conversion and image helpers shared by the window and the command line.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <vector>

#include "common/SymbolImage.h"
#include "common/TextBytes.h"
#include "support/ZxingDecode.h"

using qrdesk::TextEncoding;

namespace {
QByteArray Hex(const char* hex) {
    return QByteArray::fromHex(hex);
}
}  // namespace

TEST(TextBytes, ConvertsAsThePlatformConverters) {
    struct Case {
        QString text;
        TextEncoding encoding;
        const char* codePage;
        QByteArray expected;
    };
    const QString loneHigh = QString(QChar(0xD800)) + "a";
    const QString emoji = QString::fromUcs4(U"\U0001F600");
    const Case cases[] = {
        {"abc", TextEncoding::Utf8, "GBK", "abc"},
        {QString::fromUtf8("二"), TextEncoding::Utf8, "GBK", Hex("e4ba8c")},
        {emoji, TextEncoding::Utf8, "GBK", Hex("f09f9880")},     // a surrogate pair: four bytes
        {loneHigh, TextEncoding::Utf8, "GBK", Hex("efbfbd61")},  // U+FFFD for a lone surrogate
        {QString::fromUtf8("二维码"), TextEncoding::Ansi, "GBK", Hex("b6feceacc2eb")},
        {emoji, TextEncoding::Ansi, "GBK", "?"},  // not in the code page
        {loneHigh, TextEncoding::Ansi, "GBK", "?a"},
        {QString::fromUtf8("aé€b"), TextEncoding::Ansi, "ISO-8859-1",
         Hex("61e93f62")},  // no euro sign in Latin-1
        {QString::fromUtf8("漢字"), TextEncoding::Ansi, "SHIFT_JIS", Hex("8abf8e9a")},
        {QString(QChar(0)) + "x", TextEncoding::Ansi, "GBK", Hex("0078")},
        {"", TextEncoding::Ansi, "GBK", ""},
    };
    for (const Case& c : cases) {
        const auto bytes = qrdesk::TextToBytes(c.text, c.encoding, c.codePage);
        ASSERT_TRUE(bytes) << c.text.toStdString();
        EXPECT_EQ(bytes->toHex().toStdString(), c.expected.toHex().toStdString())
            << c.text.toStdString() << " " << c.codePage;
    }
}

TEST(TextBytes, UnknownCodePageIsAnError) {
    QString error;
    EXPECT_FALSE(qrdesk::TextToBytes("abc", TextEncoding::Ansi, "NO-SUCH-PAGE", &error));
    EXPECT_TRUE(error.contains("NO-SUCH-PAGE"));
    EXPECT_FALSE(qrdesk::IsCodePageSupported("NO-SUCH-PAGE"));
    EXPECT_TRUE(qrdesk::IsCodePageSupported("GBK"));
}

// Long texts are converted a few characters per iconv call (one call for the whole text made
// each unconvertible character cost a pass over the rest). Every character keeps its own
// bytes, wherever the calls split the text: a two-byte character, an unconvertible one or a
// surrogate pair at any position.
TEST(TextBytes, LongMixedTextKeepsEveryCharacter) {
    struct Piece {
        QString text;
        QByteArray gbk;
    };
    const Piece pieces[] = {
        {"a", "a"},
        {QString::fromUtf8("码"), Hex("c2eb")},
        {QString::fromUtf8("ก"), "?"},            // Thai: not in GBK
        {QString::fromUcs4(U"\U0001F600"), "?"},  // a surrogate pair
        {QString(QChar(0xDC00)), "?"},            // a lone surrogate
        {QString(QChar(0)), QByteArray(1, '\0')},
    };
    for (int stride = 1; stride <= 7; ++stride) {
        QString text;
        QByteArray expected;
        for (int i = 0; i < 3000; ++i) {
            const Piece& p = pieces[(i * stride + i / 5) % std::size(pieces)];
            text += p.text;
            expected += p.gbk;
        }
        const auto bytes = qrdesk::TextToBytes(text, TextEncoding::Ansi, "GBK");
        ASSERT_TRUE(bytes);
        EXPECT_EQ(bytes->size(), expected.size()) << stride;
        EXPECT_TRUE(*bytes == expected) << stride;
    }
}

TEST(TextBytes, KanjiOnlyForShiftJisAnsiText) {
    struct Case {
        TextEncoding encoding;
        const char* codePage;
        bool kanji;
    };
    const Case cases[] = {
        {TextEncoding::Ansi, "SHIFT_JIS", true},  {TextEncoding::Ansi, "cp932", true},
        {TextEncoding::Ansi, "SJIS", true},       {TextEncoding::Ansi, "WINDOWS-31J", true},
        {TextEncoding::Ansi, "GBK", false},       {TextEncoding::Ansi, "EUC-JP", false},
        {TextEncoding::Utf8, "SHIFT_JIS", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(qrdesk::KanjiAllowed(c.encoding, c.codePage), c.kanji) << c.codePage;
    EXPECT_EQ(qrdesk::EncodingFromIndex(1), TextEncoding::Utf8);
    EXPECT_EQ(qrdesk::EncodingFromIndex(0), TextEncoding::Ansi);
    EXPECT_EQ(qrdesk::EncodingFromIndex(-1), TextEncoding::Ansi);
}

TEST(SymbolImage, OptionsFollowTheListIndexes) {
    const auto automatic = qrdesk::OptionsFromIndexes(0, 0, 0);
    EXPECT_EQ(automatic.version, 0);
    EXPECT_EQ(automatic.level, 1);
    EXPECT_EQ(automatic.mask, -1);
    const auto fixed = qrdesk::OptionsFromIndexes(40, 3, 8);
    EXPECT_EQ(fixed.version, 40);
    EXPECT_EQ(fixed.level, 4);
    EXPECT_EQ(fixed.mask, 7);
}

TEST(SymbolImage, StretchReplicatesPixels) {
    QImage source(2, 2, QImage::Format_RGB32);
    source.setPixel(0, 0, 0xFF000000);
    source.setPixel(1, 0, 0xFFFFFFFF);
    source.setPixel(0, 1, 0xFFFFFFFF);
    source.setPixel(1, 1, 0xFF000000);
    const QImage big = qrdesk::StretchImage(source, 5, 4);
    ASSERT_EQ(big.size(), QSize(5, 4));
    // Columns 0..2 come from source column 0 (x * 2 / 5), rows 0..1 from row 0.
    const char* expected[] = {"###..", "###..", "...##", "...##"};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(qGray(big.pixel(x, y)) == 0, expected[y][x] == '#') << x << "," << y;
    EXPECT_TRUE(qrdesk::StretchImage(QImage(), 10, 10).isNull());
    EXPECT_TRUE(qrdesk::StretchImage(source, 0, 10).isNull());
}

TEST(SymbolImage, SavedBmpIs24BitAndDecodes) {
    clsQRCode encoder;
    const QByteArray text = "HELLO WORLD";
    const auto picture =
        qrdesk::EncodeBytes(encoder, text, qrdesk::OptionsFromIndexes(1, 1, 0), false);
    ASSERT_TRUE(picture);
    const QImage stretched = qrdesk::StretchImage(qrdesk::PictureToImage(*picture), 600, 600);
    const QByteArray bmp = qrdesk::EncodeImage(stretched, "BMP");
    ASSERT_GT(bmp.size(), 54);
    EXPECT_EQ(bmp.left(2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(bmp[28]), 24);  // bits per pixel
    EXPECT_EQ(bmp[30], 0);                               // no compression

    QImage reread;
    ASSERT_TRUE(reread.loadFromData(bmp, "BMP"));
    ASSERT_EQ(reread.size(), QSize(600, 600));
    const QImage grey = reread.convertToFormat(QImage::Format_Grayscale8);
    std::vector<std::uint8_t> lum(600 * 600);
    for (int y = 0; y < 600; ++y) std::copy_n(grey.constScanLine(y), 600, lum.begin() + y * 600);
    const auto decoded = DecodeLuminance(lum.data(), 600, 600);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(decoded->bytes.data()),
                         static_cast<qsizetype>(decoded->bytes.size())),
              text);
}

TEST(SymbolImage, FailedWriteLeavesNoFileAndKeepsTheOldOne) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString error;
    EXPECT_FALSE(qrdesk::WriteFileAtomically(dir.filePath("missing/a.bmp"), "x", &error));
    EXPECT_FALSE(error.isEmpty());

    const QString path = dir.filePath("a b 二维码 😀.bmp");
    ASSERT_TRUE(qrdesk::WriteFileAtomically(path, "old", &error)) << error.toStdString();
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool canStillWrite = QFileInfo(dir.path()).isWritable();  // root ignores modes
    if (!canStillWrite) {
        EXPECT_FALSE(qrdesk::WriteFileAtomically(path, "new", &error));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), "old");
    }
    QFile::setPermissions(dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}
