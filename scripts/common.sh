# Shared by run.sh and test.sh: installs the Debian packages that are missing
# and configures and builds the project into build/.

LEAFWRIGHT_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-svg-dev libgl-dev
  libharfbuzz-dev libfontconfig-dev libfribidi-dev libuchardet-dev libpng-dev
  libicu-dev
  xvfb xauth xdotool imagemagick fonts-liberation2 fonts-dejavu-core fonts-droid-fallback
  fonts-dejavu-extra fonts-lohit-deva
  fonts-noto-core fonts-noto-cjk fonts-symbola fonts-noto-color-emoji mupdf-tools
  qpdf poppler-utils nlohmann-json3-dev parallel zlib1g-dev libdeflate-dev
  clang libclang-rt-14-dev clang-format-14
  desktop-file-utils appstream man-db groff-base util-linux acl
)

missing_packages() {
  local missing=()
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$pkg")
    fi
  done
  echo "${missing[@]:-}"
}

install_packages() {
  local missing
  missing=$(missing_packages "$@")
  [ -z "$missing" ] && return 0
  echo "Installing missing packages: $missing"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
      sudo="sudo"
    else
      echo "Missing packages ($missing) and no root rights to install them." >&2
      return 1
    fi
  fi
  $sudo apt-get update -qq
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
}

# configure_and_build PRESET [extra cmake arguments...]
# PRESET is one of CMakePresets.json: release (build/), debug, asan, tsan.
configure_and_build() {
  local preset=$1
  shift
  local jobs
  jobs=$(nproc 2>/dev/null || echo 2)
  (cd "$LEAFWRIGHT_ROOT" && cmake --preset "$preset" "$@" >/dev/null &&
    cmake --build --preset "$preset" -j "$jobs")
}
