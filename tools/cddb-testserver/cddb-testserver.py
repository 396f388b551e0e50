#!/usr/bin/env python3
"""A small CDDB server for tests and local mirrors.

Serves a directory of xmcd records laid out as <category>/<discid> over cddbp and over HTTP
(/~cddb/cddb.cgi and /~cddb/submit.cgi). It answers hello, proto, cddb query (exact, inexact,
none), cddb read, cddb lscat, sites and submissions with the CDDB status codes, logs every request
and stops by itself after a time without requests.

On start it prints "cddbp PORT" and "http PORT" on standard output (port 0 picks a free one).
"""

import argparse
import http.server
import os
import re
import socket
import socketserver
import sys
import threading
import time
import urllib.parse

STANDARD_CATEGORIES = ["blues", "classical", "country", "data", "folk", "jazz", "misc",
                       "newage", "reggae", "rock", "soundtrack"]
INEXACT_LENGTH_SECONDS = 60


class Database:
    """The record directory, the request log and the server's settings."""

    def __init__(self, args):
        self.root = args.root
        self.max_level = args.max_level
        self.with_sites = not args.no_sites
        self.host = args.host
        self.log_path = args.log
        self.lock = threading.Lock()
        self.last_activity = time.monotonic()
        self.ports = {}

    def touch(self):
        self.last_activity = time.monotonic()

    def log(self, line):
        self.touch()
        if not self.log_path:
            return
        with self.lock, open(self.log_path, "a", encoding="utf-8") as out:
            out.write(line + "\n")

    def categories(self):
        found = set(STANDARD_CATEGORIES)
        if os.path.isdir(self.root):
            found.update(name for name in os.listdir(self.root)
                         if os.path.isdir(os.path.join(self.root, name)))
        return sorted(found)

    def record_path(self, category, discid):
        if not re.fullmatch(r"[a-z0-9_]+", category) or not re.fullmatch(r"[0-9a-f]{8}", discid):
            return None
        return os.path.join(self.root, category, discid)

    def record_lines(self, category, discid):
        path = self.record_path(category, discid)
        if path is None or not os.path.isfile(path):
            return None
        with open(path, "rb") as source:
            text = source.read().decode("utf-8", errors="replace")
        return [line.rstrip("\r") for line in text.split("\n") if line.rstrip("\r") != "."]

    def all_records(self):
        for category in self.categories():
            folder = os.path.join(self.root, category)
            if not os.path.isdir(folder):
                continue
            for discid in sorted(os.listdir(folder)):
                lines = self.record_lines(category, discid)
                if lines is not None:
                    yield category, discid, lines

    @staticmethod
    def title_of(lines):
        return "".join(line[7:] for line in lines if line.upper().startswith("DTITLE="))

    @staticmethod
    def shape_of(lines):
        """(track count, disc length in seconds) from the record's comments."""
        tracks, length, in_offsets = 0, 0, False
        for line in lines:
            if not line.startswith("#"):
                continue
            comment = line[1:].strip()
            if comment.lower().startswith("track frame offsets:"):
                in_offsets = True
            elif comment.lower().startswith("disc length:"):
                digits = re.match(r"\s*(\d+)", comment[12:])
                length = int(digits.group(1)) if digits else 0
            elif in_offsets and re.fullmatch(r"\d+", comment) and int(comment) > 0:
                tracks += 1
            else:
                in_offsets = False
        return tracks, length

    def sites(self):
        lines = []
        if "cddbp" in self.ports:
            lines.append(f"{self.host} cddbp {self.ports['cddbp']} - N000.00 W000.00 "
                         "Shelfmark CDDB test server")
        if "http" in self.ports:
            lines.append(f"{self.host} http {self.ports['http']} /~cddb/cddb.cgi N000.00 W000.00 "
                         "Shelfmark CDDB test server")
        return lines

    # ---- commands shared by both transports ----

    def command(self, words):
        """Answers one CDDB command (hello and proto excepted) as text without the final CR LF."""
        verb = [word.lower() for word in words[:2]]
        if verb == ["cddb", "query"]:
            return self.query(words[2:])
        if verb == ["cddb", "read"]:
            return self.read(words[2:])
        if verb == ["cddb", "lscat"]:
            return "\r\n".join(["210 OK, category list follows (until terminating `.')"]
                               + self.categories() + ["."])
        if verb[:1] == ["sites"]:
            if not self.with_sites:
                return "401 No site information available."
            return "\r\n".join(["210 OK, site information follows (until terminating `.')"]
                               + self.sites() + ["."])
        return "500 Unrecognized command."

    def query(self, args):
        if len(args) < 3 or not re.fullmatch(r"[0-9a-fA-F]{1,8}", args[0]):
            return "500 Command syntax error."
        try:
            count = int(args[1])
            offsets = [int(value) for value in args[2:-1]]
            length = int(args[-1])
        except ValueError:
            return "500 Command syntax error."
        if count != len(offsets) or count < 1:
            return "500 Command syntax error."
        discid = args[0].lower().rjust(8, "0")
        exact, inexact = [], []
        for category, record_id, lines in self.all_records():
            entry = f"{category} {record_id} {self.title_of(lines)}"
            if record_id == discid:
                exact.append(entry)
                continue
            tracks, record_length = self.shape_of(lines)
            if tracks == count and abs(record_length - length) <= INEXACT_LENGTH_SECONDS:
                inexact.append(entry)
        if len(exact) == 1:
            return "200 " + exact[0]
        if exact:
            return "\r\n".join(["210 Found exact matches, list follows (until terminating `.')"]
                               + exact + ["."])
        if inexact:
            return "\r\n".join(["211 Found inexact matches, list follows (until terminating `.')"]
                               + inexact + ["."])
        return f"202 No match for disc ID {discid}."

    def read(self, args):
        if len(args) != 2:
            return "500 Command syntax error."
        category, discid = args[0].lower(), args[1].lower()
        lines = self.record_lines(category, discid)
        if lines is None:
            return f"401 {category} {discid} No such CD entry in database."
        while lines and lines[-1] == "":
            lines.pop()
        return "\r\n".join([f"210 {category} {discid} CD database entry follows "
                            "(until terminating `.')"] + lines + ["."])

    def submit(self, headers, body, level):
        wanted = ["Category", "Discid", "User-Email", "Submit-Mode"]
        if any(headers.get(name) is None for name in wanted):
            return "500 Missing required header information."
        category, discid = headers["Category"].strip(), headers["Discid"].strip()
        mode = headers["Submit-Mode"].strip()
        path = self.record_path(category, discid)
        if path is None or mode not in ("submit", "test") or "@" not in headers["User-Email"]:
            return "501 Invalid header information."
        text = body.decode("utf-8" if level >= 6 else "latin-1", errors="replace")
        if not text.startswith("# xmcd"):
            return "501 Invalid record."
        if mode == "submit":
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w", encoding="utf-8", newline="") as out:
                out.write(text)
        return "200 OK, submission has been sent."

    def encode(self, text, level):
        return text.encode("utf-8" if level >= 6 else "latin-1", errors="replace")


