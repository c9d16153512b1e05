#!/usr/bin/env python3
"""Stand-ins for the distributors' part-data services KOLT reads offers from.

One loopback server answers as three documented services do:

  Mouser Search API v1   POST /api/v1/search/partnumber?apiKey=KEY
                         POST /api/v1/search/keyword?apiKey=KEY
  Digi-Key Product Information v4
                         POST /v1/oauth2/token   (client credentials)
                         POST /products/v4/search/keyword
                         GET  /products/v4/search/{number}/productdetails
  Nexar (Octopart)       POST /connect/token     (client credentials)
                         POST /graphql           (supMultiMatch, supSearch)

Credentials that work: Mouser key "MOUSER-KEY"; Digi-Key "DK-ID"/"DK-SECRET";
Nexar "NX-ID"/"NX-SECRET". Part numbers with a meaning of their own:
"RATE-LIMIT" (the service's rate-limit answer), "MALFORMED" (an answer that is
not JSON); any number the catalogue lacks is not found. GET /stats tells how
many tokens and requests each service has handled, for the tests of the cache
and of token renewal.

    python3 tools/partservice/distributors.py --port 0 [--token-seconds N] [--currency EUR]

The first line on standard output is the port. Python standard library only.
"""

import argparse
import json
import signal
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

# mpn, manufacturer, description, stock, [(quantity, USD price)], moq, multiple, pack, lifecycle
CATALOGUE = [
    ("RC0603FR-0710KL", "YAGEO", "Thick Film Resistors - SMD 10K OHM 1%", 412000,
     [(1, 0.10), (10, 0.025), (100, 0.0098), (1000, 0.0042)], 1, 1, 5000, None),
    ("GRM188R71H104KA93D", "Murata", "Multilayer Ceramic Capacitors MLCC 0.1uF 50V X7R 0603", 1250000,
     [(1, 0.10), (10, 0.05), (100, 0.021), (4000, 0.0089)], 1, 1, 4000, None),
    ("LM358DR", "Texas Instruments", "Operational Amplifiers Dual 3-32V", 88000,
     [(1, 0.52), (10, 0.356), (100, 0.232)], 1, 1, 2500, None),
    ("NE555P", "Texas Instruments", "Timers & Support Products Single Precision Timer", 0,
     [(1, 0.61), (25, 0.49)], 1, 1, 50, "Obsolete"),
    ("MAX232CPE+", "Maxim Integrated", "RS-232 Interface IC 5V Multichannel RS-232", 1500,
     [(1, 6.42), (25, 5.37)], 1, 1, 25, "Not Recommended for New Designs"),
]
STATS = {"mouser": 0, "digikey": 0, "nexar": 0, "digikey-tokens": 0, "nexar-tokens": 0}
LOCK = threading.Lock()
TOKENS = {}  # token -> expiry time


def count(key):
    with LOCK:
        STATS[key] += 1


def find(mpn):
    for part in CATALOGUE:
        if part[0].lower() == mpn.lower():
            return part
    return None


def search(keyword):
    words = keyword.lower().split()
    return [p for p in CATALOGUE if all(w in (p[0] + " " + p[1] + " " + p[2]).lower() for w in words)]


