#pragma once
// Reads a fuzzer's input as a stream of small decisions. Past the end every
// read gives 0, so a target never reads beyond the input.

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

class FuzzInput {
  public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool done() const { return pos_ >= size_; }
    uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    // Up to n bytes, fewer at the end of the input.
    QByteArray bytes(size_t n) {
        const size_t take = n < size_ - pos_ ? n : size_ - pos_;
        QByteArray out(reinterpret_cast<const char*>(data_ + pos_), static_cast<qsizetype>(take));
        pos_ += take;
        return out;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// The harness's own whole-image checks teach the fuzzer nothing; keeping the
// coverage callbacks out of them keeps the executions fast.
#define FUZZ_NO_COVERAGE __attribute__((no_sanitize("coverage")))

// A broken invariant is a finding: say which and stop, so libFuzzer keeps the input.
#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "invariant broken at %s:%d: %s\n", __FILE__, __LINE__, #cond);    \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)
