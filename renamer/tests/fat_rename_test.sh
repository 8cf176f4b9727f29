#!/usr/bin/env bash
# nomvary-cli on a case-insensitive file system: a small FAT image mounted
# through FUSE (fusefat), where «A B.mp3» and «a b.mp3» name the same file.
#
#   fat_rename_test.sh NOMVARY-CLI
#
# Checks that colliding names never replace a file, that renames changing
# only letter case go through, and that every file keeps its content.
# Exits 77 (reported as skipped) when FUSE or the FAT tools are missing or
# the mount is refused, 1 on a failed check, 0 when all hold.
set -uo pipefail

cli="${1:?usage: fat_rename_test.sh NOMVARY-CLI}"
skip() { echo "SKIPPED: $*"; exit 77; }
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

[ -e /dev/fuse ] || skip "/dev/fuse is missing, so no FUSE file system can be mounted here"
for tool in mkfs.fat fusefat fusermount; do
  command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed (dosfstools, fusefat, fuse3)"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/nomvary-fat-XXXXXX") || exit 1
mounted=""
cleanup() {
  [ -n "$mounted" ] && fusermount -u "$work/mnt" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

mkdir "$work/mnt"
# No volume label: fusefat would list it as a file.
mkfs.fat -C "$work/fat.img" 2048 >/dev/null 2>&1 || skip "mkfs.fat could not make an image"
if ! fusefat -o rw+ "$work/fat.img" "$work/mnt" >"$work/mount.log" 2>&1; then
  skip "fusefat could not mount the image: $(tail -n 1 "$work/mount.log")"
fi
mounted=yes
mountpoint -q "$work/mnt" 2>/dev/null || [ -n "$(grep " $work/mnt " /proc/mounts)" ] ||
  skip "fusefat returned but nothing is mounted on $work/mnt"
# The premise of the test: the file system finds a name in any letter case.
echo probe > "$work/mnt/probe.txt"
[ -e "$work/mnt/PROBE.TXT" ] || skip "the mounted file system is case-sensitive"
rm -f "$work/mnt/probe.txt"

# Each file holds its own name as first created, so any mix-up shows.
make_files() {
  local folder="$work/mnt/$1"
  shift
  mkdir -p "$folder"
  for name in "$@"; do printf 'content of %s\n' "$name" > "$folder/$name"; done
}

# "name<TAB>original" for every file of a folder, sorted.
listing() {
  local folder="$work/mnt/$1" file
  for file in "$folder"/*; do
    [ -f "$file" ] && printf '%s\t%s\n' "${file##*/}" "$(cat "$file")"
  done | LC_ALL=C sort
}

expect_listing() {
  local folder="$1" expected actual
  expected=$(printf '%s\n' "${@:2}" | LC_ALL=C sort)
  actual=$(listing "$folder")
  if [ "$actual" != "$expected" ]; then
    fail "$folder holds other files or contents than expected"
    diff <(echo "$expected") <(echo "$actual") | sed 's/^/    /'
  fi
}

run_cli() {
  local folder="$1" status
  shift
  "$cli" "$@" "$work/mnt/$folder" >"$work/$folder.out" 2>&1
  status=$?
  sed "s/^/    $folder: /" "$work/$folder.out"
  return $status
}

expect_status() {
  local want="$1" got="$2" folder="$3"
  [ "$got" -eq "$want" ] || fail "$folder: nomvary-cli exited $got, expected $want"
}

c() { printf 'content of %s' "$1"; }

# 1. «a_b.mp3» and «A B.mp3»: the first would become the second; with
#    capitalisation the second is already final. Nothing may be replaced.
make_files collide "a_b.mp3" "A B.mp3"
run_cli collide --capitalize; expect_status 1 $? collide
expect_listing collide "a_b.mp3	$(c a_b.mp3)" "A B.mp3	$(c 'A B.mp3')"

# 2. «a_b.mp3» and «a b.mp3»: «a b.mp3» only changes case to «A B.mp3»,
#    then «a_b.mp3» would take that name and must be refused.
make_files collide_case "a_b.mp3" "a b.mp3"
run_cli collide_case --capitalize; expect_status 1 $? collide_case
expect_listing collide_case "a_b.mp3	$(c a_b.mp3)" "A B.mp3	$(c 'a b.mp3')"

# 3. Renames that change only letter case, and one that changes more.
make_files case_only "SONG.MP3" "hello world.Mp3" "mIxEd_case.mp3" "note.TXT"
run_cli case_only --capitalize --all-files; expect_status 0 $? case_only
expect_listing case_only "Song.mp3	$(c SONG.MP3)" "Hello World.mp3	$(c 'hello world.Mp3')" \
  "Mixed Case.mp3	$(c mIxEd_case.mp3)" "Note.txt	$(c note.TXT)"
grep -q '^4 files renamed\.$' "$work/case_only.out" || fail "case_only: the count is not «4 files renamed.»"

# 4. Without capitalisation only the ".mp3" ending changes case; the second
#    run finds nothing left to do.
make_files ending "LOUD.MP3" "quiet.mP3"
run_cli ending; expect_status 0 $? ending
run_cli ending; expect_status 0 $? ending
expect_listing ending "LOUD.mp3	$(c LOUD.MP3)" "quiet.mp3	$(c quiet.mP3)"
grep -q '^No files were renamed\.$' "$work/ending.out" || fail "ending: a second run still renamed files"

# 5. "blank to _" where the underscore name exists in another case.
make_files underscore "x y.mp3" "X_Y.mp3"
run_cli underscore --blank-to-underscore; expect_status 1 $? underscore
expect_listing underscore "x y.mp3	$(c 'x y.mp3')" "X_Y.mp3	$(c X_Y.mp3)"

# No temporary name of a case-only rename may be left behind.
if find "$work/mnt" -name '.nomvary-*' | grep -q .; then
  fail "a temporary name was left behind: $(find "$work/mnt" -name '.nomvary-*')"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed on a FAT image through fusefat"
