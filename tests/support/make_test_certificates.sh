#!/usr/bin/env bash
# A test CA and a certificate for "localhost" that it signed, for TLS tests:
# ca.pem, server.pem and server.key in the folder given.
set -euo pipefail
cd "$1"
exec 2>/dev/null   # openssl's progress
ec=(-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2)
openssl req -x509 "${ec[@]}" -keyout ca.key -out ca.pem -subj /CN=SentrovaTestCA -addext basicConstraints=critical,CA:TRUE -addext keyUsage=keyCertSign
openssl req -x509 -CA ca.pem -CAkey ca.key "${ec[@]}" -keyout server.key -out server.pem -subj /CN=localhost \
  -addext subjectAltName=DNS:localhost -addext basicConstraints=CA:FALSE
