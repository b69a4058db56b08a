#!/usr/bin/env python3
"""The phone page in a real browser: headless chromium at a phone's size (360 x 740) on
127.0.0.1, driven through chromedriver as a user would: open, pair, type, tap, read.

Usage: phone_browser_test.py SERVER SCENARIO [SCREENSHOT]
SERVER is the phone_test_server program; SCENARIO one of the functions named below."""

import base64
import hashlib
import os
import re
import subprocess
import sys
import tempfile

from selenium.common.exceptions import WebDriverException
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.common.exceptions import StaleElementReferenceException, TimeoutException
from selenium.webdriver.common.by import By
from selenium.webdriver.support import expected_conditions
from selenium.webdriver.support.ui import Select, WebDriverWait

FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--window-size=360,740"]

TEXT_ADDED = "数据添加成功！"
TEXT_NOT_PAIRED = "这部手机还没有配对"
TEXT_BAD_CODE = "配对码无效或已过期"
TEXT_WRONG_LOGIN = "密码或者用户名错误！"
TEXT_LOCKED = "登录失败次数太多，请15分钟后再试！"
TEXT_EXPIRED = "页面已过期，请重新打开！"
TEXT_UNREADABLE = "这个文件不是能识别的图片（JPEG、PNG、WebP）或PDF，不能作为凭证！"
TEXT_TOO_LARGE = "照片太大，一次最多发送24MB！请少选几张再试。"



def replaced(element):
    """True once the page holding element is gone: chromium may answer a question about a node
    of a page being replaced with an inspector error instead of calling it stale."""
    try:
        element.is_enabled()
        return False
    except WebDriverException:
        return True

class Server:
    """The test server: its commands go in on stdin, answers come back one line each."""

    def __init__(self, program, folder):
        self.process = subprocess.Popen([program, folder], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, text=True)
        line = self.process.stdout.readline().split()
        assert line and line[0] == "port", "the server did not start"
        self.port = int(line[1])
        self.folder = folder

    def ask(self, command):
        self.process.stdin.write(command + "\n")
        self.process.stdin.flush()
        return self.process.stdout.readline().strip()

    def stop(self):
        self.process.stdin.close()
        self.process.wait(timeout=30)

    def server_key_pin(self):
        # The browser trusts exactly this server's key, as a phone trusts the authority once.
        pem = open(os.path.join(self.folder, "config", "phone-server.pem"), "rb").read()
        key = subprocess.run(["openssl", "x509", "-pubkey", "-noout"], input=pem,
                             capture_output=True, check=True).stdout
        der = subprocess.run(["openssl", "pkey", "-pubin", "-outform", "der"], input=key,
                             capture_output=True, check=True).stdout
        return base64.b64encode(hashlib.sha256(der).digest()).decode()


class Phone:
    def __init__(self, server, profile):
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for flag in FLAGS:
            options.add_argument(flag)
        options.add_argument("--user-data-dir=" + profile)
        options.add_argument("--ignore-certificate-errors-spki-list=" + server.server_key_pin())
        options.add_argument("--lang=zh-CN")
        # A desktop window has a floor on its width; the page is seen as a phone sees it.
        options.add_experimental_option("mobileEmulation", {
            "deviceMetrics": {"width": 360, "height": 740, "pixelRatio": 1.0}})
        self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        self.server = server
        self.base = "https://127.0.0.1:%d" % server.port

    def open(self, url):
        self.driver.get(url)

    def page_text(self):
        return self.driver.find_element(By.TAG_NAME, "body").text

    def wait_for_text(self, text):
        try:
            WebDriverWait(self.driver, 20, ignored_exceptions=[StaleElementReferenceException]).until(
                lambda d: text in d.find_element(By.TAG_NAME, "body").text)
        except TimeoutException:
            raise AssertionError("the page never said %r; at %s it says:\n%s" %
                                 (text, self.driver.current_url, self.page_text()))

    def type(self, element_id, text):
        box = self.driver.find_element(By.ID, element_id)
        box.clear()
        box.send_keys(text)

    def tap(self, element_id):
        # Every button here sends a form: the tap is over when the next page has replaced
        # this one.
        page = self.driver.find_element(By.TAG_NAME, "html")
        self.driver.find_element(By.ID, element_id).click()
        WebDriverWait(self.driver, 30).until(lambda driver: replaced(page))

    def pair(self, user="root", password="73950", device="测试手机", url=None):
        self.open(url or self.server.ask("pair"))
        self.type("user", user)
        self.type("password", password)
        self.type("device", device)
        self.tap("login")

    def add(self, amount, note=""):
        self.type("amount", amount)
        self.type("note", note)
        self.tap("add")

    def choose_photo(self, path):
        # What the phone's picture chooser hands the page.
        self.driver.find_element(By.ID, "picture-chosen").send_keys(path)

    def quit(self):
        self.driver.quit()


