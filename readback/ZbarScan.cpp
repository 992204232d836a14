#include "ZbarScan.h"

#include <zbar.h>

#include <memory>

namespace qrdesk {

std::vector<ZbarSymbol> ZbarScanAll(const std::uint8_t* grey, int width, int height, bool binary) {
    std::vector<ZbarSymbol> out;
    const std::unique_ptr<zbar::zbar_image_scanner_t, void (*)(zbar::zbar_image_scanner_t*)>
        scanner(zbar::zbar_image_scanner_create(), zbar::zbar_image_scanner_destroy);
    const std::unique_ptr<zbar::zbar_image_t, void (*)(zbar::zbar_image_t*)> image(
        zbar::zbar_image_create(), zbar::zbar_image_destroy);
    if (!scanner || !image || width <= 0 || height <= 0) return out;
    using namespace zbar;  // its C interface lives in this namespace in C++
    zbar_image_scanner_set_config(scanner.get(), ZBAR_NONE, ZBAR_CFG_ENABLE, 0);
    zbar_image_scanner_set_config(scanner.get(), ZBAR_QRCODE, ZBAR_CFG_ENABLE, 1);
    zbar_image_scanner_set_config(scanner.get(), ZBAR_QRCODE, ZBAR_CFG_BINARY, binary ? 1 : 0);
    zbar_image_set_format(image.get(), zbar_fourcc('Y', '8', '0', '0'));
    zbar_image_set_size(image.get(), static_cast<unsigned>(width), static_cast<unsigned>(height));
    // zbar only reads the pixels.
    zbar_image_set_data(image.get(), grey, static_cast<unsigned long>(width) * height, nullptr);
    if (zbar_scan_image(scanner.get(), image.get()) <= 0) return out;
    for (const zbar_symbol_t* symbol = zbar_image_first_symbol(image.get()); symbol;
         symbol = zbar_symbol_next(symbol)) {
        if (zbar_symbol_get_type(symbol) != ZBAR_QRCODE) continue;
        ZbarSymbol found{{zbar_symbol_get_data(symbol), zbar_symbol_get_data_length(symbol)}, {}};
        // zbar gives the corners from the top-left one anticlockwise; turned round here.
        if (zbar_symbol_get_loc_size(symbol) == 4) {
            Quad quad;
            for (unsigned k = 0; k < 4; ++k) {
                const unsigned from = (4 - k) % 4;
                quad[k] = {float(zbar_symbol_get_loc_x(symbol, from)),
                           float(zbar_symbol_get_loc_y(symbol, from))};
            }
            found.position = quad;
        }
        out.push_back(std::move(found));
    }
    return out;
}

}  // namespace qrdesk