class CddbpHandler(socketserver.StreamRequestHandler):
    def handle(self):
        db = self.server.database
        level, shook_hands = 1, False
        peer = self.client_address[0]
        db.log(f"cddbp {peer} connected")
        self.reply(f"201 {socket.gethostname()} CDDBP server v1.5PL3 ready at "
                   f"{time.strftime('%a %b %d %H:%M:%S %Y')}", level)
        while True:
            raw = self.rfile.readline(65536)
            if not raw:
                break
            line = raw.decode("utf-8" if level >= 6 else "latin-1",
                              errors="replace").rstrip("\r\n")
            db.log(f"cddbp {peer} < {line}")
            words = line.split()
            if not words:
                continue
            head = words[0].lower()
            if head == "quit":
                self.reply("230 Bye.", level)
                break
            if words[:2] and [w.lower() for w in words[:2]] == ["cddb", "hello"]:
                if shook_hands:
                    self.reply("402 Already shook hands.", level)
                elif len(words) == 6:
                    shook_hands = True
                    self.reply(f"200 Hello and welcome {words[2]}@{words[3]} running "
                               f"{words[4]} {words[5]}.", level)
                else:
                    self.reply("431 Handshake not successful, closing connection.", level)
                    break
                continue
            if head == "proto":
                level = self.proto(words, level)
                continue
            if not shook_hands and head == "cddb":
                self.reply("409 No handshake.", level)
                continue
            self.reply(db.command(words), level)

    def proto(self, words, level):
        db = self.server.database
        if len(words) == 1:
            self.reply(f"200 CDDB protocol level: current {level}, supported {db.max_level}",
                       level)
            return level
        wanted = int(words[1]) if words[1].isdigit() else 0
        if wanted < 1 or wanted > db.max_level:
            self.reply("501 Illegal protocol level.", level)
            return level
        if wanted == level:
            self.reply(f"502 Protocol level already {level}.", level)
            return level
        self.reply(f"201 OK, CDDB protocol level now: {wanted}", wanted)
        return wanted

    def reply(self, text, level):
        self.server.database.log("cddbp > " + text.split("\r\n")[0])
        self.wfile.write(self.server.database.encode(text + "\r\n", level))
        self.wfile.flush()


