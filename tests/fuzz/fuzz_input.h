// Splits a fuzzer's input into the plain values a rule takes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    template <typename T>
    T Number() {
        T value{};
        const std::size_t n = size_ < sizeof value ? size_ : sizeof value;
        std::memcpy(&value, data_, n);
        Skip(n);
        return value;
    }

    // Up to the next 0xFF byte (not included), or the rest.
    std::string Text() {
        std::size_t n = 0;
        while (n < size_ && data_[n] != 0xFF) ++n;
        std::string text(reinterpret_cast<const char*>(data_), n);
        Skip(n < size_ ? n + 1 : n);
        return text;
    }

    std::string Rest() {
        std::string text(reinterpret_cast<const char*>(data_), size_);
        Skip(size_);
        return text;
    }

    bool empty() const { return size_ == 0; }

private:
    void Skip(std::size_t n) { data_ += n; size_ -= n; }
    const std::uint8_t* data_;
    std::size_t size_;
};

// A broken promise of a rule: abort, so the fuzzer keeps the input.
#define FUZZ_CHECK(condition) \
    do {                      \
        if (!(condition)) __builtin_trap(); \
    } while (0)
