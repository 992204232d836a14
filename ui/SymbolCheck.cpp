#include "ui/SymbolCheck.h"

namespace qrdesk {

class SymbolCheck::Cancellable : public SymbolReader {
  public:
    Cancellable(const SymbolReader& reader, const SymbolCheck& check)
        : reader_(reader), check_(check) {}
    const char* Name() const override { return reader_.Name(); }
    const char* Help() const override { return reader_.Help(); }
    Reading Read(const GreyView& image, bool helped) const override {
        if (check_.running_.load() != check_.latest_.load()) return {};
        return reader_.Read(image, helped);
    }

  private:
    const SymbolReader& reader_;
    const SymbolCheck& check_;
};

SymbolCheck::SymbolCheck(std::span<const SymbolReader* const> readers, Done done)
    : done_(std::move(done)) {
    for (const SymbolReader* reader : readers) {
        wrapped_.push_back(std::make_unique<Cancellable>(*reader, *this));
        readers_.push_back(wrapped_.back().get());
    }
}

SymbolCheck::~SymbolCheck() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        waiting_.reset();
        ++latest_;  // the check in progress is no longer the latest: its reads stop
    }
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
}

std::uint64_t SymbolCheck::Start(const SymbolSettings& settings, SymbolResult made) {
    std::uint64_t number = 0;
    {
        const std::lock_guard lock(mutex_);
        number = ++latest_;
        waiting_ = Request{number, settings, std::move(made)};
        if (!worker_.joinable()) worker_ = std::thread(&SymbolCheck::Run, this);
    }
    wake_.notify_all();
    return number;
}

void SymbolCheck::Cancel() {
    const std::lock_guard lock(mutex_);
    waiting_.reset();
    ++latest_;
}

bool SymbolCheck::Busy() const {
    const std::lock_guard lock(mutex_);
    return waiting_.has_value() || working_;
}

void SymbolCheck::Run() {
    clsQRCode encoder;  // this thread's own, for the symbols tried for advice
    for (;;) {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [&] { return stopping_ || waiting_.has_value(); });
        if (stopping_) return;
        Request request = std::move(*waiting_);
        waiting_.reset();
        working_ = true;
        running_ = request.number;
        lock.unlock();
        ReadSymbol(encoder, request.settings, readers_, request.made);
        // Delivered only while still the latest: a cancelled check's verdicts are incomplete.
        if (running_.load() == latest_.load()) done_(request.number, std::move(request.made));
        lock.lock();
        running_ = 0;
        working_ = false;
    }
}

}  // namespace qrdesk
