#include "readback/ReadSymbols.h"

#include <ZXing/ReadBarcode.h>

#include <algorithm>
#include <cmath>
#include <future>
#include <memory>

#include "SymbolGrid.h"
#include "WeChatReader.h"
#include "ZbarScan.h"
#include "common/TextBytes.h"

namespace qrdesk {
namespace {

// ---- Geometry of quadrilaterals

Corner Centre(const Quad& q) {
    return {(q[0].x + q[1].x + q[2].x + q[3].x) / 4, (q[0].y + q[1].y + q[2].y + q[3].y) / 4};
}

// Whether p lies inside the convex quadrilateral q, whichever way round its corners go.
bool Contains(const Quad& q, Corner p) {
    int sign = 0;
    for (int k = 0; k < 4; ++k) {
        const Corner a = q[k], b = q[(k + 1) % 4];
        const float cross = (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
        const int s = cross > 0 ? 1 : cross < 0 ? -1 : 0;
        if (s == 0) continue;
        if (sign != 0 && s != sign) return false;
        sign = s;
    }
    return true;
}

// q enlarged about its centre by factor.
Quad Enlarged(const Quad& q, float factor) {
    const Corner c = Centre(q);
    Quad out;
    for (int k = 0; k < 4; ++k)
        out[k] = {c.x + (q[k].x - c.x) * factor, c.y + (q[k].y - c.y) * factor};
    return out;
}

bool SameSymbol(const Quad& a, const Quad& b) {
    return Contains(a, Centre(b)) || Contains(b, Centre(a));
}

// v as a pixel index within 0..last, clamped before the conversion (a reader's corner may be
// far outside the picture, or no number at all: then 0).
int PixelIndex(float v, int last) {
    return !(v > 0) ? 0 : v >= float(last) ? last : int(v);
}

// The pixels inside region (a symbol's quad with room for its quiet zone), the rest white:
// one symbol alone, as a detector hands it to a decoder. Its left and top edge in origin.
GreyImage CutOut(const GreyImage& image, const Quad& region, Corner& origin) {
    float left = region[0].x, right = left, top = region[0].y, bottom = top;
    for (const Corner& c : region) {
        left = std::min(left, c.x), right = std::max(right, c.x);
        top = std::min(top, c.y), bottom = std::max(bottom, c.y);
    }
    const int x0 = PixelIndex(std::floor(left), image.width - 1);
    const int x1 = std::max(x0, PixelIndex(std::ceil(right), image.width - 1));
    const int y0 = PixelIndex(std::floor(top), image.height - 1);
    const int y1 = std::max(y0, PixelIndex(std::ceil(bottom), image.height - 1));
    GreyImage cut;
    cut.width = x1 - x0 + 1;
    cut.height = y1 - y0 + 1;
    cut.pixels.assign(static_cast<std::size_t>(cut.width) * cut.height, 255);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            if (Contains(region, {x + 0.5f, y + 0.5f}))
                cut.pixels[static_cast<std::size_t>(y - y0) * cut.width + (x - x0)] =
                    image.pixels[static_cast<std::size_t>(y) * image.width + x];
    origin = {float(x0), float(y0)};
    return cut;
}

// A quiet zone of four modules is 8 / 21 of the smallest symbol; less of larger ones.
constexpr float kWithQuietZone = 1.4f;

// ---- zxing-cpp

// The first ECI designator in zxing-cpp's bytesECI(): the symbology identifier ("]Q2"), then
// the payload with "\\" for a backslash and "\" and six digits for each ECI.
int FirstEci(const ZXing::ByteArray& marked) {
    for (std::size_t i = 3; i + 1 < marked.size(); ++i) {
        if (marked[i] != '\\') continue;
        if (marked[i + 1] == '\\') {
            ++i;
            continue;
        }
        int value = 0;
        std::size_t k = i + 1;
        for (; k < marked.size() && k <= i + 6 && marked[k] >= '0' && marked[k] <= '9'; ++k)
            value = value * 10 + (marked[k] - '0');
        if (k == i + 7) return value;
    }
    return -1;
}

std::vector<SymbolReading> ReadZxing(const GreyImage& image) {
    const ZXing::ImageView view(image.pixels.data(), image.width, image.height,
                                ZXing::ImageFormat::Lum);
    std::vector<SymbolReading> out;
    for (const ZXing::Result& result :
         ZXing::ReadBarcodes(view, ZXing::DecodeHints().setFormats(ZXing::BarcodeFormat::QRCode))) {
        if (!result.isValid()) continue;
        SymbolReading r;
        r.read = true;
        r.bytes.assign(result.bytes().begin(), result.bytes().end());
        r.text = result.text();
        Quad quad;
        for (int k = 0; k < 4; ++k)
            quad[k] = {float(result.position()[k].x), float(result.position()[k].y)};
        r.position = quad;
        if (result.ecLevel().size() == 1) r.level = result.ecLevel()[0];
        r.eci = result.hasECI() ? FirstEci(result.bytesECI()) : -1;
        out.push_back(std::move(r));
    }
    return out;
}

// ---- zbar

// zbar's text scan of the whole picture finds the symbols and the text it shows; its bytes
// come from a binary scan of each symbol alone (a second scan of a large picture would cost
// seconds), or of the whole picture for those not read alone.
std::vector<SymbolReading> ReadZbar(const GreyImage& image) {
    std::vector<SymbolReading> out;
    bool allAlone = true;
    for (ZbarSymbol& shown : ZbarScanAll(image.pixels.data(), image.width, image.height, false)) {
        SymbolReading r;
        r.read = true;
        r.text = std::move(shown.data);
        r.position = shown.position;
        if (r.position) {
            Corner origin;
            const GreyImage cut = CutOut(image, Enlarged(*r.position, kWithQuietZone), origin);
            const auto alone = ZbarScanAll(cut.pixels.data(), cut.width, cut.height, true);
            if (alone.size() == 1) r.bytes = alone[0].data;
        }
        allAlone = allAlone && (r.position && !r.bytes.empty());
        out.push_back(std::move(r));
    }
    if (allAlone) return out;
    const std::vector<ZbarSymbol> raw =
        ZbarScanAll(image.pixels.data(), image.width, image.height, true);
    for (SymbolReading& r : out) {
        if (!r.bytes.empty()) continue;
        for (const ZbarSymbol& symbol : raw)
            if (raw.size() == 1 ||
                (symbol.position && r.position && SameSymbol(*symbol.position, *r.position)))
                r.bytes = symbol.data;
    }
    return out;
}

// ---- WeChat

// WeChat's reader sees at most this many pixels: a phone's camera frame holds about two
// million, and on a hundred million the reader needs seconds and a gigabyte.
constexpr std::int64_t kWeChatPixels = 4'000'000;

// image reduced by a whole factor (each pixel the mean of factor x factor) to at most
// maxPixels; the factor in factor (1: image is small enough, nothing is made).
GreyImage Reduced(const GreyView& image, std::int64_t maxPixels, int& factor) {
    const std::int64_t pixels = std::int64_t{image.width} * image.height;
    factor = 1;
    while (pixels / (std::int64_t{factor} * factor) > maxPixels) ++factor;
    GreyImage out;
    if (factor == 1) return out;
    out.width = std::max(1, image.width / factor);
    out.height = std::max(1, image.height / factor);
    out.pixels.resize(static_cast<std::size_t>(out.width) * out.height);
    std::vector<std::uint32_t> sums(static_cast<std::size_t>(out.width));
    for (int y = 0; y < out.height; ++y) {
        std::fill(sums.begin(), sums.end(), 0);
        const int rows = std::min(factor, image.height - y * factor);
        for (int k = 0; k < rows; ++k) {
            const std::uint8_t* in =
                image.pixels + static_cast<std::size_t>(y * factor + k) * image.width;
            for (int x = 0; x < out.width * factor && x < image.width; ++x)
                sums[x / factor] += in[x];
        }
        for (int x = 0; x < out.width; ++x) {
            const int columns = std::min(factor, image.width - x * factor);
            out.pixels[static_cast<std::size_t>(y) * out.width + x] =
                static_cast<std::uint8_t>(sums[x] / static_cast<std::uint32_t>(rows * columns));
        }
    }
    return out;
}

}  // namespace

std::optional<std::vector<SymbolReading>> ReadWeChat(const GreyView& image, Corner origin,
                                                     std::string* error) {
    int factor = 1;
    const GreyImage reduced = Reduced(image, kWeChatPixels, factor);
    const GreyView seen =
        factor == 1 ? image : GreyView{reduced.pixels.data(), reduced.width, reduced.height};
    const auto found = wechat::Read(seen.pixels, seen.width, seen.height, error);
    if (!found) return std::nullopt;
    std::vector<SymbolReading> out;
    for (const wechat::Found& symbol : *found) {
        SymbolReading r;
        r.read = true;
        // It hands back the payload's bytes whatever the ECI or mode: shown as UTF-8.
        r.bytes = symbol.text;
        r.text = ValidUtf8(symbol.text);
        if (symbol.position) {
            Quad quad = *symbol.position;
            for (Corner& c : quad) c = {origin.x + c.x * factor, origin.y + c.y * factor};
            r.position = quad;
        }
        out.push_back(std::move(r));
    }
    return out;
}

namespace {

GreyView ViewOf(const GreyImage& image) {
    return {image.pixels.data(), image.width, image.height};
}

// WeChat's readings joined to the symbols: its reading of each located symbol alone (as its
// detector model would hand it over), and what it read in the whole picture, which is one of
// those symbols or one that only it found.
void JoinWeChat(const GreyImage& image, std::optional<std::vector<SymbolReading>> whole,
                std::vector<FoundSymbol>& symbols) {
    if (!whole) return;
    constexpr int kWeChat = int(ReaderId::WeChat);
    for (FoundSymbol& symbol : symbols) {
        if (!symbol.position) continue;
        Corner origin;
        const GreyImage cut = CutOut(image, Enlarged(*symbol.position, kWithQuietZone), origin);
        auto alone = ReadWeChat(ViewOf(cut), origin, nullptr);
        if (alone && !alone->empty()) symbol.readings[kWeChat] = std::move(alone->front());
    }
    for (SymbolReading& found : *whole) {
        const auto same = std::find_if(symbols.begin(), symbols.end(), [&](const FoundSymbol& s) {
            return std::any_of(s.readings.begin(), s.readings.end(), [&](const SymbolReading& r) {
                return r.read && r.bytes == found.bytes;
            });
        });
        if (same == symbols.end()) {
            FoundSymbol only;
            only.position = found.position;
            only.readings[kWeChat] = std::move(found);
            symbols.push_back(std::move(only));
        } else if (!same->readings[kWeChat].read) {
            same->readings[kWeChat] = std::move(found);
        }
    }
}

}  // namespace

std::vector<std::size_t> ReadingOrder(const std::vector<std::optional<Quad>>& positions) {
    struct Box {
        float top, bottom, centreX;
    };
    std::vector<Box> boxes(positions.size());
    for (std::size_t i = 0; i < positions.size(); ++i) {
        if (!positions[i]) continue;
        const Quad& q = *positions[i];
        Box& b = boxes[i];
        b.top = b.bottom = q[0].y;
        for (const Corner& c : q) b.top = std::min(b.top, c.y), b.bottom = std::max(b.bottom, c.y);
        b.centreX = Centre(q).x;
    }
    // Side by side: each reaches past the other's middle height.
    const auto sideBySide = [&](std::size_t a, std::size_t b) {
        const float middleA = (boxes[a].top + boxes[a].bottom) / 2;
        const float middleB = (boxes[b].top + boxes[b].bottom) / 2;
        return boxes[a].top <= middleB && middleB <= boxes[a].bottom && boxes[b].top <= middleA &&
               middleA <= boxes[b].bottom;
    };
    std::vector<std::size_t> located, order;
    for (std::size_t i = 0; i < positions.size(); ++i)
        if (positions[i]) located.push_back(i);
    std::stable_sort(located.begin(), located.end(), [&](std::size_t a, std::size_t b) {
        return boxes[a].top + boxes[a].bottom < boxes[b].top + boxes[b].bottom;
    });
    // A row: the highest symbol left and those beside it, from the left.
    for (std::size_t first = 0, end = 0; first < located.size(); first = end) {
        for (end = first + 1; end < located.size() && sideBySide(located[first], located[end]);)
            ++end;
        std::stable_sort(
            located.begin() + first, located.begin() + end,
            [&](std::size_t a, std::size_t b) { return boxes[a].centreX < boxes[b].centreX; });
        order.insert(order.end(), located.begin() + first, located.begin() + end);
    }
    for (std::size_t i = 0; i < positions.size(); ++i)
        if (!positions[i]) order.push_back(i);
    return order;
}

PictureReading ReadSymbols(const GreyImage& image) {
    PictureReading out;
    if (image.Empty()) return out;
    // The three readers side by side (one after the other where no thread can be had);
    // WeChat's then reads each symbol the others located.
    constexpr auto kPolicy = std::launch::async | std::launch::deferred;
    auto zbar = std::async(kPolicy, [&] { return ReadZbar(image); });
    auto wechatWhole = std::async(kPolicy, [&] {
        return ReadWeChat(ViewOf(image), {0, 0}, &out.wechatMissing);
    });
    std::vector<FoundSymbol> symbols;
    for (SymbolReading& r : ReadZxing(image)) {
        FoundSymbol symbol;
        symbol.position = r.position;
        symbol.readings[int(ReaderId::Zxing)] = std::move(r);
        symbols.push_back(std::move(symbol));
    }
    for (SymbolReading& r : zbar.get()) {
        const auto same = std::find_if(symbols.begin(), symbols.end(), [&](const FoundSymbol& s) {
            return s.position && r.position && !s.readings[int(ReaderId::Zbar)].read &&
                   SameSymbol(*s.position, *r.position);
        });
        if (same != symbols.end()) {
            same->readings[int(ReaderId::Zbar)] = std::move(r);
            continue;
        }
        FoundSymbol symbol;
        symbol.position = r.position;
        symbol.readings[int(ReaderId::Zbar)] = std::move(r);
        symbols.push_back(std::move(symbol));
    }
    JoinWeChat(image, wechatWhole.get(), symbols);

    std::vector<std::optional<Quad>> positions;
    for (const FoundSymbol& s : symbols) positions.push_back(s.position);
    for (const std::size_t i : ReadingOrder(positions)) {
        FoundSymbol& symbol = symbols[i];
        if (symbol.position) symbol.facts = ReadSymbolFacts(image, *symbol.position);
        out.symbols.push_back(std::move(symbol));
    }
    return out;
}

}  // namespace qrdesk
