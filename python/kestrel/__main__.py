"""python -m kestrel plot CAPTURE --code CODE --out FILE.png [--kind day|minute|trend]"""

import argparse
import sys

from . import DecodeError


def main(argv=None):
    parser = argparse.ArgumentParser(prog="python -m kestrel",
                                     description="Tools over Kestrel captures.")
    commands = parser.add_subparsers(dest="command", required=True)
    plot = commands.add_parser(
        "plot", help="draw a security's K-lines or trend from a capture",
        description="Draws a day or minute K-line as candlesticks with volume below, or a "
                    "trend as price and average lines over volume.")
    plot.add_argument("capture", help="byte-stream capture, or pcap/pcapng with --port")
    plot.add_argument("--code", required=True, help="security code, such as 600000.SH")
    plot.add_argument("--out", required=True, help="PNG file to write")
    plot.add_argument("--kind", choices=["day", "minute", "trend"], default="day",
                      help="which series to draw (default: day)")
    plot.add_argument("--port", type=int, help="the quote server's port, for packet captures")
    args = parser.parse_args(argv)

    from . import plot as pictures

    try:
        frame = pictures.load(args.capture, args.code, args.kind, args.port)
    except (LookupError, DecodeError, OSError, ValueError) as error:
        print(f"python -m kestrel plot: {error}", file=sys.stderr)
        return 1
    titles = {"day": "day K-lines", "minute": "minute K-lines", "trend": "trend"}
    pictures.draw(frame, args.kind, f"{args.code} {titles[args.kind]}", args.out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
