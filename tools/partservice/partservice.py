#!/usr/bin/env python3
"""A stand-in for the online part service that KOLT's part information asks.

Answers the search and the detail request of the part information dialog
from a small catalogue of electronic parts, and serves a tiny PDF datasheet
and a small picture for each part. Python standard library only; listens on
127.0.0.1 alone.

    python3 tools/partservice/partservice.py --port 8642
    python3 tools/partservice/partservice.py --port 0   # any free port

The first line on standard output is the port it listens on. SIGTERM or
Ctrl-C stops it.
"""

import argparse
import json
import signal
import struct
import sys
import threading
import urllib.parse
import zlib
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

SEARCH_PATH = "/api/v2/parts/search"
DETAIL_PATH = "/api/v2/parts/get"

MANUFACTURERS = {
    "YAGEO": "http://www.yageo.com",
    "Vishay Dale": "http://www.vishay.com",
    "Panasonic": "https://www.panasonic.com",
    "Murata": "http://www.murata.com",
    "Samsung Electro-Mechanics": "http://www.samsungsem.com",
    "Würth Elektronik": "http://www.we-online.com",
    "Texas Instruments": "http://www.ti.com",
    "Microchip Technology": "http://www.microchip.com",
    "STMicroelectronics": "http://www.st.com",
    "Maxim Integrated": "http://www.maximintegrated.com",
    "Analog Devices": "http://www.analog.com",
    "onsemi": "https://www.onsemi.com",
    "Diodes Incorporated": "https://www.diodes.com",
    "Nexperia": "https://www.nexperia.com",
    "Molex": "http://www.molex.com",
    "Amphenol ICC": "http://www.amphenol-icc.com",
    "Hirose Electric": "http://www.hirose.com",
    "TE Connectivity": "http://www.te.com",
    "JST": "http://www.jst-mfg.com",
    "ECS Inc.": None,
    "Lattice Semiconductor": "HTTP://latticesemi.com",
}

# mpn, manufacturer, description, average price in USD (None: no price known)
CATALOGUE = [
    ("RC0603FR-0710KL", "YAGEO", "Resistor thick film 10 kΩ 1% 0.1 W 0603 SMD", 0.0021),
    ("RC0603FR-07100RL", "YAGEO", "Resistor thick film 100 Ω 1% 0.1 W 0603 SMD", 0.0021),
    ("CRCW080510K0FKEA", "Vishay Dale", "Resistor thick film 10 kΩ 1% 0.125 W 0805 SMD", 0.0143),
    ("ERJ-3EKF1001V", "Panasonic", "Resistor thick film 1 kΩ 1% 0.1 W 0603 SMD", 0.0075),
    ("GRM188R71H104KA93D", "Murata", "Capacitor ceramic 100 nF 50 V X7R 0603 SMD", 0.0089),
    ("CL21A106KAYNNNE", "Samsung Electro-Mechanics", "Capacitor ceramic 10 µF 25 V X5R 0805 SMD", 0.0412),
    ("885012207098", "Würth Elektronik", "Capacitor ceramic 1 µF 50 V X7R 0805 SMD, Tape & Reel", 0.0575),
    ("EEE-FK1V101P", "Panasonic", "Capacitor aluminium electrolytic 100 µF 35 V SMD", 0.123456),
    ("744771110", "Würth Elektronik", "Inductor shielded 10 µH 3.9 A SMD", 1.12),
    ("BLM18PG221SN1D", "Murata", "Ferrite bead 220 Ω at 100 MHz 1.4 A 0603 SMD", 0.0312),
    ("LM358DR", "Texas Instruments", "Op amp dual general purpose 32 V SOIC-8 SMD, Tape & Reel", 0.1412),
    ("LM317T/NOPB", "Texas Instruments", "Linear regulator adjustable 1.5 A TO-220", 0.5891),
    ("NE555P", "Texas Instruments", "Timer single bipolar 16 V PDIP-8", 0.2735),
    ("SN74HC595N", "Texas Instruments", "Shift register 8-bit serial-in parallel-out PDIP-16", 0.332),
    ("ATMEGA328P-AU", "Microchip Technology", "Microcontroller 8-bit AVR 32 KB flash 20 MHz TQFP-32 SMD", 2.0845),
    ("STM32F103C8T6", "STMicroelectronics", "Microcontroller 32-bit Arm Cortex-M3 64 KB flash LQFP-48 SMD", 3.4112),
    ("MAX3232CPE+", "Maxim Integrated", "RS-232 transceiver 3 V to 5.5 V PDIP-16", 2.95),
    ("LT1763CS8-3.3#PBF", "Analog Devices", "LDO regulator 3.3 V 500 mA low noise SOIC-8 SMD", 3.88),
    ("NCP1117ST33T3G", "onsemi", "LDO regulator 3.3 V 1 A SOT-223 SMD", 0.2468),
    ("24LC256-I/P", "Microchip Technology", "EEPROM 256 Kbit I2C 400 kHz PDIP-8", 0.871),
    ("1N4148W-7-F", "Diodes Incorporated", "Switching diode 75 V 150 mA SOD-123 SMD", 0.0218),
    ("BC847C,215", "Nexperia", "Transistor NPN 45 V 100 mA SOT-23 SMD", 0.019),
    ("2N7002", "onsemi", "MOSFET N-channel 60 V 115 mA SOT-23 SMD", 0.0301),
    ("22-23-2031", "Molex", "Connector header 3 positions 2.54 mm vertical", 0.198),
    ("61300411121", "Würth Elektronik", "Connector pin header 4 positions 2.54 mm vertical", 0.145),
    ("10118194-0001LF", "Amphenol ICC", "Connector USB Micro-B receptacle SMD", 0.36),
    ("DF13-5P-1.25DSA(50)", "Hirose Electric", "Connector header 5 positions 1.25 mm right angle", 0.281),
    ("640456-2", "TE Connectivity", "Connector MTA-100 header 2 positions 2.54 mm", None),
    ("B2B-XH-A(LF)(SN)", "JST", "Connector XH header 2 positions 2.50 mm vertical", 0.081),
    ("ECS-160-20-4X", "ECS Inc.", "Crystal 16 MHz 20 pF HC-49/US", 0.229),
    ("LFE5U-25F-6BG256C", "Lattice Semiconductor", "FPGA ECP5 24K LUTs 197 I/O caBGA-256", 12),
]


