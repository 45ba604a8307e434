#pragma once
// The module's list of accepted caller numbers (from software version 5.0):
// 19 blocks of 256 bytes at block addresses 0x3600, 0x3610, ... 0x3720, each
// holding 16 records of 16 bytes. The configurator keeps its own copy of the
// blocks, filled by a read and by the encoding of a write.

#include <QString>
#include <array>
#include <cstdint>

class CallerIdMemory {
  public:
    static constexpr int kBlocks = 19;
    static constexpr int kBlockSize = 256;
    static constexpr int kRecordSize = 16;
    static constexpr int kRecordsPerBlock = kBlockSize / kRecordSize;
    static constexpr int kRecords = kBlocks * kRecordsPerBlock; // 304
    // Block address field (16-byte units) of block 0, and the step between blocks.
    static constexpr int kFirstAddress = 0x3600;
    static constexpr int kAddressStep = kBlockSize / 16;
    static constexpr int kEndAddress = kFirstAddress + kBlocks * kAddressStep; // 0x3730
    // Characters of a number; byte 14 and 15 of a record are 0.
    static constexpr int kNumberLength = 14;
    static constexpr uint8_t kEnd = 0xFF; // after a short number; in byte 0: no number

    CallerIdMemory() { bytes_.fill(kEnd); }

    // Record k (0..303) takes a grid cell's text: up to 14 characters, 0xFF
    // after a shorter one, zeros in bytes 14 and 15. An empty text only marks
    // the record empty (byte 0 := 0xFF); its other bytes stay as they were.
    void setRecord(int k, const QString& number);
    // The number in record k: empty when byte 0 is 0xFF, else the bytes up to
    // the first 0xFF (or 0, which no phone number holds), at most 16.
    QString recordText(int k) const;

    const uint8_t* block(int b) const { return bytes_.data() + b * kBlockSize; }
    void storeBlock(int b, const uint8_t* data);
    static int blockOfAddress(int address) { return (address - kFirstAddress) / kAddressStep; }

    const std::array<uint8_t, kBlocks * kBlockSize>& bytes() const { return bytes_; }

  private:
    std::array<uint8_t, kBlocks * kBlockSize> bytes_{};
};
