#!/usr/bin/env bash
# Installs the Debian packages the project needs that are missing. As root it installs them;
# with sudo it asks sudo; otherwise it prints the exact command and fails.
set -euo pipefail
missing=()
for pkg in "$@"; do
    status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

cmd="apt-get install -y --no-install-recommends ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if [[ $(id -u) -eq 0 ]]; then
    echo "Installing: ${missing[*]}"
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    echo "Installing with sudo: ${missing[*]}"
    sudo -E apt-get update -qq
    sudo -E apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
    echo "These Debian packages are missing. Install them as root, then run make again:" >&2
    echo "  apt-get update && $cmd" >&2
    exit 1
fi
