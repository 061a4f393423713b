# Shared by scripts/run and scripts/test: find what a fresh Debian 12 machine lacks and install
# it, or say exactly how to.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="$(nproc 2>/dev/null || echo 2)"

ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done
    ((${#missing[@]} == 0)) && return 0
    if [[ "$(id -u)" -eq 0 ]]; then
        echo "Installing: ${missing[*]}"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq
        apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    else
        echo "Missing packages. Install them with:"
        echo "  sudo apt-get install ${missing[*]}"
        exit 1
    fi
}

BASE_PACKAGES=(cmake ninja-build make g++ qt6-base-dev qt6-translations-l10n libgl-dev libgtest-dev fonts-dejavu-core)
# GPS tracks: the XML parser, and the geodesics the track tests measure distances against.
BASE_PACKAGES+=(libpugixml-dev libgeographiclib-dev)
# Exports of a service (Strava, Garmin): zips and gzips, and the activity list's CSV.
BASE_PACKAGES+=(libarchive-dev libcsv-dev)
# The overview's charts, and their saving as SVG. Qt Charts' CMake files need Qt OpenGL's,
# which Debian 12's qt6-charts-dev does not pull in.
BASE_PACKAGES+=(qt6-charts-dev libqt6opengl6-dev qt6-svg-dev)

# A compiler cache and LLVM's linker, when they are there: builds with the same flags (another
# clone of the same commit, a developer's own folder) compile each file once, paths taken
# relative to the checkout so that two clones share their objects; and the programs link in a
# quarter of the time GNU ld takes.
FAST_BUILD=()
if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR="$ROOT" CCACHE_NOHASHDIR=1
    # The precompiled headers: their files carry a time stamp and defines ccache would refuse.
    export CCACHE_SLOPPINESS=pch_defines,time_macros
    FAST_BUILD+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
if command -v ld.lld >/dev/null; then
    FAST_BUILD+=(-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld -DCMAKE_SHARED_LINKER_FLAGS=-fuse-ld=lld)
fi

configure_and_build() {
    local dir="$1"
    shift
    # Ninja: it starts the next compile while make would still be reading dependencies. A build
    # folder made by another generator is made anew.
    if [[ -f "$dir/CMakeCache.txt" ]] && ! grep -q "^CMAKE_GENERATOR:INTERNAL=Ninja$" "$dir/CMakeCache.txt"; then
        rm -rf "$dir"
    fi
    cmake -S "$ROOT" -B "$dir" -G Ninja "${FAST_BUILD[@]}" "$@" >/dev/null
    cmake --build "$dir" -j "$JOBS"
}
