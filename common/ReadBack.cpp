#include "common/ReadBack.h"

#include <ZXing/ReadBarcode.h>

namespace qrdesk {

ReadBack ReadBackImage(const QImage& image, const QByteArray& encoded) {
    ReadBack out;
    if (image.isNull()) return out;
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    const ZXing::ImageView view(grey.constBits(), grey.width(), grey.height(),
                                ZXing::ImageFormat::Lum, static_cast<int>(grey.bytesPerLine()));
    ZXing::Result result;
    for (const bool pure : {true, false}) {
        const auto hints =
            ZXing::DecodeHints().setFormats(ZXing::BarcodeFormat::QRCode).setIsPure(pure);
        result = ZXing::ReadBarcode(view, hints);
        if (result.isValid()) break;
    }
    if (!result.isValid()) return out;

    const ZXing::ByteArray& bytes = result.bytes();
    out.bytes = QByteArray(reinterpret_cast<const char*>(bytes.data()),
                           static_cast<qsizetype>(bytes.size()));
    out.readerText = QString::fromStdString(result.text());
    out.verdict = out.bytes == encoded ? ReadBackVerdict::Readable : ReadBackVerdict::Mismatch;
    return out;
}

}  // namespace qrdesk
