"""Reads the renderer's PNG and GIF files with nothing but the standard library and
checks them against the reference dumps. Exit code 0 when a check holds, 1 with a
message when it does not.

  imagecheck.py png-info FILE            colour type, depth, size, PLTE length
  imagecheck.py plte FILE INDEX          one PLTE entry as 0xRRGGBB
  imagecheck.py png-equals-ref PNG REF   indices and PLTE (or RGB) equal the reference
  imagecheck.py gif-equals-ref GIF REF   every frame equals the reference's frames
  imagecheck.py gif-info GIF             frames, delays (cs), loop count
  imagecheck.py gif-loop GIF             the last frame rotated once more is the first
  imagecheck.py gif-rgb GIF K OUT        frame K as raw RGB bytes
  imagecheck.py png-rgb PNG OUT          the picture as raw RGB bytes
"""
import struct
import sys
import zlib


def fail(message):
    print("imagecheck: " + message, file=sys.stderr)
    sys.exit(1)


# ---- PNG ----------------------------------------------------------------------------

def read_png(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        fail(path + ": not a PNG")
    pos = 8
    chunks = []
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        crc = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])[0]
        if zlib.crc32(kind + body) & 0xFFFFFFFF != crc:
            fail(path + ": bad CRC in " + kind.decode("latin-1"))
        chunks.append((kind, body))
        pos += 12 + length
        if kind == b"IEND":
            break
    ihdr = chunks[0][1]
    width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", ihdr)
    if depth != 8 or interlace != 0 or colour not in (2, 3):
        fail(path + ": expected 8-bit non-interlaced palette or RGB, got depth %d type %d" % (depth, colour))
    plte = b"".join(body for kind, body in chunks if kind == b"PLTE")
    raw = zlib.decompress(b"".join(body for kind, body in chunks if kind == b"IDAT"))
    bpp = 1 if colour == 3 else 3
    stride = width * bpp
    pixels = bytearray(height * stride)
    prior = bytearray(stride)
    pos = 0
    for y in range(height):
        filt = raw[pos]
        line = bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        if filt == 1:
            for i in range(bpp, stride):
                line[i] = (line[i] + line[i - bpp]) & 0xFF
        elif filt == 2:
            for i in range(stride):
                line[i] = (line[i] + prior[i]) & 0xFF
        elif filt == 3:
            for i in range(stride):
                left = line[i - bpp] if i >= bpp else 0
                line[i] = (line[i] + ((left + prior[i]) >> 1)) & 0xFF
        elif filt == 4:
            for i in range(stride):
                a = line[i - bpp] if i >= bpp else 0
                b = prior[i]
                c = prior[i - bpp] if i >= bpp else 0
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[i] = (line[i] + pred) & 0xFF
        elif filt != 0:
            fail(path + ": unknown filter %d" % filt)
        pixels[y * stride:(y + 1) * stride] = line
        prior = line
    palette = [(plte[3 * i] << 16) | (plte[3 * i + 1] << 8) | plte[3 * i + 2] for i in range(len(plte) // 3)]
    return {"width": width, "height": height, "colour": colour, "palette": palette, "pixels": bytes(pixels)}


# ---- GIF ----------------------------------------------------------------------------

def lzw_decode(min_size, data, count):
    clear = 1 << min_size
    end = clear + 1
    out = bytearray()
    table = []
    size = min_size + 1
    prev = None
    bits = 0
    nbits = 0
    pos = 0

    def reset():
        return [bytes([i]) for i in range(clear)] + [b"", b""]

    table = reset()
    while len(out) < count:
        while nbits < size:
            if pos >= len(data):
                fail("GIF data ends early")
            bits |= data[pos] << nbits
            pos += 1
            nbits += 8
        code = bits & ((1 << size) - 1)
        bits >>= size
        nbits -= size
        if code == clear:
            table = reset()
            size = min_size + 1
            prev = None
            continue
        if code == end:
            break
        if prev is None:
            entry = table[code]
        elif code < len(table):
            entry = table[code]
            table.append(prev + entry[:1])
        elif code == len(table):
            entry = prev + prev[:1]
            table.append(entry)
        else:
            fail("bad LZW code %d" % code)
        out += entry
        prev = entry
        if len(table) == (1 << size) and size < 12:
            size += 1
    return bytes(out[:count])


def read_gif(path, decode=lambda k: True):
    """Frames as dicts with delay, palette (list of 0xRRGGBB) and indices (or None
    when decode(k) is false, to skip the LZW work)."""
    data = open(path, "rb").read()
    if data[:6] != b"GIF89a":
        fail(path + ": not a GIF89a file")
    width, height, flags = struct.unpack("<HHB", data[6:11])
    pos = 13
    if flags & 0x80:
        pos += 3 * (2 << (flags & 7))
    frames = []
    loop = None
    delay = None
    while True:
        block = data[pos]
        pos += 1
        if block == 0x3B:
            break
        if block == 0x21:
            label = data[pos]
            pos += 1
            subs = []
            while data[pos]:
                subs.append(data[pos + 1:pos + 1 + data[pos]])
                pos += 1 + data[pos]
            pos += 1
            if label == 0xF9:
                delay = struct.unpack("<H", subs[0][1:3])[0]
            elif label == 0xFF and subs and subs[0] == b"NETSCAPE2.0":
                loop = struct.unpack("<H", subs[1][1:3])[0]
            continue
        if block != 0x2C:
            fail(path + ": unexpected block 0x%02X" % block)
        left, top, w, h, iflags = struct.unpack("<HHHHB", data[pos:pos + 9])
        pos += 9
        if (left, top, w, h) != (0, 0, width, height):
            fail(path + ": a frame does not cover the whole picture")
        if not iflags & 0x80:
            fail(path + ": a frame has no colour table of its own")
        entries = 2 << (iflags & 7)
        table = data[pos:pos + 3 * entries]
        pos += 3 * entries
        palette = [(table[3 * i] << 16) | (table[3 * i + 1] << 8) | table[3 * i + 2] for i in range(entries)]
        min_size = data[pos]
        pos += 1
        start = pos
        while data[pos]:
            pos += 1 + data[pos]
        end = pos
        pos += 1
        indices = None
        if decode(len(frames)):
            compressed = bytearray()
            p = start
            while p < end:
                compressed += data[p + 1:p + 1 + data[p]]
                p += 1 + data[p]
            indices = lzw_decode(min_size, compressed, w * h)
        frames.append({"delay": delay, "palette": palette, "indices": indices})
        delay = None
    return {"width": width, "height": height, "loop": loop, "frames": frames}


# ---- the reference dump -------------------------------------------------------------

def read_ref(path):
    data = open(path, "rb").read()
    if data[:4] != b"HMXR":
        fail(path + ": not a reference dump")
    width, height, frames, overlay = struct.unpack("<IIII", data[4:20])
    n = width * height
    pos = 20
    out = []
    for _ in range(frames):
        canvas = data[pos:pos + n]
        pos += n
        palette = list(struct.unpack("<256I", data[pos:pos + 1024]))
        pos += 1024
        frame = None
        if overlay:
            frame = struct.unpack("<%dI" % n, data[pos:pos + 4 * n])
            pos += 4 * n
        out.append({"canvas": canvas, "palette": palette, "frame": frame})
    state = struct.unpack("<I", data[pos:pos + 4])[0]
    return {"width": width, "height": height, "overlay": overlay, "frames": out, "state": state}


def first_difference(a, b):
    for i, (x, y) in enumerate(zip(a, b)):
        if x != y:
            return i
    return min(len(a), len(b))


def rgb_bytes(pixels):
    return b"".join(struct.pack(">I", p)[1:] for p in pixels)


# ---- commands -----------------------------------------------------------------------

def png_equals_ref(png_path, ref_path):
    png = read_png(png_path)
    ref = read_ref(ref_path)
    if (png["width"], png["height"]) != (ref["width"], ref["height"]):
        fail("size %dx%d, reference %dx%d" % (png["width"], png["height"], ref["width"], ref["height"]))
    want = ref["frames"][0]
    if png["colour"] == 3:
        if ref["overlay"]:
            fail("an indexed PNG where the reference has an overlay")
        if len(png["palette"]) != 256:
            fail("PLTE has %d entries, not 256" % len(png["palette"]))
        if png["palette"] != want["palette"]:
            i = first_difference(png["palette"], want["palette"])
            fail("PLTE[%d] is 0x%06X, the Palette 0x%06X" % (i, png["palette"][i], want["palette"][i]))
        if png["pixels"] != want["canvas"]:
            i = first_difference(png["pixels"], want["canvas"])
            fail("pixel %d is index %d, the Canvas %d" % (i, png["pixels"][i], want["canvas"][i]))
    else:
        if not ref["overlay"]:
            fail("an RGB PNG where the reference has no overlay")
        expected = rgb_bytes(want["frame"])
        if png["pixels"] != expected:
            i = first_difference(png["pixels"], expected) // 3
            fail("frame pixel %d differs" % i)


def gif_equals_ref(gif_path, ref_path):
    gif = read_gif(gif_path)
    ref = read_ref(ref_path)
    if (gif["width"], gif["height"]) != (ref["width"], ref["height"]):
        fail("GIF size differs from the reference")
    if len(gif["frames"]) != len(ref["frames"]):
        fail("%d frames, reference %d" % (len(gif["frames"]), len(ref["frames"])))
    for k, (got, want) in enumerate(zip(gif["frames"], ref["frames"])):
        if len(got["palette"]) != 256:
            fail("frame %d: colour table of %d entries" % (k, len(got["palette"])))
        if ref["overlay"]:
            table = got["palette"]
            colours = [table[i] for i in got["indices"]]
            if colours != list(want["frame"]):
                fail("frame %d: pixel %d differs from the composed frame" % (k, first_difference(colours, want["frame"])))
        else:
            if got["palette"] != want["palette"]:
                fail("frame %d: colour table differs from the Palette at %d" % (k, first_difference(got["palette"], want["palette"])))
            if got["indices"] != want["canvas"]:
                fail("frame %d: index %d differs from the Canvas" % (k, first_difference(got["indices"], want["canvas"])))


def rotated_once(palette):
    # One tick of step 1: every colour of the ring 1..255 moves one index down.
    return [palette[0]] + [palette[1 + (j % 255)] for j in range(1, 256)]


def gif_loop(path):
    gif = read_gif(path, decode=lambda k: k == 0)
    frames = gif["frames"]
    last = len(frames) - 1
    gif = read_gif(path, decode=lambda k: k in (0, last))
    frames = gif["frames"]
    first, final = frames[0], frames[last]
    turned = rotated_once(final["palette"])
    if turned != first["palette"]:
        fail("the last frame's colours turned once more are not the first frame's (entry %d)"
             % first_difference(turned, first["palette"]))
    if final["indices"] != first["indices"]:
        fail("the last frame's indices differ from the first's")
    # The same as pictures: the first frame's colours equal the last frame's indices
    # mapped through the turned table.
    if [turned[i] for i in final["indices"]] != [first["palette"][i] for i in first["indices"]]:
        fail("the last frame turned once more does not look like the first")
    if frames[0]["palette"] == frames[last]["palette"]:
        fail("the colours do not move at all")


def main(argv):
    if len(argv) < 3:
        fail(__doc__)
    command = argv[1]
    if command == "png-info":
        png = read_png(argv[2])
        print("type=%d size=%dx%d plte=%d" % (png["colour"], png["width"], png["height"], len(png["palette"])))
    elif command == "plte":
        print("0x%06X" % read_png(argv[2])["palette"][int(argv[3])])
    elif command == "png-equals-ref":
        png_equals_ref(argv[2], argv[3])
    elif command == "gif-equals-ref":
        gif_equals_ref(argv[2], argv[3])
    elif command == "gif-info":
        gif = read_gif(argv[2], decode=lambda k: False)
        delays = sorted(set(f["delay"] for f in gif["frames"]))
        print("frames=%d delays=%s loop=%s" % (len(gif["frames"]), ",".join(map(str, delays)), gif["loop"]))
    elif command == "gif-loop":
        gif_loop(argv[2])
    elif command == "gif-rgb":
        k = int(argv[3])
        frame = read_gif(argv[2], decode=lambda i: i == k)["frames"][k]
        open(argv[4], "wb").write(rgb_bytes([frame["palette"][i] for i in frame["indices"]]))
    elif command == "png-rgb":
        png = read_png(argv[2])
        pixels = png["pixels"]
        if png["colour"] == 3:
            pixels = rgb_bytes([png["palette"][i] for i in pixels])
        open(argv[3], "wb").write(pixels)
    else:
        fail("unknown command " + command)


if __name__ == "__main__":
    main(sys.argv)
