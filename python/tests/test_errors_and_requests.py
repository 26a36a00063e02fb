"""Bad input raises DecodeError naming the offset; requests come back as bytes."""
import io
import zlib

import pytest

import kestrel

HEARTBEAT = bytes([0x81, 0xBA])          # length 1, type 58
RAW_READY = bytes([0x86, 0xB0]) + b"ready"  # length 6, type 48


def frame(message_type, body):
    """A message with a one-byte length prefix and a one-byte type."""
    assert len(body) + 1 < 128 and message_type < 128
    return bytes([0x80 | (len(body) + 1), 0x80 | message_type]) + body


@pytest.mark.parametrize("stream, offset, words", [
    # A length prefix of five bytes without a stop bit, behind two messages.
    (HEARTBEAT + RAW_READY + bytes(5), 9, "stop bit"),
    # The stream ends inside the third message.
    (HEARTBEAT + RAW_READY + RAW_READY[:4], 9, "ends inside a message"),
    # An envelope whose payload is not zlib data.
    (HEARTBEAT + frame(54, b"not zlib"), 2, "could not be decoded"),
])
def test_bad_streams_raise_with_the_offset(stream, offset, words):
    messages = []
    with pytest.raises(kestrel.DecodeError) as caught:
        for message in kestrel.read_capture(io.BytesIO(stream)):
            messages.append(message.offset)
    assert caught.value.offset == offset
    assert f"byte {offset}" in str(caught.value) and words in str(caught.value)
    assert all(at < offset for at in messages)


def test_lenient_reading_yields_undecodable_messages():
    stream = frame(54, b"not zlib") + RAW_READY
    messages = list(kestrel.read_capture(io.BytesIO(stream), strict=False))
    assert [(m.type, m.ok) for m in messages] == [(54, False), (48, True)]


@pytest.mark.parametrize("data", [b"", bytes([0x85, 0x81]), bytes(6), HEARTBEAT[:1]])
def test_decode_refuses_what_is_not_a_whole_message(data):
    with pytest.raises(kestrel.DecodeError) as caught:
        kestrel.decode(data)
    assert caught.value.offset == 0


def test_decode_of_an_envelope_reports_the_inner_message():
    message = kestrel.decode(frame(54, zlib.compress(RAW_READY)))
    assert (message.type, message.wire_type, message.compressed) == (48, 54, True)
    assert message.record == {"text": "ready"}
    beat = kestrel.decode(HEARTBEAT)
    assert (beat.type, beat.record, beat.ok) == (58, None, True)


def test_text_mode_files_are_refused(tmp_path):
    path = tmp_path / "session.kst"
    path.write_bytes(b"text")
    with open(path) as text, pytest.raises(TypeError):
        list(kestrel.read_capture(text))
    with pytest.raises(OSError):
        list(kestrel.read_capture(tmp_path / "missing.kst"))


def test_packet_captures_need_a_port(tmp_path):
    path = tmp_path / "capture.pcap"
    path.write_bytes(bytes([0xD4, 0xC3, 0xB2, 0xA1]) + bytes(20))
    with pytest.raises(ValueError, match="port"):
        kestrel.read_capture(path)


def test_requests_are_bytes():
    # The login example of the message reference.
    assert kestrel.encode_login(1, 2, [5], "x") == bytes.fromhex("87D0818281858178D2")
    commit = kestrel.encode_commit({"600000.SH": [2, 3]})
    assert commit == kestrel.encode_commit([("600000.SH", [2, 3])])
    assert commit[1] == 0x80 | 32
    assert kestrel.encode_init("600000.SH", 2)[1] == 0x80 | 3
    with pytest.raises(ValueError):
        kestrel.encode_raw_data(b"")
    with pytest.raises(ValueError):
        kestrel.encode_init("600000.SH", 300)


def stop_bit(data, at):
    """The stop-bit unsigned number at `at` and the offset behind it."""
    value = 0
    while True:
        value = value << 7 | data[at] & 0x7F
        at += 1
        if data[at - 1] & 0x80:
            return value, at


LIST = {"600000.SH": [2, 3]}


@pytest.mark.parametrize("request_bytes, request_type", [
    (kestrel.encode_commit(LIST), 32),
    (kestrel.encode_masked_commit(LIST), 24),
    (kestrel.encode_masked_verify(LIST, LIST), 25),
    (kestrel.encode_peek(LIST), 33),
    (kestrel.encode_server_sub_info(), 26),
    (kestrel.encode_status_test(1, 2, 3, 4, 5), 59),
    (kestrel.encode_raw_data(b"\x00\x01 bytes with zeros \x00"), 48),
    (kestrel.encode_rank_list(1, "a", "b", 2, 0, 0, 0, ["600000.SH"]), 34),
    (kestrel.encode_paged_rank_list(1, "a", 0, 10, "b", 1, 0, 0, 0), 40),
    (kestrel.encode_top8(1, "a", "b", 1), 9),
    (kestrel.encode_init("600000.SH", 2), 3),
    (kestrel.encode_init("600000.SH", 2, period=5), 5),
    (kestrel.encode_init("600000.SH", 0), 17),
    (kestrel.encode_init("600000.SH", 7), 130),
])
def test_requests_are_whole_frames_of_their_type(request_bytes, request_type):
    # Length prefix (type and body), type, body, one check byte: every byte
    # of the request comes back, zeros included.
    length, body = stop_bit(request_bytes, 0)
    assert len(request_bytes) == body + length + 1
    assert stop_bit(request_bytes, body)[0] == request_type


def test_ranking_requests_refuse_scope_2_without_codes():
    with pytest.raises(ValueError, match="encode_rank_list"):
        kestrel.encode_rank_list(1, "a", None, 2, 0, 0, 0)