def check(condition, what):
    if not condition:
        raise AssertionError(what)


# --- scenarios -------------------------------------------------------------------------

def pairing(phone, server):
    phone.pair()
    phone.wait_for_text("记一笔")
    check("root · 测试手机" in phone.page_text(), "the page names the user and the phone")
    # The pairing code was used up: the same address opens nothing a second time.
    cookies = {c["name"]: c for c in phone.driver.get_cookies()}
    device = cookies["__Host-coffer_device"]
    check(device["httpOnly"] and device["secure"] and device.get("sameSite") == "Strict",
          "the device cookie is HttpOnly, Secure and SameSite=Strict")
    session = cookies["__Host-coffer_session"]
    check(session["httpOnly"] and session["secure"] and session.get("sameSite") == "Strict",
          "the session cookie is HttpOnly, Secure and SameSite=Strict")
    page = phone.driver.page_source
    for secret in ("73950", device["value"], session["value"]):
        check(secret not in page, "the page shows no password, token or session id")


def login(phone, server):
    # No pairing code, no login form.
    phone.open(phone.base + "/")
    phone.wait_for_text(TEXT_NOT_PAIRED)
    check(not phone.driver.find_elements(By.ID, "password"), "no login without a pairing code")
    url = server.ask("pair")
    phone.pair(password="wrong", url=url)
    phone.wait_for_text(TEXT_WRONG_LOGIN)
    phone.type("password", "73950")
    phone.tap("login")
    phone.wait_for_text("记一笔")
    # The code is spent: another phone cannot use the same address.
    phone.open(url)
    phone.wait_for_text(TEXT_BAD_CODE)


def adding(phone, server):
    phone.pair()
    phone.wait_for_text("记一笔")
    # What the entry window says, the page says.
    phone.add("")
    phone.wait_for_text("请输入一个数字。")
    phone.add("12.3.4")
    phone.wait_for_text("请输入一个数字。")
    phone.add("0")
    phone.wait_for_text("支出金额不能为0！请填入正确的支出金额！")
    check(server.ask("count") == "0", "nothing written for a refused amount")
    Select(phone.driver.find_element(By.ID, "pay-item")).select_by_visible_text("交通")
    phone.add("12.50", "地铁")
    phone.wait_for_text(TEXT_ADDED)
    check(phone.driver.find_element(By.ID, "amount").get_attribute("value") == "",
          "the amount clears for the next record")
    today = phone.driver.find_element(By.ID, "today").text
    check("交通" in today and "-12.50" in today and "地铁" in today, "today's list shows the record")
    check("本月支出 12.50" in phone.driver.find_element(By.ID, "totals").text, "the month's total")
    # An income goes to the income table with its own category list.
    phone.driver.find_element(By.CSS_SELECTOR, "label:has(#kind-income)").click()
    Select(phone.driver.find_element(By.ID, "income-item")).select_by_visible_text("奖金")
    phone.add("100")
    phone.wait_for_text(TEXT_ADDED)
    check("本月收入 100.00" in phone.driver.find_element(By.ID, "totals").text, "income total")
    check(server.ask("count") == "2", "two records written")


