"""Decoding and encoding of the Kestrel quote protocol.

    import kestrel
    for message in kestrel.read_capture("session.kst"):
        for quote in message.quotes:
            print(quote.code, quote["price"])
        for series in message.series:
            frame = series.to_pandas()          # needs pandas

Messages come from ``read_capture`` (a recorded byte stream, or a pcap/pcapng
packet capture with ``port=``) or ``decode`` (one message). Series columns are
read-only numpy arrays over the decoded record; they keep it alive. Requests
are built by the ``encode_...`` functions, which return bytes.
"""

from collections.abc import Mapping

from ._kestrel import (  # noqa: F401  (re-exported)
    Capture,
    DecodeError,
    Message,
    Series,
    decode,
    encode_commit,
    encode_init,
    encode_login,
    encode_masked_commit,
    encode_masked_verify,
    encode_paged_rank_list,
    encode_peek,
    encode_rank_list,
    encode_raw_data,
    encode_server_sub_info,
    encode_status_test,
    encode_top8,
    read_capture,
)
from . import _kestrel

__all__ = [
    "Capture", "DecodeError", "Message", "Quote", "Series", "decode", "read_capture",
    "INDICATOR_NAMES", "encode_commit", "encode_init", "encode_login", "encode_masked_commit",
    "encode_masked_verify", "encode_paged_rank_list", "encode_peek", "encode_rank_list",
    "encode_raw_data", "encode_server_sub_info", "encode_status_test", "encode_top8",
]

#: Indicator ids named by the series layouts (the price id 3 is "price";
#: in a series of bars it is called "close").
INDICATOR_NAMES = dict(_kestrel._indicator_names())
_IDS_BY_NAME = {}
for _id, _name in INDICATOR_NAMES.items():
    _IDS_BY_NAME.setdefault(_name, _id)
_IDS_BY_NAME["close"] = 3


class Quote(Mapping):
    """One security's quote: a mapping of indicator id to value.

    Keys are ids; names of ``INDICATOR_NAMES`` work too (``quote["price"]``).
    When an id occurs twice, the first value counts; ``entries`` keeps every
    one as (id, type name, value) in the order received.
    """

    __slots__ = ("code", "entries", "_values")

    def __init__(self, code, entries):
        self.code = code
        self.entries = entries
        self._values = {}
        for ident, _type, value in entries:
            self._values.setdefault(ident, value)

    def _id(self, key):
        return _IDS_BY_NAME.get(key, key) if isinstance(key, str) else key

    def __getitem__(self, key):
        return self._values[self._id(key)]

    def __contains__(self, key):
        return self._id(key) in self._values

    def __iter__(self):
        return iter(self._values)

    def __len__(self):
        return len(self._values)

    def named(self):
        """The values keyed by name where the layouts name the id, else by id."""
        return {INDICATOR_NAMES.get(k, k): v for k, v in self._values.items()}

    def __repr__(self):
        return f"<kestrel.Quote {self.code} {self._values!r}>"


def _record_part(message, key):
    record = message.record
    return record[key] if isinstance(record, dict) and key in record else []


def _quotes(message):
    """The quotes of a market-data message, as Quote mappings."""
    return [Quote(code, entries) for code, entries in _record_part(message, "quotes")]


def _series(message):
    """The history series of a market-data message."""
    return _record_part(message, "series")


Message.quotes = property(_quotes, doc=_quotes.__doc__)
Message.series = property(_series, doc=_series.__doc__)


def _datetime_index(columns, names):
    """A DatetimeIndex from the date (yyyymmdd) and time (hhmmss) columns,
    or None when the series has neither."""
    import numpy as np
    import pandas as pd

    by_name = {names[i]: i for i in reversed(list(columns))}
    date = columns.get(by_name.get("date"))
    time = columns.get(by_name.get("time"))
    if date is None and time is None:
        return None
    if date is None:  # intraday series: times of an unknown day
        date = np.full(len(time), 19700101)
    parts = {
        "year": date // 10000, "month": date // 100 % 100, "day": date % 100,
    }
    if time is not None:
        parts.update(hour=time // 10000, minute=time // 100 % 100, second=time % 100)
    return pd.DatetimeIndex(pd.to_datetime(pd.DataFrame(parts)), name="datetime")


def _to_pandas(series):
    """The series as a pandas DataFrame: one column per indicator, named where
    the layouts name it, indexed by date and time joined into datetimes."""
    import pandas as pd

    columns = series.columns
    names = series.names
    frame = pd.DataFrame({names[i]: columns[i] for i in columns}, copy=False)
    index = _datetime_index(columns, names)
    if index is not None and len(index) == len(frame):
        frame = frame.drop(columns=[c for c in ("date", "time") if c in frame.columns])
        frame.index = index
    return frame


Series.to_pandas = _to_pandas
