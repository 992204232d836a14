#include "support/qt/CliTestSupport.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <vector>

#include "common/SymbolImage.h"
#include "common/TextBytes.h"
#include "encoder/clsQRCode.h"

QByteArray WindowFile(const QString& text, int versionIndex, int levelIndex, int maskIndex,
                      int encodingIndex, const QString& codePage, int size, const char* format) {
    const auto encoding = qrdesk::EncodingFromIndex(encodingIndex);
    const auto bytes = qrdesk::TextToBytes(text, encoding, codePage);
    if (!bytes) return {};
    clsQRCode encoder;
    const auto picture = qrdesk::EncodeBytes(
        encoder, *bytes, qrdesk::OptionsFromIndexes(versionIndex, levelIndex, maskIndex),
        qrdesk::KanjiAllowed(encoding, codePage));
    if (!picture) return {};
    const QImage image = qrdesk::PictureToImage(*picture);
    return qrdesk::EncodeImage(size == 0 ? image : qrdesk::StretchImage(image, size, size), format);
}

std::optional<DecodedSymbol> DecodeFile(const QByteArray& contents) {
    QImage image;
    if (!image.loadFromData(contents)) return std::nullopt;
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    const int w = grey.width(), h = grey.height();
    std::vector<std::uint8_t> lum(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        std::copy_n(grey.constScanLine(y), w, lum.begin() + static_cast<std::ptrdiff_t>(y) * w);
    return DecodeLuminance(lum.data(), w, h);
}

QByteArray DecodedBytes(const DecodedSymbol& symbol) {
    return QByteArray(reinterpret_cast<const char*>(symbol.bytes.data()),
                      static_cast<qsizetype>(symbol.bytes.size()));
}

CliRun RunCliProcess(const QStringList& args, const QString& dir, const QByteArray& input) {
    QProcess process;
    process.setWorkingDirectory(dir);
    process.start(QStringLiteral(QRDESK_CLI_PATH), args);
    CliRun run;
    if (!process.waitForStarted(10000)) return run;
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return run;
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
