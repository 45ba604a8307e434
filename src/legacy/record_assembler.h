#pragma once
#include <QByteArray>

// Collects the GPS windows' answer to a 64-byte record read: the 64 record
// bytes, then their sum modulo 256. The six-byte frame assembler cannot hold
// it. More bytes than a reply spoil what is held, as with the six-byte frames.
class RecordAssembler {
  public:
    static constexpr int kRecordSize = 64;
    static constexpr int kReplySize = kRecordSize + 1;

    enum class Result { Incomplete, Overflow, Good, BadSum };

    Result receive(const QByteArray& bytes);
    // A new request: its reply starts from the first byte. A repeat of the
    // same request keeps what has come so far, as its reply may be on the way.
    void newRequest() { held_.clear(); }

    // The reply held after Good or BadSum (65 bytes) and its record (64).
    const QByteArray& reply() const { return reply_; }
    QByteArray record() const { return reply_.left(kRecordSize); }

  private:
    QByteArray held_;
    QByteArray reply_;
};
