// Picture files decoded for reading: the same picture written by an independent program
// (ImageMagick's convert, or by hand for the plain formats) in every format and variant must
// decode to the same grey pixels, a lossy one to nearly the same; damaged files and pictures
// over the limit are refused with a reason, a huge size before any pixel is allocated.

#include <gtest/gtest.h>

#include <zlib.h>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstdlib>

#include "readback/ImageFile.h"
#include "support/qt/CliProcess.h"
#include "support/qt/Files.h"

namespace {

constexpr int kWidth = 37, kHeight = 23;  // odd sides: row padding in BMP, bits in PBM

// Exactly 256 colours, so that palette formats hold the picture without loss; red, green and
// blue differ, so that channels taken in the wrong order show.
std::array<std::uint8_t, 3> Rgb(int x, int y) {
    return {std::uint8_t(x % 8 * 36), std::uint8_t(y % 8 * 36), std::uint8_t((x + y) % 4 * 85)};
}

QByteArray Ppm() {
    QByteArray ppm = QByteArray("P6\n# test\n") + QByteArray::number(kWidth) + " " +
                     QByteArray::number(kHeight) + "\n255\n";
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            for (std::uint8_t c : Rgb(x, y)) ppm += char(c);
    return ppm;
}

qrdesk::DecodedImage Decode(const QByteArray& file, const qrdesk::ImageLimits& limits = {}) {
    return qrdesk::DecodeImageFile(
        {reinterpret_cast<const std::uint8_t*>(file.constData()), std::size_t(file.size())},
        limits);
}

// The file ImageMagick writes of input under the name out (whose prefix may name the
// format) with options.
QByteArray Convert(const QByteArray& input, const QStringList& options, const QString& out) {
    QTemporaryDir dir;
    WriteFile(dir.filePath("in"), input);
    const CliRun run = RunProgram("convert", QStringList{"in"} + options + QStringList{out},
                                  dir.path(), CliProcess{});
    EXPECT_EQ(run.code, 0) << run.err.constData();
    return ReadFile(dir.filePath(out.section(':', -1)));
}

}  // namespace

