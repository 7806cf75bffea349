#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets into fuzz/corpus/<target>/ from the real
formats. Run it again after changing it; files it does not make (regression inputs added
by hand) are left alone."""
import os
import random
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def put(target, name, data):
    folder = os.path.join(HERE, 'corpus', target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), 'wb') as f:
        f.write(data)


def utf16(text, bom=True):
    return (b'\xff\xfe' if bom else b'') + text.encode('utf-16-le')


def record(kind, value=0, value2=0, aux=0):
    return bytes([kind, 0, value, value2, aux, 0, 0, 0])


def packet(kind, data, digits='0000'):
    out = b''.join(record(kind, b, 0, i & 0xFF) for i, b in enumerate(data))
    out += record(3, ord('t'), ord('='))
    out += record(4, ord(digits[0]), ord(digits[1]))
    out += record(5, ord(digits[2]), ord(digits[3]))
    return out


def address(kind, octets, base=0):
    return b''.join(record(kind, base + i + 1, 0, o) for i, o in enumerate(octets))


def log_header(count):
    return ('%015d\r' % count).encode('utf-16-le')


def log_files():
    traffic = packet(1, b'abc', '0012') + address(8, [127, 0, 0, 1]) + packet(2, b'\r\n', '0000')
    records = len(traffic) // 8
    put('log_file', 'saved', log_header(records) + traffic)
    put('log_file', 'empty', log_header(0))
    put('log_file', 'events', log_header(8) + address(6, [10, 1, 2, 3]) + address(6, [10, 1, 2, 3], 10))
    put('log_file', 'cut_short', log_header(records) + traffic[:-5])
    put('log_file', 'longer_than_count', log_header(2) + traffic)
    put('log_file', 'too_many', log_header(131201) + traffic)
    put('log_file', 'at_capacity', log_header(131200) + traffic)
    put('log_file', 'negative', ('-1'.ljust(15) + '\r').encode('utf-16-le') + traffic)
    put('log_file', 'spaces_sign', ('  +6'.ljust(15) + '\r').encode('utf-16-le') + traffic)
    put('log_file', 'short_header', log_header(3)[:11])
    put('log_file', 'odd_size', log_header(1) + record(1, 65) + b'\x01')


def dark_mode_files():
    for v in range(4):
        put('dark_mode_file', 'dkm%d' % v, utf16('dkm=%d\r\n' % v))
    put('dark_mode_file', 'no_mark', utf16('dkm=1\r\n', bom=False))
    put('dark_mode_file', 'unfinished', utf16('dkm=3'))
    put('dark_mode_file', 'lines', utf16('[x]\r\ndkm=3\r\ndkm=1\r\n'))
    put('dark_mode_file', 'lf_only', utf16('dkm=1\ndkm=2\r\n'))
    put('dark_mode_file', 'long_line', utf16('x' * 509 + '\r\ndkm=2\r\n'))
    put('dark_mode_file', 'cut_line', utf16('y' * 510 + 'dkm=3\r\n'))
    put('dark_mode_file', 'odd', utf16('dkm=1\r\n') + b'\x00')


class Steps:
    """Builds an input for a target that reads it with libFuzzer's FuzzedDataProvider:
    numbers are taken from the end of the input (most significant byte first), byte runs
    from the front."""

    def __init__(self):
        self.front = b''
        self.back = []  # in the order they are consumed

    def number(self, value, low, high):
        span, offset, out = high - low, 0, []
        value -= low
        assert 0 <= value <= span
        while offset < 64 and (span >> offset) > 0:
            out.append(0)
            offset += 8
        for i in range(len(out)):
            out[len(out) - 1 - i] = (value >> (8 * i)) & 0xFF
        self.back.extend(out)
        return self

    def flag(self, value):
        return self.number(1 if value else 0, 0, 255)

    def u32(self, value):
        return self.number(value, 0, 0xFFFFFFFF)

    def run(self, data):
        self.front += bytes(data)
        return self

    def bytes(self):
        return self.front + bytes(reversed(self.back))


# The traffic buffer target's steps, as its switch numbers them.
def tb_packet(s, kind, length, pause, data=b'ABCDEFGH'):
    s.number(0, 0, 8).number(kind, 0, 9).number(length, -2, 2000).flag(True).number(pause, 0, 3000)
    return s.run(data[:min(max(length, 0), 8)])


def tb_burst(s, count, length, pause, data=b'\x01\x02\x03\x04\x05\x06\x07\x08'):
    s.number(1, 0, 8).number(count, 1, 120).number(length, 1, 2000).number(pause, 0, 500)
    return s.run(data[:min(length, 8)])


def tb_refresh(s, pause):
    return s.number(2, 0, 8).flag(True).number(pause, 0, 3000)


def tb_address(s, kind, base, octets):
    s.number(3, 0, 8).number(kind, 6, 8).flag(base == 10)
    for o in octets:
        s.number(o, 0, 255)
    return s


def tb_group_packet(s, from_address, base, octets, kind, length, pause):
    s.number(4, 0, 8).flag(from_address).flag(base == 10)
    for o in octets:
        s.number(o, 0, 255)
    s.number(kind, 0, 3).number(length, 0, 2000).flag(True).number(pause, 0, 3000)
    return s.run(b'group-pk'[:min(length, 8)])


def tb_reset(s):
    return s.number(5, 0, 8)


def tb_replace(s, count, pattern):
    s.number(6, 0, 8).number(count, -3, 131203)
    return s.run((pattern + bytes(64))[:64])


def tb_copy(s, first, count):
    return s.number(7, 0, 8).number(first, -3, 131203).flag(False).number(count, -3, 5000)


def tb_view(s):
    return s.number(8, 0, 8)


def traffic_sequences():
    s = Steps()
    tb_packet(s, 1, 3, 0)
    tb_view(s)
    tb_packet(s, 2, 2, 1250)
    tb_refresh(s, 3000)
    tb_copy(s, 0, 11)
    put('traffic_buffer', 'two_packets', s.bytes())

    s = Steps()
    tb_packet(s, 1, 1, 0)       # the first one-byte packet: its marker is 2, its digits stay
    tb_packet(s, 2, 300, 2500)  # positions 0-255, then 0-43
    tb_refresh(s, 100)
    tb_packet(s, 9, 5, 0)       # a kind that records nothing
    tb_packet(s, 1, 0, 0)
    tb_packet(s, 1, -1, 0)
    tb_view(s)
    put('traffic_buffer', 'first_single_byte', s.bytes())

    s = Steps()
    tb_address(s, 6, 0, [192, 168, 0, 7])
    tb_group_packet(s, True, 0, [192, 168, 0, 7], 1, 5, 10)
    tb_group_packet(s, False, 0, [192, 168, 0, 7], 2, 3, 10)
    tb_group_packet(s, True, 10, [10, 0, 0, 2], 1, 0, 10)
    tb_address(s, 6, 10, [192, 168, 0, 7])
    tb_view(s)
    tb_reset(s)
    tb_packet(s, 1, 4, 0)
    tb_view(s)
    put('traffic_buffer', 'server_groups', s.bytes())

    s = Steps()
    tb_view(s)
    tb_burst(s, 70, 2000, 5)    # past the slide point
    tb_copy(s, 0, 5000)
    tb_view(s)
    tb_burst(s, 40, 1999, 0)
    tb_view(s)
    tb_burst(s, 40, 1700, 1)
    tb_refresh(s, 99)
    put('traffic_buffer', 'slides', s.bytes())

    s = Steps()
    tb_packet(s, 1, 8, 0)
    tb_replace(s, 131190, b'\x01\x00A\x00\x00\x00\x00\x00' * 8)  # a full log loaded
    tb_view(s)
    tb_packet(s, 2, 100, 10)    # does not fit: the buffer slides first
    tb_view(s)
    tb_replace(s, 131203, b'\x04\x00' * 32)
    tb_address(s, 7, 0, [1, 2, 3, 4])
    tb_packet(s, 1, 0, 0)       # the slide check of an empty append
    tb_replace(s, -3, b'')
    tb_packet(s, 1, 2, 0)
    put('traffic_buffer', 'full_log', s.bytes())


PATH_CHARS = 'ab.\\/:tTxX '
FIELD_CHARS = '0123456789 \t+-.\n'


def entry_texts():
    def path(s, text, out_chars):
        s.number(4, 0, 5).number(out_chars, 0, 300).number(len(text), 0, 280)
        for c in text:
            s.number(PATH_CHARS.index(c), 0, 0xFFFF)

    def history_file(s, text):
        s.number(5, 0, 5).number(0, 0, 3).number(len(text), -1, 12).number(1, 0, 15)
        for c in text:
            s.number(0, 0, 3).number(ord(c), 0, 0xFFFF)

    s = Steps()
    s.number(0, 0, 5).number(3, -3, 259)
    for c in 'A\r\n':
        s.number(ord(c), 0, 0xFFFF)
    for c in list(range(0, 34)) + [127, 128, 255, 0x100, 0x20AC]:
        if c <= 0x1FF:
            s.number(1, 0, 5).flag(True).number(c, 0, 0x1FF)
        else:
            s.number(1, 0, 5).flag(False).u32(c)
    for a, b in ['41', 'fF', 'G7', ' 7', '-1', '+a', '7Z', '0x']:
        s.number(2, 0, 5).number(ord(a), 0, 0xFFFF).number(ord(b), 0, 0xFFFF)
    s.number(3, 0, 5).number(4, 0, 300).run(b'\x00\x7f\x80\xff')
    put('entry_text', 'conversions', s.bytes())

    s = Steps()
    for text, room in [('a.txt', 6), ('a.TxT', 5), ('ab.a', 300), ('a.b\\tt', 300), ('a/b.x\\t', 300), ('ab', 7),
                       ('ab', 6), ('', 5), ('x.', 300), (':a.tx', 300)]:
        path(s, text, room)
    put('entry_text', 'file_names', s.bytes())

    s = Steps()
    for text in ['AB', 'AB', 'A', 'B', 'AB', '']:
        history_file(s, text)
    s.number(5, 0, 5).number(2, 0, 3).number(1, -2, 21)
    s.number(5, 0, 5).number(2, 0, 3).number(19, -2, 21)
    s.number(5, 0, 5).number(3, 0, 3).number(0, 0, 7)
    history_file(s, 'C')
    put('entry_text', 'history', s.bytes())


def settings_texts():
    def field(s, text):
        s.number(len(text), 0, 14)
        for c in text:
            s.number(FIELD_CHARS.index(c), 0, 0xFFFF)

    s = Steps()
    for text, width in [('1050', 5), (' -1', 3), ('256', 3), ('99999', 5), ('123456', 5), ('+7.5', 3), ('\t 42', 5),
                        ('--1', 3), ('', 3), ('2147483647', 12), ('99999999999', 12)]:
        s.number(0, 0, 2).number(width, 0, 12)
        field(s, text)
    for n, width in [(1050, 5), (-1, 3), (65535, 5), (-2147483648, 9)]:
        s.number(1, 0, 2).number(width, 1, 9).number(n, -2147483648, 2147483647)
    for code, text in [(1, '1.0'), (2, '1.1'), (3, '2.0'), (4, '2.2'), (0, '1.05'), (7, '2.'), (-1, '')]:
        s.number(2, 0, 2).number(code, -2147483648, 2147483647)
        field(s, text)
    put('settings_text', 'fields', s.bytes())


def status_texts():
    def settings(s, values, open_):
        # ip_mode, tipudp_mode, bind_mode, ip_no1..4, aip_no1..4, port_no, aport_no,
        # records per line, lines, write index, view top
        ranges = [(0, 1)] * 3 + [(0, 255)] * 8 + [(0, 65535)] * 2 + [(0, 400), (0, 200), (0, 131200), (0, 131200)]
        for i, v in enumerate(values[:3]):
            s.number(2, 0, 3).number(v, *ranges[i])
        for i, v in enumerate(values[3:], 3):
            if i == 13:
                s.flag(open_)
            if ranges[i][0] <= v <= ranges[i][1]:
                s.number(2, 0, 3).number(v, *ranges[i])
            else:
                s.number(0, 0, 3).number(v, -2147483648, 2147483647)

    defaults = [0, 0, 0, 192, 168, 0, 1, 192, 168, 0, 99, 1050, 1050, 42, 9, 130816, 840]
    for name, values, open_ in [('defaults', defaults, False),
                                ('server_bound', [1, 1, 1] + defaults[3:], True),
                                ('client_bound', [0, 0, 1] + defaults[3:], True),
                                ('extremes', [0, 1, 1] + [-2147483648] * 10 + [2147483647] * 4, False)]:
        s = Steps()
        settings(s, values, open_)
        put('status_text', name, s.bytes())


def preset_texts():
    lines = {'hex_pairs': '414243', 'control': '0D0A', 'quoted_double': '41"ok"42', 'quoted_single': '\'say "hi"\'',
             'pair_across_quote': '4"X"1', 'space_in_pairs': '41 42', 'signed': '-1+F', 'wide_quoted': '"\u3042\u00e9"'}
    for name, text in lines.items():
        put('preset_line', name, utf16(text, bom=False))
    # The first byte is the room (in twos), the rest the ANSI text.
    for name, text in {'pairs_and_quote': b'41"B"42', 'single_with_double': b"'a\"b'", 'odd_tail': b'414',
                       'ansi_high': b'"\x82\xa0"7F'}.items():
        put('macro_text', name, b'\x40' + text)
    put('macro_text', 'small_room', b'\x01' + b'"abcdef"')
    # File bodies after the byte-order mark.
    files = {'two_lines': '414243\r\n0D0A\r\n', 'mixed': '41"ok"42\r\n\'say "hi"\'\r\n4"X"1',
             'empty_lines': '41\r\n\r\n\r\n43\r\n', 'long_line': '"' + 'q' * 511 + '43\r\n', 'lone_lf': '41\n42\r\n',
             'longest_line': '41' * 256 + '\r\n42\r\n', 'past_200': '\r\n' * 199 + '5A\r\n41\r\n'}
    for name, text in files.items():
        put('preset_file', name, utf16(text, bom=False))
    put('preset_file', 'odd_byte', utf16('41\r\n', bom=False) + b'4')


LOG_PATH_CHARS = 'ab.\\/:lLoOgG '


def log_file_names():
    for i, (text, ext, extra) in enumerate([('bob.log', True, 0), ('bob.LOG', True, 3), ('bob', True, 4),
                                            ('bob', True, 3), ('a.b\\log', True, 8), ('a.b\\g.ab', True, 0),
                                            ('ab.', True, 4), ('a:b', True, 4), ('a/b.g', False, 8)]):
        s = Steps().flag(ext)
        if not ext:
            s.flag(True)
        s.number(len(text), 0, 300)
        for c in text:
            s.number(LOG_PATH_CHARS.index(c), 0, 0xFFFF)
        s.number(extra, 0, 8)
        put('log_file_name', 'path%02d' % i, s.bytes())


def view_arithmetic():
    s = Steps()
    s.number(42, -1, 4096).number(9, 1, 2048).number(130816, 0, 131200).flag(False).number(2, -1, 10)
    s.number(840, 0, 131200).number(41, 0, 41).number(8, 0, 8).number(300, 0, 1 << 40).number(1 << 40, 0, 1 << 40)
    put('view_arithmetic', 'screen', s.bytes())
    s = Steps()
    s.number(1, -1, 4096).number(1, 1, 2048).number(0, 0, 131200).flag(True).number(2147483647, -2147483648, 2147483647)
    put('view_arithmetic', 'narrowest', s.bytes())


def pcapng_sequences():
    # Sink size, note flag, then steps of six bytes: event | flags << 4, peer | UDP (8),
    # length low, length high (0x80: a payload one IPv4 packet cannot carry), time step
    # (0x80: backwards), comment length.
    put('pcapng', 'tcp_session', bytes([40, 1, 0x13, 0, 0, 0, 10, 5, 0x12, 0, 5, 0, 10, 0,
                                        0x01, 0, 7, 0, 10, 0, 0x34, 0, 0, 0, 10, 3]))
    put('pcapng', 'server_two_clients', bytes([17, 0, 3, 1, 0, 0, 1, 0, 3, 2, 0, 0, 1, 0, 1, 1, 3, 0, 1, 0,
                                               1, 2, 4, 0, 1, 0, 2, 1, 9, 0, 1, 0, 4, 2, 0, 0, 1, 0]))
    put('pcapng', 'udp_big_and_backwards', bytes([0, 0, 1, 8, 20, 0, 5, 0, 2, 9, 20, 0, 0x85, 0,
                                                  1, 8, 0, 0x80, 1, 0, 2, 8, 0, 0, 1, 250]))


def tls_records():
    # The last bytes choose (read from the end): the mode, the header, trailer and largest
    # message; the text is read from the front.
    rng = random.Random(26)
    for name, mode, text in (('round_trip', 0, b'GET / HTTP/1.1\r\nHost: device\r\n\r\n' * 40),
                             ('garbage', 1, bytes(rng.randrange(256) for _ in range(3000)))):
        choices = bytes(rng.randrange(256) for _ in range(64))
        put('tls_records', name, text + choices + bytes([mode]))


def sequences(target, count, seed):
    rng = random.Random(seed)
    for i in range(count):
        put(target, 'random%02d' % i, bytes(rng.randrange(256) for _ in range(rng.choice([16, 64, 256, 1024]))))


def macro_texts():
    # First byte: how many of the next bytes feed the received blocks (each a length byte
    # and the data); then the macro file.
    def macro(name, lines, blocks=(), last_cr=True):
        feed = b''.join(bytes([len(b)]) + b for b in blocks)
        text = '\r\n'.join(lines) + ('\r\n' if last_cr else '')
        put('macro', name, bytes([len(feed)]) + feed + utf16(text))

    macro('example', ['a note', ':AAA', 'SEND 41420D', 'READ 05 002 030', 'CMPL 05 AAA 4F4B', 'PEND'],
          [b'OK', b'NG'])
    macro('registers', ['MOVE 01 "0099"', 'MINC 01', 'HINC 01', 'MADD 01 01', 'MMID 01 02 03 02', 'CHKA 01 03',
                        'CHKH 01 04', 'CMPM 01 02 BBB', 'MSED1 01', ':BBB', 'MCLR 01', 'PEND'], last_cr=False)
    macro('waits', ['TIME 010', 'READ 01 005 000', 'READ 02 003 020', 'GOTO XYZ'], [b'HELLO'])
    macro('loop', [':TOP', ':LOP', 'MINC 01', 'SEND "x"', 'GOTO LOP'])
    macro('long_line', ['SEND ' + '41' * 200, 'MOVE -1 41', 'READ 01 -01 010', 'SEND'], last_cr=False)


def responder_rules():
    """A packet (its length in two bytes first) and a rules file: the shipped examples and
    files that end in each kind of error."""
    def rules(name, packet, text):
        put('responder_rules', name, struct.pack('<H', len(packet)) + packet + text)

    folder = os.path.join(HERE, '..', 'data', 'responder')
    tcp_poll = bytes([0x12, 0x34, 0, 0, 0, 6, 1, 3, 0, 0, 0, 2])
    packets = {'echo.txt': b'hello', 'modbus_rtu.txt': bytes([1, 3, 0, 0, 0, 2, 0xC4, 0x0B]),
               'modbus_tcp.txt': tcp_poll, 'text_device.txt': b'MEAS?\r\n'}
    for name in sorted(os.listdir(folder)):
        with open(os.path.join(folder, name), 'rb') as f:
            rules('example_' + name[:-4], packets.get(name, b''), f.read())
    rules('all_words', b'abcabc', b'\xef\xbb\xbfequals "abc" => $echo[0:1] $echo[2:] $crc16m $ccitt $crc32 $sum8\r\n'
          b'starts 61 ?? => \'"\' after 10\nends "bc" => ""\ncontains ?? 62 => 00 after 60000\nany => $echo\n')
    rules('unknown_word', b'x', b'any => 00\nreplies 41 => 42\n')
    rules('bad_pair', b'', b'equals 4G => 00')
    rules('unclosed', b'', b'equals "ab => 00')
    rules('delay', b'', b'any => 00 after 70000')
    rules('arrow', b'', b'equals 41 42')


if __name__ == '__main__':
    log_files()
    dark_mode_files()
    traffic_sequences()
    sequences('traffic_buffer', 6, 1)
    entry_texts()
    sequences('entry_text', 4, 2)
    settings_texts()
    sequences('settings_text', 4, 3)
    status_texts()
    sequences('status_text', 4, 4)
    log_file_names()
    sequences('log_file_name', 3, 5)
    view_arithmetic()
    sequences('view_arithmetic', 4, 6)
    sequences('dump_search', 6, 7)
    macro_texts()
    preset_texts()
    pcapng_sequences()
    sequences('packet_export', 6, 5)
    tls_records()
    responder_rules()
