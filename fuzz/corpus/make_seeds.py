#!/usr/bin/env python3
"""Writes the seed corpus of each fuzz target (fuzz/corpus/<target>/seed-*).

Each seed is one complete, well-behaved run of what the target drives, so the
fuzzer starts from inputs that reach the ends of the transfers and mutates
from there. Run again after changing a target's input layout.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))


def frame(b0, b1, b2, b3):
    check = (b0 + b1 + b2 + b3 - 1) & 0xFF
    return bytes([b0, b1, b2, b3, 255 - check, check])


def write(target, name, data):
    folder = os.path.join(HERE, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "seed-" + name), "wb") as f:
        f.write(bytes(data))


# link_engine: byte 0 the operation, byte 1 the module (model index + 5 x
# version index + 30 if starred + 60 if a command is pending), then steps:
# 0x0C another operation (next byte), 0x03 the next reply whole, 0x01 a tick, 0x05 split, 0x06 flipped, 0x07 the
# last reply again, 0x08 lost, 0x02 several ticks, 0xF4 128 steps of
# work: the next reply whole, or a tick while none is due.
(READ, WRITE, VERSION_MENU, VERSION_ACTIVATION, RESTART, CLOCK, LIFE, PSTN, PHONEBOOK_READ,
 PHONEBOOK_WRITE, PIN_OFF, SMS_CENTRE, BALANCE, DATA_CALL, VOICE_CALL, SMS_TEST, IMEI,
 LEAVE_MODEM) = range(18)
M70_V27, M70_V32, M71_V43, M80_V43, M100_V32, M100_V43 = 5, 15, 26, 27, 19, 29
STARRED, PENDING, PIN_ON = 30, 60, 120
answer = [0x03, 0x01]


def answers(n):
    return [0xF4] * ((n + 100) // 100)


engine = {
    "read-bytes": [READ, M70_V32] + answers(1100),
    "read-blocks": [READ, M71_V43] + answer * 10,
    # The version query of an activation was on the wire; its reply is lost.
    "read-blocks-after-version": [READ, M71_V43 + PENDING, 0x08] + answer * 10,
    "read-records": [READ, M100_V43] + answers(300),
    "write-bytes": [WRITE, M70_V32 + STARRED] + answers(1100),
    "write-blocks": [WRITE, M71_V43] + answer * 12,
    "write-records": [WRITE, M100_V32] + answers(1300),
    "version": [VERSION_MENU, M80_V43] + answer * 4,
    "clock-undated": [CLOCK, M70_V27] + answer * 4,
    "pstn": [PSTN, M70_V32] + answer * 6,
    "restart-then-life": [RESTART, M70_V32, 0x01, 0x01, 0x0C, LIFE, 0x01, 0x01],
    # Blocks with a split reply, a flipped byte, a lost reply and a long wait.
    "read-blocks-faulty": [READ, M71_V43, 0x01, 0x15, 100, 0x03, 0x01, 0x06, 7, 0x40,
                           0xF2, 0x03, 0x08, 0xF2, 0x03, 0x03, 0x07, 0x01] + answer * 8,
}


def text(t):
    return [len(t)] + list(t)


# Modem operations: an operation's own bytes follow the module byte (the
# phonebook's last slot, the rows, the PIN or number).
engine.update({
    "phonebook-read": [PHONEBOOK_READ, M71_V43, 0] + answers(500),
    "phonebook-write": [PHONEBOOK_WRITE, M71_V43, 0, 3] + text(b"+36301234567") + text(b"Anna")
    + text(b"") + text(b"") + text(b"06-1-234") + text(b'Q"x\r') + answers(100),
    "pin-off": [PIN_OFF, M70_V32 + PIN_ON, 1] + answers(60),
    "sms-centre": [SMS_CENTRE, M80_V43, 1] + answers(60),
    "balance": [BALANCE, M80_V43] + answers(60),
    "data-call": [DATA_CALL, M71_V43] + text(b"+3630123") + answers(30),
    "voice-call": [VOICE_CALL, M71_V43] + text(b"06301234567") + answers(30),
    "sms-test": [SMS_TEST, M71_V43] + text(b"06301234567") + answers(30),
    "imei": [IMEI, M71_V43] + answers(40),
    "balance-then-leave": [BALANCE, M80_V43, 0x03, 0x01, 0x03, 0x0C, LEAVE_MODEM] + answers(40),
})
for name, data in engine.items():
    write("link_engine", name, data)

# frame_assembler: rule/state byte, buffer size / 40, address high and low,
# (count - 1) / 4, start index / 48; then 5n + 0 (receive n bytes), 2 (frame
# sent), 3 (clear), 4 (tick).
RECEIVE6 = 6 * 5
reads = [0, 50, 0x00, 0xFE, 1, 0]
for i, a in enumerate((0xFE, 0xFF)):
    reads += [4, 2, RECEIVE6] + list(frame(0xAB, 0x00, a, 40 + i)) + [3, 4, 4, 4]
write("frame_assembler", "read-two-bytes", reads)
writes = [4 | 2, 50, 0x01, 0x00, 0, 3]  # marked echo, writing
writes += [4, 2, 4 * 5] + list(frame(0xAB, 0x01, 0x00, 0)[:4]) + [2 * 5] + list(
    frame(0xAB, 0x01, 0x00, 0)[4:])
write("frame_assembler", "write-split-reply", writes)
write("frame_assembler", "overflow", [1, 10, 0, 0, 0, 0, 7 * 5] + [0x55] * 7 + [RECEIVE6]
      + list(frame(0, 0, 0, 0)))

# identify_handshake: 0 tick, 2 + 4n receive n bytes, 3 restart.
ident = [0] * 5 + [2 + 4 * 6] + list(frame(0xAB, 0x00, 0xFF, 71)) + [0] * 4
write("identify_handshake", "model-71", ident)
bad = [0] * 12 + [2 + 4 * 6] + list(frame(0xAB, 0xFE, 0x00, 0))[:4] + [0x00, 0x00] + [3, 0, 0]
write("identify_handshake", "wake-then-bad-complement", bad)

# config_file: the raw bytes are parsed as they stand; the first byte also
# picks a file size built from the rest (bit 0: 8192-byte image; (b >> 1) % 3:
# one byte short, exact, one byte long).
texts = b"".join(b"\0" + t.ljust(127, b"\0") for t in
                 [b"Kovacs Bt.", b"Budapest, Fo utca 1.", b"+36301234567", b"Panel",
                  b"GSM", b"2024.02.29"])
write("config_file", "file-1024", bytes(range(256)) * 4 + texts)
write("config_file", "exact-8192", [1 | 2] + list(b"\xff\x00text\x00" * 20))
write("config_file", "exact-1024", [2] + list(range(256)))

# sim_names_file: the whole file as it stands.
rows = [b"+36301234567", b"Anna", b"06-20/111-2222", b"B\xe9la", b"", b""]
write("sim_names_file", "three-rows", b"3\r\n" + b"".join(r + b"\r\n" for r in rows)
      + b"\r\n" * (500 - len(rows)))
write("sim_names_file", "lf-only-short", b" 12 \nx\ny\n")
write("sim_names_file", "not-a-number", b"abc\r\n1\r\n")

# modem_replies: byte 0 the command line (an index into the target's list of
# the engine's command lines), then the phonebook slot - 1 and where the echo
# goes in; then the bytes received.
(AT, CPBS, CPBR5, CPBR250, CPBW, CPIN, CLCK, CSCA, BALANCE_DIAL, DIAL, CMGS, CGSN) = range(12)
modem = {
    "at-ok": [AT, 0, 0] + list(b"AT\r\r\nOK\r\n"),
    "phonebook-slot": [CPBR5, 4, 3] + list(b"AT+CPBR=5\r\r\n+CPBR: 5,\"+36301234567\",145,"
                                           b"\"Anna\"\r\n\r\nOK\r\n"),
    "phonebook-empty-after-old": [CPBR5, 4, 0] + list(b"+CPBR: 4,\"1\",129,\"x\"\r\nOK\r\n"
                                                      b"AT+CPBR=5\r\r\nOK\r\n"),
    "phonebook-refused": [CPBR250, 249, 0] + list(b"AT+CPBR=250\r\r\n+CME ERROR: 21\r\n"),
    "imei": [CGSN, 0, 0] + list(b"AT+CGSN\r\r\n+CGSN: \"356938035643809\"\r\n\r\nOK\r\n"),
    "balance-text": [BALANCE_DIAL, 0, 0] + list(b"ATD*102#;\r\r\nOK\r\n\r\n+CUSD: 0,\"Egyenleg:"
                                                b" 1234 Ft\r\nK\xf6sz\xf6nj\xfck\",15\r\n"),
    "balance-no-text": [BALANCE_DIAL, 0, 0] + list(b"ATD*102#;\r\r\nOK\r\n+CUSD: 2\r\n"),
    "balance-cut": [BALANCE_DIAL, 0, 0] + list(b"ATD*102#;\r\nOK\r\n+CUSD: 1,\"Egyenleg"),
    "pin-error": [CPIN, 0, 0] + list(b"\x00\xffAT+CPIN=\"1234\"\r\r\nERROR\r\n"),
    # 0xF0 and up: the command line is the input's own, its length first.
    "own-command": [0xF0, 4] + list(b"ATI9") + [0, 5] + list(b"ATI9\r\r\nSIM800\r\n0\r\n"),
}
for name, data in modem.items():
    write("modem_replies", name, data)
