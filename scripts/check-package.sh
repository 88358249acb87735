#!/usr/bin/env bash
# Builds the Debian package with the deb presets (in build/deb), unpacks it into a scratch
# folder and checks what it installs: the program, the desktop entry and icon, the AppStream
# metainfo, the manual page and the systemd user unit, each with its own validator, the
# package's dependencies, and that the unpacked program answers --help.
# Prints one line per check and exits non-zero when any fails.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=scripts/common.sh
source "$root/scripts/common.sh"
tarnwick_install_packages "${TARNWICK_RUN_PACKAGES[@]}" "${TARNWICK_TEST_PACKAGES[@]}"

echo "== Debian package"
cd "$root"
build="$root/build/deb"
rm -f "$build"/tarnwick_*.deb
mkdir -p "$build"
log="$build/check-package.log"
if ! { cmake --preset deb && cmake --build --preset deb -j "$(tarnwick_jobs)" && cpack --preset deb; } >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "FAILED  building the package with the deb presets (the whole log: $log)"
    exit 1
fi

failures=0
pass() { echo "ok      $*"; }
fail() {
    echo "FAILED  $*"
    failures=$((failures + 1))
}
# Runs a check quietly; on failure prints what it said.
check() {
    local title=$1 output line
    shift
    if output=$("$@" 2>&1); then pass "$title"; else
        fail "$title"
        [ -z "$output" ] || while IFS= read -r line; do echo "        $line"; done <<<"$output"
    fi
}

shopt -s nullglob
debs=("$build"/tarnwick_*.deb)
shopt -u nullglob
if [ "${#debs[@]}" -ne 1 ]; then
    fail "cpack made one tarnwick_*.deb in build/deb (found ${#debs[@]})"
    exit 1
fi
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
arch=$(dpkg --print-architecture)
check "file name is tarnwick_<version>_<arch>.deb: $(basename "$deb")" \
    test "$(basename "$deb")" = "tarnwick_${version}_${arch}.deb"

depends=$(dpkg-deb -f "$deb" Depends)
check "Depends, from the binary, names Qt: $depends" \
    grep -Eq 'libqt6core6.*libqt6widgets6|libqt6widgets6.*libqt6core6' <<<"$depends"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
tree="$scratch/root"
dpkg-deb -x "$deb" "$tree"

program="$tree/usr/bin/tarnwick"
desktop="$tree/usr/share/applications/tarnwick.desktop"
icon="$tree/usr/share/icons/hicolor/scalable/apps/tarnwick.svg"
metainfo="$tree/usr/share/metainfo/org.tarnwick.Tarnwick.metainfo.xml"
manual="$tree/usr/share/man/man1/tarnwick.1.gz"
unit="$tree/usr/lib/systemd/user/tarnwick.service"
for file in "$program" "$desktop" "$icon" "$metainfo" "$manual" "$unit"; do
    check "installs ${file#"$tree"}" test -s "$file"
done
check "/usr/bin/tarnwick is executable" test -x "$program"

# Quiet success only: a validator's warnings count as failures here.
silent() {
    local output
    output=$("$@" 2>&1) || {
        echo "$output"
        return 1
    }
    [ -z "$output" ] || {
        echo "$output"
        return 1
    }
}
check "desktop entry passes desktop-file-validate" silent desktop-file-validate "$desktop"
check "desktop entry's icon is the installed one" grep -qx 'Icon=tarnwick' "$desktop"

# Notes at the pedantic level are allowed, errors and warnings are not. Validating the tree
# also finds the desktop entry that the metainfo launches.
appstream_clean() {
    local output
    output=$(appstreamcli "$@" 2>&1) || {
        echo "$output"
        return 1
    }
    ! grep -E '^ *[EW]:' <<<"$output"
}
check "metainfo passes appstreamcli validate --no-net" appstream_clean validate --no-net "$metainfo"
check "metainfo's desktop entry is installed (appstreamcli validate-tree --no-net)" \
    appstream_clean validate-tree --no-net "$tree"

manual_text="$scratch/tarnwick.1.txt"
# The page goes to a file for the checks below. Anything on standard error counts as a
# warning, so man runs in a locale every Debian has rather than complain of a missing one.
render_manual() {
    local warnings
    if ! warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 MANPAGER=cat PAGER=cat man --warnings=w -l "$manual" 2>&1 >"$manual_text") ||
        [ -n "$warnings" ] || [ ! -s "$manual_text" ]; then
        echo "$warnings"
        return 1
    fi
}
check "manual page renders without any groff warning under man --warnings=w -l" render_manual
# Every option the program's --help names, and every form of the command, is in the manual.
help_text=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --help 2>&1) && help_status=0 || help_status=$?
help_answered() { [ "$help_status" -eq 0 ] && [ "$(head -n 1 <<<"$help_text")" = "Tarnwick $version" ]; }
check "the unpacked program's --help, without a display, exits with 0 and names version $version" help_answered
covered() {
    local word missing=()
    for word in "$@"; do
        grep -qF -- "$word" "$manual_text" || missing+=("$word")
    done
    [ "${#missing[@]}" -eq 0 ] || {
        echo "missing: ${missing[*]}"
        return 1
    }
}
mapfile -t help_options < <(grep -oE -- '--[a-z][a-z-]*' <<<"$help_text" | sort -u)
options_covered() { [ "${#help_options[@]}" -gt 0 ] && covered "${help_options[@]}"; }
check "manual page covers the options of --help: ${help_options[*]}" options_covered
check "manual page covers the commands, files and exit statuses" covered \
    "tarnwick send" "tarnwick plan" --headless --days \
    config.txt names.txt schedule.txt Sunrise.txt history.txt history.1.txt tarnwick.ini tarnwick.lock \
    "EXIT STATUS" "already running in this folder"

unit_lines() {
    local line missing=()
    for line in \
        "ExecStartPre=/bin/mkdir -p %h/Tarnwick" \
        "WorkingDirectory=-%h/Tarnwick" \
        "ExecStart=/usr/bin/tarnwick --headless --catch-up" \
        "Restart=on-failure" \
        "WantedBy=default.target"; do
        grep -qxF -- "$line" "$unit" || missing+=("$line")
    done
    [ "${#missing[@]}" -eq 0 ] || {
        printf 'missing: %s\n' "${missing[@]}"
        return 1
    }
}
check "unit runs tarnwick --headless --catch-up in ~/Tarnwick, made when missing, restarted on failure" unit_lines
if command -v systemd-analyze >/dev/null 2>&1; then
    # The unit as installed, but pointing at the unpacked program, which systemd checks is there.
    mkdir -p "$scratch/unit" "$scratch/runtime"
    chmod 700 "$scratch/runtime"
    sed "s|=/usr/bin/tarnwick |=$program |" "$unit" >"$scratch/unit/tarnwick.service"
    check "unit passes systemd-analyze verify --user" \
        silent env XDG_RUNTIME_DIR="$scratch/runtime" \
        systemd-analyze verify --user --man=no "$scratch/unit/tarnwick.service"
else
    echo "skipped systemd-analyze verify: systemd-analyze is not installed"
fi

if [ "$failures" -gt 0 ]; then
    echo "package check: $failures failed"
    exit 1
fi
echo "package check: all passed"
