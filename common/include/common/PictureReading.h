#pragma once
// What reading a picture found: every QR Code symbol in it, as each reader shows it, and what
// the symbol's own modules say (version, level, mask, segments). Made by the readers in
// readback/; the window shows it and the command line prints it (through the read-back
// module's plain C interface, common/ReaderModule.h).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qrdesk {

enum class ReaderId { Zxing, Zbar, WeChat };
inline constexpr int kReaderCount = 3;
// By ReaderId: the names in --info json and the tests.
inline constexpr std::array<const char*, kReaderCount> kReaderNames = {"zxing-cpp", "zbar",
                                                                       "wechat"};

struct Corner {
    float x = 0;
    float y = 0;
};
// A symbol's four corners in picture pixels, starting with the corner of its top-left finder
// pattern and going round the symbol as it is drawn (clockwise when it is not mirrored).
using Quad = std::array<Corner, 4>;

// What one reader made of one symbol. What a reader does not say stays empty.
struct SymbolReading {
    bool read = false;
    std::string bytes;             // the payload as read, before any text decoding
    std::string text;              // the text the reader shows, UTF-8
    std::optional<Quad> position;  // where this reader located the symbol
    std::optional<char> level;     // 'L', 'M', 'Q' or 'H'
    std::optional<int> eci;        // the first ECI designator; -1 for a symbol without one
};

// One segment of the data as the modules hold it.
struct ReadSegment {
    std::int32_t mode = 0;   // clsQRCode::Mode: byte, numeric, alphanumeric, Kanji, ECI
    std::int32_t count = 0;  // characters (bytes, digits, letters, Kanji); ECI: 0
    std::int32_t eci = 0;    // the designator of an ECI segment
};

// What the symbol's modules themselves say, sampled where a reader located it. Each part
// is left unknown where it could not be read cleanly; nothing is guessed.
struct SymbolFacts {
    std::int32_t version = 0;  // 1..40; 0 unknown
    char level = 0;            // 'L', 'M', 'Q', 'H'; 0 unknown
    std::int32_t mask = -1;    // 0..7; -1 unknown
    // The segments, known only when every block's error correction checked out unchanged.
    std::optional<std::vector<ReadSegment>> segments;
};

struct FoundSymbol {
    std::optional<Quad> position;                      // the first locating reader's
    std::array<SymbolReading, kReaderCount> readings;  // by ReaderId
    SymbolFacts facts;

    // The first reader (by ReaderId) that read the symbol; every symbol found has one.
    const SymbolReading& First() const {
        for (const SymbolReading& r : readings)
            if (r.read) return r;
        return readings[0];
    }
};

struct PictureReading {
    std::vector<FoundSymbol> symbols;  // in reading order: rows from the top, each from the left
    // Why WeChat's reader took no part (it could not be loaded or failed on this picture);
    // empty when it did.
    std::string wechatMissing;
};

}  // namespace qrdesk
