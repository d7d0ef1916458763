#!/usr/bin/env bash
# Installs the Debian packages that the builds and the tests need; quiet when all are there.
set -euo pipefail

packages=(cmake make g++ googletest g++-mingw-w64-x86-64-posix wine64 locales)

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

# Wine takes the ANSI code page from LANG even without the C library's locale, but it can only
# name files outside ASCII when the locale exists, so the double-byte file-name tests need it.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
    localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
