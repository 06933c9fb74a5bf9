#!/usr/bin/env python3
"""A list site for trying Velloran on one machine: serves a generated server
list page in the shape of the real site's /list.php on 127.0.0.1 only, slowly
enough that the byte count in the status bar can be watched, or one of a few
broken answers for trying the failure texts.

    demo_site.py [--port N] [--mode MODE] [--servers N] [--block-bytes N]
                 [--block-delay SECONDS] [--port-file FILE]

Modes (--mode):
  list        200 and the list page (the default)
  empty       200 and the list page with its table but no servers
  not-found   404 and a small error page
  redirect    302 to /list.php?next with a cookie; the list page only for a
              request that sends the cookie back, 403 otherwise
  no-table    200 and a maintenance page without the list's table
  no-status   the list page with no status line and no header
  closed      accepts and closes at once, sending nothing
  stall       200 and the first part of the page, then silence until the
              client gives up
  cut         200 with the whole page's Content-Length, half the page, then
              the connection closed as if all was sent
  reset       the same header and half the page, then the connection reset
  cut-nolength
              200 without Content-Length and the page up to the middle of
              its server rows, then the connection closed
  refused     nothing listens on the port: the connection is refused

It prints "Demo list site: http://127.0.0.1:PORT/list.php" once it listens
(and writes PORT to --port-file when given), logs each request line, and runs
until it is interrupted or terminated.
"""

import argparse
import random
import socket
import socketserver
import struct
import sys
import threading
import time

HOST = "127.0.0.1"
COOKIE = "demo_session=velloran"
MODES = ("list", "empty", "not-found", "redirect", "no-table", "no-status",
         "closed", "stall", "cut", "reset", "cut-nolength", "refused")
# A request's header is small; anything longer is not a client of ours.
MAX_REQUEST_BYTES = 16384
REQUEST_TIMEOUT_S = 10
# How long a stalled answer stays silent at most, so that no thread lingers.
STALL_LIMIT_S = 600

NETWORKS = ("Demo Net A", "Demo Net B", "OpenNap Demo", "Loopback Lounge", "Test Ring")
WORDS = ("Alpha", "Bravo", "Cedar", "Delta", "Ember", "Fjord", "Grove", "Harbor",
         "Indigo", "Juniper", "Kestrel", "Lumen", "Maple", "Nimbus", "Orchid", "Pebble")

HEAD = """<html>
<head><title>OpenNap servers - demo list</title></head>
<body>
<h1>OpenNap server list (demo)</h1>
<p>Generated on this machine by Velloran's demo list site. Nothing here is a real server.</p>
<table border="1" cellpadding="2">
<tr><th>Server</th><th>IP</th><th>Port</th><th>Network</th><th>Users</th><th>Files</th><th>Giga&nbsp;bytes</th></tr>
"""
FOOT = """</table>
<p><a href="/privacy.php">Privacy Policy</a> | <a href="/">Home</a></p>
</body>
</html>
"""