TEST(ImageFile, EveryFormatGivesThePicture) {
    const auto reference = Decode(Ppm());
    ASSERT_TRUE(reference.Ok()) << reference.error;
    ASSERT_EQ(reference.image.width, kWidth);
    ASSERT_EQ(reference.image.height, kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const auto [r, g, b] = Rgb(x, y);
            ASSERT_EQ(reference.image.pixels[y * kWidth + x], qrdesk::GreyOf(r, g, b));
        }
    struct Case {
        const char* name;
        QStringList options;
        const char* out;
        int meanError, maxError;  // in grey levels; 0 for lossless formats
    };
    const Case cases[] = {
        {"PNG", {}, "x.png", 0, 0},
        {"PNG interlaced", {"-interlace", "PNG"}, "x.png", 0, 0},
        {"PNG 16 bits", {"-depth", "16"}, "PNG48:x.png", 0, 0},
        {"PNG palette", {}, "PNG8:x.png", 0, 0},
        {"PNG with alpha", {"-alpha", "on"}, "PNG32:x.png", 0, 0},
        {"BMP 24 bits", {}, "BMP3:x.bmp", 0, 0},
        {"BMP palette", {"-type", "Palette", "-compress", "none"}, "BMP3:x.bmp", 0, 0},
        {"BMP palette, run-length", {"-type", "Palette", "-compress", "RLE"}, "BMP3:x.bmp", 0, 0},
        {"BMP 32 bits, bit fields", {"-alpha", "on"}, "BMP:x.bmp", 0, 0},
        {"BMP 16 bits", {"-define", "bmp:subtype=RGB565"}, "BMP:x.bmp", 4, 8},
        {"PPM plain", {"-compress", "none"}, "PPM:x.ppm", 0, 0},
        {"GIF", {}, "x.gif", 0, 0},
        {"GIF interlaced", {"-interlace", "GIF"}, "x.gif", 0, 0},
        {"WebP lossless (read through its luma)",
         {"-define", "webp:lossless=true"},
         "x.webp",
         8,
         24},
        {"WebP", {"-quality", "100"}, "x.webp", 8, 40},
        {"JPEG (its luma weighs colours a little differently)", {"-quality", "95"}, "x.jpg", 9, 48},
        {"JPEG progressive", {"-quality", "95", "-interlace", "JPEG"}, "x.jpg", 9, 48},
        {"JPEG CMYK", {"-quality", "95", "-colorspace", "CMYK"}, "x.jpg", 6, 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray file = Convert(Ppm(), c.options, c.out);
        const auto decoded = Decode(file);
        ASSERT_TRUE(decoded.Ok()) << decoded.error;
        ASSERT_EQ(decoded.image.width, kWidth);
        ASSERT_EQ(decoded.image.height, kHeight);
        long total = 0;
        int worst = 0;
        for (std::size_t i = 0; i < decoded.image.pixels.size(); ++i) {
            const int error = std::abs(decoded.image.pixels[i] - reference.image.pixels[i]);
            total += error;
            worst = std::max(worst, error);
        }
        EXPECT_LE(total / long(decoded.image.pixels.size()), c.meanError);
        EXPECT_LE(worst, c.maxError);
        // The limit holds exactly at the picture's size, in every format.
        EXPECT_TRUE(Decode(file, {kWidth * kHeight}).Ok());
        const auto over = Decode(file, {kWidth * kHeight - 1});
        EXPECT_NE(over.error.find("larger than 850 pixels"), std::string::npos) << over.error;
    }
}

// A BMP of 4 x 1 pixels with 4-bit run-length pixels: a run of 4 alternating black and white.
QByteArray Rle4Bmp() {
    QByteArray bmp(
        "BM\0\0\0\0\0\0\0\0\x3E\0\0\0"
        "\x28\0\0\0\x04\0\0\0\x01\0\0\0\x01\0\x04\0"
        "\x02\0\0\0",
        34);
    bmp += QByteArray(12, 0) + QByteArray("\x02\0\0\0\0\0\0\0", 8);  // 2 colours:
    bmp += QByteArray("\0\0\0\0\xFF\xFF\xFF\0", 8);                  // black, white
    return bmp + QByteArray("\x04\x01\0\x01", 4);
}

// Grey and bitmap files written by hand, plain (ASCII) and raw, 8 and 16 bits; run-length.
TEST(ImageFile, WrittenByHand) {
    const struct {
        const char* name;
        QByteArray file;
        std::vector<std::uint8_t> pixels;
    } cases[] = {
        {"PBM plain, digits run together", "P1 3 2 # c\n010\n110", {255, 0, 255, 0, 0, 255}},
        {"PBM raw, 9 bits a row",
         QByteArray("P4\n9 1\n\xAA\x80", 9),
         {0, 255, 0, 255, 0, 255, 0, 255, 0}},
        {"PGM plain, maximum 4", "P2 2 1 4 0 4", {0, 255}},
        {"PGM raw, 16 bits", QByteArray("P5 2 1 65535\n\x00\x00\xFF\xFF", 17), {0, 255}},
        {"BMP, 4-bit run-length", Rle4Bmp(), {0, 255, 0, 255}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto decoded = Decode(c.file);
        ASSERT_TRUE(decoded.Ok()) << decoded.error;
        EXPECT_EQ(decoded.image.pixels, c.pixels);
    }
}

// Transparent parts are laid on white, whichever format carries the alpha.
TEST(ImageFile, TransparencyOnWhite) {
    static const char kPam[] =
        "P7\nWIDTH 3\nHEIGHT 1\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\n"
        "ENDHDR\n\0\0\0\0\0\0\0\xFF\0\0\0\x80";
    const QByteArray pam(kPam, sizeof kPam - 1);
    for (const char* out : {"PNG32:x.png", "x.gif", "BMP:x.bmp", "x.webp"}) {
        SCOPED_TRACE(out);
        const QStringList lossless = {"-define", "webp:lossless=true"};
        const auto decoded = Decode(Convert(pam, lossless, out));
        ASSERT_TRUE(decoded.Ok()) << decoded.error;
        EXPECT_EQ(decoded.image.pixels[0], 255);  // transparent black
        EXPECT_LE(decoded.image.pixels[1], 2);    // opaque black
        if (std::string(out) != "x.gif") {        // GIF has no half transparency
            EXPECT_NEAR(decoded.image.pixels[2], 127, 3);
        }
    }
}

TEST(ImageFile, RefusedWithAReason) {
    // A PNG of a few dozen bytes that claims 100,000 x 100,000 pixels.
    const auto chunk = [](const char* type, const QByteArray& data) {
        QByteArray c = QByteArray(4, 0) + type + data;
        qToBigEndian<quint32>(quint32(data.size()), c.data());
        quint32 crc = quint32(
            crc32(0, reinterpret_cast<const Bytef*>(c.constData() + 4), uInt(c.size() - 4)));
        c += QByteArray(4, 0);
        qToBigEndian(crc, c.data() + c.size() - 4);
        return c;
    };
    QByteArray header(13, 0);
    qToBigEndian<quint32>(100000, header.data());
    qToBigEndian<quint32>(100000, header.data() + 4);
    header[8] = 8;  // 8-bit grey
    const QByteArray bomb = QByteArray("\x89PNG\r\n\x1a\n") + chunk("IHDR", header) +
                            chunk("IDAT", QByteArray(16, 0)) + chunk("IEND", {});
    const QByteArray png = Convert(Ppm(), {}, "x.png");
    // A progressive JPEG whose last scan comes 600 times: each one a pass over the picture.
    QByteArray scans = Convert(Ppm(), {"-interlace", "JPEG"}, "x.jpg");
    const QByteArray lastScan = scans.mid(scans.lastIndexOf("\xFF\xDA")).chopped(2);
    scans.insert(scans.size() - 2, lastScan.repeated(600));
    const QByteArray huge("\xA0\x86\x01\x00\xA0\x86\x01\x00", 8);  // 100,000 twice, little-endian
    const struct {
        const char* name;
        QByteArray file;
        const char* reason;
    } cases[] = {
        {"empty", "", "empty file"},
        {"text", "hello", "not a picture"},
        {"SVG", "<svg xmlns='http://www.w3.org/2000/svg'/>", "SVG drawing"},
        {"SVG as editors save it",
         "\xEF\xBB\xBF<?xml version='1.0'?>\n<!-- made by hand -->\n"
         "<svg xmlns='http://www.w3.org/2000/svg'/>",
         "SVG drawing"},
        {"other XML", "<?xml version='1.0'?><note/>", "not a picture"},
        {"PNG bomb", bomb, "100000 x 100000 pixels is larger than 100000000"},
        {"PNG cut short", png.left(png.size() / 2), "PNG:"},
        {"BMP bomb", Convert(Ppm(), {}, "BMP3:x.bmp").left(14 + 40).replace(18, 8, huge),
         "larger than"},
        {"PNM bomb", "P5 100000 100000 255\n", "larger than"},
        {"JPEG of 600 scans", scans, "JPEG: more than 500 scans"},
        {"GIF bomb", QByteArray("GIF89a\xFF\xFF\xFF\xFF\0\0\0;", 14), "65535 x 65535 pixels"},
        {"GIF cut short", Convert(Ppm(), {}, "x.gif").left(100), "GIF:"},
        {"BMP cut short", Convert(Ppm(), {}, "BMP3:x.bmp").left(100), "cut short"},
        {"PNM cut short", Ppm().left(200), "cut short"},
        {"BMP with a JPEG inside", Convert(Ppm(), {}, "BMP3:x.bmp").replace(30, 1, "\x04"),
         "compressed pixels (method 4)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto decoded = Decode(c.file);
        EXPECT_FALSE(decoded.Ok());
        EXPECT_NE(decoded.error.find(c.reason), std::string::npos) << decoded.error;
        EXPECT_TRUE(decoded.image.pixels.empty());
    }
}