class HttpHandler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, format, *args):  # the request log below replaces the default one
        pass

    def do_GET(self):
        db = self.server.database
        db.log("http > " + self.requestline)
        for name, value in self.headers.items():
            db.log(f"http > {name}: {value}")
        url = urllib.parse.urlsplit(self.path)
        params = urllib.parse.parse_qs(url.query, keep_blank_values=True)
        level = int(params.get("proto", ["1"])[0]) if params.get("proto", [""])[0].isdigit() else 1
        if url.path.endswith("/submit.cgi"):
            length = int(self.headers.get("Content-Length", "0") or 0)
            body = self.rfile.read(length) if length > 0 else b""
            if level > db.max_level:
                answer = "501 Illegal CDDB protocol level."
            else:
                answer = db.submit(self.headers, body, level)
        elif url.path.endswith("/cddb.cgi"):
            hello = params.get("hello", [""])[0].split()
            if level < 1 or level > db.max_level:
                answer = "501 Illegal CDDB protocol level."
            elif len(hello) != 4:
                answer = "500 Command syntax error: incorrect arguments."
            else:
                answer = db.command(params.get("cmd", [""])[0].split())
        else:
            self.send_error(404)
            return
        db.log("http < " + answer.split("\r\n")[0])
        payload = db.encode(answer + "\r\n", min(level, db.max_level))
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(payload)))
        self.end_headers()
        self.wfile.write(payload)


def make_server(handler, host, port, database):
    family = socket.AF_INET6 if ":" in host else socket.AF_INET

    class Server(socketserver.ThreadingTCPServer):
        address_family = family
        allow_reuse_address = True
        daemon_threads = True

    server = Server((host, port), handler)
    server.database = database
    return server


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", required=True, help="directory of <category>/<discid> records")
    parser.add_argument("--host", default="127.0.0.1", help="address to listen on (::1 for IPv6)")
    parser.add_argument("--cddbp-port", type=int, default=0, help="cddbp port (0: a free one)")
    parser.add_argument("--http-port", type=int, default=0, help="HTTP port (0: a free one)")
    parser.add_argument("--log", help="append every request to this file")
    parser.add_argument("--max-level", type=int, default=6,
                        help="highest protocol level (5: an ISO-8859-1 server)")
    parser.add_argument("--no-sites", action="store_true", help="answer 'sites' with 401")
    parser.add_argument("--idle-timeout", type=float, default=120,
                        help="stop after this many seconds without a request (0: never, for a "
                             "local mirror)")
    args = parser.parse_args()

    database = Database(args)
    servers = {
        "cddbp": make_server(CddbpHandler, args.host, args.cddbp_port, database),
        "http": make_server(HttpHandler, args.host, args.http_port, database),
    }
    for name, server in servers.items():
        database.ports[name] = server.server_address[1]
        threading.Thread(target=server.serve_forever, daemon=True).start()
    print(f"cddbp {database.ports['cddbp']}", flush=True)
    print(f"http {database.ports['http']}", flush=True)

    try:
        while args.idle_timeout <= 0 or \
                time.monotonic() - database.last_activity < args.idle_timeout:
            time.sleep(0.2)
    except KeyboardInterrupt:
        pass
    for server in servers.values():
        server.shutdown()
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
