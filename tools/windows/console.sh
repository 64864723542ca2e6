# shellcheck shell=bash disable=SC2154  # $root and $wine are set by tools/windows-check
# The console stage of tools/windows-check, which sources this file and calls
# windows_console_stage once both builds are made and its Wine prefix is up ($root, $wine,
# the WINE* variables and fail() are its own). It checks:
# - both executables of both builds carry the application manifest (read back with objdump);
# - the golden transcripts with keystroke files in CR LF, as a console sends its lines;
# - survey.exe at a Wine console in tmux (keys typed with send-keys, the screen read with
#   capture-pane): answers in Latin, Polish, Greek and Cyrillic letters shown in the summary and
#   the listing and stored as UTF-8; option 5 clears the screen; the key wait waits until a key
#   and ends with status 0; Ctrl+C at the key wait is a key, at a prompt it ends the run; a
#   record in the console's code page lists as it was typed;
# - survey-export.exe exports those records as the Linux build does, also when the file is
#   named on the command line under a folder with a UTF-8 name (Łódź/datas.dat);
# - the start time under TZ=Asia/Tokyo is the local time, as the machine (Wine) keeps it.
# Needs tmux; without it the stage is skipped outside CI and fails in CI.

# Ctrl+C ends a Windows program with STATUS_CONTROL_C_EXIT (0xC000013A); Wine passes on its
# low byte as the exit status.
readonly interrupt_status=58

