#!/usr/bin/env bash
# Renders the bundled example's expected output, examples/quotations.html, in
# headless Chromium and saves the picture that the README shows,
# docs/quotations.png. Needs Debian's chromium and a font with polytonic Greek:
#   apt-get install chromium fonts-noto-core
set -euo pipefail
cd "$(dirname "$0")/.."

profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT

# A fresh profile and no background traffic: the page is a local file.
chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
  --disable-background-networking --disable-component-update --disable-sync \
  --user-data-dir="$profile" --hide-scrollbars --force-device-scale-factor=1 \
  --window-size=900,720 --screenshot="$PWD/docs/quotations.png" \
  "file://$PWD/examples/quotations.html"
