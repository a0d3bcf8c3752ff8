#!/usr/bin/env bash
# A test CA and a certificate for "localhost" that it signed, for TLS tests:
# ca.pem, server.pem and server.key in the folder given.
set -euo pipefail
cd "$1"
ec=(-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2)
openssl req -x509 "${ec[@]}" -keyout ca.key -out ca.pem -subj /CN=SentrovaTestCA \
  -addext basicConstraints=critical,CA:TRUE -addext keyUsage=keyCertSign 2>/dev/null
openssl req "${ec[@]}" -keyout server.key -out server.csr -subj /CN=localhost \
  -addext subjectAltName=DNS:localhost 2>/dev/null
openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -copy_extensions copy \
  -out server.pem 2>/dev/null
