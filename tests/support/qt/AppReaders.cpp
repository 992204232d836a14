#include "support/qt/AppReaders.h"

#include <ZXing/ReadBarcode.h>

#include <QImage>
#include <QPainter>
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
    QImage flat(file.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    {
        QPainter painter(&flat);
        painter.drawImage(0, 0, file);
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
