#pragma once
#include "serial/frame_assembler.h"
#include "serial/memory_frame.h"
#include <QByteArray>
#include <optional>

// The start window's search for a module: a ten-tick cycle of four reads of
// 0x00FF, a silent tick, four 0xFE identify frames at 0xA000 and a silent tick,
// with a hold-off of three ticks after every valid reply. Only a reply that
// arrives while reads of 0x00FF are going out carries the ModelCode.
class IdentifyHandshake {
  public:
    static constexpr int kIdentifyRead = 10;
    static constexpr int kIdentifyWake = 11;

    // The send timer's tick after the port handling: returns the frame to write,
    // or nothing (hold-off, silent tick, or a state this handshake does not own).
    // senderCalled tells whether the sender ran (it counts TX either way).
    struct Tick {
        bool senderCalled = false;
        std::optional<MemoryFrame> frame;
    };
    Tick tick();
    // The sender alone (also called by windows that share the hold-off).
    std::optional<MemoryFrame> sender();

    struct Received {
        int frames = 0; // complete six-byte frames seen
        int bad = 0;    // good check, bad complement
        int valid = 0;
        std::optional<int> modelCode; // the last identify reply's data byte
    };
    Received receive(const QByteArray& bytes);

    void restart() { LinkState = kIdentifyRead; }

    int LinkState = kIdentifyRead;
    int Phase = 0;
    int HoldOff = 0;
    int ModelCode = 0;
    int TxCount = 0;
    int RxCount = 0;
    int BadCount = 0;
    FrameAssembler Assembler;
};
