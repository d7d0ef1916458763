#!/usr/bin/env bash
# Installs the Debian packages that the builds and the tests need; quiet when all are there.
set -euo pipefail

packages=(cmake make g++ googletest g++-mingw-w64-x86-64-posix wine64)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} > 0)); then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq "${missing[@]}" >/dev/null
fi
