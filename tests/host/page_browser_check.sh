#!/usr/bin/env bash
# Every function's static HTML page in headless Chromium, driven through
# chromedriver: see page_browser_check.py. Skips (77) only when the browser
# or its driver is not installed.
# Usage: page_browser_check.sh VD4625_PROGRAM
set -u
here=$(cd "$(dirname "$0")" && pwd)
if [ ! -x /usr/bin/chromium ]; then
  echo "chromium is not installed (scripts/setup.sh installs it)"
  exit 77
fi
if ! command -v chromedriver >/dev/null 2>&1; then
  echo "chromedriver is not installed (scripts/setup.sh installs chromium-driver)"
  exit 77
fi
if ! command -v python3 >/dev/null 2>&1; then
  echo "python3 is needed to drive the browser (scripts/setup.sh installs it)"
  exit 1
fi
exec python3 "$here/page_browser_check.py" "$1"