def server_rows(count, seed=1):
    """Count servers, the same ones for the same seed."""
    rng = random.Random(seed)
    rows = []
    for i in range(count):
        name = "%s %s %02d" % (rng.choice(WORDS), rng.choice(WORDS), i + 1)
        # Loopback addresses: whatever is fed these servers talks to this machine only.
        ip = "127.0.%d.%d" % (1 + i // 250, 1 + i % 250)
        port = str(rng.choice((8888, 8888, 8889, 7777, 6699)))
        users = rng.randint(0, 900)
        files = users * rng.randint(20, 400)
        gigabytes = files // rng.randint(150, 400)
        rows.append((name, ip, port, rng.choice(NETWORKS), str(users), str(files),
                     str(gigabytes)))
    return rows


def list_page(count):
    lines = [HEAD]
    for row in server_rows(count):
        lines.append("<tr>" + "".join("<td>%s</td>" % cell for cell in row) + "</tr>\n")
    lines.append(FOOT)
    return "".join(lines).encode("latin-1")


MAINTENANCE_PAGE = (b"<html><head><title>Maintenance</title></head><body>\n"
                    b"<h1>Down for maintenance</h1><p>The server list is back soon.</p>\n"
                    b"</body></html>\n")
NOT_FOUND_PAGE = b"<html><body><h1>404 Not Found</h1></body></html>\n"
FORBIDDEN_PAGE = b"<html><body><h1>403 Forbidden: no cookie</h1></body></html>\n"


def table_middle(page):
    """The offset halfway through the rows of the page's server table: a cut
    there leaves the table open after its first rows, most often inside a row."""
    header_row = page.index(b"<th>")
    rows_start = page.index(b"</tr>\n", header_row) + len(b"</tr>\n")
    return (rows_start + page.index(b"</table>", rows_start)) // 2


def response(status, body, extra=(), length=True):
    head = ["HTTP/1.0 " + status, "Content-Type: text/html"]
    if length:
        head.append("Content-Length: %d" % len(body))
    head.extend(extra)
    return ("\r\n".join(head) + "\r\n\r\n").encode("latin-1") + body


def read_request(connection):
    """The request's header as text, or None when the client sent none."""
    connection.settimeout(REQUEST_TIMEOUT_S)
    data = b""
    while b"\r\n\r\n" not in data and len(data) < MAX_REQUEST_BYTES:
        try:
            chunk = connection.recv(4096)
        except (socket.timeout, OSError):
            return None
        if not chunk:
            break
        data += chunk
    return data.decode("latin-1")


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        site = self.server.site
        if site.mode == "closed":
            return
        request = read_request(self.request)
        if request is None:
            return
        request_line = request.split("\r\n", 1)[0]
        print("request: %s" % request_line, flush=True)
        reply = self.answer(request, request_line)
        try:
            self.send_blocks(reply, self.cut_at(reply))
            if site.mode == "stall":
                # Silence with the connection open, until the client goes.
                self.request.settimeout(STALL_LIMIT_S)
                self.request.recv(1)
            elif site.mode == "reset":
                # Lingering zero seconds makes the close a reset (RST), not an end (FIN).
                self.request.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER,
                                        struct.pack("ii", 1, 0))
                self.request.close()
        except OSError:
            pass  # the client went away: nothing more to send

    def cut_at(self, reply):
        """How many bytes of Reply the mode sends."""
        mode = self.server.site.mode
        if mode == "stall":
            return len(reply) // 3
        if mode not in ("cut", "reset", "cut-nolength"):
            return len(reply)
        # The whole header; of the page, half or up to the middle of its rows.
        body_start = reply.index(b"\r\n\r\n") + 4
        page = reply[body_start:]
        return body_start + (table_middle(page) if mode == "cut-nolength" else len(page) // 2)

    def answer(self, request, request_line):
        site = self.server.site
        mode = site.mode
        if mode == "not-found":
            return response("404 Not Found", NOT_FOUND_PAGE)
        if mode == "no-table":
            return response("200 OK", MAINTENANCE_PAGE)
        if mode == "no-status":
            return site.page
        if mode == "cut-nolength":
            return response("200 OK", site.page, length=False)
        if mode == "redirect":
            if " /list.php?next " not in request_line + " ":
                return response("302 Found", b"", ("Location: /list.php?next",
                                                   "Set-Cookie: " + COOKIE))
            cookie_lines = [line for line in request.split("\r\n")
                            if line.lower() == ("cookie: " + COOKIE).lower()]
            if not cookie_lines:
                return response("403 Forbidden", FORBIDDEN_PAGE)
        return response("200 OK", site.page)

    def send_blocks(self, data, end):
        """Data up to End, a block at a time. Where End cuts it short, the
        pause before the next block comes all the same: what ends the
        connection comes when that block would have."""
        site = self.server.site
        sent = 0
        while sent < end:
            block = data[sent:min(sent + site.block_bytes, end)]
            self.request.sendall(block)
            sent += len(block)
            if sent < len(data):
                time.sleep(site.block_delay)


class Site(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--port", type=int, default=0, help="port on 127.0.0.1 (0: any free one)")
    parser.add_argument("--mode", choices=MODES, default="list")
    parser.add_argument("--servers", type=int, default=120, help="servers on the page")
    parser.add_argument("--block-bytes", type=int, default=1024,
                        help="bytes sent at a time")
    parser.add_argument("--block-delay", type=float, default=0.25,
                        help="seconds between two blocks")
    parser.add_argument("--port-file", help="write the port number to this file")
    options = parser.parse_args(argv)
    if options.block_bytes < 1 or options.block_delay < 0 or options.servers < 0:
        parser.error("block bytes must be positive, delay and servers not negative")

    site = Site((HOST, options.port), Handler)
    site.site = options
    options.page = list_page(0 if options.mode == "empty" else options.servers)
    port = site.server_address[1]
    if options.mode == "refused":
        # The port was free a moment ago and nothing listens there now.
        site.server_close()
    if options.port_file:
        with open(options.port_file, "w") as out:
            out.write("%d\n" % port)
    print("Demo list site: http://%s:%d/list.php (mode %s, %d servers)"
          % (HOST, port, options.mode, 0 if options.mode == "empty" else options.servers),
          flush=True)
    if options.mode == "refused":
        threading.Event().wait()
        return 0
    try:
        site.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        site.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
