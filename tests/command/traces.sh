#!/bin/sh
# traces.sh WORK UNINSTALLER: plants keychain items and helpers, then runs the uninstaller in
# turn, each run writing into WORK; prints the helpers' pids and each run's exit status. Run on a
# keyring of its own, from a shell named brolt, which must be left alone.
w=$1 u=$2
# Beside the product's items, some its rules do not take.
for item in Tavrel:alpha Tavrel:beta KVTOAuthCredentialService:u@tavrel.com Tavrel\ Credential:k \
    KVTOAuthCredentialService:other KVTOAuthCredentialService:u@tavrel.com.evil \
    AFOAuthCredentialService:u@other.com "Tavrel Device Restriction:DeviceSecret" \
    "Tavrel Device Restriction:Other"; do
    printf s | secret-tool store --label=t service "${item%:*}" account "${item#*:}" || echo no
done
started() {
    until [ "$(readlink "/proc/$1/exe")" = "$2" ]; do [ -e "/proc/$1/exe" ] || return 1; done
}
# One helper ignores SIGTERM; two are only named like one, one runs as another user where that
# can be had; brolt's file is deleted.
for helper in brolt TavrelFinderSync TavrelFinderSyncX notbrolt; do cp /bin/sleep "$w/$helper"; done
cp /bin/sh "$w/TavrelFileProvider"
"$w/brolt" 60 & brolt=$!
"$w/TavrelFinderSync" 60 & sync=$!
"$w/TavrelFileProvider" -c 'trap "" TERM; while :; do sleep 1; done' & provider=$!
"$w/TavrelFinderSyncX" 60 & longer=$!
"$w/notbrolt" 60 & suffix=$!
setpriv --reuid=65534 --regid=65534 --clear-groups "$w/TavrelFinderSync" 60 2>/dev/null & other=$!
started $brolt "$w/brolt" && started $sync "$w/TavrelFinderSync" &&
    started $provider "$w/TavrelFileProvider" && started $longer "$w/TavrelFinderSyncX" &&
    started $suffix "$w/notbrolt" || echo "not started"
started $other "$w/TavrelFinderSync" || other=
rm "$w/brolt"
echo $brolt; echo $sync; echo $provider
"$u" --dry-run --json >"$w/dry.json" 2>"$w/dry.txt"; echo "dry $?"
"$u" --yes --json >"$w/run.json" 2>"$w/run.err"; echo "run $?"
echo x >/Applications/TAVREL.app
"$u" --yes --json >"$w/again.json"; echo "again $?"
script -qec "$u" /dev/null </dev/null >"$w/ask.txt"; echo "ask $?"
printf '[Desktop Entry]\nName=Tavrel\n' | tee "$XDG_CONFIG_HOME/autostart/a.desktop" \
    >"$XDG_CONFIG_HOME/autostart/b.desktop"
script -qec "$u --yes" /dev/null </dev/null >"$w/twice.txt"; echo "twice $?"
for pid in $longer $suffix $other; do [ -e "/proc/$pid/exe" ] || echo "$pid stopped"; done
