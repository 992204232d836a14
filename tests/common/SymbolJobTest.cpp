// The symbol job's refusals and the figures of a text that does not fit, counted to the bit
// from the standard's costs: mode indicator 4 bits; count fields at versions 27-40 of 14
// (numeric), 13 (alphanumeric) and 16 bits (byte), so a longer run takes several segments;
// 10 bits per 3 digits (7 for 2 left), 11 per 2 alphanumerics (6 for 1 left), 8 per byte; an
// ECI header of 4 + 8 bits.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <set>

#include "common/SymbolJob.h"

namespace {

qrdesk::SymbolResult Make(const std::u16string& text, std::int32_t version = 0,
                          std::int32_t level = 2, std::int32_t eci = 0) {
    clsQRCode encoder;
    qrdesk::SymbolSettings settings;
    settings.text = text;
    settings.version = version;
    settings.level = level;
    settings.eci = qrdesk::EciChoice::Given;
    settings.eciDesignator = eci;
    return qrdesk::MakeSymbol(encoder, settings);
}

TEST(SymbolJob, FiguresOfTextsThatDoNotFit) {
    struct Case {
        const char* name;
        std::u16string text;
        std::int32_t version, level, eci;
        std::int64_t bits;
        std::int32_t capacity, largerVersion = 0, lowerLevel = 0;
    };
    const Case cases[] = {
        {"8,000 bytes, one segment", std::u16string(8000, u'x'), 0, 2, 0, 4 + 16 + 64000, 18672},
        {"with ECI 26", std::u16string(8000, u'x'), 0, 2, 26, 12 + 4 + 16 + 64000, 18672},
        {"70,000 bytes: 65,535 + 4,465", std::u16string(70000, u'x'), 0, 1, 0, 2 * 20 + 70000 * 8,
         23648},
        {"20,000 digits: 16,383 + 3,617", std::u16string(20000, u'7'), 0, 2, 0,
         2 * 18 + 5461 * 10 + 1205 * 10 + 7, 18672},
        {"fixed 10-M", std::u16string(214, u'b'), 10, 2, 0, 4 + 16 + 1712, 1728, 11},
        {"automatic M, L holds it", std::u16string(2582, u'a'), 0, 2, 0, 4 + 16 + 20656, 18672, 0,
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const qrdesk::SymbolResult symbol = Make(c.text, c.version, c.level, c.eci);
        ASSERT_EQ(symbol.status, qrdesk::SymbolStatus::DoesNotFit);
        EXPECT_EQ(symbol.fit.bytes, static_cast<std::int64_t>(c.text.size()));
        EXPECT_EQ(symbol.fit.neededBits, c.bits);
        EXPECT_EQ(symbol.fit.version, c.version == 0 ? 40 : c.version);
        EXPECT_EQ(symbol.fit.capacityBits, c.capacity);
        EXPECT_EQ(symbol.fit.largerVersion, c.largerVersion);
        EXPECT_EQ(symbol.fit.lowerLevel, c.lowerLevel);
    }
}

TEST(SymbolJob, RefusalsSayWhich) {
    clsQRCode encoder;
    qrdesk::SymbolSettings settings;
    EXPECT_EQ(qrdesk::MakeSymbol(encoder, settings).status, qrdesk::SymbolStatus::EmptyText);
    settings.text = u"https://example.org/a-longer-address-that-needs-version-four";
    settings.size = 40;  // version 4 is 33 modules and 8 of margin
    auto symbol = qrdesk::MakeSymbol(encoder, settings);
    EXPECT_EQ(symbol.status, qrdesk::SymbolStatus::SideTooSmall);
    EXPECT_EQ(symbol.across, 41);
    settings.size = 41;
    EXPECT_TRUE(qrdesk::MakeSymbol(encoder, settings).Made());
    settings.scale = 244;  // 41 x 244 = 10,004 pixels
    symbol = qrdesk::MakeSymbol(encoder, settings);
    EXPECT_EQ(symbol.status, qrdesk::SymbolStatus::SideTooLarge);
    EXPECT_EQ(symbol.side, 10004);
    settings.scale = 243;
    EXPECT_TRUE(qrdesk::MakeSymbol(encoder, settings).Made());
    settings.encoding = qrdesk::TextEncoding::Ansi;
    settings.codePage = "NO-SUCH-CODE-PAGE";
    EXPECT_EQ(qrdesk::MakeSymbol(encoder, settings).status, qrdesk::SymbolStatus::UnknownCodePage);
}

// Readers that read the symbol only when all of them are reading at once: asked in turn, the
// first would wait for the others in vain (10 s) and read nothing.
struct Meeting {
    std::mutex mutex;
    std::condition_variable changed;
    int inside = 0;
    int expected = 0;
};

class MeetingReader : public qrdesk::SymbolReader {
  public:
    MeetingReader(const char* name, Meeting& meeting) : name_(name), meeting_(meeting) {}
    const char* Name() const override { return name_; }
    const char* Help() const override { return ""; }
    qrdesk::Reading Read(const qrdesk::GreyView&, bool) const override {
        std::unique_lock lock(meeting_.mutex);
        ++meeting_.inside;
        meeting_.changed.notify_all();
        if (!meeting_.changed.wait_for(lock, std::chrono::seconds(10),
                                       [&] { return meeting_.inside >= meeting_.expected; }))
            return {};
        return {true, true, "HELLO WORLD", name_};
    }

  private:
    const char* name_;
    Meeting& meeting_;
};

class FailingReader : public qrdesk::SymbolReader {
  public:
    const char* Name() const override { return "failing"; }
    const char* Help() const override { return ""; }
    qrdesk::Reading Read(const qrdesk::GreyView&, bool) const override { throw std::bad_alloc(); }
};

TEST(SymbolJob, TheReadersOfAPictureAreAskedSideBySide) {
    Meeting meeting;
    meeting.expected = 3;
    const MeetingReader a("a", meeting), b("b", meeting), c("c", meeting);
    const qrdesk::SymbolReader* readers[] = {&a, &b, &c};
    clsQRCode encoder;
    qrdesk::SymbolSettings settings;
    settings.text = u"HELLO WORLD";
    const qrdesk::SymbolResult symbol = qrdesk::MakeSymbol(encoder, settings, readers);
    ASSERT_TRUE(symbol.Made());
    ASSERT_EQ(symbol.verdicts.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {  // in the readers' order, each its own reading
        EXPECT_EQ(symbol.verdicts[i].name, readers[i]->Name());
        EXPECT_TRUE(symbol.verdicts[i].decoded);
        EXPECT_TRUE(symbol.verdicts[i].bytesExact);
        EXPECT_EQ(symbol.verdicts[i].text, readers[i]->Name());
    }

    // A reader's failure on its thread ends as it would on this one: no verdicts at all.
    const FailingReader failing;
    Meeting alone;
    alone.expected = 1;
    const MeetingReader d("d", alone);
    const qrdesk::SymbolReader* withFailure[] = {&d, &failing};
    qrdesk::SymbolResult made = qrdesk::MakeSymbol(encoder, settings);
    qrdesk::ReadSymbol(encoder, settings, withFailure, made);
    EXPECT_TRUE(made.Made());
    EXPECT_TRUE(made.verdicts.empty());
}

// Decodes only pictures of the given widths, and records every width it is shown.
class WidthReader : public qrdesk::SymbolReader {
  public:
    explicit WidthReader(std::set<std::int32_t> reads) : reads_(std::move(reads)) {}
    const char* Name() const override { return "width"; }
    const char* Help() const override { return ""; }
    qrdesk::Reading Read(const qrdesk::GreyView& image, bool) const override {
        const std::lock_guard lock(mutex_);
        shown_.insert(image.width);
        if (!reads_.count(image.width)) return {};
        return {true, true, "HELLO WORLD", "HELLO WORLD"};
    }
    std::set<std::int32_t> Shown() const {
        const std::lock_guard lock(mutex_);
        return shown_;
    }

  private:
    std::set<std::int32_t> reads_;
    mutable std::mutex mutex_;
    mutable std::set<std::int32_t> shown_;
};

// The window's scope gives the same offered side as the full advice, and reads whole-pixel
// sides only when none of its own choices reads. 1-M HELLO WORLD is 21 + 2 x 4 = 29 modules
// across, so at 600 pixels the nearest whole scale below is 20 (580 pixels) and above 21 (609).
TEST(SymbolJob, TheWindowsAdviceReadsWholeScalesOnlyWhenItsChoicesDoNot) {
    const struct {
        std::set<std::int32_t> readsAt;
        std::int32_t offered, smaller, larger;  // the full advice
        bool windowReadsScales;
    } cases[] = {
        {{400}, 400, 0, 0, false},
        {{580}, 0, 20, 0, true},
        {{400, 580, 609}, 400, 20, 21, false},
        {{200, 609}, 200, 0, 21, false},
    };
    for (const auto& c : cases) {
        for (const qrdesk::AdviceScope scope :
             {qrdesk::AdviceScope::Every, qrdesk::AdviceScope::ChoicesFirst}) {
            const WidthReader reader(c.readsAt);
            const qrdesk::SymbolReader* readers[] = {&reader};
            clsQRCode encoder;
            qrdesk::SymbolSettings settings;
            settings.text = u"HELLO WORLD";
            settings.advice = scope;
            const qrdesk::SymbolResult symbol = qrdesk::MakeSymbol(encoder, settings, readers);
            ASSERT_EQ(symbol.across, 29);
            const bool full = scope == qrdesk::AdviceScope::Every || c.windowReadsScales;
            const std::set<std::int32_t> shown = reader.Shown();
            const qrdesk::SymbolAdvice& a = symbol.advice;
            SCOPED_TRACE(*c.readsAt.begin() + 1000 * int(scope));
            EXPECT_EQ(a.offeredSide, c.offered);
            EXPECT_EQ(a.smallerScale, full ? c.smaller : 0);
            EXPECT_EQ(a.largerScale, full ? c.larger : 0);
            EXPECT_EQ(shown.count(580) + shown.count(609), full ? 2u : 0u);
        }
    }
}

}  // namespace
