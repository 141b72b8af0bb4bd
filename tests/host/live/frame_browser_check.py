"""Drives `vd4625 frame` in headless Chromium as a user would: the function
list, the notices folded and resized, an upload's progress and its line, a
parameter page opened without the frame around it moving, read and written,
a measured value moving, a question box answered, a page's own tab picked,
the tabs closed, the device put off the line and on again, the language
switched, the data set saved (and a save that fails), and the program
stopped with Ctrl-C; then a write-protected device refusing a download, in
both languages; and the server refusing requests without the right token or
to nothing.

  frame_browser_check.py VD4625_PROGRAM

Only the standard library: the browser is driven through chromedriver's
HTTP JSON interface. Every wait has a time limit; every process started here
is ended on every path.
"""
import ctypes
import json
import os
import selectors
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import traceback
import urllib.error
import urllib.parse
import urllib.request

CHROMIUM = "/usr/bin/chromium"
POLL = 0.1

# A device whose measured values move, so a cyclic page shows a change.
PROFILE = """<?xml version="1.0" encoding="UTF-8"?>
<DeviceProfile version="1">
  <Motion wLow="4.0" wHigh="20.0" period="20s" lag="1s"/>
</DeviceProfile>
"""


class Failure(Exception):
    pass


# A device that refuses every write.
WRITE_PROTECTED = """<?xml version="1.0" encoding="UTF-8"?>
<DeviceProfile version="1">
  <WriteProtect>1</WriteProtect>
</DeviceProfile>
"""

# The frame's own captions, which no two of its controls share.
CAPTIONS = "#actions button[data-action], #online, #fold, #notices-title"

# The whole check ends well within the test's own time limit, so that its
# clean-up runs.
LIMIT = 400


def on_signal(number, _frame):
    raise Failure("stopped by signal %d" % number)


def child_setup(ctrl_c=False):
    """Runs in a child before it starts: it dies with this check, and for the
    program, Ctrl-C reaches it even where this check runs with it ignored."""
    def setup():
        try:
            ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG
        except (OSError, AttributeError):
            pass
        if ctrl_c:
            signal.signal(signal.SIGINT, signal.SIG_DFL)
    return setup


def wait_for(what, probe, limit=20.0):
    """Polls `probe` until it answers something true; fails after `limit` s."""
    deadline = time.monotonic() + limit
    last = None
    while True:
        try:
            last = probe()
        except Failure:
            raise
        except Exception as error:  # the page may be between two renderings
            last = "%s: %s" % (type(error).__name__, error)
        else:
            if last:
                return last
        if time.monotonic() >= deadline:
            raise Failure("%s: not within %.0f s (last seen: %r)" % (what, limit, last))
        time.sleep(POLL)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def http(method, url, data=None, headers=None, timeout=15):
    """(status, body text) of one request; refusals are answers too."""
    body = urllib.parse.urlencode(data).encode() if data is not None else None
    request = urllib.request.Request(url, data=body, method=method, headers=headers or {})
    try:
        with urllib.request.urlopen(request, timeout=timeout) as answer:
            return answer.status, answer.read().decode("utf-8", "replace")
    except urllib.error.HTTPError as error:
        return error.code, error.read().decode("utf-8", "replace")


class WebDriver:
    """The few WebDriver commands the check needs."""

    def __init__(self, port, profile_dir):
        self.base = "http://127.0.0.1:%d" % port
        self.session = None
        caps = {"capabilities": {"alwaysMatch": {
            "browserName": "chrome",
            "goog:loggingPrefs": {"browser": "ALL"},
            "goog:chromeOptions": {
                "binary": CHROMIUM,
                "args": ["--headless=new", "--no-sandbox", "--disable-gpu",
                         "--window-size=1400,1000", "--user-data-dir=" + profile_dir],
            }}}}
        self.session = self.command("POST", "/session", caps, timeout=60)["sessionId"]

    def command(self, method, path, payload=None, timeout=30):
        if self.session and not path.startswith("/session/") and path != "/session":
            path = "/session/%s%s" % (self.session, path)
        data = json.dumps(payload).encode() if payload is not None else None
        request = urllib.request.Request(self.base + path, data=data, method=method,
                                         headers={"Content-Type": "application/json"})
        try:
            with urllib.request.urlopen(request, timeout=timeout) as answer:
                value = json.loads(answer.read().decode())["value"]
        except urllib.error.HTTPError as error:
            text = error.read().decode("utf-8", "replace")
            try:
                value = json.loads(text)["value"]
                message = "%s: %s" % (value.get("error"), value.get("message", "").splitlines()[0])
            except (ValueError, KeyError, AttributeError, IndexError):
                message = text[:300]
            raise RuntimeError("WebDriver %s %s: %s" % (method, path.split("/", 3)[-1], message))
        return value

    def open(self, url):
        self.command("POST", "/url", {"url": url})

    def script(self, source, *args):
        return self.command("POST", "/execute/sync", {"script": source, "args": list(args)})

    def find(self, css):
        found = self.command("POST", "/elements", {"using": "css selector", "value": css})
        if not found:
            raise LookupError("no element " + css)
        return list(found[0].values())[0]

    def on_element(self, css, path, payload):
        """A command on the element `css` finds; found again when the page
        was rendered anew in between."""
        for attempt in range(20):
            try:
                return self.command("POST", "/element/%s%s" % (self.find(css), path), payload)
            except RuntimeError as error:
                # Replaced under the driver's hands: the element found
                # anew is the one the user sees.
                if not ("stale element" in str(error) or "not interactable" in str(error)) \
                        or attempt == 19:
                    raise
            time.sleep(POLL)

    def click(self, css):
        self.on_element(css, "/click", {})

    def type(self, css, text):
        """Replaces the text as a user does: all of it selected, then typed."""
        self.on_element(css, "/value", {"text": "\ue009a\ue000" + text})

    def log(self):
        try:
            return self.command("POST", "/se/log", {"type": "browser"})
        except RuntimeError:
            return []

    def quit(self):
        if self.session:
            try:
                self.command("DELETE", "", timeout=20)
            except Exception:
                pass
            self.session = None