def money(value, currency):
    """Mouser writes prices for people: "$0.10", "0,10 €"."""
    if currency == "EUR":
        return ("%.4f" % value).rstrip("0").rstrip(",").replace(".", ",") + " €"
    return "$" + ("%.4f" % value).rstrip("0")


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def send(self, status, body, headers=()):
        data = body if isinstance(body, bytes) else json.dumps(body).encode()
        self.send_response(status)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(data)))
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(data)

    def body(self):
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length else b""

    def bearer_ok(self):
        auth = self.headers.get("Authorization", "")
        token = auth[7:] if auth.startswith("Bearer ") else ""
        with LOCK:
            expiry = TOKENS.get(token)
        return expiry is not None and expiry > time.time()

    def grant(self, client_id, client_secret, which):
        form = urllib.parse.parse_qs(self.body().decode())
        if form.get("grant_type") != ["client_credentials"] or form.get("client_id") != [client_id] \
                or form.get("client_secret") != [client_secret]:
            # RFC 6749 section 5.2, as both services document it.
            return self.send(401, {"error": "invalid_client", "error_description": "The client credentials are invalid"})
        count(which + "-tokens")
        token = "%s-%d-%f" % (which, STATS[which + "-tokens"], time.time())
        with LOCK:
            TOKENS[token] = time.time() + ARGS.token_seconds
        self.send(200, {"access_token": token, "expires_in": ARGS.token_seconds, "token_type": "Bearer"})

    # ---- Mouser: the SearchByPartRequest / SearchByKeywordRequest examples of its API documentation
    def mouser_part(self, part, currency):
        mpn, maker, description, stock, breaks, moq, mult, pack, lifecycle = part
        rate = 0.92 if currency == "EUR" else 1.0
        return {
            "Availability": "%s In Stock" % format(stock, ",") if stock else "None",
            "AvailabilityInStock": str(stock) if stock else None,
            "DataSheetUrl": "https://www.mouser.com/datasheet/2/%s.pdf" % mpn.lower(),
            "Description": description,
            "LeadTime": "84 Days",
            "LifecycleStatus": lifecycle,
            "Manufacturer": maker,
            "ManufacturerPartNumber": mpn,
            "Min": str(moq),
            "Mult": str(mult),
            "MouserPartNumber": "595-" + mpn,
            "PriceBreaks": [{"Quantity": q, "Price": money(p * rate, currency), "Currency": currency}
                            for q, p in breaks],
            "ProductDetailUrl": "https://www.mouser.com/ProductDetail/595-" + mpn,
        }

    def mouser(self, path, query):
        count("mouser")
        if query.get("apiKey") != ["MOUSER-KEY"]:
            return self.send(200, {"Errors": [{"Id": 0, "Code": "Invalid", "Message": "Invalid unique identifier.",
                                               "ResourceKey": "InvalidIdentifier", "PropertyName": "API Key"}],
                                   "SearchResults": None})
        request = json.loads(self.body() or b"{}")
        if path.endswith("/partnumber"):
            numbers = request["SearchByPartRequest"]["mouserPartNumber"].split("|")
            if "RATE-LIMIT" in numbers:
                return self.send(429, {"Errors": [{"Id": 0, "Code": "TooManyRequests",
                                                   "Message": "Maximum calls per minute exceeded."}]})
            if "MALFORMED" in numbers:
                return self.send(200, b"{\"SearchResults\": {\"Parts\": [")
            parts = [find(n) for n in numbers if find(n)]
            start, records = 0, len(parts)
        else:
            keyword = request["SearchByKeywordRequest"]
            parts = search(keyword["keyword"])
            start, records = keyword.get("startingRecord", 0), keyword.get("records", 50)
        page = parts[start:start + records]
        self.send(200, {"Errors": [], "SearchResults": {"NumberOfResult": len(parts),
                                                        "Parts": [self.mouser_part(p, ARGS.currency) for p in page]}})

    # ---- Digi-Key: the KeywordSearch and ProductDetails examples of Product Information v4
    def digikey_product(self, part):
        mpn, maker, description, stock, breaks, moq, mult, pack, lifecycle = part
        variation = lambda name, suffix, minimum: {
            "DigiKeyProductNumber": "%s%s-ND" % (mpn, suffix),
            "PackageType": {"Id": 1, "Name": name},
            "StandardPricing": [{"BreakQuantity": max(q, minimum), "UnitPrice": p,
                                 "TotalPrice": round(max(q, minimum) * p, 2)} for q, p in breaks if q >= 1],
            "MinimumOrderQuantity": minimum,
            "StandardPackage": pack if minimum > 1 else 1,
            "QuantityAvailableforPackageType": stock,
        }
        return {
            "Description": {"ProductDescription": description, "DetailedDescription": description + " (detail)"},
            "Manufacturer": {"Id": 1, "Name": maker},
            "ManufacturerProductNumber": mpn,
            "UnitPrice": breaks[0][1],
            "ProductUrl": "https://www.digikey.com/en/products/detail/" + mpn,
            "DatasheetUrl": "https://www.digikey.com/datasheet/%s.pdf" % mpn.lower(),
            "QuantityAvailable": stock,
            "ProductStatus": {"Id": 0, "Status": lifecycle or "Active"},
            "ManufacturerLeadWeeks": "12",
            "ProductVariations": [variation("Cut Tape (CT)", "CT", 1), variation("Tape & Reel (TR)", "TR", pack)],
        }

    def digikey(self, path, method):
        count("digikey")
        if not self.bearer_ok() or self.headers.get("X-DIGIKEY-Client-Id") != "DK-ID":
            return self.send(401, {"type": "https://tools.ietf.org/html/rfc7235#section-3.1", "title": "Unauthorized",
                                   "status": 401, "detail": "The Bearer token is invalid or has expired."})
        locale = {"Site": self.headers.get("X-DIGIKEY-Locale-Site", "US"),
                  "Language": self.headers.get("X-DIGIKEY-Locale-Language", "en"),
                  "Currency": self.headers.get("X-DIGIKEY-Locale-Currency", "USD")}
        if method == "GET":
            number = urllib.parse.unquote(path.split("/")[-2])
            part = find(number.replace("CT-ND", "").replace("TR-ND", ""))
            if not part:
                return self.send(404, {"title": "Not Found", "status": 404, "detail": "Product not found"})
            return self.send(200, {"Product": self.digikey_product(part), "SearchLocaleUsed": locale})
        request = json.loads(self.body() or b"{}")
        keywords = request.get("Keywords", "")
        if keywords == "RATE-LIMIT":
            return self.send(429, {"title": "Too Many Requests", "status": 429,
                                   "detail": "Daily ratelimit exceeded"}, [("Retry-After", "30"),
                                                                           ("X-RateLimit-Remaining", "0")])
        if keywords == "MALFORMED":
            return self.send(200, b"<html>Service Unavailable</html>")
        parts = search(keywords)
        exact = [p for p in parts if p[0].lower() == keywords.lower()]
        offset, limit = request.get("Offset", 0), request.get("Limit", 50)
        self.send(200, {"Products": [self.digikey_product(p) for p in parts[offset:offset + limit]],
                        "ProductsCount": len(parts),
                        "ExactMatches": [self.digikey_product(p) for p in exact],
                        "SearchLocaleUsed": locale})

    # ---- Nexar: the supMultiMatch and supSearch examples of its Supply API
    def nexar_part(self, part, currency):
        mpn, maker, description, stock, breaks, moq, mult, pack, lifecycle = part
        offer = lambda sku, level: {"sku": sku, "inventoryLevel": level, "moq": moq, "orderMultiple": mult,
                                    "packaging": "Cut Tape", "factoryLeadDays": 84, "clickUrl": "https://octopart.com/click/" + sku,
                                    "prices": [{"quantity": q, "price": p, "currency": currency} for q, p in breaks]}
        return {"mpn": mpn, "manufacturer": {"name": maker}, "shortDescription": description,
                "bestDatasheet": {"url": "https://datasheets.octopart.com/%s.pdf" % mpn},
                "octopartUrl": "https://octopart.com/" + mpn.lower(),
                "sellers": [{"company": {"name": "Digi-Key"}, "offers": [offer(mpn + "CT-ND", stock)]},
                            {"company": {"name": "Arrow Electronics"}, "offers": [offer("ARW-" + mpn, -2)]},
                            {"company": {"name": "Broker One"}, "offers": [offer("BRK-" + mpn, -4)]}]}

    def nexar(self):
        count("nexar")
        if not self.bearer_ok():
            return self.send(401, {"errors": [{"message": "The authorization token is invalid or has expired."}]})
        request = json.loads(self.body() or b"{}")
        variables = request.get("variables", {})
        currency = variables.get("currency", "USD")
        if "supMultiMatch" in request.get("query", ""):
            queries = variables.get("queries", [])
            mpns = [q.get("mpn", "") for q in queries]
            if "RATE-LIMIT" in mpns:
                return self.send(429, {"errors": [{"message": "Rate limit exceeded"}]})
            if "MALFORMED" in mpns:
                return self.send(200, b"{\"data\": {\"supMultiMatch\": [ {\"parts\": ")
            answer = []
            for q in queries:
                part = find(q.get("mpn", ""))
                answer.append({"reference": q.get("reference"), "hits": 1 if part else 0,
                               "parts": [self.nexar_part(part, currency)] if part else []})
            return self.send(200, {"data": {"supMultiMatch": answer}})
        if "supSearch" in request.get("query", ""):
            parts = search(variables.get("q", ""))
            start, limit = variables.get("start", 0), variables.get("limit", 10)
            return self.send(200, {"data": {"supSearch": {"hits": len(parts), "results": [
                {"part": self.nexar_part(p, currency)} for p in parts[start:start + limit]]}}})
        self.send(400, {"errors": [{"message": "Unknown query"}]})

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        if url.path == "/stats":
            with LOCK:
                return self.send(200, dict(STATS))
        if url.path.startswith("/products/v4/search/") and url.path.endswith("/productdetails"):
            return self.digikey(url.path, "GET")
        self.send(404, {"title": "Not Found", "status": 404})

    def do_POST(self):
        url = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(url.query)
        if url.path.startswith("/api/v1/search/"):
            return self.mouser(url.path, query)
        if url.path == "/v1/oauth2/token":
            return self.grant("DK-ID", "DK-SECRET", "digikey")
        if url.path == "/connect/token":
            return self.grant("NX-ID", "NX-SECRET", "nexar")
        if url.path.startswith("/products/v4/search/"):
            return self.digikey(url.path, "POST")
        if url.path == "/graphql":
            return self.nexar()
        self.send(404, {"title": "Not Found", "status": 404})


def main():
    global ARGS
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", type=int, default=8643)
    parser.add_argument("--token-seconds", type=int, default=600)
    parser.add_argument("--currency", default="USD")
    parser.add_argument("--extra", type=int, default=0,
                        help="that many more resistors KOLT-PAGE-001... for the tests of paging")
    ARGS = parser.parse_args()
    for n in range(1, ARGS.extra + 1):
        CATALOGUE.append(("KOLT-PAGE-%03d" % n, "YAGEO", "Resistor for paging %d" % n, n, [(1, 0.01)], 1, 1, 5000, None))
    server = ThreadingHTTPServer(("127.0.0.1", ARGS.port), Handler)
    signal.signal(signal.SIGTERM, lambda *a: threading.Thread(target=server.shutdown).start())
    print(server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
