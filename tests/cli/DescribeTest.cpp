// What the command line says about a symbol: the line of --info for the encoder's report.

#include <gtest/gtest.h>

#include <string>

#include "cli/Describe.h"
#include "common/Symbol.h"
#include "common/TextBytes.h"

namespace {

// Known answers from the standard's bit costs: mode indicator 4 bits, count field by mode
// and version class, then 10 bits per 3 digits (4 or 7 for the rest), 11 per 2
// alphanumerics (6 for a single one), 8 per byte, 13 per Kanji character; the capacity is 8
// bits per data codeword of the version and level.
TEST(Describe, SegmentsBitsAndCapacity) {
    struct Case {
        const char16_t* text;
        const char* codePage;  // nullptr: UTF-8
        std::int32_t version, level, mask;
        const char* line;
    };
    const Case cases[] = {
        // The standard's worked example: 01234567 at 1-M is 41 data bits.
        {u"01234567", nullptr, 1, 2, -1,
         "version 1, level M, mask 0, segments numeric 8, bits 41 of 128"},
        {u"HELLO WORLD", nullptr, 0, 3, 2,
         "version 1, level Q, mask 2, segments alphanumeric 11, bits 74 of 104"},
        {u"漢字", "SHIFT_JIS", 0, 1, 7,
         "version 1, level L, mask 7, segments kanji 2, bits 38 of 152"},
        {u"漢字", "GBK", 0, 2, -1, "version 1, level M, mask 0, segments byte 4, bits 44 of 128"},
        {u"abc12345678901234567", nullptr, 0, 2, -1,
         "version 1, level M, mask 0, segments byte 3 + numeric 17, bits 107 of 128"},
        // Count fields widen with the version class: 12 numeric bits at 10-26, 13 alnum at 27+.
        {u"01234567", nullptr, 10, 2, -1,
         "version 10, level M, mask 0, segments numeric 8, bits 43 of 1728"},
        {u"A", nullptr, 27, 1, -1,
         "version 27, level L, mask 0, segments alphanumeric 1, bits 23 of 11744"},
    };
    clsQRCode encoder;
    for (const Case& c : cases) {
        const auto encoding = c.codePage ? qrdesk::TextEncoding::Ansi : qrdesk::TextEncoding::Utf8;
        const std::string codePage = c.codePage ? c.codePage : "GBK";
        const auto bytes = qrdesk::TextToBytes(c.text, encoding, codePage);
        ASSERT_TRUE(bytes) << c.line;
        const auto symbol = qrdesk::EncodeSymbol(
            encoder, *bytes,
            {c.version, c.level, c.mask, qrdesk::KanjiAllowed(encoding, codePage)});
        ASSERT_TRUE(symbol.picture) << c.line;
        EXPECT_EQ(qrdesk::cli::FormatSymbolInfo(symbol.report), c.line);
    }
}

}  // namespace