def uid_of(index):
    # Digits only, as the client keeps nothing else of a uid.
    return 48391500 + 37 * index


def file_stem(mpn):
    return mpn.replace("/", "-")


def dump(value, indent=0):
    """Pretty-printed JSON with arrays of plain values kept on one line."""
    pad = "  " * indent
    inner = "  " * (indent + 1)
    if isinstance(value, dict):
        if not value:
            return "{}"
        items = [inner + json.dumps(k, ensure_ascii=False) + ": " + dump(v, indent + 1) for k, v in value.items()]
        return "{\n" + ",\n".join(items) + "\n" + pad + "}"
    if isinstance(value, list):
        if not value:
            return "[]"
        if all(not isinstance(v, (dict, list)) for v in value):
            return "[" + ", ".join(dump(v) for v in value) + "]"
        items = [inner + dump(v, indent + 1) for v in value]
        return "[\n" + ",\n".join(items) + "\n" + pad + "]"
    return json.dumps(value, ensure_ascii=False)


def part_record(index, base, detail):
    mpn, maker, description, price = CATALOGUE[index]
    record = {
        "__class__": "Part",
        "uid": uid_of(index),
        "mpn": mpn,
        "manufacturer": {
            "__class__": "Brand",
            "displayname": maker,
            "homepage_url": MANUFACTURERS[maker],
        },
        "short_description": description,
        "avg_price": [price, "USD"] if price is not None else None,
    }
    if detail:
        stem = urllib.parse.quote(file_stem(mpn))
        record["image"] = {"__class__": "Image", "url_90px": base + "/images/" + stem + ".png"}
        record["datasheets"] = [{"__class__": "Datasheet", "url": base + "/datasheets/" + stem + ".pdf",
                                 "mimetype": "application/pdf"}]
    return record


def search(text):
    needle = text.strip().lower()
    found = []
    for index, (mpn, maker, description, _) in enumerate(CATALOGUE):
        if needle in mpn.lower() or needle in maker.lower() or needle in description.lower():
            found.append(index)
    return found


def pdf_escape(text):
    return text.replace("\\", "\\\\").replace("(", "\\(").replace(")", "\\)")


