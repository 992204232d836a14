#pragma once
// Reads a symbol image back with zxing-cpp, as a scanner would read the saved file, and says
// whether it gives the encoded bytes.

#include <QByteArray>
#include <QImage>
#include <QString>

namespace qrdesk {

enum class ReadBackVerdict {
    Readable,    // decoded, and the bytes are the encoded bytes
    Unreadable,  // no QR Code found in the image
    Mismatch,    // a QR Code was read but its bytes differ
};

struct ReadBack {
    ReadBackVerdict verdict = ReadBackVerdict::Unreadable;
    QByteArray bytes;    // the payload as read, before any text decoding
    QString readerText;  // the decoder's text interpretation of those bytes
};

// Decodes image (any format; read as grey) looking for a QR Code only: first as a pure
// symbol (straight, quiet zone around it, as the window draws it), then with the general
// detector, and compares the payload with encoded.
ReadBack ReadBackImage(const QImage& image, const QByteArray& encoded);

}  // namespace qrdesk
