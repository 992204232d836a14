#include "cli/Scan.h"

#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>

#include "Values.h"
#include "cli/Describe.h"
#include "cli/Destination.h"
#include "cli/Readers.h"
#include "common/FileWrite.h"
#include "common/Symbol.h"

namespace qrdesk::cli {
namespace {

// A picture file larger than this is refused unread: 100 megapixels as a BMP of 32-bit pixels
// with room to spare; the decoders refuse larger pictures anyway.
constexpr std::size_t kMaxPictureFile = std::size_t{512} << 20;

std::string Number(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(value));
    return text;
}

std::string PositionText(const std::optional<Quad>& quad) {
    if (!quad) return "at an unknown place";
    std::string text = "at";
    for (const Corner& c : *quad) text += " (" + Number(c.x) + "," + Number(c.y) + ")";
    return text;
}

std::string PositionJson(const std::optional<Quad>& quad) {
    if (!quad) return "null";
    std::string json = "[";
    for (int k = 0; k < 4; ++k)
        json += std::string(k ? "," : "") + "[" + Number((*quad)[k].x) + "," +
                Number((*quad)[k].y) + "]";
    return json + "]";
}

std::string SegmentsText(const std::vector<ReadSegment>& segments) {
    std::string text;
    for (const ReadSegment& s : segments) {
        if (!text.empty()) text += " ";
        text += ModeName(static_cast<clsQRCode::Mode>(s.mode));
        text += " " + std::to_string(s.mode == clsQRCode::ModeEci ? s.eci : s.count);
    }
    return text.empty() ? "none" : text;
}

// "version 3, level M, mask 5, segments byte 12": what the modules say, "unknown" for what
// could not be read cleanly.
std::string FactsLine(const SymbolFacts& f) {
    auto known = [](bool is, const std::string& value) { return is ? value : "unknown"; };
    return "version " + known(f.version != 0, std::to_string(f.version)) + ", level " +
           known(f.level != 0, std::string(1, f.level)) + ", mask " +
           known(f.mask >= 0, std::to_string(f.mask)) + ", segments " +
           (f.segments ? SegmentsText(*f.segments) : "unknown");
}

std::string ReaderLine(int reader, const SymbolReading& r, const std::string& missing) {
    std::string line = std::string("  ") + kReaderNames[reader] + ": ";
    if (!r.read)
        return line +
               (reader == int(ReaderId::WeChat) && !missing.empty() ? "not asked" : "not read");
    line += JsonString(r.text);
    if (r.level) line += std::string(", level ") + *r.level;
    if (r.eci) line += *r.eci < 0 ? ", no ECI" : ", ECI " + std::to_string(*r.eci);
    return line + ", " + PositionText(r.position);
}

std::string SymbolJson(const FoundSymbol& symbol) {
    const SymbolFacts& f = symbol.facts;
    std::string json = "{\"text\":" + JsonString(symbol.First().text) +
                       ",\"version\":" + (f.version ? std::to_string(f.version) : "null") +
                       ",\"level\":" + (f.level ? "\"" + std::string(1, f.level) + "\"" : "null") +
                       ",\"mask\":" + (f.mask >= 0 ? std::to_string(f.mask) : "null") +
                       ",\"segments\":";
    if (f.segments) {
        json += "[";
        for (std::size_t k = 0; k < f.segments->size(); ++k) {
            const ReadSegment& s = (*f.segments)[k];
            json += std::string(k ? "," : "") + "{\"mode\":\"" +
                    ModeName(static_cast<clsQRCode::Mode>(s.mode)) + "\"," +
                    (s.mode == clsQRCode::ModeEci ? "\"eci\":" + std::to_string(s.eci)
                                                  : "\"count\":" + std::to_string(s.count)) +
                    "}";
        }
        json += "]";
    } else {
        json += "null";
    }
    json += ",\"position\":" + PositionJson(symbol.position) + ",\"readers\":[";
    for (int k = 0; k < kReaderCount; ++k) {
        const SymbolReading& r = symbol.readings[k];
        json += std::string(k ? "," : "") + "{\"name\":\"" + kReaderNames[k] +
                "\",\"read\":" + (r.read ? "true" : "false");
        if (r.read)
            json += ",\"text\":" + JsonString(r.text) +
                    ",\"level\":" + (r.level ? "\"" + std::string(1, *r.level) + "\"" : "null") +
                    ",\"eci\":" + (r.eci && *r.eci >= 0 ? std::to_string(*r.eci) : "null") +
                    ",\"position\":" + PositionJson(r.position);
        json += "}";
    }
    return json + "]}";
}

// The picture file's bytes into file; kOk, or the code after one line.
int ReadPictureFile(const std::string& path, std::string& file, const StopSignals& stopSignals) {
    const bool fromStdin = path == "-";
    const std::string name = fromStdin ? "standard input" : Printable(path);
    const int error = ReadWhole(path, kMaxPictureFile, file, &stopSignals);
    if (error == ECANCELED) return Interrupted(stopSignals);
    if (error == EFBIG) {
        std::fprintf(stderr, "qrdesk-cli: %s: a picture file of more than %zu MB is not read\n",
                     name.c_str(), kMaxPictureFile >> 20);
        return kInputOutput;
    }
    if (error != 0) {
        std::fprintf(stderr, "qrdesk-cli: cannot read %s: %s\n", name.c_str(),
                     ErrnoReason(error).c_str());
        return kInputOutput;
    }
    return kOk;
}

}  // namespace

