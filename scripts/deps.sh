# Build and test dependencies, all from Debian's packages. Sourced by test.sh, run.sh and .ci/run.
RV_PACKAGES=(
  build-essential cmake pkg-config clang-format
  googletest libgtest-dev libbenchmark-dev
  libsdl2-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri
  libfreetype-dev fonts-dejavu-core
  xvfb xdotool imagemagick x11-utils
)

rv_missing_packages() {
  local missing=()
  for p in "${RV_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  echo "${missing[@]:-}"
}

rv_ensure_packages() {
  local missing
  missing=$(rv_missing_packages)
  [ -z "$missing" ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing missing packages: $missing"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing
  else
    echo "Missing packages: $missing" >&2
    echo "Install them with: sudo apt-get install $missing" >&2
    exit 1
  fi
}
