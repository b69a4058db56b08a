#!/usr/bin/env python3
"""Six phones submit 200 records each at once to the phone page on 127.0.0.1; one answer in
twenty is lost (the phone hangs up before reading it) and the submission is sent again with
the same id. Exactly 1,200 records must land. Prints the median and 95th percentile latency
of a submission (from its first sending to the answer that arrived).

Usage: phone_load_test.py SERVER"""

import http.client
import os
import random
import re
import ssl
import statistics
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse
import uuid

PHONES = 6
RECORDS = 200
LOST_SHARE = 0.05
ADDED = "数据添加成功！"


def cookies_of(response, jar):
    for name, value in response.getheaders():
        if name.lower() == "set-cookie":
            pair = value.split(";", 1)[0]
            key, _, text = pair.partition("=")
            jar[key] = text


def cookie_header(jar):
    return "; ".join("%s=%s" % item for item in jar.items() if item[1])


def csrf_of(html):
    return re.search(r'name="csrf" value="([^"]+)"', html).group(1)


class Phone:
    def __init__(self, port, context, number):
        self.port, self.context, self.number = port, context, number
        self.jar = {}
        self.connection = None

    def connect(self):
        self.connection = http.client.HTTPSConnection("127.0.0.1", self.port, context=self.context,
                                                      timeout=60)

    def request(self, method, path, body=None):
        headers = {"Cookie": cookie_header(self.jar)}
        if body is not None:
            headers["Content-Type"] = "application/x-www-form-urlencoded"
        self.connection.request(method, path, body=body, headers=headers)
        response = self.connection.getresponse()
        text = response.read().decode()
        cookies_of(response, self.jar)
        return response.status, text

    def pair(self, url):
        self.connect()
        path = url.split(str(self.port), 1)[1]
        code = urllib.parse.parse_qs(urllib.parse.urlsplit(path).query)["code"][0]
        status, page = self.request("GET", path)
        assert status == 200, page
        form = urllib.parse.urlencode({"csrf": csrf_of(page), "code": code, "user": "root",
                                       "password": "73950", "device": "手机%d" % self.number})
        status, _ = self.request("POST", "/pair", form)
        assert status == 303, "pairing failed"
        status, page = self.request("GET", "/")
        assert status == 200
        self.csrf = csrf_of(page)

    def submit_all(self, latencies, failures):
        chance = random.Random(self.number)
        for index in range(RECORDS):
            form = urllib.parse.urlencode({
                "csrf": self.csrf, "submission": str(uuid.uuid4()), "kind": "pay",
                "amount": "%d.%02d" % (index + 1, self.number), "member": "爸爸",
                "payItem": "餐饮", "when": "", "note": "第%d部手机" % self.number})
            started = time.monotonic()
            if chance.random() < LOST_SHARE:
                # Sent, but the answer never arrives: the phone gives up on the connection.
                self.connection.request("POST", "/add", body=form, headers={
                    "Cookie": cookie_header(self.jar),
                    "Content-Type": "application/x-www-form-urlencoded"})
                self.connection.close()
                self.connect()
            for attempt in range(3):
                try:
                    status, page = self.request("POST", "/add", form)
                    break
                except (http.client.HTTPException, OSError):
                    self.connection.close()
                    self.connect()
            else:
                failures.append("no answer after three tries")
                continue
            latencies.append(time.monotonic() - started)
            if status != 200 or ADDED not in page:
                failures.append("phone %d record %d: %d" % (self.number, index, status))


def main():
    program = sys.argv[1]
    with tempfile.TemporaryDirectory() as folder:
        server = subprocess.Popen([program, folder], stdin=subprocess.PIPE,
                                  stdout=subprocess.PIPE, text=True)
        port = int(server.stdout.readline().split()[1])

        def ask(command):
            server.stdin.write(command + "\n")
            server.stdin.flush()
            return server.stdout.readline().strip()

        context = ssl.create_default_context(cafile=os.path.join(folder, "config", "phone-ca.pem"))
        phones = [Phone(port, context, number) for number in range(1, PHONES + 1)]
        for phone in phones:
            phone.pair(ask("pair"))
        latencies, failures = [], []
        threads = [threading.Thread(target=phone.submit_all, args=(latencies, failures))
                   for phone in phones]
        started = time.monotonic()
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        elapsed = time.monotonic() - started
        count = int(ask("count"))
        server.stdin.close()
        server.wait(timeout=30)
    latencies.sort()
    p95 = latencies[int(len(latencies) * 0.95) - 1]
    print("records %d in %.1f s; latency median %.1f ms, p95 %.1f ms" %
          (count, elapsed, statistics.median(latencies) * 1000, p95 * 1000))
    if failures:
        print("\n".join(failures[:10]))
        sys.exit(1)
    if count != PHONES * RECORDS:
        print("expected %d records, found %d" % (PHONES * RECORDS, count))
        sys.exit(1)


if __name__ == "__main__":
    main()
