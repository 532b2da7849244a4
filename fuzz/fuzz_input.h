#pragma once
// Reads a harness's input front to back, so a seed written as a plain byte
// stream means what it says; past the end every read gives zeros.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Empty() const { return at_ >= size_; }
    std::size_t Remaining() const { return size_ - at_; }
    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    // Up to count bytes, as a copy of their own so reads past them are caught.
    std::vector<std::uint8_t> Bytes(std::size_t count)
    {
        const std::size_t take = std::min(count, Remaining());
        std::vector<std::uint8_t> bytes(data_ + at_, data_ + at_ + take);
        at_ += take;
        return bytes;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// Piece sizes of 1..maxPiece bytes, drawn from a seed the input gives, so a
// stream arrives cut at arbitrary points without spending input on them.
class PieceSizes {
public:
    PieceSizes(std::uint8_t seed, std::size_t maxPiece) : state_(seed * 2654435761u + 1), max_(maxPiece) {}
    std::size_t Next()
    {
        state_ = state_ * 1103515245u + 12345u;
        return 1 + (state_ >> 16) % max_;
    }

private:
    std::uint32_t state_;
    std::size_t max_;
};
