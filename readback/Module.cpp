// The C interface of the read-back module (common/ReaderModule.h) over this build's readers.

#include "common/ReaderModule.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "readback/ReadBack.h"

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

}  // namespace

extern "C" __attribute__((visibility("default"))) const qrdesk_readback* qrdesk_readback_entry() {
    try {
        static const qrdesk_readback kInterface{sizeof(qrdesk_readback),
                                                QRDESK_READBACK_ABI,
                                                static_cast<uint32_t>(ModuleReaders().All().size()),
                                                Name,
                                                Help,
                                                Read};
        return &kInterface;
    } catch (...) {
        return nullptr;  // the readers could not be made
    }
}