def kill_group(process):
    if process is None or process.poll() is not None:
        return
    try:
        os.killpg(process.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    try:
        process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        pass


def read_line(stream, limit):
    selector = selectors.DefaultSelector()
    selector.register(stream, selectors.EVENT_READ)
    deadline = time.monotonic() + limit
    line = b""
    while not line.endswith(b"\n"):
        left = deadline - time.monotonic()
        if left <= 0 or not selector.select(left):
            raise Failure("the program printed no address within %.0f s (got %r)" % (limit, line))
        chunk = os.read(stream.fileno(), 1)
        if not chunk:
            raise Failure("the program ended its output before an address (got %r)" % line)
        line += chunk
    return line.decode()


# The text of a field's value, from its input or its span.
FIELD_VALUE = """
const field = document.querySelector('#page [data-name="' + arguments[0] + '"]');
if (!field) return null;
const value = field.querySelector('.value');
if (!value) return null;
return value.matches('input, select, textarea') ? value.value : value.textContent;
"""

def start_driver(work):
    """(chromedriver's process, a browser session on it); its log goes to
    WORK/chromedriver.log, the browser's profile to WORK/browser."""
    driver = shutil.which("chromedriver")
    port = free_port()
    log = open(os.path.join(work, "chromedriver.log"), "wb")
    process = subprocess.Popen(
        [driver, "--port=%d" % port], stdin=subprocess.DEVNULL,
        stdout=log, stderr=subprocess.STDOUT, start_new_session=True,
        preexec_fn=child_setup())
    log.close()  # the driver has its own copy

    def ready():
        status, body = http("GET", "http://127.0.0.1:%d/status" % port, timeout=2)
        return status == 200 and json.loads(body)["value"].get("ready")
    wait_for("chromedriver ready", ready, 30)
    return process, WebDriver(port, os.path.join(work, "browser"))


class Check:
    def __init__(self, program, work):
        self.program = program
        self.work = work
        self.frame = None
        self.driver_process = None
        self.browser = None
        self.address = None
        self.token = None
        self.base = None
        self.err_path = os.path.join(work, "frame.err")
        self.events = []  # the FDT notices the steps gave rise to
        self.saved = None

    # ---- the program ----
    def start_frame(self, name="moving.xml", body=PROFILE):
        profile = os.path.join(self.work, name)
        with open(profile, "w") as f:
            f.write(body)
        env = dict(os.environ)
        env["VD4625_REGISTRY"] = os.path.join(self.work, "registry.reg")
        env.pop("VD4625_INSTALL", None)
        self.err_file = open(self.err_path, "wb")
        self.frame = subprocess.Popen(
            [self.program, "frame", "--port", "0", "--device-profile", profile],
            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=self.err_file,
            cwd=self.work, env=env, start_new_session=True, preexec_fn=child_setup(ctrl_c=True))
        line = read_line(self.frame.stdout, 30)
        address = line.rstrip("\n")
        parts = urllib.parse.urlsplit(address)
        query = urllib.parse.parse_qs(parts.query)
        if parts.scheme != "http" or parts.hostname != "127.0.0.1" or parts.path != "/" \
                or len(query.get("token", [""])[0]) != 32:
            raise Failure("the address line is %r, not http://127.0.0.1:PORT/?token=<32 digits>" % line)
        self.address = address
        self.token = query["token"][0]
        self.base = "http://127.0.0.1:%d" % parts.port
        print("frame at %s" % self.base)

    def state(self):
        status, body = http("GET", self.base + "/api/state", headers={"X-Frame-Token": self.token})
        if status != 200:
            raise Failure("GET /api/state with the token answered %d %s" % (status, body))
        return json.loads(body)

    # ---- the browser ----
    def start_browser(self):
        self.driver_process, self.browser = start_driver(self.work)

    def stop_browser(self):
        if self.browser:
            self.browser.quit()
            self.browser = None
        kill_group(self.driver_process)

    def field(self, name):
        return self.browser.script(FIELD_VALUE, name)

    def count(self, css):
        return self.browser.script("return document.querySelectorAll(arguments[0]).length;", css)

    def text(self, css):
        return self.browser.script(
            "const e = document.querySelector(arguments[0]); return e ? e.textContent : null;", css)

    def page_idle(self):
        """The frame is not busy and no dialog is up."""
        state = self.state()
        return not state["busy"] and state["dialog"] is None

    def active_function(self):
        state = self.state()
        for tab in state["tabs"]:
            if tab["id"] == state["active"]:
                return tab["function"]
        return None

    def open_function(self, number, control):
        self.browser.click('#functions [data-function="%d"]' % number)
        wait_for("function %d's tab is active" % number, lambda: self.active_function() == number)
        wait_for("function %d's page shows %s" % (number, control),
                 lambda: self.count('#tabs .frame-tab.active[data-function="%d"]' % number) == 1
                 and self.count('#page [data-name="%s"]' % control) == 1)

    # ---- the steps ----
    def step_functions(self):
        self.browser.open(self.address)
        expected = {str(f["id"]): f for f in self.state()["functions"]}
        wait_for("the function list", lambda: self.count("#functions [data-function]") == len(expected) > 0)
        shown = self.browser.script(
            "return Array.from(document.querySelectorAll('#functions [data-function]'))"
            ".map(b => [b.dataset.function, b.disabled]);")
        if sorted(expected) != sorted(n for n, _ in shown):
            raise Failure("the list shows functions %s, the state has %s" % ([n for n, _ in shown], sorted(expected)))
        for number, disabled in shown:
            if disabled == expected[number]["enabled"]:
                raise Failure("function %s is shown %s" % (number, "disabled" if disabled else "enabled"))
        for number, text in ((7, "7Online parameters"), (4, "4Measured values"), (9, "9Cold start")):
            css = '#functions [data-function="%d"]' % number
            if self.text(css) != text or self.browser.script(
                    "return document.querySelector(arguments[0]).disabled;", css):
                raise Failure("function %d is shown as %r, disabled: %s" % (
                    number, self.text(css), self.browser.script(
                        "return document.querySelector(arguments[0]).disabled;", css)))
        if self.count("#tabs [data-tab-id]") != 0:
            raise Failure("tabs are open before any function was opened")
        # The pages' rules style the page area, not the frame around it.
        rules = wait_for("the pages' style", lambda: self.browser.script(
            "const sheet = document.getElementById('page-style').sheet;"
            "const all = []; const walk = (list) => { for (const r of list) {"
            " if (r.selectorText) all.push(r.selectorText); else if (r.cssRules) walk(r.cssRules); } };"
            "walk(sheet.cssRules); return all;"))
        outside = [r for r in rules if any(not one.strip().startswith("#page ") for one in r.split(","))]
        if outside:
            raise Failure("the pages' rules reach beyond the page area: %r" % outside)
        captions = self.captions_unique("English")
        expected = ["Connect", "Disconnect", "Upload", "Download", "Save data set", "Load data set", "Deutsch",
                    "online", "\u25be Hide", "Notices and errors"]
        if captions != expected:
            raise Failure("the English captions are %r, not %r" % (captions, expected))
        note = self.text("#protocol-note")
        if not note.startswith("Function 11, the communication monitor (the protocol), is hidden.") or '"Debug"=dword:00000001' not in note:
            raise Failure("the protocol's note reads %r" % note)
        print("ok: the function list shows %d functions, the protocol's note, no caption twice" % len(shown))

    def mark(self, name):
        """The key of the status icon a field shows beside its value."""
        return self.browser.script(
            "const i = document.querySelector(arguments[0]); return i ? i.dataset.icon : null;",
            '#page [data-name="%s"] .icon [data-icon]' % name)

    def press(self, name):
        """Clicks a page's button once it can be pressed."""
        css = '#page button[data-name="%s"]' % name
        wait_for("%s enabled" % name, lambda: self.count(css + ":not([disabled])") == 1)
        self.browser.click(css)

    def field_shows(self, name, value, mark):
        return lambda: self.field(name) == value and self.mark(name) == mark

    def rect(self, css):
        return self.browser.script(
            "const r = document.querySelector(arguments[0]).getBoundingClientRect();"
            "return [Math.round(r.left), Math.round(r.top), Math.round(r.width), Math.round(r.height)];", css)

    def drag_splitter(self, by):
        top = self.rect("#splitter")[1] + 2
        self.browser.command("POST", "/actions", {"actions": [{
            "type": "pointer", "id": "mouse", "parameters": {"pointerType": "mouse"}, "actions": [
                {"type": "pointerMove", "origin": "viewport", "x": 600, "y": top},
                {"type": "pointerDown", "button": 0},
                {"type": "pointerMove", "origin": "viewport", "x": 600, "y": top - by, "duration": 150},
                {"type": "pointerUp", "button": 0}]}]})

    def step_notices_panel(self):
        page = self.rect("#page")
        self.browser.click("#fold")
        wait_for("the notices folded", lambda: self.browser.script(
            "return getComputedStyle(document.getElementById('notices')).display;") == "none"
            and self.rect("#page")[3] > page[3] + 40 and self.text("#fold") == "\u25b8 Show")
        self.browser.click("#fold")
        wait_for("the notices unfolded", lambda: self.rect("#page") == page)
        bottom = self.rect("#bottom")[3]
        self.drag_splitter(100)
        wait_for("the notices 100 px higher", lambda: abs(self.rect("#bottom")[3] - bottom - 100) <= 2
                 and abs(page[3] - self.rect("#page")[3] - 100) <= 2)
        self.drag_splitter(-100)
        wait_for("the notices as high as before", lambda: abs(self.rect("#bottom")[3] - bottom) <= 2)
        print("ok: the notices fold, unfold and are dragged 100 px higher and back")

    def step_parameters(self):
        # Nothing around the page moves while it opens and reads.
        fixed = ["#page", "#tabs", "#online", "#functions", "#notices"]
        before = [self.rect(css)[:2] for css in fixed]
        self.browser.click('#functions [data-function="7"]')

        def loaded():
            now = [self.rect(css)[:2] for css in fixed]
            if now != before:
                raise Failure("the frame moved while the page opened: %r, was %r" % (now, before))
            return self.count('#page button[data-name="cmdReadDynPars"]:not([disabled])') == 1 \
                and not self.state()["busy"]
        wait_for("function 7's page read", loaded)
        if self.active_function() != 7 or self.count('#tabs .frame-tab.active[data-function="7"]') != 1:
            raise Failure("function 7's tab is not the one shown")
        supply = "ctlParameter(13)"
        wait_for("the tag", self.field_shows("ctlParameter(0)", "4625_1", "OnlineValue"))
        wait_for("the supply air", self.field_shows(supply, "1.2", "OnlineValue"))
        at_rest = lambda: self.count('#page button[data-name="cmdReadDynPars"]:not([disabled])') == 1
        wait_for("the page's first read ends", at_rest)
        field = '#page [data-name="%s"] input.value' % supply
        # Typed (Enter commits) and read again without a write: the device
        # still holds its value.
        self.browser.type(field, "2.5\ue007")
        wait_for("the typed value marked changed", self.field_shows(supply, "2.5", "Changed"))
        self.press("cmdReadDynPars")
        wait_for("the device's value after Read", self.field_shows(supply, "1.2", "OnlineValue"))
        # Typed (leaving the field commits) and written: the write reads back.
        wait_for("the read ends", at_rest)
        self.browser.type(field, "2.5\ue004")
        wait_for("the typed value marked changed", self.field_shows(supply, "2.5", "Changed"))
        self.press("cmdWriteDynPars")
        wait_for("the written value read back", self.field_shows(supply, "2.5", "OnlineValue"))
        # The device holds it: another text typed is read over with 2.5.
        wait_for("the write ends", at_rest)
        self.browser.type(field, "3.5\ue007")
        wait_for("the typed value marked changed", self.field_shows(supply, "3.5", "Changed"))
        self.press("cmdReadDynPars")
        wait_for("the device's new value after Read", self.field_shows(supply, "2.5", "OnlineValue"))
        wait_for("the page rests", self.page_idle)
        if self.count("#dialog:not([hidden])") or self.state()["failures"]:
            raise Failure("the parameter page raised a box or a failure: %r %r"
                          % (self.text("#dialog"), self.state()["failures"]))
        print("ok: function 7 reads, and writes 2.5 the device echoes")

    def step_measured(self):
        self.open_function(4, "ctlParameter(2)")
        first = wait_for("a measured position", lambda: self.field("ctlParameter(2)"))
        second = wait_for("the position moves (it was %r)" % first,
                          lambda: (lambda v: v if v and v != first else None)(self.field("ctlParameter(2)")),
                          limit=15)
        if len(self.state()["tabs"]) != 2:
            raise Failure("two tabs should be open: %r" % self.state()["tabs"])
        print("ok: function 4's position moves from %s to %s" % (first, second))
        # The bars and the lamp are drawn as the static page draws them.
        drawn = self.browser.script(
            "return Array.from(document.querySelectorAll('#page .bar-control svg.bar')).map((svg) => ["
            " svg.closest('[data-name]').dataset.name,"
            " svg.querySelector('rect.value') ? svg.querySelector('rect.value').getBBox().width > 0 : false,"
            " svg.querySelectorAll('line.mark').length]);")
        if drawn != [["barW", True, 2], ["barX", True, 2], ["barE", True, 2]]:
            raise Failure("the bars are drawn as %r" % drawn)
        lamp = self.browser.script(
            "const p = document.querySelector('#page [data-name=\"picLED(5)\"]');"
            "const c = p && p.querySelector('svg circle');"
            "return p ? [p.dataset.state, c ? getComputedStyle(c).fill : null] : null;")
        if lamp != ["off", "rgb(0, 255, 0)"]:
            raise Failure("the fault lamp shows %r, not off in green" % lamp)
        print("ok: function 4 draws its three bars with their marks and its lamp")
        # Choosing an operating mode types its number; the choice outlives
        # the refreshes.
        mode = '#page [data-name="ctlParameter(9)"] select.value'
        options = self.browser.script(
            "return Array.from(document.querySelectorAll(arguments[0] + ' option')).map((o) => o.textContent);", mode)
        if options != ["Automatic", "Manual", "Fail-safe position"]:
            raise Failure("the operating mode offers %r" % options)
        choose = ("const s = document.querySelector(arguments[0]); s.focus(); s.value = arguments[1];"
                  "s.dispatchEvent(new Event('change', {bubbles: true}));")
        self.browser.script(choose, mode, "1")
        wait_for("the chosen mode marked changed", self.field_shows("ctlParameter(9)", "1", "Changed"))
        moved = lambda seen: (lambda v: v if v and v != seen else None)(self.field("ctlParameter(2)"))
        third = wait_for("the position moves after the choice", lambda: moved(second), limit=15)
        wait_for("the position moves again", lambda: moved(third), limit=15)
        if self.field("ctlParameter(9)") != "1":
            raise Failure("after two refreshes the mode shows %r, not 1" % self.field("ctlParameter(9)"))
        self.browser.script(choose, mode, "0")
        wait_for("the mode chosen back", lambda: self.field("ctlParameter(9)") == "0")
        print("ok: the operating mode is chosen from its list and kept over two refreshes")
        # The cycle's check box, as the page renders it after each click.
        cycle = '#page label.choice[data-name="chkCycle"]'
        rendered = lambda: self.browser.script(
            "const i = document.querySelector(arguments[0] + ' input');"
            "return i ? i.defaultChecked : null;", cycle)
        if rendered() is not True:
            raise Failure("the cyclic refresh is not shown on: %r" % rendered())
        self.browser.click(cycle)
        wait_for("the cyclic refresh shown off", lambda: rendered() is False)
        self.browser.click(cycle)
        wait_for("the cyclic refresh shown on again", lambda: rendered() is True)
        print("ok: the cyclic refresh is switched off and on")

    def step_page_tabs(self):
        self.open_function(1, "TabStrip")
        selected = lambda: self.browser.script(
            "const t = document.querySelector('#page nav.tabs .tab.selected');"
            "return t ? t.dataset.tab : null;")
        if selected() != "1":
            raise Failure("the identification page opens on tab %r" % selected())
        self.browser.click('#page nav.tabs .tab[data-tab="2"]')
        wait_for("the identification page's second tab", lambda: selected() == "2"
                 and self.text('#page nav.tabs .tab.selected') == "Ident. positioner")
        print("ok: the identification page shows its second tab")

    def step_question(self):
        self.open_function(9, "ctlParameter(5)")
        wait_for("the reset page's values", self.page_idle)
        self.browser.click('#page [data-name="ctlParameter(5)"] label')
        question = 'Execute the command "Perform cold start" now?'
        wait_for("the cold start's question", lambda: self.text("#dialog:not([hidden]) .text") == question)
        labels = self.browser.script(
            "return Array.from(document.querySelectorAll('#dialog button[data-answer]'))"
            ".map(b => b.textContent);")
        if labels != ["Yes", "No"]:
            raise Failure("the question offers %r, not Yes and No" % labels)
        # While the box waits, the frame takes nothing else.
        before = self.state()
        status, _ = http("POST", self.base + "/api/open", {"function": "1"},
                         headers={"X-Frame-Token": self.token})
        if status != 409:
            raise Failure("an open while the box waits answered %d, not 409" % status)
        same(before, self.state(), "an open refused while the box waits")
        self.browser.click('#dialog button[data-answer="6"]')
        notice = "The device restarts. Its values are read again afterwards."
        wait_for("the notice after Yes", lambda: self.text("#dialog:not([hidden]) .text") == notice)
        # Its only button is OK, which Escape answers too.
        self.browser.on_element('#dialog button[data-answer="1"]:not([disabled])', "/value", {"text": "\ue00c"})
        wait_for("the box goes", lambda: self.count("#dialog:not([hidden])") == 0
                 and self.state()["dialog"] is None)
        print("ok: the cold start asks, is answered Yes, and tells of the restart")

    def step_close(self):
        open_tabs = self.count("#tabs [data-tab-id]")
        for left in range(open_tabs - 1, -1, -1):
            self.browser.click("#tabs .frame-tab .close")
            wait_for("a tab closes", lambda: self.count("#tabs [data-tab-id]") == left
                     and len(self.state()["tabs"]) == left)
        wait_for("no page shown", lambda: self.count("#page main") == 0 and self.state()["active"] is None)
        print("ok: the %d tabs close" % open_tabs)

    def shown_notices(self):
        """[kind, mark, text] of each line of the notices' list."""
        return self.browser.script(
            "return Array.from(document.querySelectorAll('#notices li')).map(l => [l.className,"
            " l.querySelector('.mark').textContent, l.childNodes[1] ? l.childNodes[1].textContent : '']);")

    def last_line(self, kind, mark, text, what, limit=60):
        wait_for(what, lambda: (self.shown_notices()[-1:] or [None])[0] == [kind, mark, text], limit=limit)

    def actions_disabled(self):
        return self.browser.script(
            "return Array.from(document.querySelectorAll('#actions button[data-action]')).every(b => b.disabled);")

    def captions_unique(self, language):
        captions = self.browser.script(
            "return Array.from(document.querySelectorAll(arguments[0])).map(e => e.textContent.trim());", CAPTIONS)
        lowered = [c.lower() for c in captions]
        if any(not c for c in captions) or len(set(lowered)) != len(lowered):
            raise Failure("the %s captions are empty or twice: %r" % (language, captions))
        return captions

    def step_upload(self, line):
        """An upload from the action bar: its bar moves while the actions
        wait, and it ends with `line`."""
        self.browser.click('#actions button[data-action="upload"]')
        seen = set()

        def moved():
            shown = self.browser.script(
                "const p = document.getElementById('progress'); const bar = p.querySelector('progress');"
                "return [p.classList.contains('running'), p.dataset.what, bar.value, bar.max];")
            running, what, value, most = shown
            if running and what == "upload" and 0 < value < most:
                if not self.actions_disabled():
                    raise Failure("an action can be clicked while the upload runs at %s/%s" % (value, most))
                seen.add(value)
            return len(seen) >= 2
        wait_for("the upload's progress moves", moved, limit=30)
        self.last_line("notice", self.word("notice"), line, "the upload's line")
        wait_for("the upload ends", self.page_idle)
        wait_for("the bar goes and the actions come back", lambda: not self.browser.script(
            "return document.getElementById('progress').classList.contains('running');")
            and not self.browser.script(
                "return document.querySelector('#actions [data-action=\"upload\"]').disabled;"))
        print("ok: the upload's bar moves (%s) and it ends with %r" % (sorted(seen)[:3], line))

    def word(self, key):
        german = self.state()["language"] == "de"
        return {"notice": ("Meldung" if german else "Notice"), "error": ("Fehler" if german else "Error")}[key]

    def step_connection(self):
        seven = '#functions [data-function="7"]'
        disabled = lambda css: self.browser.script("return document.querySelector(arguments[0]).disabled;", css)
        self.browser.click('#actions button[data-action="disconnect"]')
        wait_for("the frame offline", lambda: self.state()["online"] is False
                 and self.text("#online") == "offline" and disabled(seven)
                 and not disabled('#actions button[data-action="connect"]'))
        self.last_line("notice", "Notice", "Device disconnected", "the disconnect's line")
        self.browser.click('#actions button[data-action="connect"]')
        wait_for("the frame online again", lambda: self.state()["online"] is True
                 and self.text("#online") == "online" and not disabled(seven)
                 and disabled('#actions button[data-action="connect"]'))
        self.last_line("notice", "Notice", "Device connected", "the connect's line")
        print("ok: the frame goes off the line and on again, the online functions with it")

    def step_language(self):
        self.browser.click('#actions button[data-action="language"]')
        wait_for("the German function list",
                 lambda: self.text('#functions [data-function="7"]') == "7Online-Parameter"
                 and self.text('#functions [data-function="9"]') == "9Kaltstart")
        if self.state()["language"] != "de":
            raise Failure("the state's language is %r after the switch" % self.state()["language"])
        if self.text('#actions button[data-action="language"]') != "English":
            raise Failure("the language button offers %r" % self.text('#actions button[data-action="language"]'))
        captions = self.captions_unique("German")
        expected = ["Verbinden", "Trennen", "Aus Gerät lesen", "In Gerät schreiben", "Datensatz speichern",
                    "Datensatz laden", "English", "verbunden", "\u25be Ausblenden", "Meldungen und Fehler"]
        if captions != expected:
            raise Failure("the German captions are %r, not %r" % (captions, expected))
        if not self.text("#protocol-note").startswith("Funktion 11, der Kommunikationsmonitor (das Protokoll), ist ausgeblendet."):
            raise Failure("the protocol's note reads %r in German" % self.text("#protocol-note"))
        self.last_line("notice", "Meldung", "Sprache: Deutsch", "the switch's line")
        print("ok: the frame speaks German after the switch, no caption twice")

    def save(self, name):
        """Saves through the prompt; the prompt's text."""
        self.browser.click('#actions button[data-action="save"]')
        prompt = wait_for("the save's file prompt", lambda: self.browser.command("GET", "/alert/text"))
        self.browser.command("POST", "/alert/text", {"text": name})
        self.browser.command("POST", "/alert/accept", {})
        return prompt

    def step_failed_save(self, prompt, line):
        missing = os.path.join(self.work, "no such folder", "set.xml")
        shown = self.save(missing)
        if shown != prompt:
            raise Failure("the save's prompt reads %r, not %r" % (shown, prompt))
        self.last_line("error", self.word("error"), line % missing, "the failed save's line")
        print("ok: a failed save reads %r" % (line % missing))

    def step_german_number(self):
        """In German a number is typed and shown with its decimal comma."""
        self.open_function(2, "TabStrip")
        self.browser.click('#page nav.tabs[data-name="TabStrip"] .tab[data-tab="3"]')
        dead_band = "ctlParameter(41)"
        wait_for("the control values tab", lambda: self.count('#page [data-name="%s"] input.value' % dead_band) == 1)
        # The device holds the supply air written on function 7.
        wait_for("the supply air in German", lambda: self.field("ctlParameter(40)") == "2,5")
        self.browser.type('#page [data-name="%s"] input.value' % dead_band, "0,7\ue007")
        wait_for("the dead band taken as 0,7", self.field_shows(dead_band, "0,7", "Changed"))
        print("ok: the dead band typed as 0,7 in German shows 0,7")

    def step_hosted_page(self):
        """The offline container's second tab: the child's own strip and field."""
        self.open_function(12, "TabStrip")
        self.browser.click('#page nav.tabs[data-name="TabStrip"] .tab[data-tab="2"]')
        child_strip = '#page nav.tabs[data-name="ctlOfflineParams.TabStrip"]'
        wait_for("the parameters child shown", lambda: self.count(child_strip) == 1)
        self.browser.click(child_strip + ' .tab[data-tab="2"]')
        wait_for("the child's second tab", lambda: self.text(child_strip + " .tab.selected") == "Kennlinie"
                 and self.text('#page nav.tabs[data-name="TabStrip"] .tab.selected') == "Parameter")
        self.browser.click(child_strip + ' .tab[data-tab="1"]')
        field = "ctlOfflineParams.ctlParameter(4)"
        wait_for("the child's first tab", lambda: self.count('#page [data-name="%s"] input.value' % field) == 1)
        self.browser.type('#page [data-name="%s"] input.value' % field, "98\ue007")
        wait_for("the child's field taken", self.field_shows(field, "98", "Changed"))
        print("ok: a field of function 12's second tab is edited through its own tab strip")

    def step_search(self):
        """The parameter search finds the rated travel and opens it."""
        self.browser.click('#functions [data-function="14"]')
        wait_for("the search page", lambda: self.active_function() == 14
                 and self.count('#page .search input[type="text"]') == 1)
        self.browser.type('#page .search input[type="text"]', "Nennhub\ue007")
        hit = '#page .search button[data-hit="1"]'
        wait_for("the search's hits", lambda: self.count(hit) == 1)
        if not self.text(hit).startswith("Nennhub | SC128Tr2/Par2 | "):
            raise Failure("the first hit reads %r" % self.text(hit))
        self.browser.click(hit)
        wait_for("the hit's page opened", lambda: self.active_function() == 12
                 and self.count('#page [data-name="ctlIdent.ctlParameter(43)"]') == 1)
        print("ok: the search finds the rated travel and opens its page")

    def step_save(self):
        self.saved = os.path.join(self.work, "saved data.xml")
        self.save(self.saved)

        def written():
            if not os.path.exists(self.saved):
                return False
            with open(self.saved, encoding="utf-8", errors="replace") as f:
                return f.read().startswith('<?xml version="1.0" encoding="UTF-8"?>\n<PropertyBag version="1" library="VD4625FDT"')
        wait_for("the data set saved", written)
        self.last_line("notice", "Meldung", "Datensatz gespeichert in " + self.saved, "the save's line")
        # An empty name is the data set's own file now, and the prompt names it.
        prompt = self.save("")
        expected = "Datensatz speichern in die Datei (leer: seine eigene Datei, die ersetzt wird: %s):" % self.saved
        if prompt != expected:
            raise Failure("the second save's prompt reads %r, not %r" % (prompt, expected))
        self.last_line("notice", "Meldung", "Datensatz gespeichert in %s; die bisherige Datei des Datensatzes "
                       "ist ersetzt" % self.saved, "the second save's line")
        print("ok: the data set is saved to the file named, then over it, and the prompt names it")

    def step_refusals(self):
        before = self.state()
        cases = [
            ("GET", "/api/state", None, {}, 403),
            ("GET", "/", None, {}, 403),
            ("POST", "/api/open", {"function": "7"}, {}, 403),
            ("POST", "/api/open?token=" + "0" * 32, {"function": "7"}, {}, 403),
            ("POST", "/api/open", {"function": "7"}, {"X-Frame-Token": self.token[:-1] + "x"}, 403),
            ("POST", "/api/open", {"function": "7"}, {"X-Frame-Token": self.token + "0"}, 403),
            ("GET", "/api/nothing", None, {"X-Frame-Token": self.token}, 404),
            ("POST", "/api/nothing", {"function": "7"}, {"X-Frame-Token": self.token}, 404),
            ("GET", "/nothing?token=" + self.token, None, {}, 404),
            ("GET", "/api/page?tab=nosuch", None, {"X-Frame-Token": self.token}, 404),
            ("POST", "/api/close", {"tab": "nosuch"}, {"X-Frame-Token": self.token}, 404),
            ("POST", "/api/open", {"function": "15"}, {"X-Frame-Token": self.token}, 404),
        ]
        for method, path, data, headers, expected in cases:
            status, body = http(method, self.base + path, data, headers)
            if status != expected:
                raise Failure("%s %s %s answered %d, not %d: %s" % (method, path, headers, status, expected, body[:200]))
        same(before, self.state(), "the refused requests")
        if self.browser and self.count("#tabs [data-tab-id]") != len(before["tabs"]):
            raise Failure("the browser's tabs changed after refused requests")
        print("ok: %d requests without the token or to nothing are refused" % len(cases))

    def step_stop(self):
        self.frame.send_signal(signal.SIGINT)
        try:
            status = self.frame.wait(timeout=30)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end within 30 s of SIGINT")
        rest = self.frame.stdout.read()
        self.err_file.close()
        with open(self.err_path, encoding="utf-8", errors="replace") as f:
            err = f.read()
        if status != 0:
            raise Failure("the program ended with status %d; its stderr:\n%s" % (status, err))
        if rest:
            raise Failure("the program printed more than its address: %r" % rest[:300])
        if "vd4625 frame: data set saved to %s\n" % self.saved not in err:
            raise Failure("the stderr does not tell the save to %s:\n%s" % (self.saved, err))
        notices = [line for line in err.splitlines() if line.startswith("[frame] ")]
        # The FDT notices go to the frame's log only. Saved just before: the
        # DTM has nothing to ask to be saved.
        expected = ["[frame] " + line for line in self.events] + [
            "[frame] CommunicationReleased(VD4625)",
            "[frame] PreparedToRelease(VD4625)",
        ]
        if notices != expected:
            raise Failure("the frame's notices are\n  %s\nnot\n  %s\nstderr:\n%s"
                          % ("\n  ".join(notices), "\n  ".join(expected), err))
        print("ok: SIGINT ends the program with status 0 and the frame's notices in order")

    def answer_boxes(self, until):
        """Answers every box with its default button until `until` holds."""
        answered = 0

        def probe():
            nonlocal answered
            state = self.state()
            if state["dialog"]:
                http("POST", self.base + "/api/answer", {"dialog": state["dialog"]["id"],
                     "button": state["dialog"]["default"]}, headers={"X-Frame-Token": self.token})
                answered += 1
                return False
            return until()
        wait_for("the boxes answered", probe, limit=120)
        return answered

    def step_write_protected(self):
        self.start_frame("protected.xml", WRITE_PROTECTED)
        self.start_browser()
        self.browser.open(self.address)
        wait_for("the function list", lambda: self.count("#functions [data-function]") > 0)
        for language, line in (("en", "Download refused: the device is write-protected"),
                               ("de", "Schreiben in das Gerät abgelehnt: das Gerät ist schreibgeschützt")):
            if language == "de":
                self.browser.click('#actions button[data-action="language"]')
                wait_for("German", lambda: self.state()["language"] == "de"
                         and self.text('#actions button[data-action="language"]') == "English")
            self.browser.click('#actions button[data-action="download"]')
            wait_for("the download runs", lambda: self.state()["busy"])
            if not wait_for("the actions disabled", self.actions_disabled):
                raise Failure("the actions can be clicked during the download")
            answered = self.answer_boxes(lambda: not self.state()["busy"])
            self.last_line("error", "Error" if language == "en" else "Fehler", line, "the refused download's line")
            print("ok: the refused download reads %r (%d boxes answered)" % (line, answered))
        self.browser_errors()
        self.stop_browser()
        self.frame.send_signal(signal.SIGINT)
        try:
            self.frame.wait(timeout=30)
        except subprocess.TimeoutExpired:
            raise Failure("the second program did not end within 30 s of SIGINT")

    def browser_errors(self):
        errors = [entry.get("message", "") for entry in self.browser.log()
                  if entry.get("level") == "SEVERE" and entry.get("source") == "javascript"]
        if errors:
            raise Failure("the application raised script errors:\n  " + "\n  ".join(errors))

    def run(self):
        self.start_frame()
        self.start_browser()
        self.step_functions()
        self.step_refusals()
        self.step_notices_panel()
        self.step_upload("Upload finished: 37 transactions, 142 values read, 0 refused, 0 not answered")
        self.events.append("UploadFinished(upload-1, true)")
        self.step_parameters()
        self.step_measured()
        self.step_question()
        self.step_page_tabs()
        self.step_close()
        self.step_connection()
        self.events.append("CommunicationReleased(VD4625)")
        self.step_failed_save("Save the data set to the file (no file was loaded: name one):",
                              "Data set not saved: cannot write %s: No such file or directory")
        self.step_language()
        self.step_upload("Lesen aus dem Gerät beendet: 37 Transaktionen, 142 Werte gelesen, 0 abgelehnt, "
                         "0 keine Antwort")
        self.events.append("UploadFinished(upload-2, true)")
        self.step_failed_save("Datensatz speichern in die Datei (keine Datei geladen: eine nennen):",
                              "Datensatz nicht gespeichert: cannot write %s: No such file or directory")
        self.step_german_number()
        self.step_hosted_page()
        self.step_search()
        self.step_save()
        self.browser_errors()
        self.stop_browser()
        self.step_stop()
        self.step_write_protected()

    def cleanup(self):
        try:
            self.stop_browser()
        finally:
            kill_group(self.frame)


def same(before, after, what):
    """Nothing the user sees changed; the version may count rounds of the loop."""
    strip = lambda s: {k: v for k, v in s.items() if k != "version"}
    if strip(before) != strip(after):
        raise Failure("%s changed the state:\n before %s\n after  %s" % (what, json.dumps(before), json.dumps(after)))


def run_check(make_check, name, prefix, limit, passed, on_failure=lambda check: None):
    """Runs `make_check(program, work)` as the program NAME PROGRAM does:
    within `limit` seconds, in a new work folder removed afterwards; prints
    `passed` or the failure; the exit status."""
    if len(sys.argv) != 2:
        sys.exit("usage: %s VD4625_PROGRAM" % name)
    for number in (signal.SIGTERM, signal.SIGHUP, signal.SIGALRM):
        signal.signal(number, on_signal)
    signal.alarm(limit)
    work = tempfile.mkdtemp(prefix=prefix)
    check = make_check(os.path.abspath(sys.argv[1]), work)
    try:
        check.run()
    except Exception as error:
        if isinstance(error, Failure):
            print("FAIL: %s" % error)
        else:
            print("FAIL: %s: %s\n%s" % (type(error).__name__, error, traceback.format_exc(limit=4)))
        on_failure(check)
        return 1
    finally:
        check.cleanup()
        shutil.rmtree(work, ignore_errors=True)
    print(passed)
    return 0


def print_program_err(check):
    if os.path.exists(check.err_path):
        with open(check.err_path, encoding="utf-8", errors="replace") as f:
            print("--- the program's stderr so far ---\n" + f.read())


def main():
    return run_check(Check, "frame_browser_check.py", "frame_check_", LIMIT, "the frame passes in the browser",
                     print_program_err)


if __name__ == "__main__":
    sys.exit(main())
