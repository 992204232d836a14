#pragma once
// The readers as a module that a program loads with dlopen when it needs them (qrdesk-cli,
// for --info only; readback/ builds it). The interface is plain C: plain structs, pixels and
// text in buffers that the caller owns, no allocation, object or exception crossing.
// qrdesk-cli links its own C++ library statically (for its start-up time) while the module
// uses the shared one; with only C crossing between them, the two runtimes never meet.

#include <stdint.h>

extern "C" {

// The interface's version; the program refuses a module of another one or a smaller table.
#define QRDESK_READBACK_ABI 3

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

// One reader's reading of a symbol found in a picture (common/PictureReading.h). The
// pointers hold only during the call that hands it over.
struct qrdesk_found_reading {
    int32_t read;
    const char* bytes;
    uint32_t bytes_length;
    const char* text;  // UTF-8
    uint32_t text_length;
    int32_t has_position;
    float corners[8];  // x, y of the four corners, from the top-left finder pattern's
    char level;        // 'L', 'M', 'Q', 'H'; 0 when the reader does not say
    int32_t has_eci;   // eci below is said (-1: the symbol has none)
    int32_t eci;
};

struct qrdesk_segment {
    int32_t mode;  // 0 byte, 1 numeric, 2 alphanumeric, 3 Kanji, 4 ECI
    int32_t count;
    int32_t eci;
};

// One symbol found in a picture: each reader's reading (zxing-cpp, zbar, WeChat's) and what
// its modules say (0, 0, -1 and no segments where they could not be read cleanly).
struct qrdesk_found {
    struct qrdesk_found_reading readings[3];
    int32_t has_position;
    float corners[8];
    int32_t version;
    char level;
    int32_t mask;
    int32_t segments_known;
    const struct qrdesk_segment* segments;
    uint32_t segment_count;
};

// Receives the symbols of a picture, one call each in reading order.
typedef void (*qrdesk_found_callback)(void* context, const struct qrdesk_found* symbol);

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
    // Why a reader of the full set is left out (WeChat's, when OpenCV's module cannot be
    // loaded), as one line; "" when none is. A static string.
    const char* (*missing)(void);
    // Reads every symbol in a picture file's bytes (PNG, JPEG, WebP, GIF, BMP, PNM), handing
    // each to found. 0 when the picture was decoded (whether or not it holds a symbol); -1
    // when it could not be, with one line saying why in error (cut to error_capacity).
    int32_t (*read_picture)(const uint8_t* file, uint64_t size, qrdesk_found_callback found,
                            void* context, char* error, uint32_t error_capacity);
};

// The module's one exported symbol.
const struct qrdesk_readback* qrdesk_readback_entry(void);
}

namespace qrdesk {
inline constexpr const char* kReadBackEntry = "qrdesk_readback_entry";
}
