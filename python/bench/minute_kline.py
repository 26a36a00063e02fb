"""Benchmark: a minute K-line of 100,000 rows (ten columns) decoded from
Python into numpy arrays, against the C++ record path over the same bytes
(decode, read every value, free) timed inside the module.

    PYTHONPATH=build/default/python /usr/bin/python3 python/bench/minute_kline.py

The message has the layout of the C++ benchmark suite's minute K-line case:
a future's one-minute bars with prices, volume, amount and the two futures
columns, as small random steps.
"""

import argparse
import random
import statistics
import time

import kestrel

ROWS = 100_000
MINUTE_KLINE = 5


def unsigned(value):
    """Stop-bit unsigned: seven bits a byte, most significant first, bit 7
    set on the last byte."""
    groups = [value & 0x7F]
    value >>= 7
    while value:
        groups.append(value & 0x7F)
        value >>= 7
    groups[0] |= 0x80
    return bytes(reversed(groups))


def signed(value):
    """Stop-bit signed: two's complement groups, the sign in bit 6 of the
    first byte."""
    groups = []
    while True:
        group = value & 0x7F
        groups.append(group)
        value >>= 7
        if (value == 0 and not group & 0x40) or (value == -1 and group & 0x40):
            break
    groups[0] |= 0x80
    return bytes(reversed(groups))


def compact_code(code):
    """The wire form of a security code, cut from a peek request for it:
    prefix, type, count twice, code, one id, id 1, check byte."""
    request = kestrel.encode_peek([(code, [1])])
    assert request[0] & 0x80 and len(request) < 128
    return request[4:-3]


def minute_kline_message(rows=ROWS, seed=5):
    rnd = random.Random(seed)
    body = bytearray(compact_code("IF1107.CFE"))
    body += unsigned(0) + unsigned(1)  # bar-length code, price unit factor
    body += unsigned(rows) + unsigned(20110701) + unsigned(91500)
    body += unsigned(60) * (rows - 1)  # one minute apart
    body += unsigned(1000)  # prices: a base walking by small steps, three offsets
    for _ in range(rows):
        body += signed(rnd.randint(-20, 20))
        for _ in range(3):
            body += unsigned(rnd.randint(0, 59))
    for first, step, put in ((120000, 3000, signed), (90000000, 500000, signed),
                             (300000, 10, unsigned), (20000, 100, unsigned)):
        body += put(first)
        body += b"".join(signed(rnd.randint(-step, step)) for _ in range(rows - 1))
    typed = unsigned(MINUTE_KLINE) + bytes(body)
    return unsigned(len(typed)) + typed


def python_seconds(data, rounds, read_values):
    """Mean seconds per round of decode + every column as numpy (+ the sum of
    each with read_values) + release."""
    start = time.perf_counter()
    for _ in range(rounds):
        message = kestrel.decode(data)
        columns = message.series[0].columns
        assert len(columns) == 10 and len(columns[3]) == ROWS
        if read_values:
            for column in columns.values():
                column.sum(dtype=float)
        del message, columns
    return (time.perf_counter() - start) / rounds


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=20)
    parser.add_argument("--repeats", type=int, default=7)
    args = parser.parse_args()
    data = minute_kline_message()
    print(f"message: {len(data)} bytes, {ROWS} rows x 10 columns; "
          f"median of {args.repeats} runs of {args.rounds} rounds")
    for read_values, what in ((False, "decode, columns, free"), (True, "and sum every value")):
        cpp, python = [], []
        for _ in range(args.repeats):  # interleaved, so both see the same machine
            cpp.append(kestrel._kestrel._cpp_record_seconds(data, args.rounds, read_values))
            python.append(python_seconds(data, args.rounds, read_values))
        c, p = statistics.median(cpp), statistics.median(python)
        print(f"{what}: C++ records {c * 1e3:.2f} ms, Python numpy {p * 1e3:.2f} ms, "
              f"ratio {p / c:.3f} (target <= 1.2)")


if __name__ == "__main__":
    main()
