"""Our own GIF89a writer: LZW-compressed images with optional local tables,
graphic control blocks (delay, disposal, transparent index) and the
NETSCAPE2.0 loop block. Used to make the program's logos and sample files."""
import struct


def lzw_encode(indices, min_code_size):
    """The LZW code stream of a list of colour indices, clear code first and
    end code last, as the decoder reads it (widths grow one entry late)."""
    clear = 1 << min_code_size
    end = clear + 1
    out = bytearray()
    state = {"buffer": 0, "bits": 0}

    def put(code, width):
        state["buffer"] |= code << state["bits"]
        state["bits"] += width
        while state["bits"] >= 8:
            out.append(state["buffer"] & 0xFF)
            state["buffer"] >>= 8
            state["bits"] -= 8

    table = {}
    next_code = clear + 2
    decoder_next = clear + 2
    width = min_code_size + 1
    limit = 2 * clear
    first = True

    def emit(code):
        nonlocal decoder_next, width, limit, first
        put(code, width)
        if first:
            first = False
            return
        if decoder_next < 4096:
            decoder_next += 1
            if decoder_next >= limit and limit < 4096:
                limit *= 2
                width += 1

    put(clear, width)
    if indices:
        current = indices[0]
        for value in indices[1:]:
            key = (current, value)
            if key in table:
                current = table[key]
                continue
            emit(current)
            if next_code < 4096:
                table[key] = next_code
                next_code += 1
            else:
                put(clear, width)
                table = {}
                next_code = decoder_next = clear + 2
                width = min_code_size + 1
                limit = 2 * clear
                first = True
            current = value
        emit(current)
    put(end, width)
    if state["bits"]:
        out.append(state["buffer"] & 0xFF)
    return bytes(out)


def sub_blocks(data):
    out = bytearray()
    for at in range(0, len(data), 255):
        chunk = data[at:at + 255]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    return bytes(out)


def table_bits(colours):
    bits = 1
    while (1 << bits) < len(colours):
        bits += 1
    return bits


def colour_table(colours, bits):
    padded = list(colours) + [(0, 0, 0)] * ((1 << bits) - len(colours))
    return b"".join(bytes(c) for c in padded)


class Gif:
    def __init__(self, width, height, palette=None, version=b"89a"):
        self.out = bytearray(b"GIF" + version)
        packed = 0
        if palette:
            bits = table_bits(palette)
            packed = 0x80 | 0x70 | (bits - 1)
        self.out += struct.pack("<HHBBB", width, height, packed, 0, 0)
        if palette:
            self.out += colour_table(palette, bits)
        self.palette_bits = table_bits(palette) if palette else 1

    def loop(self, count):
        self.out += b"\x21\xff\x0bNETSCAPE2.0\x03\x01" + struct.pack("<H", count) + b"\x00"
        return self

    def control(self, disposal=0, delay=0, transparent=None):
        packed = (disposal & 7) << 2 | (1 if transparent is not None else 0)
        self.out += b"\x21\xf9\x04" + struct.pack("<BHB", packed, delay, transparent or 0) + b"\x00"
        return self

    def image(self, width, height, pixels, left=0, top=0, palette=None):
        """Pixels: width x height indices, top row first."""
        assert len(pixels) == width * height
        packed = 0
        bits = self.palette_bits
        if palette:
            bits = table_bits(palette)
            packed = 0x80 | (bits - 1)
        self.out += b"," + struct.pack("<HHHHB", left, top, width, height, packed)
        if palette:
            self.out += colour_table(palette, bits)
        min_code_size = max(2, bits)
        self.out.append(min_code_size)
        self.out += sub_blocks(lzw_encode(list(pixels), min_code_size))
        return self

    def finish(self):
        return bytes(self.out + b";")
