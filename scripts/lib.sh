# Shared by the scripts: Debian packages, installed quietly and only when missing.
set -euo pipefail

PLOXA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Packages to build and run the player.
BUILD_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-multimedia-dev libtomlplusplus-dev
  fontconfig fonts-liberation fonts-dejavu-core gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  gstreamer1.0-plugins-ugly gstreamer1.0-plugins-bad gstreamer1.0-libav libgtest-dev)
# Packages to run the tests: a real X server, a window manager and tools to drive and look at it;
# libpng as the reference the PNG decoder is compared with; ffmpeg makes the video clips of the
# end-to-end video test.
TEST_PACKAGES=(xvfb xauth xdotool openbox wmctrl imagemagick libgl1-mesa-dri x11-utils x11-xserver-utils libpng-dev zlib1g-dev ffmpeg)
# Packages for fuzzing (clang, libFuzzer) and the benchmarks' reference libraries.
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
BENCH_PACKAGES=(libbenchmark-dev libpng-dev libspng-dev zlib1g-dev libdeflate-dev libturbojpeg0-dev)

ensure_packages() {
  local missing=()
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# configure_and_build DIR [cmake options...]
configure_and_build() {
  local dir=$1
  shift
  cmake -S "$PLOXA_ROOT" -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$(nproc)"
}

# A private runtime folder, as Qt wants one.
private_runtime_dir() {
  local d
  d=$(mktemp -d)
  chmod 700 "$d"
  echo "$d"
}
