# The record store of the Windows build under Wine: four writers at once, and a record file
# that another program holds open without sharing it. Sourced by tools/windows-check, which
# sets $wine and $root, defines fail, and has built build-mingw64/ and build/ (for the export).

store_answers="Kowal Riverton 1990-04-01 36 30 5 Hill-Learning-Centre Station-Road Tomas-Berg \
Riverton-Bakery Mill-Works North-Garage Riverton-Library 10 Market-Mall Hill-School 2026-12-08 \
09:00 Westshire Old-Bridge Welsh Example-Land"

# Runs survey.exe in directory $1 with keys file $2; its outputs go to $2.out and $2.err, and
# its exit status is the function's.
store_run() {
  (cd "$1" && timeout 120 "$wine" "$root/build-mingw64/survey.exe" <"$2" >"$2.out" 2>"$2.err")
}

# Fails unless datas.dat in $1 holds exactly $2 whole records, exported without a complaint.
store_expect_records() {
  local rows status=0
  (cd "$1" && "$root/build/survey-export" datas.dat >export.csv 2>export.err) || status=$?
  rows="$(tail -n +2 "$1/export.csv" | grep -c '' || true)"
  # Standard error carries the export's summary; anything skipped makes the status 1.
  [ "$status" = 0 ] || fail "store: survey-export found damage: $(head -3 "$1/export.err")"
  [ "$rows" = "$2" ] || fail "store: $rows records exported from $1/datas.dat, not $2"
}

# Starts hold_file.exe in the background in directory $1, holding file $2 for $3 ms without
# sharing it, and returns once it holds it; its job is the shell's last background job ($!).
store_hold() {
  local started=$SECONDS
  (cd "$1" && "$wine" "$dir/hold_file.exe" "$2" "$3" ready) &
  until [ -e "$1/ready" ]; do
    [ $((SECONDS - started)) -lt 60 ] || fail "store: hold_file.exe did not start in $1"
    sleep 0.05
  done
}

store_check() {
  local dir writer record pids=() started
  dir="$(mktemp -d /tmp/survey-store-check.XXXXXX)"
  x86_64-w64-mingw32-g++ -O2 -Wall -Wextra -Werror -static -o "$dir/hold_file.exe" \
    "$root/tools/windows/hold_file.cpp" || fail "store: cannot build hold_file.exe"

  # Four writers of 25 records each at once: 100 whole records, each once, every writer 0.
  mkdir "$dir/writers"
  for writer in 1 2 3 4; do
    for record in $(seq 25); do
      printf '1\n1\nW%sR%s %s\n' "$writer" "$record" "$store_answers"
    done >"$dir/writers/w$writer.keys"
    echo -1 >>"$dir/writers/w$writer.keys"
  done
  for writer in 1 2 3 4; do
    store_run "$dir/writers" "w$writer.keys" &
    pids+=($!)
  done
  for writer in 1 2 3 4; do
    wait "${pids[$((writer - 1))]}" || fail "store: writer $writer ended with status $?"
  done
  store_expect_records "$dir/writers" 100
  [ "$(grep -a '^ Candidate Name :: W' "$dir/writers/datas.dat" | sort -u | wc -l)" = 100 ] ||
    fail "store: the 100 records are not 100 different ones"

  # A file held for 2 s without write sharing: the save waits, says so, and succeeds.
  # Held for 8 s, longer than the save waits: the save fails with the reason, status 1.
  for hold in 2000 8000; do
    mkdir "$dir/held$hold"
    printf '1\n1\nHeld %s\n-1\n' "$store_answers" >"$dir/held$hold/keys"
    store_hold "$dir/held$hold" datas.dat "$hold"
    local status=0
    store_run "$dir/held$hold" keys || status=$?
    wait $! || fail "store: hold_file.exe failed"
    grep -q 'datas.dat is busy' "$dir/held$hold/keys.err" ||
      fail "store: no notice of the wait for the held file: $(cat "$dir/held$hold/keys.err")"
    if [ "$hold" = 2000 ]; then
      [ "$status" = 0 ] || fail "store: the save after the file was let go ended with $status"
      store_expect_records "$dir/held$hold" 1
    else
      [ "$status" = 1 ] || fail "store: the save to a file held for good ended with $status"
      grep -q 'cannot save the record to datas.dat: another program holds the file' \
        "$dir/held$hold/keys.err" || fail "store: $(head -3 "$dir/held$hold/keys.err")"
      grep -q '^ Candidate Name :: Held Kowal' "$dir/held$hold/keys.err" ||
        fail "store: the record that was not saved is not on standard error"
      [ ! -s "$dir/held$hold/datas.dat" ] || fail "store: the held file was written"
    fi
  done
  rm -rf "$dir"
  echo "windows-check: store: 4 writers x 25 records gave 100 whole records; a file held 2 s" \
    "was saved once let go, one held 8 s failed the save with the reason"
}

# Four Linux and four Windows writers of 25 records each at once on one file in a folder both
# see: the one lock rule orders them, so 200 whole records, each once, every writer 0.
mixed_writers_check() {
  local dir writer record pids=() kinds=()
  dir="$(mktemp -d /tmp/survey-mixed-check.XXXXXX)"
  for writer in 1 2 3 4 5 6 7 8; do
    for record in $(seq 25); do
      printf '1\n1\nM%sR%s %s\n' "$writer" "$record" "$store_answers"
    done >"$dir/w$writer.keys"
    echo -1 >>"$dir/w$writer.keys"
  done
  for writer in 1 2 3 4 5 6 7 8; do
    if [ "$writer" -le 4 ]; then
      (cd "$dir" && timeout 120 setsid -w "$root/build/survey" <"w$writer.keys" \
        >"w$writer.keys.out" 2>"w$writer.keys.err") &
    else
      store_run "$dir" "w$writer.keys" &
    fi
    pids+=($!)
  done
  for writer in 1 2 3 4 5 6 7 8; do
    wait "${pids[$((writer - 1))]}" ||
      fail "mixed writers: writer $writer ended with status $?: $(head -3 "$dir/w$writer.keys.err")"
  done
  store_expect_records "$dir" 200
  [ "$(grep -a '^ Candidate Name :: M' "$dir/datas.dat" | sort -u | wc -l)" = 200 ] ||
    fail "mixed writers: the 200 records are not 200 different ones"
  rm -rf "$dir"
  echo "windows-check: store: 4 Linux and 4 Windows writers x 25 records gave 200 whole records"
}
