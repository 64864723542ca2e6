# survey-export under Wine against the Linux build, code page by code page: every byte from
# 0x80 to 0xFF as an answer of its own record must give the same rows and the same status on
# both, and JSON Lines the same line ends. Sourced by tools/windows-check, which sets $wine
# and $root, defines fail, and has built build-mingw64/ and build/.

code_pages_check() {
  local dir page status_linux status_windows pages
  dir="$(mktemp -d /tmp/survey-code-pages.XXXXXX)"
  printf '1\n1\n%s\n-1\n' "Ana $store_answers" | (cd "$dir" && setsid -w "$root/build/survey" >/dev/null) ||
    fail "code pages: build/survey (the Linux build) is needed to store a record"
  # One record a byte: its candidate name is "A" and that byte.
  perl -0777 -ne 'for my $b (0x80 .. 0xFF) { my $r = $_; my $c = chr($b);
    $r =~ s/Candidate Name :: Ana Kowal/Candidate Name :: A$c/; print $r }' \
    "$dir/datas.dat" >"$dir/bytes.dat"
  pages="$(sed -n 's/^ *{\([0-9][0-9]*\), ".*/\1/p' "$root/src/platform/code_page.cpp")"
  [ -n "$pages" ] || fail "code pages: no code page found in src/platform/code_page.cpp"
  for page in $pages; do
    for format in csv jsonl; do
      status_linux=0
      status_windows=0
      (cd "$dir" && "$root/build/survey-export" --format "$format" --encoding "cp$page" bytes.dat \
        >linux.out 2>/dev/null) || status_linux=$?
      (cd "$dir" && timeout 60 "$wine" "$root/build-mingw64/survey-export.exe" --format "$format" \
        --encoding "cp$page" bytes.dat </dev/null >windows.out 2>/dev/null) || status_windows=$?
      [ "$status_linux" = "$status_windows" ] ||
        fail "code pages: cp$page ($format) ends with $status_linux on Linux, $status_windows under Wine"
      cmp -s "$dir/linux.out" "$dir/windows.out" ||
        fail "code pages: cp$page ($format) exports differently under Wine: $(diff \
          <(od -c "$dir/linux.out") <(od -c "$dir/windows.out") | head -6)"
    done
  done
  rm -rf "$dir"
  echo "windows-check: code pages: $(wc -w <<<"$pages") code pages, bytes 0x80 to 0xFF, CSV and" \
    "JSON Lines alike on Linux and under Wine"
}
