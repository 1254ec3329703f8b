"""The text chunks of a PNG, read and changed with nothing but the standard library,
to make the renderer's bad inputs from its good files.

  pngtext.py get FILE KEY              the text of the first tEXt chunk KEY
  pngtext.py set FILE KEY TEXT OUT     FILE with that chunk's text replaced
  pngtext.py drop FILE KEY OUT         FILE without the tEXt chunks KEY
"""
import struct
import sys
import zlib


def chunks(path):
    data = open(path, "rb").read()
    pos = 8
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        yield kind, data[pos + 8:pos + 8 + length]
        pos += 12 + length


def chunk(kind, body):
    return struct.pack(">I4s", len(body), kind) + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)


def key_of(body):
    return body.split(b"\0", 1)[0].decode("latin-1")


def rewrite(path, key, text, out):
    pieces = [b"\x89PNG\r\n\x1a\n"]
    for kind, body in chunks(path):
        if kind == b"tEXt" and key_of(body) == key:
            if text is None:
                continue
            body = key.encode("latin-1") + b"\0" + text.encode("latin-1")
        pieces.append(chunk(kind, body))
    open(out, "wb").write(b"".join(pieces))


def main(argv):
    command = argv[1]
    if command == "get":
        for kind, body in chunks(argv[2]):
            if kind == b"tEXt" and key_of(body) == argv[3]:
                print(body.split(b"\0", 1)[1].decode("latin-1"))
                return 0
        print("pngtext: no %s text in %s" % (argv[3], argv[2]), file=sys.stderr)
        return 1
    if command == "set":
        rewrite(argv[2], argv[3], argv[4], argv[5])
    elif command == "drop":
        rewrite(argv[2], argv[3], None, argv[4])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
