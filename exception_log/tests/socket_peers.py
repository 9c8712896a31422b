#!/usr/bin/env python3
"""Peers of the logger's socket tests, on loopback only.

socket_peers.py tcp SCRIPT LOG
    A TCP server on 127.0.0.1 that serves one connection by SCRIPT, a JSON
    list of steps:
      ["send", TEXT]             send the text
      ["pieces", [TEXT...], S]   send each text alone, S seconds apart
      ["line"]                   read one line (up to CR LF)
      ["lines", N]               read N lines
      ["bytes", N]               read N bytes
      ["until", TEXT]            read until TEXT has come (and what came with it)
      ["close"]                  close at once (a reset when unread data waits)
    After the script it reads until the client closes. Everything received
    goes to LOG as it comes.

socket_peers.py dns SETUP LOG
    A DNS stub answering on port P of each address SETUP names (a JSON object
    of address -> behaviour). A behaviour is {"silent": true} or a list of
    replies sent to each query, in order; a reply is an object of:
      "answer", "additional": records ["MX", PREF, HOST] | ["CNAME", TARGET]
                                      | ["A", ADDRESS], each with an optional
                                      owner name last (default: the question)
      "id": "other"              another id than the query's
      "qr": false                no response bit
      "rcode": N, "tc": true     result code, truncation bit
      "cut": N                   only the first N bytes of the packed reply
      "records": HEX, "count": N instead of packed records: the header
                                 (answer count N), the query's question, then
                                 the bytes HEX
    Each query received is written to LOG as "ADDRESS HEX", the bytes as
    upper-case pairs apart.

Both print the port they listen on as the first line of standard output.
"""

import json
import selectors
import socket
import struct
import sys
import time

from dnslib import A, CNAME, DNSRecord, MX, QTYPE, RR

# A test that fails leaves no peer behind for long.
LIFETIME = 120


def log_bytes(log, data):
    log.write(data)
    log.flush()


def tcp(script, log_path):
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.bind(("127.0.0.1", 0))
    server.listen(1)
    server.settimeout(LIFETIME)
    print(server.getsockname()[1], flush=True)
    conn, _ = server.accept()
    conn.settimeout(LIFETIME)
    conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    pending = b""
    with open(log_path, "ab") as log:

        def receive():
            data = conn.recv(65536)
            log_bytes(log, data)
            return data

        def until(done):
            nonlocal pending
            while not done(pending):
                data = receive()
                if not data:
                    return False
                pending += data
            return True

        for step in script:
            kind = step[0]
            if kind == "send":
                conn.sendall(step[1].encode("latin-1"))
            elif kind == "pieces":
                for i, piece in enumerate(step[1]):
                    if i:
                        time.sleep(step[2])
                    conn.sendall(piece.encode("latin-1"))
            elif kind in ("line", "lines"):
                count = step[1] if kind == "lines" else 1
                for _ in range(count):
                    if not until(lambda p: b"\r\n" in p):
                        return
                    pending = pending.split(b"\r\n", 1)[1]
            elif kind == "until":
                mark = step[1].encode("latin-1")
                if not until(lambda p: mark in p):
                    return
                pending = pending.split(mark, 1)[1]
            elif kind == "bytes":
                if not until(lambda p: len(p) >= step[1]):
                    return
                pending = pending[step[1]:]
            elif kind == "close":
                conn.close()
                return
        while receive():
            pass
        conn.close()


def record(entry, qname):
    kind = entry[0]
    if kind == "MX":
        owner = entry[3] if len(entry) > 3 else qname
        return RR(owner, QTYPE.MX, rdata=MX(entry[2], entry[1]), ttl=60)
    if kind == "CNAME":
        owner = entry[2] if len(entry) > 2 else qname
        return RR(owner, QTYPE.CNAME, rdata=CNAME(entry[1]), ttl=60)
    owner = entry[2] if len(entry) > 2 else qname
    return RR(owner, QTYPE.A, rdata=A(entry[1]), ttl=60)


def reply_bytes(query, data, setup):
    qid = query.header.id
    if "records" in setup:
        question_end = 12
        while data[question_end]:
            question_end += 1 + data[question_end]
        question_end += 5
        header = struct.pack(">HHHHHH", qid, 0x8180, 1, setup.get("count", 1), 0, 0)
        packet = header + data[12:question_end] + bytes.fromhex(setup["records"])
    else:
        reply = query.reply()
        qname = str(query.q.qname)
        for entry in setup.get("answer", []):
            reply.add_answer(record(entry, qname))
        for entry in setup.get("additional", []):
            reply.add_ar(record(entry, qname))
        reply.header.rcode = setup.get("rcode", 0)
        if setup.get("tc"):
            reply.header.tc = 1
        if setup.get("qr") is False:
            reply.header.qr = 0
        packet = reply.pack()
    if setup.get("id") == "other":
        packet = struct.pack(">H", (qid + 1) & 0xFFFF) + packet[2:]
    if "cut" in setup:
        packet = packet[: setup["cut"]]
    return packet


def dns(setup, log_path):
    sockets = []
    # One port on every address, so the client's port setting reaches them all.
    for _ in range(50):
        for s in sockets:
            s.close()
        sockets = []
        try:
            for address in setup:
                s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
                s.bind((address, sockets[0].getsockname()[1] if sockets else 0))
                sockets.append(s)
            break
        except OSError:
            continue
    print(sockets[0].getsockname()[1], flush=True)
    selector = selectors.DefaultSelector()
    for s in sockets:
        selector.register(s, selectors.EVENT_READ)
    deadline = time.monotonic() + LIFETIME
    with open(log_path, "a") as log:
        while time.monotonic() < deadline:
            for key, _ in selector.select(timeout=1):
                s = key.fileobj
                data, peer = s.recvfrom(65536)
                address = s.getsockname()[0]
                log.write(address + " " + data.hex(" ").upper() + "\n")
                log.flush()
                behaviour = setup[address]
                if isinstance(behaviour, dict) and behaviour.get("silent"):
                    continue
                query = DNSRecord.parse(data)
                for reply in behaviour:
                    s.sendto(reply_bytes(query, data, reply), peer)


def main():
    kind, arg, log_path = sys.argv[1], json.loads(sys.argv[2]), sys.argv[3]
    if kind == "tcp":
        tcp(arg, log_path)
    else:
        dns(arg, log_path)


if __name__ == "__main__":
    main()