def retried_submission(phone, server):
    phone.pair()
    phone.wait_for_text("记一笔")
    phone.type("amount", "7.25")
    # The form as it leaves the phone, to send again as a browser retrying would.
    # (its fields; the photo boxes are empty)
    body = phone.driver.execute_script(
        "return [...new FormData(document.getElementById('entry'))]"
        "  .filter(([name, value]) => typeof value === 'string');")
    server.ask("drop 1")
    phone.tap("add")  # the answer is lost on the way back (the browser may try once more)
    WebDriverWait(phone.driver, 20).until(lambda d: server.ask("count") != "0")
    check(server.ask("count") == "1", "the first try was written, once")
    # The phone sends the same form again, twice, as a reload after a lost answer does.
    for attempt in range(2):
        phone.open(phone.base + "/")
        phone.wait_for_text("记一笔")
        phone.driver.execute_script(
            "const form = document.createElement('form');"
            "form.method = 'post'; form.action = '/add'; form.enctype = 'multipart/form-data';"
            "for (const [name, value] of arguments[0]) {"
            "  const field = document.createElement('input');"
            "  field.type = 'hidden'; field.name = name; field.value = value;"
            "  form.appendChild(field); }"
            "document.body.appendChild(form); form.submit();", body)
        phone.wait_for_text(TEXT_ADDED)
        check(server.ask("count") == "1", "a retried submission writes nothing new")


def correction(phone, server):
    phone.pair()
    phone.wait_for_text("记一笔")
    phone.add("30")
    phone.wait_for_text(TEXT_ADDED)
    phone.type("last-amount", "35.5")
    phone.tap("correct")
    phone.wait_for_text("记录已更正！")
    check("-35.50" in phone.driver.find_element(By.ID, "today").text, "the corrected amount")
    check(server.ask("count") == "1", "a correction adds nothing")
    phone.tap("delete")
    phone.wait_for_text("记录已删除！")
    check(server.ask("count") == "0", "the deleted record is gone")
    phone.add("8")
    phone.wait_for_text(TEXT_ADDED)
    server.ask("advance 601")
    phone.open(phone.base + "/")
    phone.wait_for_text("记一笔")
    check(not phone.driver.find_elements(By.ID, "correct"), "after 10 minutes it stays as it is")


def lockout(phone, server):
    url = server.ask("pair")
    phone.open(url)
    for attempt in range(5):
        phone.type("user", "root")
        phone.type("password", "wrong%d" % attempt)
        phone.tap("login")
        phone.wait_for_text(TEXT_LOCKED if attempt == 4 else TEXT_WRONG_LOGIN)
    # Locked: even the right password is refused for 15 minutes.
    phone.type("password", "73950")
    phone.tap("login")
    phone.wait_for_text(TEXT_LOCKED)
    check(not phone.driver.find_elements(By.ID, "add"), "no page while locked")
    server.ask("advance 901")
    phone.pair(url=server.ask("pair"))
    phone.wait_for_text("记一笔")


def wrong_csrf(phone, server):
    phone.pair()
    phone.wait_for_text("记一笔")
    phone.driver.execute_script("document.querySelector('#entry input[name=csrf]').value = 'forged';")
    phone.add("99")
    phone.wait_for_text(TEXT_EXPIRED)
    check(server.ask("count") == "0", "a form with a wrong token writes nothing")


def expired_code(phone, server):
    url = server.ask("pair")
    server.ask("advance 301")
    phone.open(url)
    phone.wait_for_text(TEXT_BAD_CODE)
    check(not phone.driver.find_elements(By.ID, "password"), "an expired code opens no login")


def revoked_phone(phone, server):
    phone.pair()
    phone.wait_for_text("记一笔")
    phone.type("amount", "5")
    server.ask("revoke")
    phone.tap("add")
    phone.wait_for_text(TEXT_NOT_PAIRED)
    check(server.ask("count") == "0", "a revoked phone writes nothing")
    phone.open(phone.base + "/")
    phone.wait_for_text(TEXT_NOT_PAIRED)


