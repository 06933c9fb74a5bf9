"""The demo list site, driven over loopback: each mode answers as it says,
and the list page is one that the program's own scraper reads.

    python3 demo_site_test.py VELLORAN_TOOL
"""

import os
import socket
import subprocess
import sys
import tempfile
import threading
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                "tools", "demo-site"))
import demo_site  # noqa: E402

TOOL = None
LIMIT_S = 10


class RunningSite:
    """The site in a thread of this process, on a free port."""

    def __init__(self, *args):
        self.folder = tempfile.mkdtemp()
        self.port_file = os.path.join(self.folder, "port")
        argv = ["--port-file", self.port_file, "--block-delay", "0.01"] + list(args)
        self.thread = threading.Thread(target=demo_site.main, args=(argv,), daemon=True)
        self.thread.start()
        deadline = time.time() + LIMIT_S
        while not (os.path.exists(self.port_file) and open(self.port_file).read().strip()):
            if time.time() > deadline:
                raise AssertionError("the site did not start")
            time.sleep(0.02)
        self.port = int(open(self.port_file).read())

    def exchange(self, path="/list.php", extra=""):
        """Everything the site sends for one request, and how the connection
        ended: "closed" (a zero read) or "reset" (the read failed with ECONNRESET)."""
        with socket.create_connection(("127.0.0.1", self.port), timeout=LIMIT_S) as s:
            s.sendall(("GET %s HTTP/1.0\r\nHost: 127.0.0.1\r\n%s\r\n" % (path, extra)).encode())
            data = b""
            while True:
                try:
                    chunk = s.recv(65536)
                except ConnectionResetError:
                    return data, "reset"
                if not chunk:
                    return data, "closed"
                data += chunk

    def get(self, path="/list.php", extra=""):
        """Everything the site sends for one request, which it ends by closing."""
        data, ending = self.exchange(path, extra)
        if ending != "closed":
            raise AssertionError("the connection ended with a " + ending)
        return data


def header_and_body(reply):
    head, _, body = reply.partition(b"\r\n\r\n")
    return head.decode("latin-1").split("\r\n"), body


def scraped_rows(body):
    with tempfile.TemporaryDirectory() as folder:
        page = os.path.join(folder, "page.html")
        cache = os.path.join(folder, "servers.grd")
        with open(page, "wb") as out:
            out.write(body)
        subprocess.run([TOOL, "scrape", page, cache], check=True, timeout=LIMIT_S,
                       stdout=subprocess.DEVNULL)
        dump = subprocess.run([TOOL, "dump", cache], check=True, timeout=LIMIT_S,
                              stdout=subprocess.PIPE).stdout
    return [line.split(b"\t") for line in dump.splitlines()]


class DemoSite(unittest.TestCase):
    def test_list_page_scrapes_into_its_servers(self):
        site = RunningSite("--servers", "37", "--block-bytes", "500")
        head, body = header_and_body(site.get())
        self.assertEqual(head[0], "HTTP/1.0 200 OK")
        self.assertIn("Content-Length: %d" % len(body), head)
        rows = scraped_rows(body)
        self.assertEqual(len(rows), 37)
        expected = demo_site.server_rows(37)
        for row, want in zip(rows, expected):
            # The scraper drops the blanks of every text.
            self.assertEqual(row, [cell.replace(" ", "").encode() for cell in want])
        for row in rows:
            self.assertTrue(row[1].startswith(b"127."), row)

    def test_empty_list_has_the_table_and_no_rows(self):
        _, body = header_and_body(RunningSite("--mode", "empty").get())
        self.assertIn(b"Giga&nbsp;bytes", body)
        self.assertEqual(scraped_rows(body), [])

    def test_error_modes(self):
        head, _ = header_and_body(RunningSite("--mode", "not-found").get())
        self.assertEqual(head[0], "HTTP/1.0 404 Not Found")
        head, body = header_and_body(RunningSite("--mode", "no-table").get())
        self.assertEqual(head[0], "HTTP/1.0 200 OK")
        self.assertNotIn(b"Giga", body)
        self.assertEqual(RunningSite("--mode", "closed").get(), b"")
        reply = RunningSite("--mode", "no-status").get()
        self.assertTrue(reply.startswith(b"<html>"), reply[:40])

    def test_redirect_sets_a_cookie_that_the_list_needs(self):
        site = RunningSite("--mode", "redirect", "--servers", "3")
        head, _ = header_and_body(site.get())
        self.assertEqual(head[0], "HTTP/1.0 302 Found")
        self.assertIn("Location: /list.php?next", head)
        self.assertIn("Set-Cookie: " + demo_site.COOKIE, head)
        head, _ = header_and_body(site.get("/list.php?next"))
        self.assertEqual(head[0], "HTTP/1.0 403 Forbidden")
        head, body = header_and_body(site.get("/list.php?next", "Cookie: %s\r\n" % demo_site.COOKIE))
        self.assertEqual(head[0], "HTTP/1.0 200 OK")
        self.assertEqual(len(scraped_rows(body)), 3)

    def test_stall_sends_part_of_the_page_then_nothing(self):
        site = RunningSite("--mode", "stall")
        with socket.create_connection(("127.0.0.1", site.port), timeout=LIMIT_S) as s:
            s.sendall(b"GET /list.php HTTP/1.0\r\n\r\n")
            data = b""
            s.settimeout(1.5)
            try:
                while True:
                    chunk = s.recv(65536)
                    self.assertTrue(chunk, "the site closed instead of stalling")
                    data += chunk
            except socket.timeout:
                pass
        _, body = header_and_body(data)
        self.assertGreater(len(body), 0)
        self.assertLess(len(body), len(demo_site.list_page(120)))

    def test_cut_modes_send_part_of_the_page_then_end_the_connection(self):
        page = demo_site.list_page(120)
        half = page[:len(page) // 2]
        cases = (("cut", True, half, "closed"),
                 ("reset", True, half, "reset"),
                 ("cut-nolength", False, None, "closed"))
        for mode, with_length, wanted_body, wanted_ending in cases:
            with self.subTest(mode):
                reply, ending = RunningSite("--mode", mode, "--block-bytes", "700").exchange()
                self.assertEqual(ending, wanted_ending)
                head, body = header_and_body(reply)
                self.assertEqual(head[0], "HTTP/1.0 200 OK")
                # The whole page's length, not that of the part sent.
                lengths = [line for line in head if line.lower().startswith("content-length:")]
                self.assertEqual(lengths, ["Content-Length: %d" % len(page)] if with_length else [])
                if wanted_body is not None:
                    self.assertEqual(body, wanted_body)
                    continue
                # Cut inside the table, after about half of its 120 rows.
                self.assertTrue(page.startswith(body) and len(body) < len(page))
                self.assertIn(b"Giga&nbsp;bytes</th>", body)
                self.assertFalse(b"</table>" in body, "the table is closed")
                whole_rows = body.count(b"</tr>") - 1
                self.assertTrue(55 <= whole_rows <= 65, whole_rows)

    def test_refused_mode_listens_nowhere(self):
        site = RunningSite("--mode", "refused")
        with self.assertRaises(ConnectionRefusedError):
            socket.create_connection(("127.0.0.1", site.port), timeout=LIMIT_S).close()

    def test_binds_loopback_only(self):
        self.assertEqual(demo_site.HOST, "127.0.0.1")


if __name__ == "__main__":
    TOOL = sys.argv.pop(1)
    unittest.main()
