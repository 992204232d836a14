#pragma once
// What apps read from a written image file, found independently of the program under test:
// zbarimg (zbar's own scanner program, package zbar-tools) run on the file, and zxing-cpp's
// ReadBarcodes with its default options on the file as Qt decodes it (translucent pixels laid
// over white, as a viewer shows them). The references the readers' verdicts are held to.

#include <QByteArray>
#include <QString>

struct AppReading {
    bool ran = false;    // the reader could be run on the file at all
    bool found = false;  // a QR Code was read
    QByteArray text;     // what the reader shows, UTF-8
};

// zbarimg -q --raw FILE: found when it prints a QR Code's text and exits 0.
AppReading ZbarimgReads(const QString& path);

// ZXing::ReadBarcodes(image) with default options, the first QR Code found.
AppReading ZxingAppReads(const QString& path);
