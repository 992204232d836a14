#include "support/qt/AppReaders.h"

#include <ZXing/ReadBarcode.h>

#include <QImage>
#include <QProcess>

AppReading ZbarimgReads(const QString& path) {
    AppReading reading;
    QProcess zbarimg;
    zbarimg.start("zbarimg", {"-q", "--raw", path});
    if (!zbarimg.waitForStarted(10000) || !zbarimg.waitForFinished(120000)) return reading;
    reading.ran = zbarimg.exitStatus() == QProcess::NormalExit;
    // 0: symbols found; 4: none.
    reading.found = reading.ran && zbarimg.exitCode() == 0;
    reading.text = zbarimg.readAllStandardOutput();
    if (reading.text.endsWith('\n')) reading.text.chop(1);
    return reading;
}

AppReading ZxingAppReads(const QString& path) {
    AppReading reading;
    QImage file(path);
    if (file.isNull()) return reading;
    reading.ran = true;
    // Over white: each channel c with alpha a shows as c a + 255 (1 - a).
    const QImage argb = file.convertToFormat(QImage::Format_ARGB32);
    QImage flat(argb.size(), QImage::Format_RGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(flat.scanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            const int a = qAlpha(in[x]);
            auto over = [a](int c) { return (c * a + 255 * (255 - a) + 127) / 255; };
            out[x] = qRgb(over(qRed(in[x])), over(qGreen(in[x])), over(qBlue(in[x])));
        }
    }
    const QImage grey = flat.convertToFormat(QImage::Format_Grayscale8);
    const ZXing::ImageView view(grey.constBits(), grey.width(), grey.height(),
                                ZXing::ImageFormat::Lum, static_cast<int>(grey.bytesPerLine()));
    for (const ZXing::Result& result : ZXing::ReadBarcodes(view)) {
        if (!result.isValid() || result.format() != ZXing::BarcodeFormat::QRCode) continue;
        reading.found = true;
        reading.text = QByteArray::fromStdString(result.text());
        break;
    }
    return reading;
}
