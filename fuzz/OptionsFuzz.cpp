// The option parser on arbitrary command lines (arguments split at NUL bytes): no crash, no
// leak, and either options within their stated ranges or one line that names the cause.

#include <cstdlib>
#include <string>
#include <vector>

#include "cli/Options.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool stdinIsTerminal = data[0] & 1;
    std::vector<std::string> args(1);
    for (std::size_t i = 1; i < size && args.size() <= 64; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back() += static_cast<char>(data[i]);
    }
    using namespace qrdesk::cli;
    const ParseResult parsed = ParseArguments(args, stdinIsTerminal);
    if (!parsed.options) {
        Check(!parsed.error.empty() && parsed.error.find('\n') == std::string::npos);
        return 0;
    }
    const CliOptions& o = *parsed.options;
    if (o.help || o.showVersion) return 0;
    Check(o.symbol.version >= 0 && o.symbol.version <= 40);
    Check(o.symbol.level >= 1 && o.symbol.level <= 4);
    Check(o.symbol.mask >= -1 && o.symbol.mask <= 7);
    Check(o.symbol.eci >= 0 && o.symbol.eci <= clsQRCode::MaxEci);
    Check(o.scale >= 0 && o.scale * kMinSymbolPixels <= kMaxSize);
    Check(o.size >= kMinSymbolPixels && o.size <= kMaxSize);
    Check(o.margin >= 0 && o.margin <= 100);
    Check(o.shardCount >= 1 && o.shardIndex >= 0 && o.shardIndex < o.shardCount);
    Check(!o.output.empty());
    Check(!(o.force && o.skipExisting));
    if (o.batch) Check(!o.batchFile.empty() && !o.outDir.empty());
    if (o.encoding == qrdesk::TextEncoding::Ansi) Check(qrdesk::IsCodePageSupported(o.codePage));
    for (const std::string& warning : o.warnings) Check(warning.find('\n') == std::string::npos);
    return 0;
}
