#!/usr/bin/env bash
# Renders the documentation of a full upload with headless Chromium, in
# German and in English: the page prints it to a PDF and previews it as a
# PNG, and the browser takes a picture of the whole document. Every
# parameter group must be in the PDF with readable labels and values, and
# each group's heading bar in the picture. Skips (77) only when no browser
# is installed.
# Usage: doc_render_check.sh VD4625_PROGRAM
set -u
program=$1
here=$(cd "$(dirname "$0")" && pwd)
browser=""
for name in chromium chromium-browser google-chrome; do
  if command -v "$name" >/dev/null 2>&1; then browser=$name; break; fi
done
if [ -z "$browser" ]; then
  echo "no headless browser installed (scripts/setup.sh installs chromium)"
  exit 77
fi
if ! command -v python3 >/dev/null 2>&1; then
  echo "python3 is needed to read the PDF and the picture (scripts/setup.sh installs it)"
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export VD4625_REGISTRY="$work/registry.reg"
unset VD4625_INSTALL

fail=0
check() {
  local lang=$1; shift
  local groups=$1; shift
  local doc="$work/doc_$lang.html"
  if ! "$program" page 13 --lang "$lang" --do upload --do "click cmdRefreshData" \
      --do "click cmdPrint" --do "click cmdPreview" --html "$doc" \
      >"$work/out_$lang.txt" 2>"$work/err_$lang.txt"; then
    echo "vd4625 page 13 --lang $lang failed:"; cat "$work/err_$lang.txt"
    fail=1; return
  fi
  for file in "$doc" "${doc%.html}.pdf" "${doc%.html}.png"; do
    if [ ! -s "$file" ]; then echo "$lang: $(basename "$file") was not written"; fail=1; return; fi
  done
  # The whole document in one picture: a window taller than the document.
  timeout 120 "$browser" --headless --no-sandbox --disable-gpu --hide-scrollbars \
    --user-data-dir="$work/profile_$lang" --window-size=1000,9000 \
    --screenshot="$work/all_$lang.png" "file://$doc" >"$work/browser_$lang.txt" 2>&1
  if [ ! -s "$work/all_$lang.png" ]; then
    echo "$lang: the browser wrote no picture:"; cat "$work/browser_$lang.txt"
    fail=1; return
  fi
  python3 "$here/doc_render_check.py" pdf "${doc%.html}.pdf" "$groups" "$@" || fail=1
  python3 "$here/doc_render_check.py" png "$work/all_$lang.png" "$groups" || fail=1
  python3 "$here/doc_render_check.py" png "${doc%.html}.png" 1 || fail=1
}

# Per language: the number of groups, then texts that must be readable:
# the headings, the group titles, and labels with their uploaded values.
check de 3 "Gerätedokumentation" "Messstellenbezeichnung" "VD4625" \
  "Offline-Parameter" "Online-Parameter" "Gerätestatus" \
  "Parameter" "Wert" "Einheit" \
  "Instanzbezeichnung" "4625_1" "Hersteller" "VELDAR"
check en 3 "Device documentation" "Tag" "VD4625" \
  "Offline parameters" "Online parameters" "Device status" \
  "Parameter" "Value" "Unit" \
  "Instance tag" "4625_1" "Manufacturer" "VELDAR"
exit $fail