def receipt(phone, server):
    photos = [os.path.join(server.folder, "receipt%d.jpg" % n) for n in (1, 2)]
    for photo in photos:
        check(server.ask("photo " + photo) == "ok", "the test photo was made")
    phone.pair()
    phone.wait_for_text("记一笔")
    check(phone.driver.find_element(By.ID, "picture-camera").get_attribute("capture") == "environment",
          "one box opens the camera")
    phone.type("amount", "36.80")
    phone.choose_photo(photos[0])
    check("已选1张：receipt1.jpg" in phone.page_text(), "the page names the chosen photo")
    phone.tap("add")
    phone.wait_for_text("已附凭证1张。")
    check(TEXT_ADDED in phone.page_text(), "the record was added")
    check(server.ask("pictures") == "1 1", "one picture stored and linked")
    check("凭证" in phone.driver.find_element(By.ID, "today").text, "today's list marks its receipt")

    # The answer to the next one is lost; the phone sends the same submission again.
    submission = phone.driver.find_element(By.NAME, "submission").get_attribute("value")
    server.ask("drop 1")
    phone.type("amount", "12")
    phone.choose_photo(photos[1])
    phone.tap("add")
    WebDriverWait(phone.driver, 20).until(lambda d: server.ask("count") == "2")
    phone.open(phone.base + "/")
    phone.wait_for_text("记一笔")
    phone.driver.execute_script(
        "document.querySelector('#entry input[name=submission]').value = arguments[0];", submission)
    phone.type("amount", "12")
    phone.choose_photo(photos[1])
    phone.tap("add")
    phone.wait_for_text("已附凭证1张。")
    check(server.ask("count") == "2", "the retried submission added no record")
    check(server.ask("pictures") == "2 2", "and no second picture or link")

    # What is no picture is refused in the windows' words; a body over the limit gets a page
    # that says so, not a broken connection. Neither writes anything.
    refused = [("notes.jpg", b"not a photo\n", TEXT_UNREADABLE),
               ("huge.jpg", b"\xff\xd8" + os.urandom(25 * 1024 * 1024), TEXT_TOO_LARGE)]
    for name, content, text in refused:
        path = os.path.join(server.folder, name)
        with open(path, "wb") as data:
            data.write(content)
        phone.open(phone.base + "/")
        phone.wait_for_text("记一笔")
        phone.type("amount", "5")
        phone.choose_photo(path)
        phone.tap("add")
        phone.wait_for_text(text)
        check(server.ask("count") == "2", "nothing written for " + name)


def screenshot(phone, server, path):
    phone.pair(device="小米手机")
    phone.wait_for_text("记一笔")
    Select(phone.driver.find_element(By.ID, "pay-item")).select_by_visible_text("餐饮")
    phone.add("36.80", "午饭")
    phone.wait_for_text(TEXT_ADDED)
    phone.driver.save_screenshot(path)
    size = len(phone.driver.page_source.encode())
    print("page bytes (HTML):", size)
    # The photo boxes, with a photo chosen.
    photo = os.path.join(server.folder, "receipt.jpg")
    server.ask("photo " + photo)
    phone.choose_photo(photo)
    phone.driver.execute_script("document.querySelector('.pictures').scrollIntoView();")
    phone.driver.save_screenshot(path.replace(".png", "-pictures.png"))


SCENARIOS = {f.__name__: f for f in [pairing, login, adding, retried_submission, correction,
                                     lockout, wrong_csrf, expired_code, revoked_phone, receipt]}


def main():
    program, scenario = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory() as folder:
        profile = os.path.join(folder, "profile")
        os.mkdir(profile)
        server = Server(program, folder)
        phone = Phone(server, profile)
        try:
            if scenario == "screenshot":
                screenshot(phone, server, sys.argv[3])
            else:
                SCENARIOS[scenario](phone, server)
        finally:
            phone.quit()
            server.stop()
    print(scenario, "passed")


if __name__ == "__main__":
    main()
