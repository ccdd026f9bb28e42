#!/usr/bin/env python3
"""Writes the seed corpus of every harness into fuzz/corpus/<harness>/."""
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))


def write(harness, name, data):
    folder = os.path.join(here, "corpus", harness)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode())


def words(*values):
    return b"".join(struct.pack(">I", v & 0xFFFFFFFF) for v in values)


def record(body, last=True):
    return struct.pack(">I", (0x80000000 if last else 0) | len(body)) + body


def pieces(wire, step=32):
    """The RPC harness input: a size byte before each piece of the stream."""
    out = b""
    for i in range(0, len(wire), step):
        part = wire[i:i + step]
        out += bytes([len(part) - 1]) + part
    return out


# RPC: limit byte, reply kind (0 read, 1 create_link, 2 write, 3 port), pieces.
accepted = words(7, 1, 0, 0, 0, 0)
write("fuzz_rpc_reply", "device_read", bytes([255, 0]) + pieces(
    record(accepted + words(0, 4, 6) + b"+1.0E+0\n\0\0")))
write("fuzz_rpc_reply", "create_link", bytes([255, 1]) + pieces(
    record(accepted + words(0, 1, 0, 1024))))
write("fuzz_rpc_reply", "device_write_two_fragments", bytes([255, 2]) + pieces(
    record(accepted[:12], last=False) + record(accepted[12:] + words(0, 10))))
write("fuzz_rpc_reply", "getport", bytes([4, 3]) + pieces(record(accepted + words(1024))))
write("fuzz_rpc_reply", "denied", bytes([255, 3]) + pieces(record(words(7, 1, 1, 1, 1))))

# USB-TMC: bytes the hostile device hands out in turn.
reply = b"+1.234E+00\n"
header = bytes([2, 1, 0xFE, 0]) + struct.pack("<I", len(reply)) + bytes([1, 0, 0, 0])
write("fuzz_usbtmc", "one_reply", bytes([2, 40, 3]) + bytes([5]) + bytes([5, 0]) +
      bytes([5, 0]) + bytes([7, len(header + reply) + 1]) + header + reply + b"\0")
write("fuzz_usbtmc", "header_only", header)
write("fuzz_usbtmc", "abort_status", bytes([1, 0, 0, 0, 0, 0, 0, 0]))

# Socket reply buffer: op bytes (0: append op/3 bytes, 1: take n, 2: drop).
write("fuzz_socket_reply", "two_replies", bytes([3 * 12]) + b"+1.0E+00\nAB\n" + bytes([1, 64, 2, 1, 64]))
write("fuzz_socket_reply", "split_reply", bytes([3 * 3]) + b"+1." + bytes([1, 2, 3 * 4]) + b"0E\n\n" + bytes([1, 200]))

# Trend and histogram replies: a flags byte, then the reply.
write("fuzz_view_replies", "trend", b"\x03" + b"+1.0E+00,-2.5E-03,9.9E+37,+3.3E+01\n")
write("fuzz_view_replies", "trend_cut", b"\x01" + b"1,2,3,4.")
write("fuzz_view_replies", "histogram", b"\x04" + b"-1.000E+00,+1.000E+00,6,1,2,3,0,0\n")

# C-locale numbers.
for i, text in enumerate(["1.5", "  -2e10x", "+0x1p3", "inf", "-nan", "1e400", "4.9e-324",
                          "2147483648", "-99999999999", "1,5", "\t+7"]):
    write("fuzz_cnumbers", "n%02d" % i, text)

# Resources: expression length byte, expression, resource.
for i, (expression, resource) in enumerate([
        ("USB?*INSTR", "USB0::0x5345::0x1234::SN1::INSTR"),
        ("?*", "TCPIP0::192.168.1.20::inst0::INSTR"),
        ("?*?*?*?*?*B", "TCPIP0::127.0.0.1::5025::SOCKET"),
        ("A*B", "SIM0::ZAN::INSTR"),
        ("", "USB0::0x5345::0x1234::SN1::0::INSTR")]):
    write("fuzz_resource", "r%d" % i, bytes([len(expression)]) + expression.encode() + resource.encode())

# SCPI messages as a client sends them.
for i, text in enumerate(["*IDN?", "IDN-ZOBR-PRI?", "SYST:ERR?", "CONF:VOLT:DC 10;:READ?",
                          "CALC:TREN:CHAR:DATA?", "CALC:TRAN:HIST:ALL?", "SENS:FUNC \"RES\"",
                          "DATA:LAST?", "SAMP:COUN 5;:INIT;:FETC?", "CALC:AVER:ALL?"]):
    write("fuzz_scpi_parser", "m%02d" % i, text)
