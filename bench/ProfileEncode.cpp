// Encodes one of the benchmark's payloads a given number of times, for instruction counts
// under callgrind (bench/callgrind_stages.py runs it twice and takes the difference, so that
// one-time costs drop out). Uses only the public interface, so the same file builds against
// any version of the encoder.
//
// Usage: qrdesk_profile PAYLOAD REPETITIONS [fresh|scored]
//   PAYLOAD 0 1-M HELLO WORLD, 1 M url 100 bytes, 2 40-L 2953 bytes, 3 40-L 7089 digits,
//   4 M mixed 1500 bytes; fresh: a new encoder object per symbol; scored: the scored mask.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Payloads.h"
#include "encoder/clsQRCode.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s PAYLOAD REPETITIONS [fresh|scored]\n", argv[0]);
        return 2;
    }
    const int which = std::atoi(argv[1]), repetitions = std::atoi(argv[2]);
    const std::string mode = argc > 3 ? argv[3] : "";
    const std::vector<bench::Payload> payloads = bench::Payloads();
    if (which < 0 || which >= static_cast<int>(payloads.size())) return 2;
    const std::string& text = payloads[which].text;
    clsQRCode::EncodeOptions options;
    options.level = payloads[which].level;
    options.scoredMask = mode == "scored";
    clsQRCode kept;
    long width = 0;
    for (int r = 0; r < repetitions; ++r) {
        const auto* data = reinterpret_cast<const std::uint8_t*>(text.data());
        const auto count = static_cast<std::int32_t>(text.size());
        if (mode == "fresh") {
            clsQRCode qr;
            const auto picture = qr.Encode(data, count, options);
            width += picture ? picture->Width() : 0;
        } else {
            const auto picture = kept.Encode(data, count, options);
            width += picture ? picture->Width() : 0;
        }
    }
    std::printf("%ld\n", width);
    return 0;
}
