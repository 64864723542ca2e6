# The record store's names under Wine, where every call on a link's name acts on its target:
# a link planted at the journal's name, a journal that another program holds open without
# letting it be removed, a directory by the record file's name and a path past MAX_PATH. Sourced by tools/windows-check after tools/windows/store.sh, whose
# helpers it uses.

journal_check() {
  local dir hold status started ids
  dir="$(mktemp -d /tmp/survey-journal-check.XXXXXX)"
  x86_64-w64-mingw32-g++ -O2 -Wall -Wextra -Werror -static -o "$dir/hold_file.exe" \
    "$root/tools/windows/hold_file.cpp" || fail "journal: cannot build hold_file.exe"
  x86_64-w64-mingw32-g++ -O2 -Wall -Wextra -Werror -static -o "$dir/file_id.exe" \
    "$root/tools/windows/file_id.cpp" || fail "journal: cannot build file_id.exe"

  # A link at the journal's name to another file: the file stays as it was, and so does the
  # link; the record is saved under the lock alone, with one notice.
  mkdir "$dir/link"
  echo precious >"$dir/victim.txt"
  ln -s "$dir/victim.txt" "$dir/link/datas.dat.pending"
  printf '1\n1\nLinked %s\n1\n1\nAgain %s\n-1\n' "$store_answers" "$store_answers" \
    >"$dir/link/keys"
  status=0
  store_run "$dir/link" keys || status=$?
  [ "$status" = 0 ] || fail "journal: the saves beside a planted link ended with $status"
  [ "$(cat "$dir/victim.txt")" = precious ] || fail "journal: the link's target was changed"
  [ -L "$dir/link/datas.dat.pending" ] || fail "journal: the planted link was removed"
  [ "$(grep -c 'cannot keep datas.dat.pending' "$dir/link/keys.err")" = 1 ] ||
    fail "journal: not one notice of the lost safeguard: $(cat "$dir/link/keys.err")"
  store_expect_records "$dir/link" 2

  # This user's journal for this file, held open by another program: held 2 s, the save waits
  # with a notice and removes it once let go; held 8 s, the save fails with the reason.
  for hold in 2000 8000; do
    mkdir "$dir/held$hold"
    printf '1\n1\nHeld %s\n-1\n' "$store_answers" >"$dir/held$hold/keys"
    : >"$dir/held$hold/datas.dat"
    ids="$(cd "$dir/held$hold" && "$wine" "$dir/file_id.exe" datas.dat </dev/null | tr -d '\r')" ||
      fail "journal: file_id.exe failed"
    printf 'survey-pending %s 0 0\n' "$ids" >"$dir/held$hold/datas.dat.pending"
    store_hold "$dir/held$hold" datas.dat.pending "$hold"
    status=0
    store_run "$dir/held$hold" keys || status=$?
    wait $! || fail "journal: hold_file.exe failed"
    grep -q 'datas.dat.pending is busy' "$dir/held$hold/keys.err" ||
      fail "journal: no notice of the wait for the held journal: $(cat "$dir/held$hold/keys.err")"
    if [ "$hold" = 2000 ]; then
      [ "$status" = 0 ] || fail "journal: the save after the journal was let go ended with $status"
      [ ! -e "$dir/held$hold/datas.dat.pending" ] || fail "journal: the journal was not removed"
      store_expect_records "$dir/held$hold" 1
    else
      [ "$status" = 1 ] || fail "journal: the save beside a journal held for good ended with $status"
      grep -q 'another program holds datas.dat.pending' "$dir/held$hold/keys.err" ||
        fail "journal: $(head -3 "$dir/held$hold/keys.err")"
    fi
  done
  rm -rf "$dir"
  echo "windows-check: journal: a planted link and its target left alone, the records saved;" \
    "a held journal waited for with a notice, removed once let go, the save failed when not"
}

# A directory named datas.dat fails with the reason Linux gives; a record file in a folder
# whose path is longer than MAX_PATH is read.
paths_check() {
  local dir long status=0
  dir="$(mktemp -d /tmp/survey-paths-check.XXXXXX)"
  mkdir -p "$dir/directory/datas.dat"
  printf '1\n1\nFolder %s\n-1\n' "$store_answers" >"$dir/directory/keys"
  store_run "$dir/directory" keys || status=$?
  [ "$status" = 1 ] || fail "paths: a save to a directory ended with $status"
  grep -q 'datas.dat: Is a directory' "$dir/directory/keys.err" ||
    fail "paths: a directory named datas.dat: $(head -2 "$dir/directory/keys.err")"
  long="$(printf 'folder-with-a-long-name-%02d/' $(seq 1 12))"
  mkdir -p "$dir/$long"
  printf '1\n1\nLong %s\n-1\n' "$store_answers" >"$dir/long.keys"
  (cd "$dir/$long" && setsid -w "$root/build/survey" <"$dir/long.keys" >/dev/null) ||
    fail "paths: build/survey (the Linux build) is needed to store a record"
  (cd "$dir" && timeout 60 "$wine" "$root/build-mingw64/survey-export.exe" "${long}datas.dat" \
    </dev/null >long.csv 2>long.err) || fail "paths: a path of ${#long} characters: $(cat "$dir/long.err")"
  [ "$(grep -c '' "$dir/long.csv")" = 2 ] || fail "paths: the record in a long path was not read"
  rm -rf "$dir"
  echo "windows-check: paths: a directory named datas.dat said to be one; a path of" \
    "${#long} characters read"
}
