# Installs what the build and the tests need when it is missing: Debian's
# packages, and the replay viewer's npm packages. Sourced by the scripts
# (from the repository's top folder); installs nothing that is already there.
install_debian_packages() {
  echo "installing: $*"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$@"
}

ensure_build_deps() {
  local missing=()
  command -v g++ >/dev/null || missing+=(g++)
  command -v clang++ >/dev/null || missing+=(clang)
  command -v cmake >/dev/null || missing+=(cmake)
  command -v ninja >/dev/null || missing+=(ninja-build)
  command -v node >/dev/null || missing+=(nodejs)
  command -v npm >/dev/null || missing+=(npm)
  [ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev)
  [ -f /usr/include/gmock/gmock.h ] || missing+=(libgmock-dev)
  [ -f /usr/include/benchmark/benchmark.h ] || missing+=(libbenchmark-dev)
  command -v pkg-config >/dev/null || missing+=(pkg-config)
  [ -f /usr/include/ode/ode.h ] || missing+=(libode-dev)
  [ -f /usr/include/zlib.h ] || missing+=(zlib1g-dev)
  [ -f /usr/include/httplib.h ] || missing+=(libcpp-httplib-dev)
  if [ ${#missing[@]} -gt 0 ]; then install_debian_packages "${missing[@]}"; fi
  ensure_viewer_deps
}

# The replay viewer's npm packages (three.js, esbuild, playwright-core) as
# sim/replay/package-lock.json pins them; installed again when the lock file
# is newer than what is installed.
ensure_viewer_deps() {
  local dir=sim/replay
  local installed=$dir/node_modules/.package-lock.json
  if [ ! -f "$installed" ] || [ "$dir/package-lock.json" -nt "$installed" ]; then
    echo "installing the replay viewer's npm packages"
    npm ci --prefix "$dir" --no-audit --no-fund
  fi
}

# Debian's Python packages of the experiment tool (scripts/experiment/) and
# its tests, imported by Debian's own interpreter, /usr/bin/python3.
ensure_python_deps() {
  local missing=() module package
  for module in distributed:python3-distributed matplotlib:python3-matplotlib \
    numpy:python3-numpy pytest:python3-pytest; do
    package=${module#*:}
    [ -x /usr/bin/python3 ] && /usr/bin/python3 -c "import ${module%%:*}" 2>/dev/null ||
      missing+=("$package")
  done
  if [ ${#missing[@]} -gt 0 ]; then install_debian_packages "${missing[@]}"; fi
}

# Debian's chromium, the browser of the replay page's tests (label browser).
ensure_browser() {
  command -v chromium >/dev/null || install_debian_packages chromium
}
