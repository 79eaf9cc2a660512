#!/usr/bin/env bash
# End-to-end cases that need setup a case folder can't hold: closed or broken
# standard streams, files without read or write permission, symbolic and hard
# links, and inputs too large to commit, made at test time. Linux only.
#
#   fault_cases.sh VANTREL CASES_DIR WORK_DIR CASE
#
# Runs the function case_CASE below in a fresh WORK_DIR. Each case starts
# from the inputs of the case folder CASES_DIR/removed_four_paths (a surface
# file with one triangle, a line file with four lines among other records),
# whose expected results are known, and changes one thing. Exit code 0: the
# case passed; 77: skipped (with the reason on standard output); anything
# else: failed, with what differed on standard error. tests/faults.cmake
# registers one CTest test per case_ function.

set -uo pipefail

if [ $# -ne 4 ]; then
  echo "usage: $0 VANTREL CASES_DIR WORK_DIR CASE" >&2
  exit 2
fi
vantrel=$1
cases_dir=$2
work=$3
name=$4

base=$cases_dir/removed_four_paths     # the normal four-path run
worked=$cases_dir/worked_example        # one triangle, one line, one trim
skip_code=77
failed=0

# Standard output, standard error and helper files live beside the work
# folder, not in it.
out=$work.stdout
err=$work.stderr

fail() {
  echo "FAIL: $*" >&2
  failed=1
}

skip() {
  echo "skipped: $*"
  exit "$skip_code"
}

# A fresh work folder holding the base case's inputs; the case runs in it.
setup() {
  rm -rf "$work" "$out" "$err"
  mkdir -p "$work"
  cd "$work" || exit 2
  cp "$base/surface.ldr" "$base/lines.ldr" .
}

# Runs the tool with a time limit: a pause that waits for a key that never
# comes ends the run with code 124. The caller adds the redirections of
# standard input and output; standard error goes to $err.
tool() {
  timeout 60 "$vantrel" "$@" 2>"$err"
}

expect_code() {  # expected actual
  if [ "$2" = 124 ]; then
    fail "the run did not end within 60 seconds (a pause waiting?)"
  elif [ "$1" != "$2" ]; then
    fail "exit code: expected $1, got $2"
  fi
}

expect_stdout() {  # printf format and arguments
  local expected
  # shellcheck disable=SC2059
  expected=$(printf "$@"; echo x)
  expected=${expected%x}
  local actual
  actual=$(cat "$out"; echo x)
  actual=${actual%x}
  if [ "$expected" != "$actual" ]; then
    fail "standard output: expected"
    printf '%s' "$expected" | od -c | head -20 >&2
    echo "got" >&2
    printf '%s' "$actual" | od -c | head -20 >&2
  fi
}

expect_stdout_file() {  # file with the expected standard output
  cmp -s "$1" "$out" || fail "standard output differs from $1: $(cmp "$1" "$out" 2>&1)"
}

expect_no_stderr() {
  [ ! -s "$err" ] || fail "standard error is not empty: $(head -c 2000 "$err")"
}

expect_file() {  # name expected-file
  if [ ! -f "$1" ]; then
    fail "$1: missing"
  elif ! cmp -s "$2" "$1"; then
    fail "$1 differs from $2: $(cmp "$2" "$1" 2>&1)"
  fi
}

expect_absent() {  # names...
  local n
  for n in "$@"; do
    if [ -e "$n" ] || [ -L "$n" ]; then fail "$n: exists but must not"; fi
  done
}

expect_inputs_intact() {
  expect_file surface.ldr "$base/surface.ldr"
  expect_file lines.ldr "$base/lines.ldr"
}

# The complete result of the base run.
expect_base_outputs() {
  expect_file trimmed.ldr "$base/expected/trimmed.ldr"
  expect_file removed.ldr "$base/expected/removed.ldr"
  expect_inputs_intact
  expect_no_stderr
}

# A refused output: its message, the pause, exit code 2, the inputs as they
# were and no output created.
expect_refused() {  # code path-in-message
  expect_code 2 "$1"
  expect_stdout "Can't create file\n%s\nPress <Enter> to quit" "$2"
  expect_inputs_intact
  expect_absent trimmed.ldr removed.ldr
  expect_no_stderr
}

# A pipe without a reader on file descriptor 4: every write to it fails
# with EPIPE and raises SIGPIPE. A FIFO opened for reading and writing
# first lets the write end open without blocking; closing it leaves no
# reader.
open_broken_pipe() {
  mkfifo "$work.fifo"
  exec 3<>"$work.fifo"
  exec 4>"$work.fifo"
  exec 3<&-
  rm -f "$work.fifo"
  # The setup is right only if a plain program dies of it.
  env --default-signal=PIPE sh -c 'echo x' >&4 2>/dev/null
  local code=$?
  [ "$code" = 141 ] || { echo "broken pipe setup: echo ended with $code, not 141" >&2; exit 2; }
}

# ------------------------------------------------------------------------
# Standard output closed or broken: console output is advisory, the files
# are the work. The run ends normally with exit code 0 and complete files.

case_stdout_closed() {
  setup
  tool surface.ldr lines.ldr trimmed.ldr removed.ldr </dev/null >&-
  expect_code 0 $?
  expect_base_outputs
}

case_stdout_and_stdin_closed() {
  # The inputs then get the lowest file descriptors, 0 and 1: messages must
  # not reach them, nor any output.
  setup
  tool surface.ldr lines.ldr trimmed.ldr removed.ldr <&- >&-
  expect_code 0 $?
  expect_base_outputs
}

case_stdout_broken_pipe() {
  setup
  open_broken_pipe
  env --default-signal=PIPE timeout 60 "$vantrel" surface.ldr lines.ldr \
    trimmed.ldr removed.ldr </dev/null >&4 2>"$err"
  expect_code 0 $?
  exec 4>&-
  expect_base_outputs
}

case_stdout_broken_pipe_on_error() {
  # The error message, then the prompt, are written and flushed into the
  # broken pipe; the exit code is still the error's.
  setup
  open_broken_pipe
  env --default-signal=PIPE timeout 60 "$vantrel" surface.ldr lines.ldr \
    nofolder/trimmed.ldr </dev/null >&4 2>"$err"
  expect_code 2 $?
  exec 4>&-
  expect_inputs_intact
  expect_absent nofolder trimmed.ldr
  expect_no_stderr
}

case_stdout_piped_to_head() {
  # As a user would: `vantrel ... | head -c 1`.
  setup
  env --default-signal=PIPE timeout 60 "$vantrel" surface.ldr lines.ldr \
    trimmed.ldr removed.ldr </dev/null 2>"$err" | head -c 1 >"$out"
  local codes=("${PIPESTATUS[@]}")
  expect_code 0 "${codes[0]}"
  expect_stdout "\n"
  expect_base_outputs
}

# ------------------------------------------------------------------------
# Standard input closed or at its end: the pause after an error returns at
# once (the time limit of `tool` catches a pause that waits).

case_pause_stdin_closed() {
  setup
  tool surface.ldr lines.ldr <&- >"$out"
  expect_code 1 $?
  expect_stdout "Usage: Vantrel LdrawTriQuadFile LdrawLineFile LdrawTrimmedLineFileOut [LdrawLineRemovedFile]\nPress <Enter> to quit"
  expect_no_stderr
}

case_pause_stdin_at_end() {
  setup
  local input
  for input in /dev/null "$work.empty"; do
    : >"$work.empty"
    tool surface.ldr lines.ldr nofolder/trimmed.ldr <"$input" >"$out"
    expect_code 2 $?
    expect_stdout "Can't create file\nnofolder/trimmed.ldr\nPress <Enter> to quit"
  done
  # An empty pipe whose writer has gone.
  : | tool surface.ldr lines.ldr nofolder/trimmed.ldr >"$out"
  expect_code 2 "${PIPESTATUS[1]}"
  expect_stdout "Can't create file\nnofolder/trimmed.ldr\nPress <Enter> to quit"
  expect_no_stderr
}

# ------------------------------------------------------------------------
# Permissions. Running as root, permission bits don't stop reading or
# writing, so these cases can't be made there and are skipped. From a root
# shell they can be run as another user, in a folder that user can write:
#   setpriv --reuid=nobody --regid=nogroup --clear-groups \
#     bash tests/fault_cases.sh VANTREL tests/cases /tmp/somewhere/x CASE

skip_as_root() {
  if [ "$(id -u)" = 0 ]; then
    skip "running as root, where permission bits don't stop reading or writing a file"
  fi
}

case_line_file_unreadable() {
  skip_as_root
  setup
  chmod a-r lines.ldr
  tool surface.ldr lines.ldr trimmed.ldr removed.ldr </dev/null >"$out"
  local code=$?
  chmod u+r lines.ldr
  expect_code 2 "$code"
  expect_stdout "Can't open file\nlines.ldr\nPress <Enter> to quit"
  expect_inputs_intact
  expect_absent trimmed.ldr removed.ldr
  expect_no_stderr
}

case_surface_file_unreadable() {
  skip_as_root
  setup
  chmod a-r surface.ldr
  tool surface.ldr lines.ldr trimmed.ldr removed.ldr </dev/null >"$out"
  local code=$?
  chmod u+r surface.ldr
  expect_code 2 "$code"
  expect_stdout "Can't open file\nsurface.ldr\nPress <Enter> to quit"
  expect_inputs_intact
  expect_absent trimmed.ldr removed.ldr
  expect_no_stderr
}

case_trimmed_file_read_only() {
  skip_as_root
  setup
  echo "0 an older file" >trimmed.ldr
  chmod a-w trimmed.ldr
  tool surface.ldr lines.ldr trimmed.ldr removed.ldr </dev/null >"$out"
  expect_code 2 $?
  expect_stdout "Can't create file\ntrimmed.ldr\nPress <Enter> to quit"
  [ "$(cat trimmed.ldr)" = "0 an older file" ] || fail "trimmed.ldr was changed"
  expect_inputs_intact
  expect_absent removed.ldr
  expect_no_stderr
}

# ------------------------------------------------------------------------
# An output that names an input, or the other output, under another name:
# refused before anything is created, the inputs byte for byte as they were.

case_trimmed_is_line_file_by_absolute_path() {
  setup
  tool surface.ldr lines.ldr "$PWD/lines.ldr" removed.ldr </dev/null >"$out"
  expect_refused $? "$PWD/lines.ldr"
}

case_trimmed_is_line_file_through_folder_and_up() {
  setup
  mkdir sub
  tool surface.ldr lines.ldr sub/../lines.ldr removed.ldr </dev/null >"$out"
  expect_refused $? sub/../lines.ldr
}

case_trimmed_is_symbolic_link_to_line_file() {
  setup
  ln -s lines.ldr link.ldr
  tool surface.ldr lines.ldr link.ldr removed.ldr </dev/null >"$out"
  expect_refused $? link.ldr
  [ -L link.ldr ] || fail "link.ldr is no longer a symbolic link"
}

case_removed_is_symbolic_link_to_surface_file() {
  setup
  ln -s "$PWD/surface.ldr" link.ldr
  tool surface.ldr lines.ldr trimmed.ldr link.ldr </dev/null >"$out"
  expect_refused $? link.ldr
  [ -L link.ldr ] || fail "link.ldr is no longer a symbolic link"
}

case_trimmed_is_hard_link_to_line_file() {
  setup
  ln lines.ldr hard.ldr
  tool surface.ldr lines.ldr hard.ldr removed.ldr </dev/null >"$out"
  expect_refused $? hard.ldr
  expect_file hard.ldr "$base/lines.ldr"
}

case_removed_is_hard_link_to_surface_file() {
  setup
  ln surface.ldr hard.ldr
  tool surface.ldr lines.ldr trimmed.ldr hard.ldr </dev/null >"$out"
  expect_refused $? hard.ldr
  expect_file hard.ldr "$base/surface.ldr"
}

case_trimmed_through_linked_folder() {
  setup
  ln -s . here
  tool surface.ldr lines.ldr here/lines.ldr removed.ldr </dev/null >"$out"
  expect_refused $? here/lines.ldr
}

case_removed_is_link_to_trimmed_path() {
  # Neither output exists yet; creating the removed-line file through the
  # link would create the trimmed line file, and the two would overwrite
  # each other.
  setup
  ln -s trimmed.ldr link.ldr
  tool surface.ldr lines.ldr trimmed.ldr link.ldr </dev/null >"$out"
  expect_refused $? trimmed.ldr
  [ -L link.ldr ] || fail "link.ldr is no longer a symbolic link"
}

# ------------------------------------------------------------------------
# Inputs too large to commit, made here. A text line is one record however
# long, and memory follows the longest line, not the file.

repeat_char() {  # char count
  head -c "$2" /dev/zero | tr '\0' "$1"
}

case_lines_of_10_megabytes() {
  # The surface file: one triangle followed by 10 MiB of text on its line,
  # and no line end. The line file: a comment of 10 MiB, then a line record
  # with 10 MiB of text after its fields.
  setup
  local mib=$((10 * 1024 * 1024))
  { printf '3 16 -1 5 -1 -1 5 3 3 5 -1 '; repeat_char s "$mib"; } >surface.ldr
  { printf '0 '; repeat_char c "$mib"; printf '\n'; } >"$work.comment"
  { cat "$work.comment"; printf '2 16 0 0 0 0 10 0 '; repeat_char x "$mib"; printf '\n'; } >lines.ldr
  tool surface.ldr lines.ldr trimmed.ldr removed.ldr </dev/null >"$out"
  expect_code 0 $?
  expect_stdout_file "$worked/stdout"
  expect_file trimmed.ldr "$worked/expected/trimmed.ldr"
  expect_file removed.ldr "$work.comment"
  expect_no_stderr
}

# 1000 line records (each trimmed by the one triangle at y = 5), then 100000
# comments: the comments don't count towards the line limit.
make_1000_lines_then_comments() {
  cp "$worked/surface.ldr" surface.ldr
  yes '2 16 0 0 0 0 10 0' | head -n 1000 >lines.ldr
  seq 1 100000 | sed 's/^/0 comment /' >"$work.comments"
  cat "$work.comments" >>lines.ldr
}

case_1000_lines_then_100000_comments() {
  setup
  make_1000_lines_then_comments
  tool surface.ldr lines.ldr trimmed.ldr removed.ldr </dev/null >"$out"
  expect_code 0 $?
  local dots
  dots=$(repeat_char . 1000)
  expect_stdout "\nRead Tri/Quad file...\n1 triangles in Tri/Quad file\n\nRead Line file...\n1000 lines in file 2\nComputing intersections\n$dots\n1000 trim(s) performed\nWriting output file\n1000 line(s) written\n"
  {
    printf '0 Lines lines.ldr trimmed by surface.ldr\n0 Name: trimmed.ldr\n0 Author: Kolvane\n0\n'
    yes '2 24 0.000000 0.000000 0.000000 0.000000 5.000000 0.000000' | head -n 1000
    printf '0\n'
  } >"$work.trimmed"
  expect_file trimmed.ldr "$work.trimmed"
  expect_file removed.ldr "$work.comments"
  expect_no_stderr
}

case_1001st_line_after_100000_comments() {
  # The limit is crossed at the very end: the removed-line file holds every
  # comment read before, the trimmed line file stays empty.
  setup
  make_1000_lines_then_comments
  echo '2 16 0 0 0 0 10 0' >>lines.ldr
  tool surface.ldr lines.ldr trimmed.ldr removed.ldr </dev/null >"$out"
  expect_code 3 $?
  expect_stdout "\nRead Tri/Quad file...\n1 triangles in Tri/Quad file\n\nRead Line file...\nToo many lines in file 2\nPress <Enter> to quit"
  expect_file trimmed.ldr /dev/null
  expect_file removed.ldr "$work.comments"
  expect_no_stderr
}

# ------------------------------------------------------------------------

if ! declare -F "case_$name" >/dev/null; then
  echo "no case named $name" >&2
  exit 2
fi
"case_$name"
if [ "$failed" != 0 ]; then
  echo "case $name failed (work folder $work)" >&2
  exit 1
fi
echo "case $name: passed"
