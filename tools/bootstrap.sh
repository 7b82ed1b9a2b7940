#!/usr/bin/env bash
# Installs the Debian packages that building and testing Theater need, and only those that are missing.
set -euo pipefail

# Everything the presets use: compilers (native, clang with its fuzzing runtime, MinGW for the 32-bit and
# 64-bit Windows builds), build tools, test and benchmark libraries, the libraries of the host program (zlib
# also for Windows), the tools that look into built files (nm from binutils, llvm-readobj from llvm), libelf,
# which reads a module's headers before the host loads it, OpenSSL's libcrypto, whose SHA-256 names the module
# in the validator's log, and Wine, which runs the 64-bit Windows build in the tests. `towerhost serve` needs the HTTP library (found
# through pkg-config); its page is tested in headless Chromium through Selenium, and the dialog pictures name
# Liberation Sans, whose widths their layout is measured with. Debian's python3 with matplotlib draws the
# benchmark's plot.
PACKAGES=(
    cmake
    ninja-build
    make
    g++
    binutils
    libgtest-dev
    libgmock-dev
    libbenchmark-dev
    libcli11-dev
    nlohmann-json3-dev
    libpng-dev
    libelf-dev
    libssl-dev
    clang
    clang-14
    libclang-rt-14-dev
    llvm-14
    g++-mingw-w64-i686
    g++-mingw-w64-x86-64
    libz-mingw-w64-dev
    wine
    wine64
    valgrind
    pkg-config
    libcpp-httplib-dev
    chromium
    chromium-driver
    python3-selenium
    fonts-liberation
    python3
    python3-matplotlib
)

missing=()
for package in "${PACKAGES[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    if [[ "$status" != "install ok installed" ]]; then
        missing+=("$package")
    fi
done

if [[ ${#missing[@]} -eq 0 ]]; then
    echo "bootstrap: all ${#PACKAGES[@]} build packages are installed"
    exit 0
fi

echo "bootstrap: installing ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update
"${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