std::string ScanOutput(const std::string& name, const PictureReading& reading, InfoFormat info) {
    std::string out;
    if (info == InfoFormat::Json) {
        out = "{\"file\":" + JsonString(name) + ",\"symbols\":[";
        for (std::size_t k = 0; k < reading.symbols.size(); ++k)
            out += (k ? "," : "") + SymbolJson(reading.symbols[k]);
        return out + "],\"wechatMissing\":" +
               (reading.wechatMissing.empty() ? "null" : JsonString(reading.wechatMissing)) + "}\n";
    }
    for (std::size_t k = 0; k < reading.symbols.size(); ++k) {
        const FoundSymbol& symbol = reading.symbols[k];
        if (info == InfoFormat::None) {
            out += symbol.First().text + "\n";
            continue;
        }
        out += name + ": symbol " + std::to_string(k + 1) + " of " +
               std::to_string(reading.symbols.size()) + ", " + PositionText(symbol.position) +
               "\n  " + FactsLine(symbol.facts) + "\n";
        for (int r = 0; r < kReaderCount; ++r)
            out += ReaderLine(r, symbol.readings[r], reading.wechatMissing) + "\n";
    }
    return out;
}

int RunScan(const CliOptions& options, const StopSignals& stopSignals) {
    bool anyRead = false, anyFailed = false, saidMissing = false;
    for (const std::string& path : options.pictures) {
        std::string file;
        if (const int code = ReadPictureFile(path, file, stopSignals); code != kOk) {
            if (code > 128) return code;
            anyFailed = true;
            continue;
        }
        std::string error;
        bool loaded = false;
        const auto reading = ReadPicture(
            {reinterpret_cast<const std::uint8_t*>(file.data()), file.size()}, error, loaded);
        if (!loaded) {
            std::fprintf(stderr, "qrdesk-cli: %s\n", error.c_str());
            return kInputOutput;
        }
        const std::string name = path == "-" ? "standard input" : path;
        if (!reading) {
            // --read named the text file to encode in earlier releases: point such calls on.
            if (error.starts_with("not a picture")) error += " (-r FILE encodes a file's text)";
            std::fprintf(stderr, "qrdesk-cli: %s: %s\n",
                         (path == "-" ? name : Printable(path)).c_str(), error.c_str());
            anyFailed = true;
            continue;
        }
        if (!reading->wechatMissing.empty() && !saidMissing && options.info == InfoFormat::None) {
            std::fprintf(stderr, "qrdesk-cli: reading without WeChat's reader: %s\n",
                         reading->wechatMissing.c_str());
            saidMissing = true;
        }
        anyRead = anyRead || !reading->symbols.empty();
        if (const int code = WriteStandardOutput(ScanOutput(name, *reading, options.info));
            code != kOk)
            return code;
        if (stopSignals.Caught() != 0) return Interrupted(stopSignals);
    }
    return anyFailed ? kInputOutput : anyRead ? kOk : kNothingRead;
}

}  // namespace qrdesk::cli
