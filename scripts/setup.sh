#!/usr/bin/env bash
# Installs the Debian packages that the builds and the tests need; quiet when all are there.
set -euo pipefail

packages=(cmake make g++ googletest g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine64 locales clang libclang-rt-14-dev)

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
# name files outside ASCII when the locale exists, so the file-name tests need one per code page
# they run in.
for locale in ja_JP zh_CN ko_KR zh_TW en_US ru_RU; do
    if ! locale -a 2>/dev/null | grep -qix "$locale.utf8"; then
        localedef -i "$locale" -f UTF-8 "$locale.UTF-8"
    fi
done
