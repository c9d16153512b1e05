#!/usr/bin/env bash
# KOLT developer entry point.
#   ./dev.sh run    install what is missing, build, start the application
#   ./dev.sh test   install what is missing, build, run every test (as CI does)
#   ./dev.sh build  install what is missing and build
#   ./dev.sh package  install what is missing, build build-package/kolt_VERSION_ARCH.deb
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake g++ make ccache pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
          libsqlite3-0 sqlite3 libgtest-dev libgmock-dev libbenchmark-dev
          xvfb xauth poppler-utils zbar-tools python3 fonts-dejavu-core
          libpq5 postgresql postgresql-client
          dpkg-dev fakeroot file lintian desktop-file-utils appstream
          libzip-dev libfreexl-dev libxlsxwriter-dev)

install_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
  fi
}

build() { # build DIR [cmake options...]
  local dir=$1; shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$dir" -j2
}

# The Debian package: a Release build of the two programs and what they read,
# installed by CPack into build-package/kolt_VERSION_ARCH.deb. Its compiler
# flags are the test build's (-O2 -g, the debug information is stripped from
# the package), so ccache serves the objects build/ compiled and the package
# costs little more than linking. Only the targets the package holds are
# built: the install step must not build the benchmarks and tools too.
package() {
  local dir=build-package
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -g -DNDEBUG" \
    -DKOLT_WERROR=ON -DKOLT_TESTS=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
    "-DCMAKE_EXE_LINKER_FLAGS=-Wl,-z,relro -Wl,-z,now" >/dev/null
  cmake --build "$dir" -j2 --target kolt koltctl kolt_resources kolt_package_files
  rm -f "$dir"/kolt_*.deb
  (cd "$dir" && cpack -G DEB >/dev/null)
  ls "$dir"/kolt_*.deb
}

cmd=${1:-run}
install_packages
case "$cmd" in
  build)
    build build
    ;;
  run)
    build build
    exec ./build/bin/kolt
    ;;
  package)
    package
    ;;
  test)
    # Includes point down the floors only (see docs/ARCHITECTURE.md).
    tools/check-includes
    # The engines alone: a widget include in an engine breaks this build.
    build build-core -DKOLT_GUI=OFF -DKOLT_TESTS=OFF -DKOLT_WERROR=ON
    build build -DKOLT_WERROR=ON
    # A private PostgreSQL cluster for the engine tests' second run.
    pgdir=$(mktemp -d)
    chmod 755 "$pgdir" # the cluster runs as an unprivileged user
    trap 'tools/pgtest stop "$pgdir/cluster"; rm -rf "$pgdir"' EXIT
    KOLT_TEST_SERVER=$(tools/pgtest start "$pgdir/cluster" "${KOLT_TEST_PORT:-54329}")
    export KOLT_TEST_SERVER
    (cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 --timeout 300)
    unset KOLT_TEST_SERVER
    # The package, checked without installing it: contents, lintian, menu
    # entry, metainfo, and the unpacked programs at work.
    package
    packaging/check-package build-package/kolt_*.deb
    build build-asan -DKOLT_SANITIZE=ON
    # The sanitisers watch the program's own code: the server's second run of
    # the engine tests adds nothing there.
    (cd build-asan && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
       ctest --output-on-failure -j2 --timeout 600 -E '^server:')
    ;;
  *)
    echo "usage: ./dev.sh run|test|build|package" >&2
    exit 2
    ;;
esac
