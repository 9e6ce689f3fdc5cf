#!/usr/bin/env bash
# The release package as a validator reads its tables (msiinfo export), and the release signed
# with a throwaway certificate by the build's own signing steps (installer/sign.cmake,
# installer/make-msi.cmake), every file verified against that certificate with osslsigncode.
#   check-package.sh RELEASE_DIR VERSION [MSI VERSION]...
# RELEASE_DIR is build/release; each further MSI (the next version's package) is checked as
# the release's Sivrel-VERSION-x64.msi is.
set -uo pipefail
release="${1:?usage: check-package.sh RELEASE_DIR VERSION [MSI VERSION]...}"
version="${2:?usage}"
shift 2
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
failed=0
fail() { echo "FAIL $*"; failed=1; }
ok() { echo "ok   $*"; }
# A table's rows, without the three header lines (column names, types, key).
rows() { msiinfo export "$1" "$2" | tail -n +4 | tr -d '\r'; }
column() { awk -F'\t' -v key="$2" -v n="$3" '$1 == key { print $n }' <<<"$1"; }

check_tables() {
  local msi="$1" version="$2" name
  name="$(basename "$msi")"
  local files hashes components registry actions sequence properties
  files="$(rows "$msi" File)"
  for id in SivrelExe KorvexDll; do
    local v l
    v="$(column "$files" "$id" 5)" l="$(column "$files" "$id" 6)"
    if [ "$v" = "$version.0" ] && [ "$l" = 1033 ]; then ok "$name: $id is versioned $v, language $l"
    else fail "$name: $id has Version '$v' and Language '$l', not $version.0 and 1033"; fi
  done
  hashes="$(rows "$msi" MsiFileHash | cut -f1)"
  if grep -qxE 'SivrelExe|KorvexDll' <<<"$hashes"; then fail "$name: MsiFileHash rows for versioned files (ICE60)"
  else ok "$name: no MsiFileHash rows for versioned files"; fi

  properties="$(rows "$msi" Property)"
  local secure
  secure=";$(column "$properties" SecureCustomProperties 2);"
  for p in AUTOSTART SHORTCUT CRASHDUMPS; do
    case "$secure" in *";$p;"*) ;; *) fail "$name: $p is not a secure property ($secure)" ;; esac
  done
  [ "$(column "$properties" AUTOSTART 2)$(column "$properties" SHORTCUT 2)$(column "$properties" CRASHDUMPS 2)" = 110 ] ||
    fail "$name: the properties' defaults are not AUTOSTART=1 SHORTCUT=1 CRASHDUMPS=0"

  components="$(rows "$msi" Component)"
  for entry in 'RunAtSignIn|AUTOSTART <> "0" OR REMOVE ~= "ALL"' 'StartMenuShortcut|SHORTCUT <> "0" OR REMOVE ~= "ALL"' \
               'CrashDumps|CRASHDUMPS = "1" OR REMOVE ~= "ALL"'; do
    local component="${entry%%|*}" condition="${entry#*|}"
    [ "$(column "$components" "$component" 5)" = "$condition" ] ||
      fail "$name: component $component has condition '$(column "$components" "$component" 5)', not '$condition'"
  done
  registry="$(rows "$msi" Registry)"
  grep -qF "$(printf 'DumpFolder\t#%%%%LOCALAPPDATA%%\\CrashDumps\tCrashDumps')" <<<"$registry" ||
    fail "$name: DumpFolder is not REG_EXPAND_SZ %LOCALAPPDATA%\\CrashDumps"
  grep -qF "$(printf 'LocalDumps\\Sivrel.exe\t-\t\tCrashDumps')" <<<"$registry" ||
    fail "$name: the crash dump key is not removed with its component"

  # Both custom actions deferred (1024) and run as LocalSystem (2048), in that order around the
  # files, the clients closed before anything is removed; the older product removed whole
  # before this one's transaction, so that its own CloseClients runs before its files go, and
  # the sessions of its clients found before that.
  actions="$(rows "$msi" CustomAction)"
  for action in CloseClients StartClients; do
    local type
    type="$(column "$actions" "$action" 2)"
    [ -n "$type" ] && (( (type & 3072) == 3072 )) || fail "$name: $action is of type '$type', not deferred without impersonation"
  done
  sequence="$(rows "$msi" InstallExecuteSequence)"
  local previous=0 order="FindClients RemoveExistingProducts InstallInitialize CloseClients RemoveFiles InstallFiles StartClients InstallFinalize"
  for action in $order; do
    local at
    at="$(column "$sequence" "$action" 3)"
    if [ -z "$at" ] || [ "$at" -le "$previous" ]; then fail "$name: the execute sequence is not $order"; break; fi
    previous="$at"
  done
  [ "$failed" = 1 ] || ok "$name: conditions, secure properties, custom actions and their sequence"
}

