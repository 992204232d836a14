#pragma once
// Texts at a symbol's capacity and one byte past it, from the data capacities of ISO/IEC
// 18004: what the window and qrdesk-cli must make of each.

#include <QString>
#include <vector>

struct CapacityCase {
    const char* name;
    int version;        // asked for; 0 automatic
    const char* level;  // "L", "M", "Q" or "H"
    QString text;
    const char* codePage;           // nullptr: UTF-8; otherwise ANSI text in this code page
    int made;                       // the symbol's version; 0 when the text does not fit
    const char* ansiHex = nullptr;  // the ANSI bytes, where the tests read them back
    const char* reason = "";        // part of qrdesk-cli's reason when it does not fit
};

inline const std::vector<CapacityCase>& Capacities() {
    static const std::vector<CapacityCase> cases = [] {
        const QString chinese5 = QString::fromUtf8("二维码二维");  // 15 UTF-8 bytes, 10 GBK
        const QString kanji = QString::fromUtf8("漢");
        // GBK: 二 B6FE, 维 CEAC, 码 C2EB.
        const char* gbk17 = "b6feceacc2ebb6feceacb6feceacc2eb61";
        return std::vector<CapacityCase>{
            {"1-L numeric 41", 1, "L", QString(41, '7'), nullptr, 1},
            {"1-L numeric 42", 1, "L", QString(42, '7'), nullptr, 0, nullptr,
             "do not fit version 1 at level L: 42 bytes need 154 bits, it holds 152"},
            {"1-H alphanumeric 10", 1, "H", "HELLO WORL", nullptr, 1},
            {"1-H alphanumeric 11", 1, "H", "HELLO WORLD", nullptr, 0},
            {"1-L 17 UTF-8 bytes", 1, "L", chinese5 + "ab", nullptr, 1},
            {"1-L 18 UTF-8 bytes", 1, "L", chinese5 + "abc", nullptr, 0, nullptr,
             "18 bytes need 156 bits"},
            {"1-L 17 GBK bytes", 1, "L", chinese5 + chinese5.left(3) + "a", "GBK", 1, gbk17},
            {"1-L 18 GBK bytes", 1, "L", chinese5 + chinese5.left(3) + "ab", "GBK", 0},
            {"1-L 10 Kanji", 1, "L", kanji.repeated(10), "SHIFT_JIS", 1},
            {"1-L 11 Kanji", 1, "L", kanji.repeated(11), "SHIFT_JIS", 0},
            {"10-M byte 213", 10, "M", QString(213, 'b'), nullptr, 10},
            {"10-M byte 214", 10, "M", QString(214, 'b'), nullptr, 0, nullptr, "it holds 1728"},
            {"auto M byte 213", 0, "M", QString(213, 'b'), nullptr, 10},
            {"auto M byte 214", 0, "M", QString(214, 'b'), nullptr, 11},
            {"auto L byte 230", 0, "L", QString(230, 'b'), nullptr, 9},   // count class 1-9 ...
            {"auto L byte 231", 0, "L", QString(231, 'b'), nullptr, 10},  // ... into 10-26
            {"auto L 11 Kanji", 0, "L", kanji.repeated(11), "SHIFT_JIS", 2},
            {"auto L numeric 7089", 0, "L", QString(7089, '3'), nullptr, 40},
            {"auto L numeric 7090", 0, "L", QString(7090, '3'), nullptr, 0, nullptr,
             "do not fit any version at level L: 7090 bytes need 23652 bits, version 40 holds "
             "23648"},
            {"auto H byte 1273", 0, "H", QString(1273, 'b'), nullptr, 40},
            {"auto H byte 1274", 0, "H", QString(1274, 'b'), nullptr, 0, nullptr,
             "version 40 holds 10208"},
        };
    }();
    return cases;
}
