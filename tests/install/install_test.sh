#!/usr/bin/env bash
# Installs the build into a fresh prefix (one with a space in its name) and checks what lands
# where: the programs, the launcher, a valid desktop entry that starts the installed launcher, the
# icon; then that the launcher starts the program in its own folder, never in the home folder.
# Usage: install_test.sh <build folder>. Exits 77 (skipped) when desktop-file-validate is missing.
set -euo pipefail
build=$1
if ! command -v desktop-file-validate >/dev/null; then
    echo "SKIP: desktop-file-validate is not installed (bash scripts/deps.sh installs it)"
    exit 77
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix="$tmp/pre fix"
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" || {
    cat "$tmp/install.log"
    echo "FAIL: cmake --install (build corvane-control and corvane-board first)"
    exit 1
}

for program in corvane-control corvane-ctl corvane-board corvane-control-launch; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program is missing or not executable"
done
icon="$prefix/share/icons/hicolor/scalable/apps/corvane-control.svg"
[ -s "$icon" ] || fail "the icon $icon is missing"
grep -q '<svg' "$icon" || fail "the icon is not an SVG picture"

entry="$prefix/share/applications/corvane-control.desktop"
if [ ! -f "$entry" ]; then
    fail "the desktop entry $entry is missing"
else
    desktop-file-validate "$entry" >"$tmp/validate.log" 2>&1 || true
    # The validator reports problems as "error:" or "warning:" lines (and hints, which are fine).
    if grep -E 'error|warning' "$tmp/validate.log"; then
        fail "desktop-file-validate objects to the entry"
    fi
    grep -qx 'Icon=corvane-control' "$entry" || fail "the entry does not name the icon"
    exec_line=$(grep '^Exec=' "$entry")
    expected="Exec=\"$prefix/bin/corvane-control-launch\""
    [ "$exec_line" = "$expected" ] || fail "entry has '$exec_line', expected '$expected'"
fi

# The launcher, with a stand-in program beside it that reports the folder it was started in.
mkdir -p "$tmp/bin" "$tmp/home one"
cp "$prefix/bin/corvane-control-launch" "$tmp/bin/"
printf '#!/bin/sh\npwd > "$REPORT"\n' >"$tmp/bin/corvane-control"
chmod +x "$tmp/bin/corvane-control"
export REPORT="$tmp/started-in"

# home, XDG_DATA_HOME (unset when "-"), the folder the program must be started in
cases=(
    "$tmp/home one|-|$tmp/home one/.local/share/corvane-control"
    "$tmp/home one||$tmp/home one/.local/share/corvane-control"
    "$tmp/home one|relative/data|$tmp/home one/.local/share/corvane-control"
    "$tmp/home one|$tmp/data home|$tmp/data home/corvane-control"
)
for c in "${cases[@]}"; do
    IFS='|' read -r home xdg folder <<<"$c"
    rm -rf "$folder" "$REPORT"
    if [ "$xdg" = "-" ]; then
        (cd "$tmp" && env -u XDG_DATA_HOME HOME="$home" "$tmp/bin/corvane-control-launch")
    else
        (cd "$tmp" && HOME="$home" XDG_DATA_HOME="$xdg" "$tmp/bin/corvane-control-launch")
    fi
    [ -d "$folder" ] || fail "the launcher did not create $folder (XDG_DATA_HOME '$xdg')"
    started=$(cat "$REPORT" 2>/dev/null || echo "not started")
    [ "$started" = "$folder" ] || fail "started in '$started', expected '$folder'"
done

# Without a home folder the launcher refuses rather than start anywhere.
rm -f "$REPORT"
if (cd "$tmp" && env -u XDG_DATA_HOME HOME= "$tmp/bin/corvane-control-launch" 2>/dev/null); then
    fail "the launcher started the program without a home folder"
fi
[ ! -e "$REPORT" ] || fail "the program was started without a home folder"

if [ "$failures" -gt 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "PASS: installed layout, desktop entry and launcher"
