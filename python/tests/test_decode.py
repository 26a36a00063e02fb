"""The sample session through the Python module, against kestrel-dump."""
import datetime
import gc
import io
import json
import os
import subprocess
import threading

import numpy as np
import pytest

import kestrel


def entry_json(ident, type_name, value):
    if type_name.endswith("[]"):
        values = value.tolist() if isinstance(value, np.ndarray) else list(value)
        return {"id": ident, "type": type_name, "values": values}
    return {"id": ident, "type": type_name, "value": value}


def series_json(series):
    return {
        "code": series.code, "security_type": series.security_type, "period": series.period,
        "his_type": series.his_type, "status_new": series.status_new,
        "status_old": series.status_old, "indicator": series.indicator,
        "columns": [entry_json(*entry) for entry in series.entries],
    }


def record_json(message):
    """The record in kestrel-dump's JSON shape, built from the Python API."""
    record = message.record
    if isinstance(record, dict) and "quotes" in record:
        record = dict(record)
        record["series"] = [series_json(s) for s in message.series]
        record["quotes"] = [{"code": q.code, "values": [entry_json(*e) for e in q.entries]}
                            for q in message.quotes]
    return record


def byte_texts(tree):
    """The tree with every text as kestrel-dump writes it: each byte of its
    GBK form as one character (the module decodes GBK; the dump does not)."""
    if isinstance(tree, str):
        return tree.encode("gbk").decode("latin-1")
    if isinstance(tree, dict):
        return {key: byte_texts(value) for key, value in tree.items()}
    if isinstance(tree, list):
        return [byte_texts(value) for value in tree]
    return tree


def dump_lines(path):
    dump = os.environ.get("KESTREL_DUMP")
    if not dump:
        pytest.skip("kestrel-dump was not built")
    out = subprocess.run([dump, str(path)], check=True, capture_output=True, text=True).stdout
    return [json.loads(line) for line in out.splitlines()]


def test_session_equals_dump_value_for_value(session_path):
    expected = dump_lines(session_path)
    messages = list(kestrel.read_capture(session_path))
    assert len(messages) == len(expected)
    for message, line in zip(messages, expected):
        where = f"message at byte {line['offset']}"
        got = {"offset": message.offset, "size": message.size, "type": message.type,
               "compressed": message.compressed, "result": byte_texts(record_json(message))}
        want = {key: line[key] for key in got}
        assert got == want, where


def test_file_object_and_path_give_the_same_messages(session_path):
    with open(session_path, "rb") as f:
        from_file = [(m.offset, m.type) for m in kestrel.read_capture(f)]
    assert from_file == [(m.offset, m.type) for m in kestrel.read_capture(str(session_path))]


def test_decode_one_message_matches_the_stream(session_bytes):
    for message in kestrel.read_capture(io.BytesIO(session_bytes)):
        one = kestrel.decode(session_bytes[message.offset:message.offset + message.size])
        assert (one.type, one.compressed, record_json(one)) == \
            (message.type, message.compressed, record_json(message))


def minute_kline(messages):
    return next(m for m in messages if m.type == 5)


def test_columns_are_views_that_outlive_their_message(session_path):
    capture = kestrel.read_capture(session_path)
    message = minute_kline(capture)
    columns = message.series[0].columns
    copies = {ident: np.array(column) for ident, column in columns.items()}
    assert not columns[3].flags.writeable and not columns[3].flags.owndata
    del message, capture
    gc.collect()
    for ident, column in columns.items():
        np.testing.assert_array_equal(column, copies[ident])


def test_to_pandas_joins_date_and_time(session_path):
    series = minute_kline(kestrel.read_capture(session_path)).series[0]
    frame = series.to_pandas()
    assert list(frame.columns[:4]) == ["low", "high", "close", "open"]
    date, time = series.columns[1][0], series.columns[2][0]
    first = frame.index[0]
    assert (first.year * 10000 + first.month * 100 + first.day,
            first.hour * 10000 + first.minute * 100 + first.second) == (date, time)


def test_quotes_are_mappings_by_id_and_name(session_path):
    quote = next(m for m in kestrel.read_capture(session_path) if m.type == 64).quotes[0]
    assert quote.code == "600000.SH"
    assert quote[3] == quote["price"] and quote[8] == quote["volume"]
    assert quote.named()["amount"] == quote[59]


def snapshot(data):
    """Every message of the session decoded from `data`, as plain values."""
    out = []
    start = 0
    while start < len(data):
        message = kestrel.decode(data[start:])
        out.append(record_json(message))
        start += message.size
    return out


def test_threads_decoding_at_once_agree_with_one_thread(session_bytes):
    expected = snapshot(session_bytes)
    results, errors = [], []

    def work():
        try:
            for _ in range(20):
                results.append(snapshot(session_bytes))
        except Exception as error:  # reported below, not lost in the thread
            errors.append(error)

    threads = [threading.Thread(target=work) for _ in range(4)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert not errors
    assert len(results) == 80 and all(r == expected for r in results)


def test_packet_capture_server_messages_equal_dump(tmp_path):
    sim = os.environ.get("KESTREL_SIM")
    if not sim:
        pytest.skip("kestrel-sim was not built")
    pcap = tmp_path / "session.pcap"
    subprocess.run([sim, "--seed", "1", "--pcap", str(pcap), "--port", "9000"], check=True)
    try:
        capture = kestrel.read_capture(pcap, port=9000)
    except ValueError as error:
        pytest.skip(str(error))  # built without libpcap
    messages = list(capture)
    dump = os.environ["KESTREL_DUMP"]
    out = subprocess.run([dump, "--port", "9000", str(pcap)], check=True, capture_output=True,
                         text=True).stdout
    expected = [line for line in map(json.loads, out.splitlines()) if line["from"] == "server"]
    assert len(messages) == len(expected) and capture.gaps == []
    for message, line in zip(messages, expected):
        stamp = datetime.datetime.fromtimestamp(message.time, datetime.timezone.utc)
        got = {"connection": message.connection, "peer": message.peer, "offset": message.offset,
               "type": message.type, "result": byte_texts(record_json(message)),
               "time": stamp.strftime("%Y-%m-%dT%H:%M:%S.%f")}
        want = {key: line[key] for key in got}
        want["time"] = line["time"][:26]  # microseconds: a float holds no more
        assert got == want


@pytest.mark.parametrize("message_type, his_type, names, index", [
    # Day K-lines: bars, so the price is the close; dates only.
    (3, 1, ["low", "high", "close", "open", "volume", "amount"], "date"),
    # A formalized minute trend: price and average by time of day.
    (17, 0, ["price", "volume", "average"], "time"),
])
def test_series_names_and_index(session_path, message_type, his_type, names, index):
    series = next(s for m in kestrel.read_capture(session_path) if m.type == message_type
                  for s in m.series if s.his_type == his_type and s.code == "600000.SH")
    frame = series.to_pandas()
    assert list(frame.columns) == names
    stamps = frame.index
    if index == "date":
        got = stamps.year * 10000 + stamps.month * 100 + stamps.day
        np.testing.assert_array_equal(got, series.columns[1])
    else:
        got = stamps.hour * 10000 + stamps.minute * 100 + stamps.second
        np.testing.assert_array_equal(got, series.columns[2])


def test_quotes_keep_the_first_of_repeated_ids():
    quote = kestrel.Quote("X", [(3, "double", 1.5), (3, "double", 2.5), (131, "text", "n")])
    assert (quote[3], quote["price"], quote["name"], len(quote)) == (1.5, 1.5, "n", 2)
    assert [e[2] for e in quote.entries] == [1.5, 2.5, "n"]
