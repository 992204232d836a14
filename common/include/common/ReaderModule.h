#pragma once
// The readers as a module that a program loads with dlopen when it needs them (qrdesk-cli,
// for --info only; readback/ builds it). The interface is plain C: plain structs, pixels and
// text in buffers that the caller owns, no allocation, object or exception crossing.
// qrdesk-cli links its own C++ library statically (for its start-up time) while the module
// uses the shared one; with only C crossing between them, the two runtimes never meet.

#include <stdint.h>

extern "C" {

// The interface's version; the program refuses a module of another one or a smaller table.
#define QRDESK_READBACK_ABI 2

// One reading. The caller sets the buffers and their capacities; the module fills them and
// the lengths. A length above its capacity means the buffer was too small (it holds the
// first capacity bytes): the caller reads again with room for the length given.
struct qrdesk_reading {
    int32_t decoded;  // the payload was decoded
    int32_t shown;    // the reader shows a text for it
    char* bytes;      // the payload
    uint32_t bytes_capacity;
    uint32_t bytes_length;
    char* text;  // the text shown, UTF-8
    uint32_t text_capacity;
    uint32_t text_length;
};

struct qrdesk_readback {
    uint32_t size;  // sizeof(struct qrdesk_readback) in the module's build
    uint32_t abi;   // QRDESK_READBACK_ABI of the module's build
    uint32_t reader_count;
    // The reader's name and helping setting (static strings); null for a reader out of range.
    const char* (*name)(uint32_t reader);
    const char* (*help)(uint32_t reader);
    // Reads width x height grey pixels (0 black .. 255 white, rows without padding) with the
    // reader's default settings, or its helping one when helped is non-zero. 0 when out is
    // filled; -1 for bad arguments or a failure inside the reader.
    int32_t (*read)(uint32_t reader, const uint8_t* grey, int32_t width, int32_t height,
                    int32_t helped, struct qrdesk_reading* out);
};

// The module's one exported symbol.
const struct qrdesk_readback* qrdesk_readback_entry(void);
}

namespace qrdesk {
inline constexpr const char* kReadBackEntry = "qrdesk_readback_entry";
}
