// The C interface of the read-back module (common/ReaderModule.h) over this build's readers.

#include "common/ReaderModule.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "readback/ImageFile.h"
#include "readback/ReadBack.h"
#include "readback/ReadSymbols.h"

namespace {

const qrdesk::Readers& ModuleReaders() {
    static const qrdesk::Readers readers;
    return readers;
}

const qrdesk::SymbolReader* Reader(uint32_t index) {
    const auto all = ModuleReaders().All();
    return index < all.size() ? all[index] : nullptr;
}

const char* Name(uint32_t reader) {
    const qrdesk::SymbolReader* r = Reader(reader);
    return r ? r->Name() : nullptr;
}

const char* Help(uint32_t reader) {
    const qrdesk::SymbolReader* r = Reader(reader);
    return r ? r->Help() : nullptr;
}

// Copies what fits of from into the caller's buffer; the length says how much there was.
void Put(const std::string& from, char* buffer, uint32_t capacity, uint32_t* length) {
    *length = static_cast<uint32_t>(std::min<std::size_t>(from.size(), UINT32_MAX));
    if (buffer != nullptr)
        std::memcpy(buffer, from.data(), std::min<std::size_t>(from.size(), capacity));
}

int32_t Read(uint32_t reader, const uint8_t* grey, int32_t width, int32_t height, int32_t helped,
             qrdesk_reading* out) {
    const qrdesk::SymbolReader* r = Reader(reader);
    if (r == nullptr || out == nullptr || grey == nullptr || width <= 0 || height <= 0) return -1;
    try {
        const qrdesk::Reading reading = r->Read({grey, width, height}, helped != 0);
        out->decoded = reading.decoded ? 1 : 0;
        out->shown = reading.shown ? 1 : 0;
        Put(reading.bytes, out->bytes, out->bytes_capacity, &out->bytes_length);
        Put(reading.text, out->text, out->text_capacity, &out->text_length);
        return 0;
    } catch (...) {
        return -1;  // nothing is thrown across the C interface
    }
}

void PutQuad(const std::optional<qrdesk::Quad>& quad, int32_t& has, float* corners) {
    has = quad ? 1 : 0;
    if (!quad) return;
    for (int k = 0; k < 4; ++k) corners[2 * k] = (*quad)[k].x, corners[2 * k + 1] = (*quad)[k].y;
}

int32_t ReadPicture(const uint8_t* file, uint64_t size, qrdesk_found_callback found, void* context,
                    char* error, uint32_t capacity) {
    auto fail = [&](const std::string& why) {
        if (error != nullptr && capacity > 0) {
            const std::size_t n = std::min<std::size_t>(why.size(), capacity - 1);
            std::memcpy(error, why.data(), n);
            error[n] = '\0';
        }
        return -1;
    };
    if ((file == nullptr && size > 0) || found == nullptr) return fail("bad arguments");
    try {
        const qrdesk::DecodedImage decoded = qrdesk::DecodeImageFile({file, size});
        if (!decoded.Ok()) return fail(decoded.error);
        const qrdesk::PictureReading reading = qrdesk::ReadSymbols(decoded.image);
        for (const qrdesk::FoundSymbol& symbol : reading.symbols) {
            qrdesk_found out{};
            for (int r = 0; r < qrdesk::kReaderCount; ++r) {
                const qrdesk::SymbolReading& in = symbol.readings[r];
                qrdesk_found_reading& to = out.readings[r];
                to.read = in.read ? 1 : 0;
                to.bytes = in.bytes.data();
                to.bytes_length = static_cast<uint32_t>(in.bytes.size());
                to.text = in.text.data();
                to.text_length = static_cast<uint32_t>(in.text.size());
                PutQuad(in.position, to.has_position, to.corners);
                to.level = in.level.value_or(0);
                to.has_eci = in.eci ? 1 : 0;
                to.eci = in.eci.value_or(0);
            }
            PutQuad(symbol.position, out.has_position, out.corners);
            out.version = symbol.facts.version;
            out.level = symbol.facts.level;
            out.mask = symbol.facts.mask;
            std::vector<qrdesk_segment> segments;
            if (symbol.facts.segments) {
                out.segments_known = 1;
                for (const qrdesk::ReadSegment& s : *symbol.facts.segments)
                    segments.push_back({s.mode, s.count, s.eci});
                out.segments = segments.data();
                out.segment_count = static_cast<uint32_t>(segments.size());
            }
            found(context, &out);
        }
        return 0;
    } catch (...) {
        return fail("out of memory");  // nothing is thrown across the C interface
    }
}

const char* Missing() {
    return ModuleReaders().Missing().c_str();
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const qrdesk_readback* qrdesk_readback_entry() {
    try {
        static const qrdesk_readback kInterface{sizeof(qrdesk_readback),
                                                QRDESK_READBACK_ABI,
                                                static_cast<uint32_t>(ModuleReaders().All().size()),
                                                Name,
                                                Help,
                                                Read,
                                                Missing,
                                                ReadPicture};
        return &kInterface;
    } catch (...) {
        return nullptr;  // the readers could not be made
    }
}
