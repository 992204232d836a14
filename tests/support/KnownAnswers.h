#pragma once
// The standard's known answers, each written once for every suite that checks against it:
// the versions' geometry (Table 1), data bit streams of known inputs, the search table of one
// of them, data codeword counts, format and version information words, Reed-Solomon
// generators and a parity block, the capacity of the largest symbol, the mask patterns and
// the alignment pattern centres.
// None of them is taken from the encoder.

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "encoder/clsQRCode.h"
#include "support/Bytes.h"

namespace qrtest {

// The 45 characters of alphanumeric mode in value order.
inline constexpr char kAlphanumericCharset[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";

// ---- Symbol geometry.

// ISO/IEC 18004 Table 1, per version: modules per side, function pattern modules, format and
// version information modules, data modules (the square less both), data capacity in
// codewords, and remainder bits.
struct VersionGeometry {
    int version, side, functionModules, formatAndVersionModules, dataModules, codewords,
        remainderBits;
};
inline constexpr VersionGeometry kTable1[40] = {
    {1, 21, 202, 31, 208, 26, 0},        {2, 25, 235, 31, 359, 44, 7},
    {3, 29, 243, 31, 567, 70, 7},        {4, 33, 251, 31, 807, 100, 7},
    {5, 37, 259, 31, 1079, 134, 7},      {6, 41, 267, 31, 1383, 172, 7},
    {7, 45, 390, 67, 1568, 196, 0},      {8, 49, 398, 67, 1936, 242, 0},
    {9, 53, 406, 67, 2336, 292, 0},      {10, 57, 414, 67, 2768, 346, 0},
    {11, 61, 422, 67, 3232, 404, 0},     {12, 65, 430, 67, 3728, 466, 0},
    {13, 69, 438, 67, 4256, 532, 0},     {14, 73, 611, 67, 4651, 581, 3},
    {15, 77, 619, 67, 5243, 655, 3},     {16, 81, 627, 67, 5867, 733, 3},
    {17, 85, 635, 67, 6523, 815, 3},     {18, 89, 643, 67, 7211, 901, 3},
    {19, 93, 651, 67, 7931, 991, 3},     {20, 97, 659, 67, 8683, 1085, 3},
    {21, 101, 882, 67, 9252, 1156, 4},   {22, 105, 890, 67, 10068, 1258, 4},
    {23, 109, 898, 67, 10916, 1364, 4},  {24, 113, 906, 67, 11796, 1474, 4},
    {25, 117, 914, 67, 12708, 1588, 4},  {26, 121, 922, 67, 13652, 1706, 4},
    {27, 125, 930, 67, 14628, 1828, 4},  {28, 129, 1203, 67, 15371, 1921, 3},
    {29, 133, 1211, 67, 16411, 2051, 3}, {30, 137, 1219, 67, 17483, 2185, 3},
    {31, 141, 1227, 67, 18587, 2323, 3}, {32, 145, 1235, 67, 19723, 2465, 3},
    {33, 149, 1243, 67, 20891, 2611, 3}, {34, 153, 1251, 67, 22091, 2761, 3},
    {35, 157, 1574, 67, 23008, 2876, 0}, {36, 161, 1582, 67, 24272, 3034, 0},
    {37, 165, 1590, 67, 25568, 3196, 0}, {38, 169, 1598, 67, 26896, 3362, 0},
    {39, 173, 1606, 67, 28256, 3532, 0}, {40, 177, 1614, 67, 29648, 3706, 0},
};

// ---- Data bit streams.

// Segments as (mode, characters); a Kanji character is a pair of bytes.
using Layout = std::vector<std::pair<clsQRCode::Mode, std::int32_t>>;

struct StreamExample {
    const char* name;
    Bytes data;
    int version;  // the stream is the same at every version of its count-width class
    bool kanjiAllowed;
    int bitCount;      // terminator included
    const char* bits;  // fields separated by spaces; empty where only the length is given
    Layout segments;
};

inline const std::vector<StreamExample>& StreamExamples() {
    constexpr auto B = clsQRCode::ModeByte, N = clsQRCode::ModeNumeric,
                   A = clsQRCode::ModeAlphanumeric, K = clsQRCode::ModeKanji;
    const Bytes utf8 = FromHex("e4 ba 8c e7 bb b4 e7 a0 81 e7 94 9f e6 88 90 e5 99 a8");
    static const std::vector<StreamExample> examples = {
        {"01234567",
         FromText("01234567"),
         1,
         true,
         45,
         "0001 0000001000 0000001100 0101011001 1000011 0000",
         {{N, 8}}},
        {"01234567 at v10",
         FromText("01234567"),
         10,
         true,
         47,
         "0001 000000001000 0000001100 0101011001 1000011 0000",
         {{N, 8}}},
        {"01234567 at v27",
         FromText("01234567"),
         27,
         true,
         49,
         "0001 00000000001000 0000001100 0101011001 1000011 0000",
         {{N, 8}}},
        {"AC-42",
         FromText("AC-42"),
         1,
         true,
         45,
         "0010 000000101 00111001110 11100111001 000010 0000",
         {{A, 5}}},
        {"hello",
         FromText("hello"),
         1,
         true,
         56,
         "0100 00000101 01101000 01100101 01101100 01101100 01101111 0000",
         {{B, 5}}},
        {"1", FromText("1"), 1, true, 22, "0001 0000000001 0001 0000", {{N, 1}}},
        {"A", FromText("A"), 1, true, 23, "0010 000000001 001010 0000", {{A, 1}}},
        {"1A", FromText("1A"), 1, true, 28, "0010 000000010 00000110111 0000", {{A, 2}}},
        {"abc123",
         FromText("abc123"),
         1,
         true,
         64,
         "0100 00000110 01100001 01100010 01100011 00110001 00110010 00110011 0000",
         {{B, 6}}},
        {"123abc",
         FromText("123abc"),
         1,
         true,
         64,
         "0100 00000110 00110001 00110010 00110011 01100001 01100010 01100011 0000",
         {{B, 6}}},
        // The byte and numeric cells of the search tie at the end: the byte cell wins.
        {"a111",
         FromText("a111"),
         1,
         true,
         48,
         "0100 00000100 01100001 00110001 00110001 00110001 0000",
         {{B, 4}}},
        {"abc1234",
         FromText("abc1234"),
         1,
         true,
         68,
         "0100 00000011 01100001 01100010 01100011 0001 0000000100 0001111011 0100 0000",
         {{B, 3}, {N, 4}}},
        {"123456789012a",
         FromText("123456789012a"),
         1,
         true,
         78,
         "0001 0000001100 0001111011 0111001000 1100010101 0000001100 "
         "0100 00000001 01100001 0000",
         {{N, 12}, {B, 1}}},
        {"Shift JIS 93 5F E4 AA",
         FromHex("93 5F E4 AA"),
         1,
         true,
         42,
         "1000 00000010 0110110011111 1101010101010 0000",
         {{K, 2}}},
        {"Kanji 81 40",
         FromHex("81 40"),
         1,
         true,
         29,
         "1000 00000001 0000000000000 0000",
         {{K, 1}}},
        {"Kanji EB BF",
         FromHex("EB BF"),
         1,
         true,
         29,
         "1000 00000001 1111111111111 0000",
         {{K, 1}}},
        {"EB C0, not Kanji",
         FromHex("EB C0"),
         1,
         true,
         32,
         "0100 00000010 11101011 11000000 0000",
         {{B, 2}}},
        // The Kanji characters of the UTF-8 text straddle its character boundaries.
        {"UTF-8 across Kanji pairs", utf8, 1, true, 154, "", {{B, 6}, {K, 6}}},
        {"UTF-8, Kanji not allowed", utf8, 1, false, 160, "", {{B, 18}}},
        {"93 5F E4 AA, Kanji not allowed",
         FromHex("93 5F E4 AA"),
         1,
         false,
         48,
         "0100 00000100 10010011 01011111 11100100 10101010 0000",
         {{B, 4}}},
        {"81 40, Kanji not allowed",
         FromHex("81 40"),
         1,
         false,
         32,
         "0100 00000010 10000001 01000000 0000",
         {{B, 2}}},
        {"EB BF, Kanji not allowed",
         FromHex("EB BF"),
         1,
         false,
         32,
         "0100 00000010 11101011 10111111 0000",
         {{B, 2}}},
        // Segment limits: a count field holds at most 2^width - 1 characters.
        {"180 a", Bytes(180, 'a'), 1, true, 1456, "", {{B, 180}}},
        {"256 a", Bytes(256, 'a'), 1, true, 2076, "", {{B, 255}, {B, 1}}},
        {"256 a at v10", Bytes(256, 'a'), 10, true, 2072, "", {{B, 256}}},
        {"1024 digits", Bytes(1024, '7'), 1, true, 3446, "", {{N, 1023}, {N, 1}}},
        {"512 A", Bytes(512, 'A'), 1, true, 2847, "", {{A, 511}, {A, 1}}},
        {"256 Kanji", Repeat(FromHex("93 5F"), 256), 1, true, 3356, "", {{K, 255}, {K, 1}}},
        {"empty", Bytes{}, 1, true, 4, "0000", {}},
        {"empty at v40", Bytes{}, 40, true, 4, "0000", {}},
    };
    return examples;
}

// The segmentation search's table for "a111" at versions 1-9: per byte, the byte, numeric and
// alphanumeric cells as (bits so far without the terminator, mode of the cell before the
// segment's last character, characters in the last segment); cost -1 where the mode cannot
// take the byte. The Kanji cells are all impossible.
struct SearchCell {
    int cost, prevMode, run;
};
inline constexpr SearchCell kA111Search[4][3] = {{{20, -1, 1}, {-1, 0, 0}, {-1, 0, 0}},
                                                 {{28, 0, 2}, {38, 0, 1}, {39, 0, 1}},
                                                 {{36, 0, 3}, {41, 1, 2}, {44, 2, 2}},
                                                 {{44, 0, 4}, {44, 1, 3}, {50, 2, 3}}};

// ---- Capacity.

// Data codewords per version (row) for L, M, Q, H.
inline constexpr int kDataCodewords[40][4] = {
    {19, 16, 13, 9},          {34, 28, 22, 16},         {55, 44, 34, 26},
    {80, 64, 48, 36},         {108, 86, 62, 46},        {136, 108, 76, 60},
    {156, 124, 88, 66},       {194, 154, 110, 86},      {232, 182, 132, 100},
    {274, 216, 154, 122},     {324, 254, 180, 140},     {370, 290, 206, 158},
    {428, 334, 244, 180},     {461, 365, 261, 197},     {523, 415, 295, 223},
    {589, 453, 325, 253},     {647, 507, 367, 283},     {721, 563, 397, 313},
    {795, 627, 445, 341},     {861, 669, 485, 385},     {932, 714, 512, 406},
    {1006, 782, 568, 442},    {1094, 860, 614, 464},    {1174, 914, 664, 514},
    {1276, 1000, 718, 538},   {1370, 1062, 754, 596},   {1468, 1128, 808, 628},
    {1531, 1193, 871, 661},   {1631, 1267, 911, 701},   {1735, 1373, 985, 745},
    {1843, 1455, 1033, 793},  {1955, 1541, 1115, 845},  {2071, 1631, 1171, 901},
    {2191, 1725, 1231, 961},  {2306, 1812, 1286, 986},  {2434, 1914, 1354, 1054},
    {2566, 1992, 1426, 1096}, {2702, 2102, 1502, 1142}, {2812, 2216, 1582, 1222},
    {2956, 2334, 1666, 1276},
};

// The most characters of one mode that version 40-L holds.
inline constexpr std::pair<clsQRCode::Mode, int> kCapacity40L[] = {
    {clsQRCode::ModeNumeric, 7089},
    {clsQRCode::ModeAlphanumeric, 4296},
    {clsQRCode::ModeByte, 2953},
    {clsQRCode::ModeKanji, 1817}};

// ---- Format and version information.

// The 15-bit format words, masked, most significant bit first, [level - 1][mask pattern].
inline constexpr const char* kFormatWords[4][8] = {
    {"111011111000100", "111001011110011", "111110110101010", "111100010011101", "110011000101111",
     "110001100011000", "110110001000001", "110100101110110"},
    {"101010000010010", "101000100100101", "101111001111100", "101101101001011", "100010111111001",
     "100000011001110", "100111110010111", "100101010100000"},
    {"011010101011111", "011000001101000", "011111100110001", "011101000000110", "010010010110100",
     "010000110000011", "010111011011010", "010101111101101"},
    {"001011010001001", "001001110111110", "001110011100111", "001100111010000", "000011101100010",
     "000001001010101", "000110100001100", "000100000111011"},
};

// The 18-bit version words of versions 7 to 40.
inline constexpr int kVersionWords[34] = {
    0x07C94, 0x085BC, 0x09A99, 0x0A4D3, 0x0BBF6, 0x0C762, 0x0D847, 0x0E60D, 0x0F928,
    0x10B78, 0x1145D, 0x12A17, 0x13532, 0x149A6, 0x15683, 0x168C9, 0x177EC, 0x18EC4,
    0x191E1, 0x1AFAB, 0x1B08E, 0x1CC1A, 0x1D33F, 0x1ED75, 0x1F250, 0x209D5, 0x216F0,
    0x228BA, 0x2379F, 0x24B0B, 0x2542E, 0x26A64, 0x27541, 0x28C69};

inline int VersionWord(int version) {
    return kVersionWords[version - 7];
}

// ---- Reed-Solomon over GF(256), polynomial 0x11D.

// The generator with 7 parity symbols, coefficients of x^0 .. x^7.
inline constexpr int kGenerator7[8] = {117, 68, 11, 164, 154, 122, 127, 1};
// The generator with 10 parity symbols as exponents of alpha, x^10 down to x^0.
inline constexpr int kGenerator10Exponents[11] = {0, 251, 67, 46, 61, 118, 70, 64, 94, 32, 45};
// The data codewords of "01234567" in version 1-M and their 10 error-correction codewords.
inline const std::vector<int> kParityExampleData = {0x10, 0x20, 0x0C, 0x56, 0x61, 0x80, 0xEC, 0x11,
                                                    0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11};
inline const std::vector<int> kParityExampleParity = {0xA5, 0x24, 0xD4, 0xC1, 0xED,
                                                      0x36, 0xC7, 0x87, 0x2C, 0x55};

// ---- Masks.

// Each mask pattern as its repeating tile, rows top first and separated by spaces, '1' where
// the pattern inverts the module: the tile repeats rightwards and downwards from the symbol's
// top-left module.
inline constexpr std::string_view kMaskTiles[8] = {
    "10 01",
    "1 0",
    "100",
    "100 001 010",
    "111000 111000 000111 000111",
    "111111 100000 100100 101010 100100 100000",
    "111111 111000 110110 101010 101101 100011",
    "101010 000111 100011 010101 111000 011100",
};

inline bool MaskInverts(int mask, int row, int column) {
    const std::string_view tile = kMaskTiles[mask];
    const std::size_t width = std::min(tile.find(' '), tile.size());
    const std::size_t rows = (tile.size() + 1) / (width + 1);
    const std::size_t r = static_cast<std::size_t>(row) % rows;
    return tile[r * (width + 1) + static_cast<std::size_t>(column) % width] == '1';
}

// ---- Alignment patterns.

// The row and column coordinates of the alignment pattern centres of version 1..40, stated
// by their spacing rather than as a table: 6, and from N - 7 downwards in steps of s while at
// least 18, where s depends on the version's group of seven.
inline std::vector<int> AlignmentCentres(int version) {
    if (version < 2) return {};
    const int n = 17 + 4 * version;
    const int step = version <= 6    ? 255
                     : version <= 13 ? 2 * version + 2
                     : version <= 20 ? 2 * ((2 * version + 4) / 3)
                     : version <= 27 ? (version + 2) & ~1
                     : version <= 34 ? 2 * (version / 3) + 6
                                     : 2 * (version / 3) + 2;
    std::vector<int> centres;
    for (int c = n - 7; c >= 18; c -= step) centres.insert(centres.begin(), c);
    centres.insert(centres.begin(), 6);
    return centres;
}

}  // namespace qrtest
