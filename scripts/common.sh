# Shared by ./run and ./test: finds what this machine lacks among Debian's
# packages and installs only that.

# Packages needed to build and run the program.
TARNWICK_RUN_PACKAGES=(g++ cmake make qt6-base-dev qt6-serialport-dev libmosquitto-dev nlohmann-json3-dev)
# And to build and run the tests and benchmarks (mosquitto: the MQTT broker the tests start),
# and to build and check the Debian package (dpkg-dev and file work out its dependencies).
TARNWICK_TEST_PACKAGES=(libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-dev mosquitto
    dpkg-dev file desktop-file-utils appstream man-db groff-base)

tarnwick_missing_packages() {
    local p missing=()
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$p")
        fi
    done
    echo "${missing[@]}"
}

tarnwick_install_packages() {
    local missing
    missing=$(tarnwick_missing_packages "$@")
    [ -z "$missing" ] && return 0
    local apt=(apt-get)
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
            apt=(sudo apt-get)
        else
            echo "Tarnwick needs these Debian packages, which are not installed: $missing" >&2
            echo "Installing them needs root rights. Run as root (or with sudo):" >&2
            echo "    apt-get update && apt-get install -y $missing" >&2
            return 1
        fi
    fi
    echo "Installing missing Debian packages: $missing"
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive "${apt[@]}" update -qq &&
        DEBIAN_FRONTEND=noninteractive "${apt[@]}" install -y -qq --no-install-recommends $missing
}

tarnwick_jobs() { nproc 2>/dev/null || echo 2; }
