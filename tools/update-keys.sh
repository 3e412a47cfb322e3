#!/usr/bin/env bash
# Makes the key pair that signs Pellmar releases (ECDSA P-256, verifiable by OpenSSL on Linux and
# by BCrypt on Windows). Usage: tools/update-keys.sh [FOLDER]   (default: keys/ in the checkout)
# Writes FOLDER/update-key.pem (private, mode 0600: keep it off every shared machine and out of
# git), FOLDER/update-public.der (build with -DPELLMAR_UPDATE_PUBLIC_KEY=FOLDER/update-public.der)
# and FOLDER/update-public.pem. Never overwrites an existing private key.
set -euo pipefail

folder="${1:-$(cd "$(dirname "$0")/.." && pwd)/keys}"
private="$folder/update-key.pem"
if [ -e "$private" ]; then
  echo "$private exists already; not replacing a release key (move it away first)." >&2
  exit 1
fi
command -v openssl >/dev/null || { echo "openssl is needed (apt-get install openssl)." >&2; exit 1; }
mkdir -p "$folder"
(
  umask 077
  openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -pkeyopt ec_param_enc:named_curve -out "$private"
)
openssl pkey -in "$private" -pubout -outform DER -out "$folder/update-public.der"
openssl pkey -in "$private" -pubout -out "$folder/update-public.pem"
echo "Private key: $private (keep it secret)"
echo "Build with:  -DPELLMAR_UPDATE_PUBLIC_KEY=$folder/update-public.der"
