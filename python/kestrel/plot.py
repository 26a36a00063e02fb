"""Pictures of a capture's series: K-lines as candlesticks over volume, and
trends as price and average lines over volume (matplotlib, no display)."""

import numpy as np

from . import read_capture

#: What can be drawn: message type and series kind (his_type) of each.
KINDS = {
    "day": (3, 1),      # day K-lines
    "minute": (5, 1),   # minute K-lines
    "trend": (17, 0),   # formalized minute trend
}

_UP = "#d62728"
_DOWN = "#2ca02c"


def load(source, code, kind="day", port=None):
    """The `kind` series of `code` in a capture as one pandas DataFrame:
    every matching series joined, in time order, repeated times once."""
    import pandas as pd

    message_type, his_type = KINDS[kind]
    frames = [
        series.to_pandas()
        for message in read_capture(source, port=port)
        if message.type == message_type
        for series in message.series
        if series.code == code and series.his_type == his_type
    ]
    if not frames:
        raise LookupError(f"no {kind} series of {code} in the capture")
    frame = pd.concat(frames)
    return frame[~frame.index.duplicated(keep="last")].sort_index()


def _time_axis(ax, index, intraday):
    """Labels about eight positions of the x axis with their dates or times."""
    step = max(1, len(index) // 8)
    ticks = np.arange(0, len(index), step)
    ax.set_xticks(ticks)
    fmt = "%H:%M" if intraday else "%Y-%m-%d"
    ax.set_xticklabels([index[i].strftime(fmt) for i in ticks], rotation=30, ha="right")


def _volume(ax, frame, colours):
    x = np.arange(len(frame))
    ax.bar(x, frame["volume"].to_numpy(), color=colours, width=0.8)
    ax.set_ylabel("volume")


def draw(frame, kind, title, out):
    """Draws `frame` (from load) into the PNG file `out`."""
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    fig, (top, bottom) = plt.subplots(
        2, 1, sharex=True, figsize=(9, 5.5), dpi=80, gridspec_kw={"height_ratios": [3, 1]})
    x = np.arange(len(frame))
    if kind == "trend":
        top.plot(x, frame["price"].to_numpy(), color="#1f77b4", label="price")
        if "average" in frame:
            top.plot(x, frame["average"].to_numpy(), color="#ff7f0e", label="average")
        top.legend(loc="upper left")
        top.set_ylabel("price")
        _volume(bottom, frame, "#7f7f7f")
    else:
        opens, closes = frame["open"].to_numpy(), frame["close"].to_numpy()
        colours = np.where(closes >= opens, _UP, _DOWN)
        top.vlines(x, frame["low"].to_numpy(), frame["high"].to_numpy(), color=colours, linewidth=1)
        body = np.abs(closes - opens)
        # A bar that opens at its close still shows as a thin line.
        tick = (frame["high"].max() - frame["low"].min()) / 200 or 1e-6
        top.bar(x, np.maximum(body, tick), bottom=np.minimum(opens, closes), color=colours,
                width=0.6)
        top.set_ylabel("price")
        _volume(bottom, frame, colours)
    _time_axis(bottom, frame.index, intraday=kind != "day")
    top.use_sticky_edges = False  # bars keep a margin below them too
    top.margins(y=0.05)
    top.set_title(title)
    top.grid(alpha=0.3)
    fig.tight_layout()
    fig.savefig(out)
    plt.close(fig)
