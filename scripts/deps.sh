# The Debian packages the demo and its tests need. Sourced by run.sh, test.sh,
# scripts/build-windows.sh and .ci/run.
#   rv_ensure_packages run      what building and running the demo needs
#   rv_ensure_packages windows  that, and the cross compiler for the Windows program
#   rv_ensure_packages test     all of that, and what the tests (the Windows program's under
#                               Wine), benchmarks and format check need
RV_RUN_PACKAGES=(
  build-essential cmake pkg-config
  libsdl2-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri
  libegl1 libegl-mesa0 # pictures without a desktop (SDL's offscreen driver)
  libfreetype-dev fonts-dejavu-core
  glslang-dev glslang-tools libspirv-cross-c-shared-dev libstb-dev libassimp-dev
)
RV_WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix)
RV_TEST_PACKAGES=(
  wine wine64
  googletest libgtest-dev libbenchmark-dev clang-format
  xvfb xdotool x11-utils x11-xkb-utils imagemagick
  clang-14 libclang-rt-14-dev assimp-testmodels
)

rv_missing_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  echo "${missing[@]:-}"
}

rv_ensure_packages() {
  local wanted=("${RV_RUN_PACKAGES[@]}") missing
  case ${1:-run} in
  windows) wanted+=("${RV_WINDOWS_PACKAGES[@]}") ;;
  test) wanted+=("${RV_WINDOWS_PACKAGES[@]}" "${RV_TEST_PACKAGES[@]}") ;;
  esac
  missing=$(rv_missing_packages "${wanted[@]}")
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
