#!/bin/sh
# SPDX-License-Identifier: MIT
# NEWS as the release and the Debian changelog read it: the newest entry whole, every paragraph,
# and nothing of older ones; and a first line that dates no release refused, saying why.
#
# usage: news.sh CMAKE NEWS_MODULE FIXTURES_DIR
set -u
cmake=$1 module=$2 fixtures=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

"$cmake" -D NEWS="$fixtures/two_releases.news" -D DEBIAN_CHANGELOG="$work/changelog" \
    -D "MAINTAINER=osclock tests <tests@osclock.invalid>" -P "$module" &&
    diff -u "$fixtures/two_releases.changelog" "$work/changelog" || failed=1

# first line, with printf's escapes | what the refusal says
while IFS='|' read -r header said; do
    printf '%b\n\n  * A change.\n' "$header" >"$work/NEWS"
    if "$cmake" -D NEWS="$work/NEWS" -P "$module" >"$work/out" 2>&1 || ! grep -q "$said" "$work/out"; then
        echo "FAIL: \"$header\" was not refused with \"$said\":" && cat "$work/out"
        failed=1
    fi
done <<'EOF_TABLE'
osclock 1.0.0 (2026-12-07) |ends in blanks
osclock 1.0.0 (2026-12-07)\r|CR LF
osclock 1.0.0 (2026-12-7)|(YYYY-MM-DD)
osclock 1.0.0 (unreleased)|(YYYY-MM-DD)
osclock 1.0.0 (2026-13-45)|no calendar date
osclock 1.0.0 (2025-02-29)|no calendar date
EOF_TABLE
exit $failed
