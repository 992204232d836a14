// Golden pictures: pins the exact output of Encode while its internals are made faster.
//
// These expected hashes were produced by running this very test against the encoder as it
// stood before any speed work (set QRDESK_GOLDEN_PRINT=1 to print the table). That is
// deliberate and the only place where results of the code itself are stored as expected
// values: the hashes cannot tell whether a picture is right, only that it has not changed.
// Correctness is checked independently below (every picture must read back through zxing-cpp
// to the same bytes and level) and by the known-answer suites.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "encoder/clsQRCode.h"
#include "support/ZxingDecode.h"

namespace {

enum class Kind { Numeric, Alnum, Byte, Kanji, Mixed, Random };
constexpr int kKinds = 6;

struct Case {
    std::vector<std::uint8_t> data;
    std::int32_t version, level, mask;
    bool kanjiAllowed;
};

// Small deterministic generator, so the payloads are the same on every machine.
struct Rng {
    std::uint32_t state;
    std::uint32_t Next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    std::uint8_t Pick(const char* set) {
        const std::size_t n = std::char_traits<char>::length(set);
        return static_cast<std::uint8_t>(set[Next() % n]);
    }
};

constexpr const char* kDigits = "0123456789";
constexpr const char* kAlnum = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
constexpr const char* kLower = "abcdefghijklmnopqrstuvwxyz.,;!?-_/";

void PushKanji(Rng& rng, std::vector<std::uint8_t>& out) {
    const std::uint32_t r = rng.Next();
    const std::uint8_t lead = (r & 1) ? static_cast<std::uint8_t>(0x88 + (r >> 1) % 0x18)
                                      : static_cast<std::uint8_t>(0xE0 + (r >> 1) % 0x0B);
    out.push_back(lead);
    out.push_back(static_cast<std::uint8_t>(0x40 + (r >> 8) % 0xBD));
}

// count bytes of the given kind (Kanji: count / 2 characters).
std::vector<std::uint8_t> Payload(Kind kind, int count, std::uint32_t seed) {
    Rng rng{seed * 2654435761u + 12345u};
    std::vector<std::uint8_t> out;
    while (static_cast<int>(out.size()) < count) {
        switch (kind) {
            case Kind::Numeric:
                out.push_back(rng.Pick(kDigits));
                break;
            case Kind::Alnum:
                out.push_back(rng.Pick(kAlnum));
                break;
            case Kind::Byte:
                out.push_back(rng.Pick(kLower));
                break;
            case Kind::Kanji:
                if (count - static_cast<int>(out.size()) >= 2)
                    PushKanji(rng, out);
                else
                    out.push_back(rng.Pick(kLower));
                break;
            case Kind::Mixed: {
                // Runs of digits, capitals, lower case and the odd Kanji pair.
                const std::uint32_t r = rng.Next();
                const int run = 1 + static_cast<int>(r % 23);
                const char* set = (r >> 5) % 3 == 0 ? kDigits : (r >> 5) % 3 == 1 ? kAlnum : kLower;
                if ((r >> 7) % 9 == 0 && count - static_cast<int>(out.size()) >= 2) {
                    PushKanji(rng, out);
                    break;
                }
                for (int k = 0; k < run && static_cast<int>(out.size()) < count; ++k)
                    out.push_back(rng.Pick(set));
                break;
            }
            case Kind::Random:
                out.push_back(static_cast<std::uint8_t>(rng.Next()));
                break;
        }
    }
    return out;
}

// Bytes of the kind that surely fit in D data codewords (rough, on the safe side).
int FittingCount(Kind kind, int dataCodewords) {
    const int bits = 8 * dataCodewords - 4 - 24;
    switch (kind) {
        case Kind::Numeric:
            return bits * 3 / 10;
        case Kind::Alnum:
            return bits * 2 / 11;
        case Kind::Kanji:
            return 2 * (bits / 13);
        default:  // every byte can go in byte mode; allow a header per 255 bytes
            return (bits - 20 * (dataCodewords / 255)) / 8;
    }
}

std::vector<Case> Cases() {
    const clsQRCode qr;
    std::vector<Case> cases;
    std::uint32_t seed = 1;
    // Every version and level at a fixed version, the kinds and masks (and out-of-range masks)
    // taking turns, filled to between about a third and all of the capacity.
    constexpr int kFill[] = {35, 60, 80, 95, 100};
    for (int v = 1; v <= 40; ++v) {
        for (int level = 1; level <= 4; ++level) {
            const Kind kind = static_cast<Kind>((v + level) % kKinds);
            const int cap = FittingCount(kind, qr.GetDataCodewordCount(v, level));
            const int count = cap * kFill[(v * 4 + level) % 5] / 100;
            const int mask = (v * 4 + level) % 10 - 1;  // -1 .. 8
            cases.push_back({Payload(kind, count, seed++), v, level, mask, true});
        }
    }
    // The automatic version for lengths across all three count-width classes.
    constexpr int kLengths[] = {0, 1, 2, 3, 7, 20, 61, 150, 333, 700, 1200, 1800, 2500};
    for (int k = 0; k < kKinds; ++k) {
        for (int i = 0; i < static_cast<int>(std::size(kLengths)); ++i) {
            const int level = 1 + (k + i) % 4;
            const int mask = (k * 3 + i) % 8;
            cases.push_back(
                {Payload(static_cast<Kind>(k), kLengths[i], seed++), 0, level, mask, true});
        }
    }
    // The largest symbols of each mode at 40-L, exactly full, and one character too many.
    const struct {
        Kind kind;
        int count;
    } full[] = {
        {Kind::Numeric, 7089}, {Kind::Alnum, 4296}, {Kind::Byte, 2953}, {Kind::Kanji, 2 * 1817}};
    for (const auto& f : full) {
        cases.push_back({Payload(f.kind, f.count, seed++), 0, 1, 0, true});
        cases.push_back({Payload(f.kind, f.count, seed++), 40, 1, 5, true});
        cases.push_back(
            {Payload(f.kind, f.count + (f.kind == Kind::Kanji ? 2 : 1), seed++), 0, 1, 0, true});
    }
    // Option edge cases: version 41 and level 0 / 5 / mask 99, Kanji refused, data too long
    // for a fixed version.
    const auto text = Payload(Kind::Mixed, 120, seed++);
    cases.push_back({text, 41, 0, 99, true});
    cases.push_back({text, 0, 5, -7, true});
    cases.push_back({Payload(Kind::Kanji, 90, seed++), 0, 3, 2, false});
    cases.push_back({Payload(Kind::Kanji, 90, seed++), 10, 4, 6, false});
    cases.push_back({Payload(Kind::Byte, 300, seed++), 5, 2, 1, true});
    // The benchmark's payloads at the versions and levels it uses.
    std::string url = "https://www.example.org/";
    while (url.size() < 100) url += "path/";
    url.resize(100);
    cases.push_back({{url.begin(), url.end()}, 0, 2, -1, true});
    const std::string hello = "HELLO WORLD";
    cases.push_back({{hello.begin(), hello.end()}, 1, 2, -1, true});
    // Every version and level once more with random bytes at the automatic version.
    for (int v = 1; v <= 40; v += 3) {
        for (int level = 1; level <= 4; ++level) {
            const int count = FittingCount(Kind::Random, qr.GetDataCodewordCount(v, level));
            cases.push_back(
                {Payload(Kind::Random, count, seed++), 0, level, (v + level) % 8, true});
        }
    }
    return cases;
}

// FNV-1a over the picture's size and every pixel's colour; 0 for no picture.
std::uint64_t Hash(const Picture* picture) {
    if (picture == nullptr) return 0;
    std::uint64_t h = 1469598103934665603ull;
    auto mix = [&](std::uint32_t value) {
        for (int k = 0; k < 4; ++k) {
            h ^= (value >> (8 * k)) & 0xFF;
            h *= 1099511628211ull;
        }
    };
    mix(static_cast<std::uint32_t>(picture->Width()));
    mix(static_cast<std::uint32_t>(picture->Height()));
    for (int y = 0; y < picture->Height(); ++y)
        for (int x = 0; x < picture->Width(); ++x) mix(picture->Pixel(x, y));
    return h;
}

// clang-format off
constexpr std::uint64_t kExpected[] = {
    0x04baf9c1c2d3386eull, 0x8ce6ad6428c8e50eull, 0xa33b44aa77c2669eull,
    0xeae389201d71194eull, 0xbb8bf3f28de013ceull, 0x26ddfa90e359218eull,
    0x762fb5af678987deull, 0xc401709e8494e26eull, 0x1f359f2fe01ca493ull,
    0x0740f2a96eb96fbeull, 0xaa45479eea1cb323ull, 0x4b1cc6ad3132c233ull,
    0xda254c9a063d0cd3ull, 0x8f0900b922d32213ull, 0x7300d8c4f428538eull,
    0xca980d021a98be1eull, 0xc9ce5b27b58d58aeull, 0x7b00998b7461deeeull,
    0x0a62ce5911edf03eull, 0x193c30d37a2ec61eull, 0x7e718535d7ae3843ull,
    0xf025809066496fd3ull, 0x096ad21f8a183c5eull, 0x69d458bfcd45f76eull,
    0xdcd1f1f5ab0aa70eull, 0xe870c561fd27270eull, 0x93850f1c0d148a3eull,
    0x84155f5936b35893ull, 0xb4580034dff66a2eull, 0xc5819db53459cfeeull,
    0x1610feb69375243eull, 0xe283d12d3d8802c3ull, 0xc972a29e053b95f3ull,
    0x33fe1a33ed69e7e3ull, 0x54652bee8352854eull, 0x332d1e538ed83c9eull,
    0xe8aad845d4c4e40eull, 0xd9a17fd2307f8303ull, 0xc09888c9c89346feull,
    0x05c79211c0346cfeull, 0x4ac39f1d53bbab1eull, 0xee7561a15ce3e073ull,
    0x16360a793f8ba2feull, 0x695233652c57992eull, 0x8bf05f2194f85f4eull,
    0x1a83428b98333dbeull, 0x6bde0da534832d0eull, 0x32963f5550378fb3ull,
    0x73d75e811e2a4c1eull, 0x1cfa59cff7d93f6eull, 0x891936710c81878eull,
    0x43f267a0017c0feeull, 0x1b69cb3f43c2d0aeull, 0xce390364353b525eull,
    0xe650417b302453deull, 0x18565c7dec9b1faeull, 0x514495b1cca1406eull,
    0x327f2c878606d513ull, 0x038bddebadaf7f3eull, 0x877605ceff962a73ull,
    0x270b6a9153c15343ull, 0x8f28108dfda0a69eull, 0x58ea91af83914e13ull,
    0xd71e2e2e38de81a3ull, 0x8312a3d4fa89237eull, 0x030f895ba7aa52feull,
    0xb3ad3e6d0ab3575eull, 0xa473678f8d8e31e3ull, 0x615447f3027f085eull,
    0x76e66c1ed0373ee3ull, 0x3bc800106fc6c2d3ull, 0x532795b1b55f4f23ull,
    0x839666004099c6ceull, 0x8e2bb9d68f9deb7eull, 0x1ca8012909e56d1eull,
    0x40b7b21c41de661eull, 0xf499980ba73d826eull, 0x05c1c9ef4a1b0a73ull,
    0x516d5cfc5953e5feull, 0x839501aeefa8d89eull, 0xdf6427f014b835feull,
    0x6153b2243a9c9203ull, 0x62ce95b0c4c69cfeull, 0x96dfa07b81c011aeull,
    0x01e026d794a3168eull, 0xc0ac7c2b0de6dd2eull, 0x21b374c8ac88879eull,
    0x83a8170167703603ull, 0x47f3735fae01f92eull, 0x285f257c4c0cfb3eull,
    0x4141bb7c1e6b598eull, 0x0329b20c9145d4c3ull, 0x5064c89e385bfc7eull,
    0xa78f33df43cd4f5eull, 0x400f99dec1e6962eull, 0x649112e94e5379feull,
    0xbaae94de6deb398eull, 0x3f73c7bf2fe81743ull, 0x5a02518f58c0bb7eull,
    0x84d18fb48edcec23ull, 0x303a0f475e04c4beull, 0x60af3924deddd373ull,
    0xc570368491b7ee5eull, 0xfc9d842f94af7adeull, 0x87ef94d45f79b1ceull,
    0xf69dd4dfd6bc798eull, 0xdc2cbe435872ba0eull, 0x406f1ee74e43b933ull,
    0x4eb8f6a03a555153ull, 0xcab60499e792dd13ull, 0x83ce7e1d0c622033ull,
    0x439208a9604b9e3eull, 0xac5b1f0faa30513eull, 0x25ba8f97c741001eull,
    0xd0d86348e7efc36eull, 0x22a574374bfe6d3eull, 0x5eaaed12731b5d8eull,
    0xabb53d7e52ade143ull, 0x5309d74b9a6bff0eull, 0x7eb4f54eea93e453ull,
    0x0de77e293278a71eull, 0x767221d1a21a43aeull, 0x6496693231aa1b83ull,
    0xb77fb93f45c78c13ull, 0x5bfb37346344a4aeull, 0xc0a2a4cc55af823eull,
    0xf75281f2b9be4b0eull, 0x1415a2bf632ad6b3ull, 0x513eed9588761c83ull,
    0x76842b0b38580caeull, 0xc7e6c2443ced5083ull, 0xaf60f08f3dc525c3ull,
    0x635753211836058eull, 0x0a577534ed300b7eull, 0xf168f772b84f2cbeull,
    0xeb0315ccc5d41cdeull, 0x5f0f2daae8abf37eull, 0x43fa547096b5c143ull,
    0x40ff023163c44e4eull, 0xa98a7a6be9532afeull, 0xf1870de592c0cf0eull,
    0xcbdc7c09ef82c843ull, 0x6b3ea4ac24f5aeb3ull, 0x4b8b3670cdb47293ull,
    0xe29c1171ed72d04eull, 0x11a4a165acddc3eeull, 0xa9459230921890deull,
    0x154e4fe6a34ebb83ull, 0x1b5b754c2e339fbeull, 0x9d47dcae76281b3eull,
    0xe5f7e63dec5a996eull, 0x5325c5e105482333ull, 0xbddd1f5347bbc753ull,
    0x6001d8cf79221863ull, 0x15cebce06be22eaeull, 0x6186037373d5558eull,
    0x7e935fa2a5e257aeull, 0xca168e87b5efdc33ull, 0xf2d01432a2763c0eull,
    0x4969e805882492ceull, 0x4d2b3bc514f89d4eull, 0x0fc4cc60ef067beeull,
    0xee9455fc9972d3deull, 0x0b0607de248866feull, 0x16031745f0f0d9eeull,
    0x53683848a7d9cedeull, 0x1aff4da90267ef2eull, 0xbd5d92540dc02f4eull,
    0xf67ddcd2c02574ceull, 0x0750afe04c29ec93ull, 0x3c2a90492862fdaeull,
    0x960452572d49dcd3ull, 0xc23e7bad503b27aeull, 0xfa6bb19967eaa5aeull,
    0x704837eb5824aebeull, 0x857a922e9b78d0beull, 0x79c4dc2f7d81565eull,
    0xff296eca64b5409eull, 0x1123870c0fa2e91eull, 0x2f3b754bb87f90feull,
    0xcd388aefb294233eull, 0x958edbc6478c2cfeull, 0x438ce5e7e6274b5eull,
    0x1b38418c4550ae33ull, 0xd97036c8746f2993ull, 0x87b70e5af507791eull,
    0x4be0fb3d68181adeull, 0xae432ea1639cfb0eull, 0x37344d602d562fdeull,
    0x79aa24e4d4c8507eull, 0xdc0aa08cfc280b9eull, 0xd714db7fb70e00ceull,
    0xe9fb0c2326918f5eull, 0x861a77e33d68e4b3ull, 0x660ab6f90e39820eull,
    0x0067f4e9fd9d8123ull, 0x0539ecf29f28d82eull, 0x7389ba235f352c73ull,
    0x0000000000000000ull, 0xb561aafffe0393feull, 0x740925b3cedac6feull,
    0x4567e6b1aa7098beull, 0xb7079dd5c1b37d5eull, 0xfb36fc0f41b95ceeull,
    0xb10f0697a61d458eull, 0xb1d2b3804f5e4523ull, 0xbd413f7f8135a70eull,
    0x873cc23a0e3cbea3ull, 0x6fdecba0caa055f3ull, 0xe312f4a92aa3e5b3ull,
    0xc085f72bca289d6eull, 0x0000000000000000ull, 0x57e995a203a0465eull,
    0x4972256441b601aeull, 0x8361087aa9ee12ceull, 0x87fb1826f305ab6eull,
    0xef01e25ab92eb0beull, 0xabcc380c8d6c42eeull, 0x53c9f0e78f31393eull,
    0x327cb0a67b0119ceull, 0xe329c3010214e53eull, 0x3ab4b5fce710385eull,
    0x29bc8b0c7ecdfbc3ull, 0x0000000000000000ull, 0x26864819471cefeeull,
    0xe0b859086ade76feull, 0xed41fbad1db4e09eull, 0x37436b121a8c377eull,
    0x08adb765d95112deull, 0x32c8c77bf67288feull, 0xde01136a79c10b0eull,
    0x160467290ed56cdeull, 0xbebd8dd30091aa7eull, 0x00667d4fc1abe4feull,
    0x5344077d55cf53deull, 0xf9a280259c48de43ull, 0xf7de4f302683e9f3ull,
    0x0000000000000000ull, 0x1b77b336b5fd7c6eull, 0x682c998b7a16e70eull,
    0x0000000000000000ull, 0xe99e88b075de52ceull, 0x2a7cb3b72f5f476eull,
    0x0000000000000000ull, 0xf52c8673f6d21daeull, 0x43fe5fc3aef36c8eull,
    0x0000000000000000ull, 0x1aa7d939f08a07eeull, 0xafe364868e10e5beull,
    0x0000000000000000ull, 0x981146cc36b04e6eull, 0x981146cc36b04e6eull,
    0x1817dc1b55c4b35eull, 0xc312b63beb2d443eull, 0x0000000000000000ull,
    0xba82d27f3817398eull, 0xefafa9db0df474deull, 0xf72d4283159fb03eull,
    0xff5f4afcf5f1b82eull, 0x946e7c5901b283aeull, 0xaa23c41bd3959a2eull,
    0x484cdb01674e80beull, 0x5b062f448955aa43ull, 0x7c105c51c4435e03ull,
    0x9d17681c5a72a50eull, 0x3c6bac2c89a5719eull, 0x3ea60b28925f0ac3ull,
    0x92712a948965a72eull, 0x93785ad16a78490eull, 0x8c194e637a87649eull,
    0xecd0dc8a6809c5ceull, 0xe17043edd36254beull, 0x1ffd6ae289c1367eull,
    0x3fe40ef253fba24eull, 0xc9e5946a88acaf7eull, 0xc0379c54a1a0705eull,
    0x09e4ad421b66b413ull, 0x8bdc99886b225db3ull, 0x927012e8b0998a43ull,
    0x65636fee70a522e3ull, 0x14f94b21867a84c3ull, 0x8800fb1324e2a08eull,
    0x0fdb5737807d540eull, 0x6f3075c024d5271eull, 0x3972c053861d6d8eull,
    0xc5580056e0205cceull, 0x47ec272588a9117eull, 0x515d00175afc2973ull,
    0x4e1ca7d969bd1c9eull, 0xa802235c6e69c0aeull, 0x655d2a5cf3f0e333ull,
    0xe929704f3d30671eull, 0x6f32b4dc48aa9f7eull, 0xa9d0d281dba2368eull,
    0xfc27db299cab2d13ull, 0xce69f26f454a6963ull, 0x3423bf3a85af924eull,
    0xcb9eda6019fa391eull, 0x834d329324c3b153ull, 0x1e5e7dea2ffdfad3ull,
    0xde197902efb71823ull, 0xd6f045ba07cc5b2eull, 0xb4558510f2a37773ull,
    0x1649d0a1689c77deull, 0xb36b310d00c0e9eeull, 0x996336e6cb4cc0feull,
    0x14f077721f18fd2eull, 0x1f171042aa77b4aeull, 0x3900e25c40849413ull,
    0x2843d58eeaf40b03ull, 0xc96d407258265fbeull, 0x0005542fc98cb1aeull,
    0xb8a796cb5781affeull,
};
// clang-format on

TEST(Golden, PicturesUnchangedAndReadBack) {
    const auto cases = Cases();
    clsQRCode qr;
    std::vector<std::uint64_t> hashes;
    for (const Case& c : cases) {
        const auto picture = qr.Encode(c.data.data(), static_cast<std::int32_t>(c.data.size()),
                                       c.version, c.level, c.mask, c.kanjiAllowed);
        hashes.push_back(Hash(picture.get()));
    }
    if (std::getenv("QRDESK_GOLDEN_PRINT") != nullptr) {
        for (std::size_t i = 0; i < hashes.size(); ++i)
            std::printf("0x%016llxull,%s", static_cast<unsigned long long>(hashes[i]),
                        i % 3 == 2 ? "\n" : " ");
        std::printf("\n");
        GTEST_SKIP() << "printed " << hashes.size() << " hashes";
    }
    ASSERT_EQ(std::size(kExpected), hashes.size());
    for (std::size_t i = 0; i < hashes.size(); ++i)
        EXPECT_EQ(kExpected[i], hashes[i])
            << "case " << i << ", " << cases[i].data.size() << " bytes, version "
            << cases[i].version << ", level " << cases[i].level << ", mask " << cases[i].mask;
}

TEST(Golden, EveryPictureDecodesToItsBytes) {
    const auto cases = Cases();
    clsQRCode qr;
    int pictures = 0;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        const auto picture = qr.Encode(c.data.data(), static_cast<std::int32_t>(c.data.size()),
                                       c.version, c.level, c.mask, c.kanjiAllowed);
        if (!picture) continue;  // the no-picture cases are pinned by their hash 0
        ++pictures;
        const auto decoded = DecodePicture(*picture);
        ASSERT_TRUE(decoded) << "case " << i;
        EXPECT_EQ(decoded->bytes, c.data) << "case " << i;
        const int level = c.level >= 1 && c.level <= 4 ? c.level : 2;
        EXPECT_EQ(decoded->ecLevel, std::string(1, "LMQH"[level - 1])) << "case " << i;
    }
    // No picture only for the five inputs made one character too long, and for the four
    // automatic-version lengths beyond what version 40 holds at their level.
    EXPECT_EQ(pictures, static_cast<int>(cases.size()) - 9);
}

}  // namespace
