#!/usr/bin/env bash
# Builds the Debian package from the build folder (cpack, as scripts/package.sh does), checks its
# metadata and contents, unpacks it into a temporary folder and runs the programs from there; the
# manual pages render without a warning, the metainfo validates, and lintian finds no error.
# Usage: package_test.sh <build folder>. Exits 77 (skipped) when the packaging tools are missing.
set -euo pipefail
build=$(cd "$1" && pwd)
for tool in cpack dpkg-deb dpkg-shlibdeps fakeroot man groff appstreamcli lintian; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (bash scripts/deps.sh installs it)"
        exit 77
    fi
done

# The package is made from the normal build. A sanitizer build's programs need the sanitizer
# runtimes and are far too large to pack in a test's time (cpack takes many minutes on them).
if grep -qx 'CORVANE_SANITIZE:BOOL=ON' "$build/CMakeCache.txt"; then
    echo "SKIP: $build is a sanitizer build; the package is made from the normal build"
    exit 77
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

(cd "$build" && cpack -G DEB -B "$tmp/cpack" -D CPACK_OUTPUT_FILE_PREFIX="$tmp/out" >"$tmp/cpack.log" 2>&1) || {
    cat "$tmp/cpack.log"
    echo "FAIL: cpack (build every target first)"
    exit 1
}
debs=("$tmp"/out/corvane-control_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || {
    ls "$tmp/out"
    echo "FAIL: no single corvane-control_<version>_<arch>.deb"
    exit 1
}
deb=${debs[0]}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
[ "$(basename "$deb")" = "corvane-control_${version}_${arch}.deb" ] ||
    fail "the package is named $(basename "$deb"), expected corvane-control_${version}_${arch}.deb"

# Metadata: Depends comes from the libraries the programs use, Qt among them.
dpkg-deb --info "$deb" >"$tmp/info"
field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = corvane-control ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', expected $version"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is '$(field Architecture)'"
depends=$(field Depends)
for lib in libc6 libqt6core6 libqt6widgets6 libqt6network6 libqt6serialport6; do
    grep -q "\b$lib\b" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
[ -n "$(field Description)" ] || fail "no Description"

dpkg-deb --contents "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$tmp/contents"
for path in /usr/bin/corvane-control /usr/bin/corvane-ctl /usr/bin/corvane-board \
    /usr/bin/corvane-control-launch /usr/share/applications/corvane-control.desktop \
    /usr/share/icons/hicolor/scalable/apps/corvane-control.svg \
    /usr/share/metainfo/com.corvane.control.metainfo.xml \
    /usr/share/man/man1/corvane-control.1.gz /usr/share/man/man1/corvane-ctl.1.gz \
    /usr/share/man/man1/corvane-board.1.gz /usr/share/man/man1/corvane-control-launch.1.gz \
    /usr/share/bash-completion/completions/corvane-ctl \
    /usr/share/doc/corvane-control/copyright /usr/share/doc/corvane-control/changelog.gz; do
    grep -qx "$path" "$tmp/contents" || fail "the package lacks $path"
done
grep -v -e '^/usr/' -e '^/$' "$tmp/contents" && fail "the package has files outside /usr"

# Unpacked, the programs run from their folder with the system's Qt.
root="$tmp/root"
dpkg-deb -x "$deb" "$root"
out=$(env -u LD_LIBRARY_PATH "$root/usr/bin/corvane-ctl" --version) || fail "corvane-ctl --version failed"
[ "$out" = "corvane-ctl $version" ] || fail "corvane-ctl --version says '$out'"
env -u LD_LIBRARY_PATH "$root/usr/bin/corvane-board" --help >"$tmp/board-help" ||
    fail "corvane-board --help failed"
grep -q '^Usage: corvane-board' "$tmp/board-help" || fail "corvane-board --help has no usage"
grep -qx 'Exec="/usr/bin/corvane-control-launch"' \
    "$root/usr/share/applications/corvane-control.desktop" ||
    fail "the desktop entry does not start /usr/bin/corvane-control-launch"

# The manual pages render without a warning; each names every option of its program's --help.
for page in "$root"/usr/share/man/man1/corvane-{control,ctl,board}.1.gz; do
    LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 "$page" \
        >"$tmp/page" 2>"$tmp/warnings" || fail "man -l $(basename "$page") failed"
    [ ! -s "$tmp/warnings" ] || {
        cat "$tmp/warnings"
        fail "$(basename "$page") renders with warnings"
    }
done
for program in corvane-ctl corvane-board; do
    LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$root/usr/share/man/man1/$program.1.gz" 2>/dev/null \
        >"$tmp/$program.txt"
    for option in $("$root/usr/bin/$program" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
        grep -q -- "$option" "$tmp/$program.txt" || fail "$program(1) does not describe $option"
    done
done
# The completion offers the commands and the options of --help.
words=$(bash -c 'source /usr/share/bash-completion/bash_completion 2>/dev/null || true
    source "$1"
    COMP_WORDS=(corvane-ctl ""); COMP_CWORD=1; COMP_LINE="corvane-ctl "; COMP_POINT=12
    _corvane_ctl corvane-ctl "" corvane-ctl; printf "%s\n" "${COMPREPLY[@]}"
    COMP_WORDS=(corvane-ctl --); COMP_CWORD=1; COMP_LINE="corvane-ctl --"; COMP_POINT=14
    _corvane_ctl corvane-ctl -- corvane-ctl; printf "%s\n" "${COMPREPLY[@]}"' \
    sh "$root/usr/share/bash-completion/completions/corvane-ctl")
for word in probe read save save-network start stop firmware reboot exit-board create-default \
    --udp --serial --boards --jobs --timeout; do
    grep -qx -- "$word" <<<"$words" || fail "the completion does not offer $word"
done

appstreamcli validate --no-net "$root/usr/share/metainfo/com.corvane.control.metainfo.xml" \
    >"$tmp/appstream" 2>&1 || {
    cat "$tmp/appstream"
    fail "appstreamcli validate objects to the metainfo"
}
lintian --fail-on error "$deb" >"$tmp/lintian" 2>&1 || {
    cat "$tmp/lintian"
    fail "lintian reports errors"
}

if [ "$failures" -gt 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "PASS: $(basename "$deb"): metadata, contents, programs, manual pages, completion, lintian"
