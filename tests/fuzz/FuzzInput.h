#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zr::fuzz
{

// Takes a fuzzer's input apart: single bytes, short length-prefixed texts, and the rest. Past the
// end every read gives zero or empty, so a target never needs to check the length first.
class FuzzInput
{
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool Empty() const { return pos_ >= size_; }

    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }

    uint32_t Number(uint32_t bound)
    {
        uint32_t value = static_cast<uint32_t>(Byte()) << 8 | Byte();
        return bound == 0 ? 0 : value % bound;
    }

    // A text of up to `maxLength` bytes, its length given by the bytes before it.
    std::string Text(size_t maxLength)
    {
        size_t length = maxLength < 256 ? Byte() % (maxLength + 1) : Number(maxLength + 1);
        length = std::min(length, size_ - std::min(pos_, size_));
        std::string text(reinterpret_cast<const char*>(data_ + pos_), length);
        pos_ += length;
        return text;
    }

    std::string Rest()
    {
        std::string rest =
            pos_ < size_ ? std::string(reinterpret_cast<const char*>(data_ + pos_), size_ - pos_)
                         : std::string();
        pos_ = size_;
        return rest;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

} // namespace zr::fuzz
