#pragma once
// Takes typed values off the front of a fuzzer's input; the rest is the payload.

#include <cstddef>
#include <cstdint>

class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t Byte() {
        if (size_ == 0) return 0;
        --size_;
        return *data_++;
    }
    std::int32_t Int16() {
        const std::uint32_t high = Byte();
        return static_cast<std::int16_t>(high << 8 | Byte());
    }
    // A value in lo..hi.
    std::int32_t Range(std::int32_t lo, std::int32_t hi) {
        const std::uint32_t span = static_cast<std::uint32_t>(hi - lo) + 1;
        const std::uint32_t high = Byte();
        const std::uint32_t raw = high << 8 | Byte();
        return lo + static_cast<std::int32_t>(raw % span);
    }
    const std::uint8_t* Rest() const { return data_; }
    std::size_t RestSize() const { return size_; }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
};
