#!/usr/bin/python3
"""A misbehaving HTTP or FTP server on loopback, for tests of how Brindle copes with one.

  hostile_server.py http (--drip BYTES_PER_S | --endless | --body-bytes N | --ready)
  hostile_server.py ftp [--hold stor|retr] [--dead-pasv] [--retr-bytes N] [--log FILE]

Prints the port it listens on (127.0.0.1, a free one) as its first line, then serves until it
is terminated.

http: every request is answered 200 with the body "0" followed by blanks. --drip sends the
  whole reply (headers included) at that many bytes a second, without end; --endless sends the
  body as fast as it goes, without end; --body-bytes sends a body of exactly N bytes; --ready
  answers at once as a service whose result file is ready once its import was asked for: 0
  to the authentication page and to the verify page before the import, 1 to every other
  page, so that the run goes straight on to the FTP server.
ftp: any user and password log in; TLS is refused. STOR reads the upload and drops it, RETR
  sends --retr-bytes bytes (default 12), DELE and everything else one needs answer in kind.
  --hold never sends the final reply after the data of STOR or RETR (the connection stays
  open); --dead-pasv names, in every passive reply, a port on which nothing listens; --log
  appends every command line received to FILE.
"""
import argparse
import socket
import sys
import threading
import time


def listen():
    server = socket.socket()
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", 0))
    server.listen(16)
    return server


def serve(server, handler):
    while True:
        conn, _ = server.accept()
        threading.Thread(target=guarded, args=(handler, conn), daemon=True).start()


def guarded(handler, conn):
    try:
        handler(conn)
    except OSError:
        pass
    finally:
        conn.close()


def read_request(conn):
    data = b""
    while b"\r\n\r\n" not in data:
        chunk = conn.recv(4096)
        if not chunk:
            return None
        data += chunk
    return data


def http_handler(args):
    head = b"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n"
    imported = []  # an import was asked for: from then on the result is ready

    def handle(conn):
        request = read_request(conn)
        if not request:
            return
        if args.ready:
            page = request.split(b"\r\n", 1)[0]
            if b"ext_input.php" in page:
                imported.append(True)
            body = b"0" if b"ext_auth.php" in page or not imported else b"1"
            conn.sendall(head + b"Content-Length: 1\r\n\r\n" + body)
        elif args.body_bytes is not None:
            body = b"0" + b" " * (args.body_bytes - 1)
            conn.sendall(head + b"Content-Length: %d\r\n\r\n" % len(body) + body)
        elif args.endless:
            conn.sendall(head + b"\r\n0")
            while True:
                conn.sendall(b" " * 65536)
        else:
            reply = head + b"\r\n0"
            step = max(1, args.drip)
            for i in range(0, len(reply), step):
                conn.sendall(reply[i:i + step])
                time.sleep(1)
            while True:
                conn.sendall(b" " * step)
                time.sleep(1)
    return handle


class FtpSession:
    def __init__(self, conn, args, dead_port):
        self.conn, self.args, self.dead_port = conn, args, dead_port
        self.data_server = None
        self.lines = conn.makefile("rb")

    def reply(self, text):
        self.conn.sendall(text.encode() + b"\r\n")

    def passive(self):
        if self.args.dead_pasv:
            return self.dead_port
        self.data_server = listen()
        return self.data_server.getsockname()[1]

    def data_connection(self):
        if self.data_server is None:
            return None
        conn, _ = self.data_server.accept()
        self.data_server.close()
        self.data_server = None
        return conn

    def transfer(self, verb, send):
        self.reply("150 Opening data connection")
        data = self.data_connection()
        if data is None:
            self.reply("425 No data connection")
            return
        with data:
            if send:
                left = self.args.retr_bytes
                while left > 0:
                    piece = min(left, 65536)
                    data.sendall(b"9" * piece)
                    left -= piece
            else:
                while data.recv(65536):
                    pass
        if self.args.hold == verb.lower():
            while self.lines.readline():
                pass  # never answers again
            return
        self.reply("226 Transfer complete")

    def run(self):
        self.reply("220 hostile FTP")
        for raw in self.lines:
            line = raw.decode("latin-1").rstrip("\r\n")
            if self.args.log:
                with open(self.args.log, "a") as log:
                    log.write(line + "\n")
            verb = line.split(" ", 1)[0].upper()
            if verb == "USER":
                self.reply("331 Password please")
            elif verb == "PASS":
                self.reply("230 Logged in")
            elif verb == "PWD":
                self.reply('257 "/" is the current directory')
            elif verb in ("TYPE", "CWD"):
                self.reply("200 OK")
            elif verb == "EPSV":
                self.reply("229 Entering Extended Passive Mode (|||%d|)" % self.passive())
            elif verb == "PASV":
                port = self.passive()
                self.reply("227 Entering Passive Mode (127,0,0,1,%d,%d)" % (port >> 8, port & 255))
            elif verb in ("STOR", "RETR"):
                self.transfer(verb, verb == "RETR")
            elif verb == "SIZE":
                self.reply("213 %d" % self.args.retr_bytes)
            elif verb == "DELE":
                self.reply("250 Deleted")
            elif verb == "QUIT":
                self.reply("221 Goodbye")
                return
            else:
                self.reply("502 Not implemented")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("kind", choices=("http", "ftp"))
    parser.add_argument("--drip", type=int, default=3)
    parser.add_argument("--endless", action="store_true")
    parser.add_argument("--body-bytes", type=int)
    parser.add_argument("--ready", action="store_true")
    parser.add_argument("--hold", choices=("stor", "retr"))
    parser.add_argument("--dead-pasv", action="store_true")
    parser.add_argument("--retr-bytes", type=int, default=12)
    parser.add_argument("--log")
    args = parser.parse_args()
    server = listen()
    if args.kind == "http":
        handler = http_handler(args)
    else:
        dead = socket.socket()  # bound, never listening: a connection to it is refused
        dead.bind(("127.0.0.1", 0))
        dead_port = dead.getsockname()[1]
        handler = lambda conn: FtpSession(conn, args, dead_port).run()
    print(server.getsockname()[1], flush=True)
    serve(server, handler)


if __name__ == "__main__":
    sys.exit(main())
