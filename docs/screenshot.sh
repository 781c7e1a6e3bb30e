#!/usr/bin/env bash
# Makes the pictures that the README shows, in headless Chromium: the bundled
# example's expected output, examples/quotations.html, as docs/quotations.png,
# and the web page as built in build-web (emcmake cmake -S . -B build-web &&
# cmake --build build-web), as docs/web-page.png. Needs Debian's chromium and
# a font with polytonic Greek:
#   apt-get install chromium fonts-noto-core
set -euo pipefail
cd "$(dirname "$0")/.."

profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT

# shoot PAGE PICTURE WIDTH,HEIGHT: a fresh profile and no background traffic,
# the page being a local file; time enough for its scripts to run.
shoot() {
  chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$profile" --hide-scrollbars --force-device-scale-factor=1 \
    --virtual-time-budget=5000 --window-size="$3" --screenshot="$PWD/$2" "file://$PWD/$1"
}

shoot examples/quotations.html docs/quotations.png 900,720
if [ -f build-web/web/index.html ]; then
  shoot build-web/web/index.html docs/web-page.png 1200,800
else
  echo "build-web/web/index.html is not built: docs/web-page.png left as it is" >&2
fi
