#!/usr/bin/env bash
# Builds the Debian package from a build folder (default: build) into a
# temporary folder and checks it: the files it holds, its control fields, that
# the packaged talvo-host finds the packaged library, and that lintian reports
# no error. Prints lintian's findings. Leaves nothing behind.
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "check-package: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack failed"; }
debs=("$work"/nomvary_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no single nomvary_*.deb"
deb="${debs[0]}"

multiarch="$(dpkg-architecture -qDEB_HOST_MULTIARCH)"
expected="$(sort <<LIST
usr/bin/nomvary
usr/bin/nomvary-cli
usr/bin/talvo-host
usr/lib/$multiarch/talvo/libtalvo.so
usr/share/applications/nomvary.desktop
usr/share/doc/nomvary/changelog.gz
usr/share/doc/nomvary/copyright
usr/share/icons/hicolor/scalable/apps/nomvary.svg
usr/share/man/man1/nomvary.1.gz
usr/share/man/man1/nomvary-cli.1.gz
usr/share/man/man1/talvo-host.1.gz
usr/share/metainfo/org.nomvary.Nomvary.metainfo.xml
usr/share/talvo/samples/Talvo/Rules/Talvo._cur
usr/share/talvo/samples/Talvo/Rules/Talvo._file
usr/share/talvo/samples/Talvo/Rules/Talvo._frd
usr/share/talvo/samples/Talvo/Rules/Talvo._nck
usr/share/talvo/samples/Talvo/Rules/Talvo._spm
LIST
)"
actual="$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./||' | sort)"
if [ "$actual" != "$expected" ]; then
  diff <(echo "$expected") <(echo "$actual") >&2 || true
  fail "the package's files differ from the list above (< expected, > packaged)"
fi

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = nomvary ] || fail "Package is \"$(field Package)\""
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture is \"$(field Architecture)\""
for needed in libqt6widgets6 libc6; do
  [[ "$(field Depends)" == *"$needed"* ]] || fail "Depends lacks $needed: $(field Depends)"
done

# The packaged host must find the packaged library from its own folder.
dpkg-deb -x "$deb" "$work/root"
cp -r "$work/root/usr/share/talvo/samples" "$work/samples"
answer="$(cd "$work/samples" && "$work/root/usr/bin/talvo-host" RuleFilter 13 1 buy cheap pills now)" ||
  fail "the packaged talvo-host failed: $answer"
[ "$answer" = "var %match = 2" ] || fail "the packaged talvo-host answered \"$answer\""

# Lintian warns when run as root; its findings are what count.
lintian --fail-on error "$deb" 2>/dev/null | tee "$work/lintian.txt" || fail "lintian reports errors"
if grep -q '^E:' "$work/lintian.txt"; then fail "lintian reports errors"; fi
echo "check-package: $(basename "$deb") holds $(echo "$actual" | wc -l) files; lintian reports no error"
