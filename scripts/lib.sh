# Shared by the README's commands: the Debian packages the project needs and
# a check that installs what is missing.

# Everything the builds, tests and demo use, by Debian package name.
GSD_PACKAGES=(
  cmake ninja-build g++ python3 googletest libgtest-dev libgmock-dev clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
  wine wine64 wine32:i386 xvfb xauth imagemagick openssl osslsigncode curl tinyproxy
)

# The 32-bit build runs under Wine's 32-bit half, which Debian ships for the
# i386 architecture only: dpkg must know that architecture before apt-get
# can install it.
gsd_needs_i386() {
  local package
  for package in "$@"; do
    case "$package" in *:i386) return 0 ;; esac
  done
  return 1
}

gsd_has_i386() {
  [ "$(dpkg --print-architecture)" = i386 ] || dpkg --print-foreign-architectures | grep -qx i386
}

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
  local add_i386=""
  if gsd_needs_i386 "${missing[@]}" && ! gsd_has_i386; then
    add_i386="dpkg --add-architecture i386"
  fi
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing: ${missing[*]}"
    if [ -n "$add_i386" ]; then
      $add_i386
    fi
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
  else
    echo "Missing Debian packages. Install them with:" >&2
    echo "  ${add_i386:+sudo $add_i386 && }sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
    return 1
  fi
}

# gsd_build PRESET [TARGET...]: configures and builds the preset, only the
# targets named when there are any.
gsd_build() {
  local preset=$1
  shift
  cmake --preset "$preset" >/dev/null
  if [ $# -gt 0 ]; then
    cmake --build --preset "$preset" --target "$@"
  else
    cmake --build --preset "$preset"
  fi
}

# The Windows build preset that GSD_ARCH picks: x64 (the default) or x86, the
# 32-bit build for a game whose Game.dll is 32-bit.
gsd_windows_preset() {
  case "${GSD_ARCH:-x64}" in
    x64|x86_64|amd64) echo windows ;;
    x86|i686|i386) echo windows-x86 ;;
    *) echo "GSD_ARCH must be x64 (the default) or x86, not '$GSD_ARCH'" >&2; return 2 ;;
  esac
}

# Runs a command with every line of its output preceded by "[MARK] ", for
# commands that run side by side; its exit status is the command's.
gsd_run_marked() {
  local mark=$1
  shift
  "$@" 2>&1 | sed -u "s/^/[$mark] /"
  return "${PIPESTATUS[0]}"
}

# A failure of a script's step says which step failed and why, never a bare
# exit status. gsd_track_failures NAME once the command line is read; then
# gsd_step TEXT before each step ("building what the demo uses"); gsd_fail
# TEXT for a failure the script itself finds; and gsd_tell_failure STATUS
# first in the EXIT trap. A failed command's own messages come before the
# line that names the step.
gsd_track_failures() {
  gsd_script=$1
  gsd_current_step=
  gsd_failure_told=0
  gsd_failed_command=
  gsd_failed_status=
  # Functions and subshells record too; recording never stops anything.
  set -E
  trap 'gsd_failed_status=$? gsd_failed_command=$BASH_COMMAND' ERR
}

gsd_step() {
  gsd_current_step=$1
}

gsd_fail() {
  echo "$gsd_script: $*" >&2
  gsd_failure_told=1
  exit 1
}

# Marks an end the script has already explained (Ctrl+C, a failure told).
gsd_failure_is_told() {
  gsd_failure_told=1
}

gsd_tell_failure() {
  local status=$1
  if [ "$status" -eq 0 ] || [ "${gsd_failure_told:-1}" -ne 0 ]; then
    return 0
  fi
  gsd_failure_told=1
  if [ -n "$gsd_failed_command" ]; then
    echo "$gsd_script: ${gsd_current_step:-a step} failed: '$gsd_failed_command' ended with exit status ${gsd_failed_status:-$status}" >&2
  else
    echo "$gsd_script: ${gsd_current_step:-a step} failed (exit status $status)" >&2
  fi
}
