# Shared by the README's commands: the Debian packages the project needs and
# a check that installs what is missing.

# Everything the builds, tests and demo use, by Debian package name.
GSD_PACKAGES=(
  cmake ninja-build g++ python3 googletest libgtest-dev libgmock-dev clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine64 xvfb xauth imagemagick openssl curl
)

# Installs missing packages with apt-get when run as root; otherwise prints
# the one command that would and fails.
gsd_ensure_packages() {
  local missing=()
  local package
  for package in "${GSD_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$package")
    fi
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing: ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
  else
    echo "Missing Debian packages. Install them with:" >&2
    echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
    return 1
  fi
}

gsd_build() {
  local preset=$1
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
}
