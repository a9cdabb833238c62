#!/bin/bash
# zorpack.sh: builds a signed update package for Updexe.
# Usage: zorpack.sh -k PRIVATE_KEY.pem -v VERSION -o PACKAGE_DIR FILE...
# Copies the files into PACKAGE_DIR, writes manifest.txt (the version and each file's SHA-256) and
# manifest.sig, the manifest's RSA signature (PKCS#1 v1.5 over SHA-1) by the private key, which
# Updexe checks against the public key built into it. The files must be among those the installer
# ships (installer/shipped_files.cmake): Updexe refuses a package naming any other.
set -euo pipefail

usage() { echo "usage: $0 -k PRIVATE_KEY.pem -v VERSION -o PACKAGE_DIR FILE..." >&2; exit 2; }
key="" version="" out=""
while getopts k:v:o: option; do
  case $option in
    k) key=$OPTARG ;;
    v) version=$OPTARG ;;
    o) out=$OPTARG ;;
    *) usage ;;
  esac
done
shift $((OPTIND - 1))
[ -n "$key" ] && [ -n "$version" ] && [ -n "$out" ] && [ $# -gt 0 ] || usage
[[ "$version" =~ ^[0-9]+(\.[0-9]+)*$ ]] || { echo "zorpack: version '$version' is not dotted decimal" >&2; exit 2; }

mkdir -p "$out"
manifest=$(mktemp)
trap 'rm -f "$manifest"' EXIT
printf 'Zorwise update\r\nVersion: %s\r\n' "$version" > "$manifest"
for file in "$@"; do
  name=$(basename "$file")
  [ "$file" -ef "$out/$name" ] || cp "$file" "$out/$name"
  printf '%s  %s\r\n' "$(sha256sum < "$out/$name" | cut -d' ' -f1)" "$name" >> "$manifest"
done
openssl dgst -sha1 -sign "$key" -out "$out/manifest.sig" "$manifest"
cp "$manifest" "$out/manifest.txt"
echo "zorpack: $out holds version $version, $# files, signed"
