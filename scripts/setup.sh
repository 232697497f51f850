#!/usr/bin/env bash
# Installs what building and testing need, only when something is missing.
set -euo pipefail
need=()
for p in cmake g++ ninja-build qt6-base-dev qt6-translations-l10n libgtest-dev libbenchmark-dev fonts-dejavu-core clang libclang-rt-14-dev clang-format; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
