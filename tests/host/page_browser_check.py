"""Opens `vd4625 page N --html` of every function in headless Chromium and
checks what the browser draws: the headline's logo on every page, the bars
of the measured values with their marks, the lamps lit or dark, the status
page's pictures, the online parameters' list texts and status icons in
German and English, the characteristic editor's refused entry in red with
its tooltip, a trend's time axis in times of day, and no number that is not
finite anywhere in a drawing.

  page_browser_check.py VD4625_PROGRAM

Only the standard library and the live frame check's WebDriver client.
"""
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "live"))
from frame_browser_check import (Failure, kill_group, run_check, start_driver,  # noqa: E402
                                 wait_for)

LIMIT = 500


class Check:
    def __init__(self, program, work):
        self.program = program
        self.work = work
        self.driver_process = None
        self.browser = None
        self.env = dict(os.environ)
        self.env["VD4625_REGISTRY"] = os.path.join(work, "registry.reg")
        self.env.pop("VD4625_INSTALL", None)

    def page(self, name, args):
        """Writes the page's HTML; returns its path."""
        html = os.path.join(self.work, name + ".html")
        run = subprocess.run([self.program] + args + ["--html", html], cwd=self.work, env=self.env,
                             stdin=subprocess.DEVNULL, capture_output=True, timeout=120)
        if run.returncode != 0 or not os.path.exists(html):
            raise Failure("%s: vd4625 %s ended %d: %s" % (name, " ".join(args), run.returncode,
                                                          run.stderr.decode("utf-8", "replace")))
        return html

    def start_browser(self):
        self.driver_process, self.browser = start_driver(self.work)

    def show(self, html):
        self.browser.open("file://" + html)
        wait_for("the page loaded", lambda: self.browser.script("return document.readyState;") == "complete")

    def js(self, source, *args):
        return self.browser.script(source, *args)

    # ---- what every page shows ----
    def every_page(self):
        for function in range(1, 15):
            html = self.show_function(function)
            texts = self.js("return Array.from(document.querySelectorAll('svg text')).map((t) => t.textContent);")
            numbers = self.js(
                "return Array.from(document.querySelectorAll('svg *')).flatMap((e) =>"
                " Array.from(e.attributes).map((a) => a.value)).filter((v) => /NaN|Infinity|nan|inf\\b/.test(v));")
            if numbers or any(re.search(r"NaN|Infinity|\bnan\b|\binf\b", t) for t in texts):
                raise Failure("function %d draws a number that is not finite: %r %r" % (function, numbers, texts))
            if any(re.fullmatch(r"1\d{9}(\.\d+)?", t) for t in texts):
                raise Failure("function %d labels an axis in raw seconds: %r" % (function, texts))
            logo = self.js("const l = document.querySelector('.headline svg[data-picture=\"logo\"]');"
                           "return l ? l.getBoundingClientRect().width : 0;")
            if self.js("return !!document.querySelector('header.headline .logo');") and not logo > 0:
                raise Failure("function %d's logo is not drawn" % function)
            print("ok: function %d (%s) draws %d pictures, %d icons, %d bars" % (
                function, os.path.basename(html),
                self.js("return document.querySelectorAll('svg.pic').length;"),
                self.js("return document.querySelectorAll('svg.status-icon').length;"),
                self.js("return document.querySelectorAll('svg.bar').length;")))

    def show_function(self, function):
        html = self.page("f%d" % function, ["page", str(function), "--do", "upload"])
        self.show(html)
        return html

    # ---- the pages one by one ----
    def measured(self):
        self.show(self.page("measure", ["page", "4", "--do", "upload", "--do", "wait 5s"]))
        bars = self.js(
            "return Array.from(document.querySelectorAll('.bar-control')).map((b) => {"
            " const svg = b.querySelector('svg.bar'); const v = svg.querySelector('rect.value');"
            " return [b.dataset.name, b.dataset.value, v.getBBox().width > 0, getComputedStyle(v).fill,"
            "  svg.querySelectorAll('line.mark').length, getComputedStyle(svg.querySelector('line.mark')).stroke,"
            "  Array.from(svg.querySelectorAll('text.tick')).map((t) => t.textContent),"
            "  svg.getBoundingClientRect().width > 100]; });")
        expected = [
            ["barW", "50", True, "rgb(0, 0, 255)", 2, "rgb(255, 0, 0)", ["-10", "55", "120"], True],
            ["barX", "49.8", True, "rgb(0, 192, 0)", 2, "rgb(255, 0, 0)", ["-10", "55", "120"], True],
            ["barE", "0.2", True, "rgb(255, 255, 0)", 2, "rgb(255, 0, 0)", ["-10", "0", "10"], True],
        ]
        if bars != expected:
            raise Failure("the measured values' bars are %r, not %r" % (bars, expected))
        zero = self.js("return document.querySelectorAll('[data-name=\"barE\"] line.zero').length;")
        if zero != 1:
            raise Failure("the deviation's bar draws %d zero lines" % zero)
        lamp = self.js("const p = document.querySelector('[data-name=\"picLED(5)\"]');"
                       "return [p.dataset.state, p.title, getComputedStyle(p.querySelector('circle')).fill,"
                       " p.querySelector('svg').getBoundingClientRect().width];")
        if lamp != ["off", "off", "rgb(0, 255, 0)", 16]:
            raise Failure("the fault lamp shows %r, not dark (green)" % lamp)
        choice = self.js("const s = document.querySelector('[data-name=\"ctlParameter(9)\"] select.value');"
                         "return s ? s.options[s.selectedIndex].textContent : null;")
        if choice != "Automatic":
            raise Failure("the operating mode shows %r, not Automatic" % choice)
        print("ok: function 4 draws three bars with their marks, the lamp dark and the mode's text")

    def status(self):
        # A device that reports a primary variable out of limits and a
        # malfunction: bits 0 and 7 of its status.
        profile = os.path.join(self.work, "status.xml")
        with open(profile, "w") as f:
            f.write('<DeviceProfile version="1"><Status deviceStatus="129"/></DeviceProfile>\n')
        self.show(self.page("status", ["page", "6", "--device-profile", profile]))
        pictures = self.js(
            "return Array.from(document.querySelectorAll('[data-name^=\"imgStatus\"]')).map((p) =>"
            " [p.dataset.name, p.dataset.state, getComputedStyle(p.querySelector('circle')).fill]);")
        on = [p for p in pictures if p[1] == "on"]
        off = [p for p in pictures if p[1] == "off"]
        if [p[0] for p in on] != ["imgStatus(0)", "imgStatus(7)"] or len(on) + len(off) != len(pictures) \
                or any(p[2] != "rgb(224, 0, 0)" for p in on) or any(p[2] != "rgb(90, 90, 90)" for p in off):
            raise Failure("the status pictures are %r" % pictures)
        print("ok: function 6 lights %d of its %d status pictures red, the others dark" % (len(on), len(pictures)))

    def parameters(self):
        for lang, linear, tip, mode in (("en", "Linear", "Value read from the device", "Characteristic"),
                                        ("de", "Linear", "Aus dem Gerät gelesener Wert", "Kennlinienauswahl")):
            self.show(self.page("online_" + lang, ["--lang", lang, "page", "7", "--do", "upload"]))
            shown = self.js(
                "const f = document.querySelector('[data-name=\"ctlParameter(7)\"]');"
                "const s = f.querySelector('select.value'); const i = f.querySelector('[data-icon]');"
                "return [f.querySelector('label').textContent, s.options[s.selectedIndex].textContent,"
                " Array.from(s.options).length, i.dataset.icon, i.title,"
                " i.querySelector('svg').getBoundingClientRect().width];")
            if shown != [mode, linear, 4, "OnlineValue", tip, 16]:
                raise Failure("%s: the characteristic field shows %r" % (lang, shown))
            icons = self.js("return document.querySelectorAll('.field [data-icon] svg.status-icon').length;")
            fields = self.js("return document.querySelectorAll('.field').length;")
            if icons != fields:
                raise Failure("%s: %d of %d fields draw their status icon" % (lang, icons, fields))
            print("ok: function 7 in %s shows %r with the icon titled %r" % (lang, linear, tip))
        direction = self.js("const s = document.querySelector('[data-name=\"ctlParameter(8)\"] select.value');"
                            "return s.options[s.selectedIndex].textContent;")
        if not direction or direction.strip() in ("", "0"):
            raise Failure("the direction of action shows %r" % direction)

    def editor(self):
        self.show(self.page("editor", ["page", "2", "--do", "tab 2", "--do", "click cmdNext",
                                       "--do", "set txtParX=abc", "--do", "click cmdNext"]))
        box = self.js("const t = document.querySelector('input[data-name=\"txtParX\"]');"
                      "return [t.value, getComputedStyle(t).color, t.title];")
        if box != ["abc", "rgb(255, 0, 0)", "The entry is not a number."]:
            raise Failure("the refused entry shows %r, not red with its tooltip" % box)
        ticks = self.js("return Array.from(document.querySelectorAll('.trend text.tick')).map((t) => t.textContent);")
        if ticks != ["0", "50", "100"]:
            raise Failure("the characteristic's x axis reads %r, not 0 .. 100" % ticks)
        print("ok: the characteristic editor shows the refused entry red with its tooltip, its axis 0 .. 100")

    def trend(self):
        self.show(self.page("trend", ["page", "5", "--do", "upload"]))
        ticks = self.js("return Array.from(document.querySelectorAll('.trend text.tick')).map((t) => t.textContent);")
        if len(ticks) != 3 or not all(re.fullmatch(r"\d\d:\d\d:\d\d", t) for t in ticks):
            raise Failure("a fresh trend labels its time axis %r" % ticks)
        print("ok: a fresh trend labels its time axis %r" % ticks)

    def run(self):
        self.start_browser()
        self.every_page()
        self.measured()
        self.status()
        self.parameters()
        self.editor()
        self.trend()

    def cleanup(self):
        if self.browser:
            self.browser.quit()
        kill_group(self.driver_process)


def main():
    return run_check(Check, "page_browser_check.py", "page_check_", LIMIT,
                     "every page draws its controls in the browser")


if __name__ == "__main__":
    sys.exit(main())
