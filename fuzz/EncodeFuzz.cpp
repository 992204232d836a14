// Encode with arbitrary bytes and every option (version, level, mask, Kanji, ECI, scored
// mask): no crash, no leak, and every symbol it makes is read back by the tests' reader,
// written from the standard rather than from the encoder: the picture is (N + 8) pixels
// square, black and white, for the version asked; both format words name the level asked and
// the mask applied (pattern 0 unless one was given or scored); both version words match;
// every block's error-correction codewords have zero syndromes; and the data codewords hold
// the ECI header asked for and then segments that carry the bytes exactly, Kanji only where
// allowed.

#include <cstdlib>
#include <vector>

#include "FuzzInput.h"
#include "encoder/clsQRCode.h"
#include "support/Codewords.h"
#include "support/KnownAnswers.h"
#include "support/StreamReader.h"
#include "support/SymbolReader.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// GF(256) by the polynomial 285 and its generator 2, as the standard states them.
struct Field {
    int exp[512] = {}, log[256] = {};
    Field() {
        for (int i = 0, x = 1; i < 255; ++i, x = x << 1 ^ (x & 0x80 ? 285 : 0))
            exp[i] = exp[i + 255] = x, log[x] = i;
    }
    int Times(int a, int b) const { return a && b ? exp[log[a] + log[b]] : 0; }
};

// A block (data then error correction, first codeword highest) is a codeword of the code
// whose generator has the roots 2^0 .. 2^(ec-1): every syndrome is zero.
bool SyndromesZero(const Field& f, const qrtest::Bytes& block, int ec) {
    for (int j = 0; j < ec; ++j) {
        int sum = 0;
        for (const std::uint8_t c : block) sum = f.Times(sum, f.exp[j]) ^ c;
        if (sum != 0) return false;
    }
    return true;
}

// The level (1..4) and mask of a format word, or {0, -1}.
std::pair<int, int> FormatOf(const std::string& word) {
    for (int level = 1; level <= 4; ++level)
        for (int mask = 0; mask < 8; ++mask)
            if (word == qrtest::kFormatWords[level - 1][mask]) return {level, mask};
    return {0, -1};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static clsQRCode encoder;  // reused across calls, as the window reuses its one
    static const Field field;
    FuzzInput in(data, size);
    clsQRCode::EncodeOptions options;
    options.version = in.Range(-3, 43);
    options.level = in.Range(-1, 6);
    options.mask = in.Range(-2, 9);
    const std::uint8_t flags = in.Byte();
    options.kanjiAllowed = flags & 1;
    options.scoredMask = flags & 2;
    options.eci = (flags & 4) ? in.Range(0, 1) * 500000 + in.Range(0, 500001) : 0;
    clsQRCode::EncodeReport report;
    const auto picture =
        encoder.Encode(in.Rest(), static_cast<std::int32_t>(in.RestSize()), options, &report);
    if (!picture) return 0;
    Check(options.eci <= clsQRCode::MaxEci);

    const std::int32_t n = picture->Width() - 8;
    Check(picture->Height() == picture->Width() && n >= 21 && n <= 177 && (n - 17) % 4 == 0);
    const int version = (n - 17) / 4;
    if (options.version >= 1 && options.version <= 40) Check(version == options.version);
    for (std::int32_t y = 0; y < picture->Height(); ++y)
        for (std::int32_t x = 0; x < picture->Width(); ++x) {
            const std::uint32_t pixel = picture->Pixel(x, y);
            Check(pixel == 0 || pixel == 0xFFFFFF);
        }

    const qrtest::Symbol symbol = qrtest::ReadSymbol(*picture);
    const auto [level, mask] = FormatOf(qrtest::ReadFormatWord(symbol, n, 0));
    Check(level != 0 && FormatOf(qrtest::ReadFormatWord(symbol, n, 1)) == std::pair(level, mask));
    Check(level == (options.level >= 1 && options.level <= 4 ? options.level : 2));
    if (options.mask >= 0 && options.mask <= 7)
        Check(mask == options.mask);
    else if (!options.scoredMask)
        Check(mask == 0);
    Check(report.version == version && report.level == level && report.mask == mask);
    if (version >= 7)
        Check(qrtest::ReadVersionWord(symbol, n, false) == qrtest::VersionWord(version) &&
              qrtest::ReadVersionWord(symbol, n, true) == qrtest::VersionWord(version));

    const int blocks = encoder.GetEcBlockCount(version, level);
    const int ec = encoder.GetEcCodewordsPerBlock(version, level);
    const qrtest::Blocks split =
        qrtest::Deinterleave(qrtest::ReadCodewords(encoder, symbol, mask), blocks, ec);
    std::vector<std::uint8_t> bits;
    for (int b = 0; b < blocks; ++b) {
        qrtest::Bytes whole = split.data[b];
        whole.insert(whole.end(), split.ec[b].begin(), split.ec[b].end());
        Check(SyndromesZero(field, whole, ec));
        for (const std::uint8_t c : split.data[b])
            for (int k = 7; k >= 0; --k) bits.push_back(c >> k & 1);
    }
    // ECI header: 0111, then the designator in 8, 16 or 24 bits (leading 0, 10, 110).
    std::size_t at = 0;
    auto read = [&](int width) {
        int value = 0;
        for (int k = 0; k < width; ++k) value = value << 1 | bits[at++];
        return value;
    };
    if (options.eci != 0) {
        Check(read(4) == 0b0111);
        const int first = read(8);
        const int eci = first < 0x80   ? first
                        : first < 0xC0 ? (first & 0x3F) << 8 | read(8)
                                       : (first & 0x1F) << 16 | read(16);
        Check(eci == options.eci);
    }
    const auto parsed =
        qrtest::ParseStream(std::vector<std::uint8_t>(bits.begin() + at, bits.end()), version);
    Check(parsed.data == qrtest::Bytes(in.Rest(), in.Rest() + in.RestSize()));
    for (const auto& segment : parsed.segments)
        Check(segment.mode != clsQRCode::ModeKanji ||
              (options.kanjiAllowed && (options.eci == 0 || options.eci == 20)));
    return 0;
}
