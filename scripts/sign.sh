#!/usr/bin/env bash
# Signs loader.exe with Authenticode (SHA-256), in place, through osslsigncode.
#
#   LOADER_SIGN_PFX=cert.pfx LOADER_SIGN_PASSWORD=... ./scripts/sign.sh LOADER_EXE
#       the PKCS#12 file with the publisher's code-signing certificate and key, and its
#       password; LOADER_SIGN_TIMESTAMP_URL (optional) is an RFC 3161 timestamp server, so the
#       signature stays valid after the certificate expires
#   ./scripts/sign.sh --throwaway DIR
#       makes a self-signed code-signing certificate for trying this out: DIR/cert.pem (the
#       root to verify against) and DIR/sign.pfx with the password "throwaway"
#
# Check a signature: osslsigncode verify -CAfile cert.pem -in loader.exe
set -euo pipefail

if ! command -v osslsigncode >/dev/null || ! command -v openssl >/dev/null; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y -qq osslsigncode openssl >/dev/null ||
    { apt-get update -qq && apt-get install -y -qq osslsigncode openssl >/dev/null; }
fi

if [ "${1:-}" = --throwaway ]; then
  dir=${2:?usage: sign.sh --throwaway DIR}
  mkdir -p "$dir"
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$dir/key.pem" -out "$dir/cert.pem" \
    -days 30 -subj "/CN=Throwaway loader signer" \
    -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
    >/dev/null 2>&1
  openssl pkcs12 -export -inkey "$dir/key.pem" -in "$dir/cert.pem" -out "$dir/sign.pfx" \
    -passout pass:throwaway
  exit 0
fi

exe=${1:?usage: sign.sh LOADER_EXE (with LOADER_SIGN_PFX and LOADER_SIGN_PASSWORD set)}
pfx=${LOADER_SIGN_PFX:?LOADER_SIGN_PFX must name the PKCS#12 file}
[ -n "${LOADER_SIGN_PASSWORD+set}" ] || { echo "LOADER_SIGN_PASSWORD is not set" >&2; exit 2; }
[ -f "$exe" ] || { echo "no such file: $exe" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The password goes through a private file, never the command line others can read.
(umask 077 && printf '%s' "$LOADER_SIGN_PASSWORD" >"$work/pass")
args=(sign -pkcs12 "$pfx" -readpass "$work/pass" -h sha256 -in "$exe" -out "$work/signed.exe")
if [ -n "${LOADER_SIGN_TIMESTAMP_URL:-}" ]; then
  args+=(-ts "$LOADER_SIGN_TIMESTAMP_URL")
fi
osslsigncode "${args[@]}" >"$work/log" 2>&1 || { cat "$work/log" >&2; exit 1; }
cat "$work/signed.exe" >"$exe"
