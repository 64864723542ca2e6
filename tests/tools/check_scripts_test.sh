#!/bin/bash
# Runs tools/run-tests and tools/check-format on a small copy of the repository, where the
# tools a stage needs can be taken away: a stage without its tools is skipped outside CI and
# fails in CI, naming the package; the format check names what is unformatted and --fix
# formats it. Exits 77 (skipped) without clang-format or git, outside CI.
set -uo pipefail
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
for tool in clang-format git; do
  if ! command -v "$tool" >/dev/null; then
    [ "${CI:-}" = true ] && { echo "FAIL: $tool missing in CI"; exit 1; }
    echo "skipped: install $tool"
    exit 77
  fi
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
repo="$work/repo"
mkdir -p "$repo/tools" "$repo/src"
cp "$source_dir/tools/run-tests" "$source_dir/tools/check-format" "$repo/tools/"
cp "$source_dir/.clang-format" "$repo/"
printf 'int one() { return 1; }\n' >"$repo/src/one.cpp"
git -C "$repo" init -q && git -C "$repo" add -A

# A PATH with what the scripts use but no clang-format.
bare="$work/bare-bin"
mkdir -p "$bare"
for tool in bash sh env nproc grep dirname rm cat sed wc head git mktemp cut uname; do
  ln -s "$(command -v "$tool")" "$bare/$tool"
done
full="$work/full-bin"
cp -a "$bare" "$full"
ln -s "$(command -v clang-format)" "$full/clang-format"

failures=0
# expect NAME STATUS PATTERN OUTPUT: the run ended with STATUS and its output holds PATTERN.
expect() {
  local name="$1" want_status="$2" pattern="$3" status="$4" output="$5"
  if [ "$status" != "$want_status" ]; then
    echo "FAIL $name: status $status, expected $want_status; output:"
    echo "$output"
    failures=$((failures + 1))
  elif ! grep -qF -- "$pattern" <<<"$output"; then
    echo "FAIL $name: no line '$pattern' in:"
    echo "$output"
    failures=$((failures + 1))
  fi
}

# run-tests: the format stage with and without clang-format, in CI and outside it.
#   name                      PATH   CI    status  a line of the output
cases=(
  "skipped-outside-ci        $bare  -     0       === format: skipped: install clang-format"
  "skip-in-summary           $bare  -     0       === skipped: format (clang-format)"
  "fails-in-ci               $bare  true  1       === format: missing in CI: apt-get install clang-format"
  "failure-named-in-ci       $bare  true  1       === stage format failed (status 1)"
  "runs-with-its-tool        $full  -     0       === passed: format"
  "runs-with-its-tool-in-ci  $full  true  0       === passed: format"
)
for row in "${cases[@]}"; do
  read -r name path ci status pattern <<<"$row"
  [ "$ci" = - ] && ci=""
  output="$(env -i HOME="$work" PATH="$path" CI="$ci" SURVEY_STAGES=format \
    bash "$repo/tools/run-tests" 2>&1)"
  expect "run-tests $name" "$status" "$pattern" "$?" "$output"
done
# run-tests: the fuzz stage needs clang and its fuzzer runtime, a file in clang's resource
# folder; a stand-in clang++ points there and a stand-in tools/fuzz says it ran.
resources="$work/clang-resources"
printf '#!/bin/sh\ncase "$1" in -dumpversion) echo 14.0.6 ;; -print-resource-dir) echo %s ;; esac\n' \
  "$resources" >"$full/clang++"
chmod +x "$full/clang++"
printf '#!/bin/sh\necho "fuzz ran"\n' >"$repo/tools/fuzz"
chmod +x "$repo/tools/fuzz"
runtime="$resources/lib/linux/libclang_rt.fuzzer-$(uname -m).a"
#   name               runtime  status  a line of the output
cases=(
  "runtime-missing     absent   0       === fuzz: skipped: install libclang-rt-14-dev"
  "runtime-there       present  0       === passed: fuzz"
)
for row in "${cases[@]}"; do
  read -r name runtime_state status pattern <<<"$row"
  rm -rf "$resources"
  if [ "$runtime_state" = present ]; then mkdir -p "$(dirname "$runtime")" && : >"$runtime"; fi
  output="$(env -i HOME="$work" PATH="$full" SURVEY_STAGES=fuzz bash "$repo/tools/run-tests" 2>&1)"
  expect "run-tests fuzz $name" "$status" "$pattern" "$?" "$output"
done
output="$(env -i HOME="$work" PATH="$full" CI=true SURVEY_STAGES=fuzz bash "$repo/tools/run-tests" 2>&1)"
expect "run-tests fuzz runs in CI" 0 "fuzz ran" "$?" "$output"

output="$(env -i HOME="$work" PATH="$bare" SURVEY_STAGES=format bash "$repo/tools/run-tests" 2>&1)"
if grep -q '=== passed: format' <<<"$output"; then
  echo "FAIL run-tests: a skipped stage is listed as passed"
  failures=$((failures + 1))
fi

# run-tests: a build folder configured for Make loses its cache (the presets use Ninja); one
# configured for Ninja keeps it.
mkdir -p "$repo/build/CMakeFiles" "$repo/build-asan"
echo 'CMAKE_GENERATOR:INTERNAL=Unix Makefiles' >"$repo/build/CMakeCache.txt"
echo 'CMAKE_GENERATOR:INTERNAL=Ninja' >"$repo/build-asan/CMakeCache.txt"
output="$(env -i HOME="$work" PATH="$bare" SURVEY_STAGES=format bash "$repo/tools/run-tests" 2>&1)"
expect "run-tests clears a Make cache" 0 "=== build/ was configured for another generator" "$?" "$output"
if [ -e "$repo/build/CMakeCache.txt" ] || [ -e "$repo/build/CMakeFiles" ] ||
  [ ! -e "$repo/build-asan/CMakeCache.txt" ]; then
  echo "FAIL run-tests: the Make cache should go and the Ninja cache stay"
  failures=$((failures + 1))
fi
rm -rf "$repo/build" "$repo/build-asan"

# check-format: a file formatting would change is named with the fix; --fix formats it.
printf 'int  two( ){return 2;}\n' >"$repo/src/two.cpp"
git -C "$repo" add -A
#   name            arguments  status  a line of the output
cases=(
  "names-file       -          1       src/two.cpp"
  "says-the-fix     -          1       fix them with: tools/check-format --fix"
  "fixes            --fix      0       format: formatted src/two.cpp"
  "clean-after-fix  -          0       format: 2 files checked, all formatted"
)
for row in "${cases[@]}"; do
  read -r name arguments status pattern <<<"$row"
  [ "$arguments" = - ] && arguments=""
  # shellcheck disable=SC2086 # no argument or one
  output="$(PATH="$full" bash "$repo/tools/check-format" $arguments 2>&1)"
  expect "check-format $name" "$status" "$pattern" "$?" "$output"
done
[ "$(cat "$repo/src/two.cpp")" = 'int two() { return 2; }' ] || {
  echo "FAIL check-format --fix left: $(cat "$repo/src/two.cpp")"
  failures=$((failures + 1))
}

[ "$failures" = 0 ] || { echo "$failures failed"; exit 1; }
echo "all passed"