check_tables "$release/Sivrel-$version-x64.msi" "$version"
while [ $# -ge 2 ]; do check_tables "$1" "$2"; shift 2; done

# Signing: a throwaway code-signing certificate, and a second one that must not verify them.
for who in signer stranger; do
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Sivrel test $who/O=Calyra" \
    -addext keyUsage=critical,digitalSignature -addext extendedKeyUsage=codeSigning \
    -keyout "$scratch/$who.key" -out "$scratch/$who.pem" 2>/dev/null || { fail "openssl made no certificate"; exit 1; }
done
mkdir -p "$scratch/bin"
verify() { osslsigncode verify -CAfile "$2" -in "$1" >"$scratch/verify.log" 2>&1; }
(
  export SIVREL_SIGN_CERT="$scratch/signer.pem" SIVREL_SIGN_KEY="$scratch/signer.key"
  unset SIVREL_SIGN_TIMESTAMP_URL SIVREL_SIGN_PKCS11_MODULE
  for f in Sivrel.exe Korvex.dll SivrelSetup.dll; do
    cmake -DINPUT="$release/installer/stripped/$f" -DOUTPUT="$scratch/bin/$f" -P "$root/installer/sign.cmake" || exit 1
  done
  cmake -DVERSION="$version" -DBINARIES="$scratch/bin" -DWORK="$scratch/msi-work" -DOUTPUT="$scratch/signed.msi" \
    -P "$root/installer/make-msi.cmake" >/dev/null || exit 1
) || { fail "the build's signing steps failed"; exit 1; }
mkdir -p "$scratch/extracted"
(cd "$scratch/extracted" && msiextract "$scratch/signed.msi" >/dev/null) || fail "msiextract failed"
extracted=()
while IFS= read -r -d '' f; do extracted+=("$f"); done < <(find "$scratch/extracted" -type f -print0)
[ ${#extracted[@]} -eq 2 ] || fail "the package holds ${#extracted[@]} files, not Sivrel.exe and Korvex.dll"
for f in "$scratch/bin/"*.exe "$scratch/bin/"*.dll "$scratch/signed.msi" "${extracted[@]}"; do
  label="${f#"$scratch/"}"
  if verify "$f" "$scratch/signer.pem"; then ok "$label: signature verified against the signing certificate"
  else fail "$label: does not verify"; cat "$scratch/verify.log"; fi
  if verify "$f" "$scratch/stranger.pem"; then fail "$label: verifies against another certificate"; fi
done
for f in "${extracted[@]}"; do
  cmp -s "$f" "$scratch/bin/$(basename "$f")" || fail "$(basename "$f") in the package is not the signed file"
done
verify "$release/installer/stripped/Sivrel.exe" "$scratch/signer.pem" && fail "an unsigned Sivrel.exe verifies"

# The key in a token instead of a file, as code-signing keys are kept: a SoftHSM token of our own
# holds the signer's key, and the build's signing step reaches it through its PKCS#11 URI.
module="$(dpkg -L libsofthsm2 2>/dev/null | grep '/libsofthsm2\.so$' | head -1)"
if [ -z "$module" ]; then
  fail "no SoftHSM module (Debian package softhsm2; scripts/setup-deps.sh)"
else
  mkdir -p "$scratch/tokens"
  printf 'directories.tokendir = %s\nobjectstore.backend = file\nlog.level = ERROR\n' "$scratch/tokens" >"$scratch/softhsm2.conf"
  export SOFTHSM2_CONF="$scratch/softhsm2.conf"
  openssl pkcs8 -topk8 -nocrypt -in "$scratch/signer.key" -out "$scratch/signer.p8"
  if softhsm2-util --init-token --free --label sivrel --pin 1234 --so-pin 5678 >/dev/null &&
     softhsm2-util --import "$scratch/signer.p8" --token sivrel --label signing --id 01 --pin 1234 >/dev/null &&
     SIVREL_SIGN_CERT="$scratch/signer.pem" SIVREL_SIGN_PKCS11_MODULE="$module" \
     SIVREL_SIGN_KEY="pkcs11:token=sivrel;object=signing;type=private;pin-value=1234" \
       cmake -DINPUT="$release/installer/stripped/Korvex.dll" -DOUTPUT="$scratch/token-signed.dll" \
             -P "$root/installer/sign.cmake" >"$scratch/token.log" 2>&1 &&
     verify "$scratch/token-signed.dll" "$scratch/signer.pem"; then
    ok "Korvex.dll signed with the key in a PKCS#11 token verifies"
  else
    fail "signing with the key in a PKCS#11 token"; cat "$scratch/token.log"
  fi
fi
# One changed byte, in the code, and the signature no longer holds.
cp "$scratch/bin/Sivrel.exe" "$scratch/tampered.exe"
# 100 bytes into .text, which starts at 0x1000 in the file (cmake/WindowsRuntime.cmake).
python3 -c 'import sys; f = open(sys.argv[1], "r+b"); f.seek(0x1000 + 100); b = f.read(1)[0]; f.seek(-1, 1); f.write(bytes([b ^ 0xFF]))' \
  "$scratch/tampered.exe"
if verify "$scratch/tampered.exe" "$scratch/signer.pem"; then fail "Sivrel.exe with one byte changed still verifies"
else ok "Sivrel.exe with one byte changed fails verification"; fi
exit "$failed"
