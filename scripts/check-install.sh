#!/usr/bin/env bash
# Checks the library as its users get it, from a finished build folder:
#  1. installed into a temporary prefix, the example built against it through
#     find_package and through pkg-config, and run;
#  2. the project taken into another one with add_subdirectory, and the
#     example built there;
#  3. the Debian package made with CPack, installed, the example built
#     against it and run; the package is removed again afterwards.
# Where the build made the Python module, its tests run against the
# installed prefix and against the installed package too.
#
#   bash scripts/check-install.sh [BUILD]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
jobs=$(nproc)
work=$(mktemp -d)
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
installed_deb=0
cleanup() {
  [ "$installed_deb" -eq 0 ] || $sudo dpkg --purge vx-taluvek >/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

echo "== installed into a temporary prefix"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
cmake -S examples -B "$work/find_package" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/find_package"
bash tests/example_run.sh "$prefix/bin/taluvek" "$work/find_package/projekt_lesen"

pc_dir=$(dirname "$(find "$prefix" -name vx_taluvek.pc)")
libdir=$(PKG_CONFIG_PATH=$pc_dir pkg-config --variable=libdir vx_taluvek)
# shellcheck disable=SC2046  # the flags are words
g++ -std=c++20 -Wall -Werror examples/projekt_lesen.cc -o "$work/projekt_lesen_pc" \
  $(PKG_CONFIG_PATH=$pc_dir pkg-config --cflags --libs vx_taluvek) -Wl,-rpath,"$libdir"
bash tests/example_run.sh "$prefix/bin/taluvek" "$work/projekt_lesen_pc"

# The Python module's tests against an installed module and command.
python_tests() {  # SITE TALUVEK
  PYTHONPATH=$1 VX_TALUVEK_BINARY=$2 PYTHONDONTWRITEBYTECODE=1 \
    /usr/bin/python3 -m pytest -q -p no:cacheprovider python/tests
}
python_site=$(find "$prefix" -name 'vx_taluvek*.so' -path '*python*' -printf '%h\n' | head -n1)
if [ -n "$python_site" ]; then
  python_tests "$python_site" "$prefix/bin/taluvek"
fi

echo "== taken in with add_subdirectory"
mkdir "$work/parent"
cat >"$work/parent/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(parent LANGUAGES CXX)
add_subdirectory("$PWD" vx_taluvek)
add_subdirectory("$PWD/examples" examples)
foreach(target vx_taluvek::vx_taluvek taluvek)
  if(NOT TARGET \${target})
    message(FATAL_ERROR "\${target} is missing")
  endif()
endforeach()
foreach(target library_test cli_test exported_symbols)
  if(TARGET \${target})
    message(FATAL_ERROR "\${target} is built for a project that took the library in")
  endif()
endforeach()
CMAKE
cmake -S "$work/parent" -B "$work/parent/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/parent/build" -j"$jobs" --target projekt_lesen taluvek
bash tests/example_run.sh "$work/parent/build/vx_taluvek/taluvek" \
  "$work/parent/build/examples/projekt_lesen"

echo "== the Debian package"
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$PWD/$build"/vx-taluvek_*.deb)
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'
installed_deb=1
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "$deb" >/dev/null
cmake -S examples -B "$work/deb" >/dev/null
cmake --build "$work/deb"
bash tests/example_run.sh /usr/bin/taluvek "$work/deb/projekt_lesen"
# shellcheck disable=SC2046
g++ -std=c++20 -Wall -Werror examples/projekt_lesen.cc -o "$work/projekt_lesen_deb_pc" \
  $(pkg-config --cflags --libs vx_taluvek)
bash tests/example_run.sh /usr/bin/taluvek "$work/projekt_lesen_deb_pc"
if [ -n "$python_site" ]; then
  python_tests /usr/lib/python3/dist-packages /usr/bin/taluvek
fi
