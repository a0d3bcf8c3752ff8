"""The loopback peers of the soak run, in one process.

- LISTENING hosts: plain listeners on 127.0.0.1 that accept and at once close.
- CLOSED hosts: ports below the kernel's ephemeral range that nothing listens
  on (a closed port inside that range can, once in tens of thousands of
  attempts, connect to itself and read as running).
- An SMTP responder on SMTP_ADDRESS port 25 that accepts the first report,
  refuses the second at the end of its DATA with 550, accepts the third, ...
- A watcher of the status page folder that counts every page written (the
  page is written into an unnamed file that is then linked in: the first
  write is one IN_CREATE, every later one a rename, one IN_MOVED_TO).

Writes PROGRAM/Sentrova.ini (listening hosts first, then closed ones,
interleaved), then WORK/peers.json with its counts after every change.
Serves until SIGTERM.

Usage: soak_peers.py WORK PROGRAM PAGE_FOLDER PAGE_NAME SMTP_ADDRESS HOSTS
"""
import asyncio
import ctypes
import json
import os
import signal
import socket
import struct
import sys
import time

IN_MOVED_TO = 0x080
IN_CREATE = 0x100


class Counts:
    def __init__(self, path):
        self.path = path
        self.data = {"smtp_connections": 0, "smtp_accepted": 0, "smtp_refused": 0,
                     "pages": 0, "page_times": [], "listening_accepts": 0}

    def bump(self, key, by=1):
        self.data[key] += by
        self.save()

    def save(self):
        tmp = self.path + ".tmp"
        with open(tmp, "w") as f:
            json.dump(self.data, f)
        os.replace(tmp, self.path)


def closed_ports(count):
    low = int(open("/proc/sys/net/ipv4/ip_local_port_range").read().split()[0])
    ports = []
    port = low - 1
    while len(ports) < count and port > 1024:
        s = socket.socket()
        try:
            s.bind(("127.0.0.1", port))
            ports.append(port)
        except OSError:
            pass
        finally:
            s.close()
        port -= 1
    return ports


async def serve_listener(sock, counts):
    loop = asyncio.get_running_loop()
    while True:
        conn, _ = await loop.sock_accept(sock)
        conn.close()
        counts.data["listening_accepts"] += 1


class Smtp(asyncio.Protocol):
    messages = 0

    def __init__(self, counts):
        self.counts = counts
        self.buffer = b""
        self.in_data = False

    def connection_made(self, transport):
        self.transport = transport
        self.counts.bump("smtp_connections")
        transport.write(b"220 soak.test ESMTP\r\n")

    def data_received(self, data):
        self.buffer += data
        while True:
            if self.in_data:
                end = self.buffer.find(b"\r\n.\r\n")
                if end < 0:
                    return
                self.buffer = self.buffer[end + 5:]
                self.in_data = False
                Smtp.messages += 1
                if Smtp.messages % 2 == 0:
                    self.counts.bump("smtp_refused")
                    self.transport.write(b"550 5.7.1 Every second report is refused\r\n")
                else:
                    self.counts.bump("smtp_accepted")
                    self.transport.write(b"250 2.0.0 Accepted\r\n")
                continue
            end = self.buffer.find(b"\r\n")
            if end < 0:
                return
            line, self.buffer = self.buffer[:end], self.buffer[end + 2:]
            verb = line[:4].upper()
            if verb == b"DATA":
                self.in_data = True
                self.transport.write(b"354 End data with <CR><LF>.<CR><LF>\r\n")
            elif verb == b"QUIT":
                self.transport.write(b"221 Bye\r\n")
                self.transport.close()
                return
            else:
                self.transport.write(b"250 OK\r\n")


def watch_pages(folder, name, counts):
    libc = ctypes.CDLL(None, use_errno=True)
    fd = libc.inotify_init1(os.O_NONBLOCK)
    if fd < 0 or libc.inotify_add_watch(fd, folder.encode(), IN_CREATE | IN_MOVED_TO) < 0:
        raise OSError(ctypes.get_errno(), "inotify")

    def readable():
        try:
            data = os.read(fd, 65536)
        except BlockingIOError:
            return
        offset = 0
        while offset < len(data):
            _, mask, _, length = struct.unpack_from("iIII", data, offset)
            raw = data[offset + 16:offset + 16 + length].rstrip(b"\0")
            offset += 16 + length
            if raw.decode(errors="replace") == name and mask & (IN_MOVED_TO | IN_CREATE):
                counts.data["page_times"].append(round(time.time(), 3))
                counts.bump("pages")

    asyncio.get_running_loop().add_reader(fd, readable)


async def main(work, program, page_folder, page_name, smtp_address, hosts):
    counts = Counts(os.path.join(work, "peers.json"))
    loop = asyncio.get_running_loop()
    stop = loop.create_future()
    loop.add_signal_handler(signal.SIGTERM, stop.set_result, None)

    listening = []
    for _ in range(hosts // 2):
        s = socket.socket()
        s.bind(("127.0.0.1", 0))
        s.listen(64)
        s.setblocking(False)
        listening.append(s)
        loop.create_task(serve_listener(s, counts))
    closed = closed_ports(hosts - len(listening))

    lines = []
    for i in range(max(len(listening), len(closed))):
        if i < len(listening):
            lines.append('"127.0.0.1","%d"\r\n' % listening[i].getsockname()[1])
        if i < len(closed):
            lines.append('"127.0.0.1","%d"\r\n' % closed[i])
    with open(os.path.join(program, "Sentrova.ini"), "w", newline="") as f:
        f.write("".join(lines))

    server = await loop.create_server(lambda: Smtp(counts), smtp_address, 25, reuse_address=True)
    watch_pages(page_folder, page_name, counts)
    counts.data["listening_ports"] = [s.getsockname()[1] for s in listening]
    counts.data["closed_ports"] = closed
    counts.save()
    await stop
    server.close()
    counts.save()


if __name__ == "__main__":
    asyncio.run(main(*sys.argv[1:6], int(sys.argv[6])))