def datasheet_pdf(index):
    """A one-page PDF naming the part: small, but valid, with a correct xref."""
    mpn, maker, description, _ = CATALOGUE[index]
    lines = [("F1", 20, 72, 760, mpn), ("F1", 12, 72, 736, maker), ("F1", 11, 72, 716, description),
             ("F1", 9, 72, 690, "Datasheet served by the KOLT part service stand-in.")]
    stream = "".join("BT /%s %d Tf %d %d Td (%s) Tj ET\n" % (f, s, x, y, pdf_escape(t)) for f, s, x, y, t in lines)
    stream = stream.encode("cp1252", errors="replace")
    objects = [
        b"<< /Type /Catalog /Pages 2 0 R >>",
        b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R"
        b" /Resources << /Font << /F1 5 0 R >> >> >>",
        b"<< /Length %d >>\nstream\n" % len(stream) + stream + b"endstream",
        b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>",
    ]
    out = bytearray(b"%PDF-1.4\n")
    offsets = []
    for number, body in enumerate(objects, 1):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % number + body + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    for offset in offsets:
        out += b"%010d 00000 n \n" % offset
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, xref)
    return bytes(out)


def picture_png(index):
    """A 16 x 16 grey square with a coloured band, different per part."""
    size = 16
    band = (40 + 7 * index % 200, 120, 200 - 5 * index % 150)
    rows = b""
    for y in range(size):
        pixel = bytes(band) if 6 <= y < 10 else b"\x80\x80\x80"
        rows += b"\x00" + pixel * size

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows))
            + chunk(b"IEND", b""))


def index_by_stem(stem):
    for index, (mpn, _, _, _) in enumerate(CATALOGUE):
        if file_stem(mpn) == stem:
            return index
    return None


class Handler(BaseHTTPRequestHandler):
    server_version = "KOLTPartService/1.0"
    verbose = False

    def log_message(self, format, *args):  # noqa: A002 - the base class's name
        if self.verbose:
            sys.stderr.write("%s - %s\n" % (self.address_string(), format % args))

    def base_address(self):
        host = self.headers.get("Host") or "127.0.0.1:%d" % self.server.server_address[1]
        return "http://" + host

    def send(self, status, body, content_type):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def send_json(self, status, value):
        self.send(status, (dump(value) + "\n").encode("utf-8"), "application/json; charset=utf-8")

    def do_HEAD(self):
        self.do_GET()

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(url.query, keep_blank_values=True)
        if url.path == SEARCH_PATH:
            text = query.get("q", [""])[0]
            try:
                limit = max(0, min(100, int(query.get("limit", ["15"])[0])))
            except ValueError:
                limit = 15
            found = search(text)
            base = self.base_address()
            self.send_json(200, {
                "__class__": "SearchResponse",
                "hits": len(found),
                "results": [{"__class__": "SearchResult", "item": part_record(i, base, False)}
                            for i in found[:limit]],
            })
        elif url.path == DETAIL_PATH:
            wanted = query.get("uid", [""])[0]
            for index in range(len(CATALOGUE)):
                if str(uid_of(index)) == wanted:
                    self.send_json(200, part_record(index, self.base_address(), True))
                    return
            self.send_json(404, {"__class__": "ClientErrorResponse", "message": "Part not found"})
        elif url.path.startswith("/datasheets/") and url.path.endswith(".pdf"):
            index = index_by_stem(urllib.parse.unquote(url.path[len("/datasheets/"):-4]))
            if index is None:
                self.send(404, b"not found\n", "text/plain")
            else:
                self.send(200, datasheet_pdf(index), "application/pdf")
        elif url.path.startswith("/images/") and url.path.endswith(".png"):
            index = index_by_stem(urllib.parse.unquote(url.path[len("/images/"):-4]))
            if index is None:
                self.send(404, b"not found\n", "text/plain")
            else:
                self.send(200, picture_png(index), "image/png")
        else:
            self.send(404, b"not found\n", "text/plain")


def main():
    parser = argparse.ArgumentParser(description="Stand-in part service for KOLT (127.0.0.1 only).")
    parser.add_argument("--port", type=int, default=8642, help="port to listen on; 0 picks a free one")
    parser.add_argument("--verbose", action="store_true", help="log each request to standard error")
    options = parser.parse_args()

    Handler.verbose = options.verbose
    server = ThreadingHTTPServer(("127.0.0.1", options.port), Handler)
    server.daemon_threads = True
    print(server.server_address[1], flush=True)

    stop = threading.Event()
    for signum in (signal.SIGTERM, signal.SIGINT):
        signal.signal(signum, lambda *_: stop.set())
    worker = threading.Thread(target=server.serve_forever, daemon=True)
    worker.start()
    while not stop.wait(0.5):
        pass
    server.shutdown()
    server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
