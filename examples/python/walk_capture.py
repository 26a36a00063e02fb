"""Walks a capture into pandas and draws it.

    PYTHONPATH=build/default/python /usr/bin/python3 examples/python/walk_capture.py \
        samples/session.kst --out-dir /tmp/kestrel-pictures

Counts the messages by type, gathers the latest quote of every security into
one DataFrame, puts every day K-line series into a frame per security, and
draws the day K-lines and the minute trend of one security.
"""

import argparse
import collections
import pathlib

import pandas as pd

import kestrel
from kestrel import plot


def main():
    parser = argparse.ArgumentParser(description="Walk a Kestrel capture into pandas.")
    parser.add_argument("capture", help="byte-stream capture, or pcap/pcapng with --port")
    parser.add_argument("--port", type=int, help="the quote server's port, for packet captures")
    parser.add_argument("--code", default="600000.SH", help="the security to draw")
    parser.add_argument("--out-dir", default=".", help="where the PNG files go")
    args = parser.parse_args()

    counts = collections.Counter()
    latest = {}        # code -> the last quote's values, by name where named
    day_bars = collections.defaultdict(list)
    for message in kestrel.read_capture(args.capture, port=args.port):
        counts[message.type_name] += 1
        for quote in message.quotes:
            latest.setdefault(quote.code, {}).update(quote.named())
        if message.type == 3:  # day K-lines
            for series in message.series:
                day_bars[series.code].append(series.to_pandas())

    print("messages by type:")
    for name, count in counts.most_common():
        print(f"  {count:4d}  {name}")

    quotes = pd.DataFrame.from_dict(latest, orient="index")
    print("\nlatest quotes:")
    print(quotes[[c for c in ("time", "price", "volume", "amount") if c in quotes]])

    print("\nday K-lines:")
    for code, frames in day_bars.items():
        bars = pd.concat(frames).sort_index()
        print(f"  {code}: {len(bars)} days, close {bars['close'].iloc[-1] if 'close' in bars else '-'}")

    out = pathlib.Path(args.out_dir)
    out.mkdir(parents=True, exist_ok=True)
    for kind in ("day", "trend"):
        frame = plot.load(args.capture, args.code, kind, args.port)
        path = out / f"{args.code}-{kind}.png"
        plot.draw(frame, kind, f"{args.code} {kind}", path)
        print(f"drew {path}")


if __name__ == "__main__":
    main()
