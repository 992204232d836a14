#include "ui/PrintSymbol.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace qrdesk {

int ModulePixels(double widthMm, double dotsPerInch, int modulesAcross, int roomPixels) {
    if (modulesAcross <= 0) return 1;
    const double pixels = widthMm / 25.4 * dotsPerInch / modulesAcross;
    int module = std::max(1, static_cast<int>(std::lround(pixels)));
    if (roomPixels > 0) module = std::max(1, std::min(module, roomPixels / modulesAcross));
    return module;
}

QPoint CentredOrigin(const QRect& paper, const QRect& printable, int side) {
    const auto place = [side](int paperStart, int paperLength, int start, int length) {
        const int centred = paperStart + (paperLength - side) / 2;
        return std::max(start, std::min(centred, start + length - side)) - start;
    };
    return {place(paper.left(), paper.width(), printable.left(), printable.width()),
            place(paper.top(), paper.height(), printable.top(), printable.height())};
}

int PaintSymbol(QPainter& painter, const Modules& modules, int modulePixels, QPoint origin) {
    const int side = (modules.size + 2 * kPrintQuietZone) * modulePixels;
    painter.save();
    // Device pixels, whatever the painter was set to: no scaling, no smoothing of edges.
    painter.resetTransform();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRect(origin, QSize(side, side)), Qt::white);
    const QPoint first = origin + QPoint(kPrintQuietZone, kPrintQuietZone) * modulePixels;
    for (std::int32_t y = 0; y < modules.size; ++y) {
        // One rectangle for each run of dark modules along a row.
        for (std::int32_t x = 0; x < modules.size;) {
            if (!modules.Dark(x, y)) {
                ++x;
                continue;
            }
            std::int32_t end = x;
            while (end < modules.size && modules.Dark(end, y)) ++end;
            painter.fillRect(first.x() + x * modulePixels, first.y() + y * modulePixels,
                             (end - x) * modulePixels, modulePixels, Qt::black);
            x = end;
        }
    }
    painter.restore();
    return side;
}

void PaintLogo(QPainter& painter, const LogoBox& box, const LogoImage& logo, int modulePixels,
               QPoint origin) {
    if (box.Empty() || logo.Empty()) return;
    painter.save();
    painter.resetTransform();
    const QPoint corner =
        origin + QPoint(kPrintQuietZone + box.x, kPrintQuietZone + box.y) * modulePixels;
    painter.fillRect(QRect(corner, QSize(box.side, box.side) * modulePixels), Qt::white);
    const QRect inner(corner + QPoint(kLogoPad, kLogoPad) * modulePixels,
                      QSize(box.side - 2 * kLogoPad, box.side - 2 * kLogoPad) * modulePixels);
    // 0xAARRGGBB, not premultiplied, is Qt's ARGB32 as it stands in memory.
    const QImage image(reinterpret_cast<const uchar*>(logo.argb.data()), logo.width, logo.height,
                       static_cast<qsizetype>(logo.width) * 4, QImage::Format_ARGB32);
    QRect fitted(QPoint(), image.size().scaled(inner.size(), Qt::KeepAspectRatio));
    fitted.moveCenter(inner.center());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(fitted, image);
    painter.restore();
}

}  // namespace qrdesk