windows_console_stage() (
  set -euo pipefail
  if ! command -v tmux >/dev/null; then
    [ "${CI:-}" != true ] || fail "missing package: tmux"
    echo "windows-check: console stage skipped, missing package: tmux" >&2
    return 0
  fi
  local start=$SECONDS
  local exe="$root/build-mingw64/survey.exe" export_exe="$root/build-mingw64/survey-export.exe"
  local work
  work="$(mktemp -d /tmp/survey-console-check.XXXXXX)"
  tm() { tmux -S "$work/tmux.sock" -f /dev/null "$@"; }
  trap 'tm kill-server >/dev/null 2>&1 || true; rm -rf "$work"' EXIT

  # The manifest: a resource of type 24 (RT_MANIFEST), its XML read back from the section.
  local objdump build name text
  for build in x86_64:build-mingw64 i686:build-mingw32; do
    objdump="${build%%:*}-w64-mingw32-objdump"
    for name in survey.exe survey-export.exe; do
      local file="$root/${build#*:}/$name"
      "$objdump" -p "$file" | grep -q '^010   Entry: ID: 0x000018,' ||
        fail "$file has no manifest resource"
      text="$("$objdump" -s -j .rsrc "$file" |
        perl -ne 'print pack("H*", join("", split / /, $1)) if /^ [0-9a-f]+ ((?:[0-9a-f]{2,8} ?){1,4})/' |
        tr -d '\0')"
      grep -q '<requestedExecutionLevel level="asInvoker"' <<<"$text" ||
        fail "$file: the manifest does not ask to run as invoker"
      grep -q '<longPathAware[^>]*>true</longPathAware>' <<<"$text" ||
        fail "$file: the manifest does not declare long paths"
      grep -q '<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>' <<<"$text" ||
        fail "$file: the manifest does not name Windows 10 and 11"
      echo "windows-check: ${build#*:}/$name: manifest (asInvoker, longPathAware, Windows 10 and 11)"
    done
  done

  # Keystroke files as a console sends lines: CR LF.
  "$root/tools/check-transcripts" --crlf --keys-crlf --clear-writes-nothing "$wine" "$exe" >/dev/null ||
    fail "the transcripts differ with CR LF keystroke files (tools/check-transcripts" \
      "--crlf --keys-crlf --clear-writes-nothing $wine $exe)"

  # survey.exe at a Wine console of its own, in a tmux window 200 by 50, in folder $work/NAME;
  # its exit status goes to NAME/status.
  console_start() {
    mkdir -p "$work/$1"
    tm new-session -d -s "$1" -x 200 -y 50 -c "$work/$1" \
      "LC_ALL=C.UTF-8 $(printf '%q ' "$wine" "$exe"); echo \$? >status; sleep 600"
    wait_for "$1" "Enter A Number From(-1 to exit)"
  }
  screen() { tm capture-pane -p -J -t "$1" -S -; }
  # Lines of NAME's screen (its history included) that hold TEXT.
  lines_with() { screen "$1" | grep -cF -- "$2" || true; }
  wait_for() {
    local i
    for ((i = 0; i < 300; i++)); do
      [ "$(lines_with "$1" "$2")" -gt 0 ] && return 0
      sleep 0.1
    done
    screen "$1" | tail -n 15 >&2
    fail "console: '$2' never showed in $1"
  }
  type_line() {
    tm send-keys -t "$1" -l -- "$2"
    tm send-keys -t "$1" Enter
  }
  # The exit status of NAME, once it has ended (within 10 s).
  status_of() {
    local i
    for ((i = 0; i < 100; i++)); do
      if [ -s "$work/$1/status" ]; then
        cat "$work/$1/status"
        return 0
      fi
      sleep 0.1
    done
    fail "console: $1 did not end"
  }
  expect_lines() {
    local count
    count="$(lines_with "$1" "$2")"
    [ "$count" = "$3" ] || fail "console: $1 shows '$2' on $count lines, not $3"
  }

  # A questionnaire typed in four scripts, one answer a line; the summary shows the answers.
  # Wine's console shows a character beyond U+FFFF wrongly, so that one is only looked for in
  # the file.
  local answers=(José Łódź-Wójcik Αθήνα 1990-05-17 36 36 37 Κέντρο Улица Иван Sklep Żółw
    Naprawy Biblioteka 10 Mall😀 Σχολείο 2026-12-08 09:00 Mazowieckie Kraków Ελληνικά Россия)
  local shown=("José Łódź-Wójcik" Αθήνα Κέντρο Улица Иван Sklep Żółw Naprawy Biblioteka Σχολείο
    Mazowieckie Kraków Ελληνικά Россия)
  local answer
  console_start typed
  type_line typed 1
  type_line typed 1
  for answer in "${answers[@]}"; do type_line typed "$answer"; done
  # The answers listed before saving; Enter saves.
  wait_for typed "q discards"
  tm send-keys -t typed Enter
  wait_for typed "Program is in execution mode 1 times"
  for answer in "${shown[@]}"; do expect_lines typed ":: $answer" 1; done
  for answer in "${shown[@]}" Mall😀; do
    grep -qF -- ":: $answer"$'\r' "$work/typed/datas.dat" ||
      fail "console: datas.dat does not hold '$answer' in UTF-8"
  done
  # The listing shows the record: each answer a second time.
  type_line typed 1
  type_line typed 2
  wait_for typed "Program is in execution mode 2 times"
  for answer in "${shown[@]}"; do expect_lines typed ":: $answer" 2; done
  # Option 5: the screen starts with the clear-screen heading; what was there before is gone.
  type_line typed 1
  type_line typed 5
  wait_for typed "Program is in execution mode 3 times"
  local heading top
  heading="$(sed -n 's/^@CLEAR@//p' "$root/tests/golden/guides.out" | sed 's/ *$//')"
  top="$(tm capture-pane -p -J -t typed | head -n 1 | sed 's/ *$//')"
  [ "$top" = "$heading" ] || fail "console: after option 5 the screen starts with '$top'"
  tm capture-pane -p -J -t typed | grep -qF "Option(s) For Program(s) Begin(s)" &&
    fail "console: option 5 left the menu on the screen"
  # The key wait: the program waits, the second prompt shows once a key ends it, status 0.
  type_line typed -1
  wait_for typed "Press any key to continue..."
  sleep 1
  [ ! -e "$work/typed/status" ] || fail "console: the key wait did not wait for a key"
  expect_lines typed "Press any key to continue..." 1
  tm send-keys -t typed x
  [ "$(status_of typed)" = 0 ] || fail "console: the run ended with status $(status_of typed)"
  expect_lines typed "Press any key to continue..." 2

  # A record stored before answers were UTF-8 lists as the console's code page (437 under
  # Wine) shows it. Ctrl+C is a key at the key wait, and ends the run as an interrupt at a
  # prompt.
  mkdir -p "$work/key-ctrl-c"
  sed 's/:: Ana /:: Jos\x82 /' "$root/tests/golden/questionnaire.dat" >"$work/key-ctrl-c/datas.dat"
  console_start key-ctrl-c
  type_line key-ctrl-c 1
  type_line key-ctrl-c 2
  wait_for key-ctrl-c "Program is in execution mode 1 times"
  expect_lines key-ctrl-c "Candidate Name :: José Kowal" 1
  type_line key-ctrl-c -1
  wait_for key-ctrl-c "Press any key to continue..."
  sleep 0.5
  tm send-keys -t key-ctrl-c C-c
  [ "$(status_of key-ctrl-c)" = 0 ] || fail "console: Ctrl+C at the key wait did not end it as a key"
  console_start prompt-ctrl-c
  tm send-keys -t prompt-ctrl-c C-c
  [ "$(status_of prompt-ctrl-c)" = "$interrupt_status" ] ||
    fail "console: Ctrl+C at a prompt ended with status $(status_of prompt-ctrl-c)"
  expect_lines prompt-ctrl-c "General(Global)" 0

  # A console made without a window gets no keys: the key wait ends at once there.
  x86_64-w64-mingw32-g++-posix -municode -static -O1 -o "$work/start_without_window.exe" \
    "$root/tools/windows/start_without_window.cpp"
  mkdir -p "$work/no-window"
  (cd "$work/no-window" && setsid -w timeout 30 "$wine" "$work/start_without_window.exe" \
    "Z:${exe//\//\\}" <"$root/tests/golden/exit-at-once.keys" >/dev/null 2>&1) ||
    fail "console: in a console without a window the run did not end at once with status 0"

  # survey-export.exe on those records, named under a folder with a UTF-8 name, against the
  # Linux build. Wine turns its command line into UTF-16 through the locale.
  local form
  mkdir -p "$work/export/Łódź"
  cp "$work/typed/datas.dat" "$work/export/Łódź/datas.dat"
  for form in csv jsonl; do
    (cd "$work/export" && LC_ALL=C.UTF-8 timeout 60 "$wine" "$export_exe" --format "$form" \
      Łódź/datas.dat </dev/null >"windows.$form" 2>/dev/null) ||
      fail "survey-export.exe --format $form Łódź/datas.dat failed under Wine"
    (cd "$work/export" && "$root/build/survey-export" --format "$form" Łódź/datas.dat \
      >"linux.$form" 2>/dev/null) ||
      fail "build/survey-export (the Linux build) is needed to compare with"
    # CSV rows end in CR LF and JSON Lines in LF, on both systems.
    cmp -s "$work/export/windows.$form" "$work/export/linux.$form" ||
      fail "survey-export.exe and the Linux build export Łódź/datas.dat differently ($form)"
  done
  grep -qF 'Łódź/datas.dat' "$work/export/windows.csv" || fail "the file column is not UTF-8"
  for answer in José Łódź-Wójcik Αθήνα Россия Mall😀; do
    grep -qF -- "$answer" "$work/export/windows.csv" || fail "the export lacks '$answer'"
  done

  # The start time follows the machine's local time, not the C library's reading of TZ (which
  # takes "Asia/Tokyo" for UTC).
  local before after started
  [ "$(TZ=Asia/Tokyo date +%z)" = +0900 ] || fail "the time zone data (tzdata) lacks Asia/Tokyo"
  mkdir -p "$work/clock"
  before="$(TZ=Asia/Tokyo date '+%I:%M %p')"
  started="$(cd "$work/clock" && TZ=Asia/Tokyo setsid -w timeout 60 "$wine" "$exe" \
    <"$root/tests/golden/exit-at-once.keys" 2>/dev/null |
    sed -n 's/.*Now Is :: \([0-9][0-9]:[0-9][0-9] [AP]M\)\. .*/\1/p')"
  after="$(TZ=Asia/Tokyo date '+%I:%M %p')"
  [ "$started" = "$before" ] || [ "$started" = "$after" ] ||
    fail "under TZ=Asia/Tokyo the start time is '$started', the local time $before"

  echo "windows-check: console stage $((SECONDS - start)) s"
)
