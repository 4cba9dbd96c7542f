#!/usr/bin/env python3
"""A small picture host on loopback for the demo: a forum thread of thumbnails, viewer pages,
and full-size pictures that are only served with the referer the host expects.

Usage: picture_host.py PORT_FILE LOG_FILE
Listens on 127.0.0.1 on a free port, writes the port to PORT_FILE, and logs one line per
request of a full-size picture: "served PATH referer=..." or "refused PATH referer=...".
"""
import http.server
import struct
import sys
import zlib

PICTURES = 6  # 1-3 behind viewer pages, 4-6 as thumbnails of the same name
REDESIGNED = 7  # a viewer page in the host's new layout, which the first viewer-page rule misses


def png(seed, size=64):
    """A real PNG picture, a colour gradient that differs per seed."""
    rows = b""
    for y in range(size):
        row = bytes([0])
        for x in range(size):
            row += bytes([(x * 4 + seed * 40) % 256, (y * 4) % 256, (seed * 70) % 256])
        rows += row

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b"")


class PictureHost(http.server.BaseHTTPRequestHandler):
    log_file = None

    def site(self):
        return "http://127.0.0.1:%d/" % self.server.server_port

    def send(self, status, body, kind="text/html"):
        self.send_response(status)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log(self, text):
        with open(self.log_file, "a") as log:
            log.write(text + "\n")

    def do_GET(self):
        path = self.path
        referer = self.headers.get("Referer", "")
        if path == "/forum/thread.html":
            items = []
            for n in range(1, 4):
                items.append('<a href="%sview.php?id=%d"><img src="/thumbs/small%d.png"></a>' % (self.site(), n, n))
            for n in range(4, PICTURES + 1):
                items.append('<a href="%sthumbs/big%d_t.png"><img src="/thumbs/big%d_t.png"></a>' % (self.site(), n, n))
            body = "<html><body><h1>Holiday pictures</h1><p>Posted by someone</p>\n%s\n</body></html>" % "\n".join(items)
            return self.send(200, body.encode())
        if path.startswith("/view.php?id="):
            n = path.split("=", 1)[1]
            picture_id = "picture" if n == str(REDESIGNED) else "full"
            body = ('<html><body><div class="ad">Buy now</div><img class="x" id="%s" src="/full/%s.png">'
                    "</body></html>" % (picture_id, n))
            return self.send(200, body.encode())
        if path.startswith("/full/") or path.startswith("/pictures/"):
            # Pictures behind viewer pages want the viewer page as referer; the others the site.
            wanted_prefix = self.site() + "view.php?id=" if path.startswith("/full/") else None
            ok = referer.startswith(wanted_prefix) if wanted_prefix else referer == self.site()
            number = int("".join(c for c in path if c.isdigit()) or "0")
            if not ok or not (1 <= number <= PICTURES or number == REDESIGNED):
                self.log("refused %s referer=%s" % (path, referer))
                return self.send(403, b"hotlinking is not allowed\n", "text/plain")
            self.log("served %s referer=%s" % (path, referer))
            return self.send(200, png(number), "image/png")
        if path.startswith("/thumbs/"):
            return self.send(200, png(99, 16), "image/png")
        return self.send(404, b"not found\n", "text/plain")

    def log_message(self, *args):
        pass


def main():
    port_file, PictureHost.log_file = sys.argv[1], sys.argv[2]
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), PictureHost)
    with open(port_file, "w") as out:
        out.write(str(server.server_port))
    server.serve_forever()


if __name__ == "__main__":
    main()
