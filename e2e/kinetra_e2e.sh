#!/usr/bin/env bash
# Kinetra.exe end to end under Wine: real command lines, exit codes, registry
# values, setup.log, trace file and child programs.
# Usage: kinetra_e2e.sh BIN_DIR   (WINEPREFIX set to a ready prefix)
set -uo pipefail
bin=${1:?usage: kinetra_e2e.sh BIN_DIR}
: "${WINEPREFIX:?WINEPREFIX must name the test prefix}"
export WINEDEBUG=-all
unset DISPLAY  # the help box must fail at once, not wait for a click
command -v wine >/dev/null || { echo "FAIL: wine is not installed"; exit 1; }
for f in Kinetra.exe stand_in_setup.exe; do
  [ -f "$bin/$f" ] || { echo "FAIL: $bin/$f is missing"; exit 1; }
done

drive=$WINEPREFIX/drive_c
trace=$drive/windows/Kinetra.log
result_key='HKLM\SOFTWARE\Pellacor\Ombrix\OBSetup'
uninstall_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall'
passed=0
failed=0
scenario=""

check() {  # check DESCRIPTION CONDITION...
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL [$scenario] $what"
  fi
}
contains() { grep -qF -- "$2" "$1" 2>/dev/null; }
lacks() { ! grep -qF -- "$2" "$1" 2>/dev/null; }
equals() { [ "$1" = "$2" ] || { echo "  expected '$2', got '$1'"; return 1; }; }

# A fresh folder C:\kit\NAME holding Kinetra.exe and the stand-in as setup.exe,
# which does what the given lines (stand_in.cfg) say.
new_kit() {
  scenario=$1
  shift
  kit=$drive/kit/$scenario
  winkit="C:\\kit\\$scenario"
  rm -rf "$kit"
  mkdir -p "$kit"
  cp "$bin/Kinetra.exe" "$kit/Kinetra.exe"
  cp "$bin/stand_in_setup.exe" "$kit/setup.exe"
  printf '%s\r\n' "record=$winkit\\record.txt" "$@" > "$kit/stand_in.cfg"
  rm -f "$trace"
  wine reg delete "$result_key" /f /reg:32 >/dev/null 2>&1
}

# Runs Kinetra.exe with the given command line; sets $code to its whole
# signed exit code and $log to a Unix copy of its trace.
run_kinetra() {
  local out
  rm -f "$trace"
  out=$(wine cmd /c "$winkit\\Kinetra.exe $1 & echo %ERRORLEVEL%" 2>/dev/null | tr -d '\r')
  code=$(printf '%s\n' "$out" | tail -n 1)
  log=$kit/trace.txt
  tr -d '\r' < "$trace" > "$log" 2>/dev/null || : > "$log"
}

reg_value() {  # reg_value NAME: the data of a value under the result key
  wine reg query "$result_key" /v "$1" /reg:32 2>/dev/null | tr -d '\r' |
    awk -v n="$1" '$1 == n { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
}

runs() { [ -f "$kit/record.txt" ] && wc -l < "$kit/record.txt" | tr -d ' ' || echo 0; }

new_kit default result_code=3
run_kinetra ""
check "exit code 0" equals "$code" 0
check "child command line and directory" equals "$(tr -d '\r' < "$kit/record.txt")" \
  "\"$winkit\\setup.exe\" -s -SMS|$winkit"
check "RESULT_CODE 3 read back" contains "$log" "We return 3"
check "banner" contains "$log" "Kinetra.EXE version 8.0.3250"
check "WinMain entry line in the default layout" \
  grep -qE $'^1\t[ 0-9][0-9]/[0-9]{2}/[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\t\\{ WinMain\\(\\)$' "$log"
check "WinMain exit line" grep -qE $'^1\t[^\t]+\t\\} WinMain\\(\\)$' "$log"
first_line() { head -n 1 "$1"; }
check "no header on the default trace" lacks <(first_line "$log") "ts "

new_kit setup_log setup_log=0
run_kinetra ""
check "exit code 0" equals "$code" 0
check "setup.log result" contains "$log" "We return 0"

new_kit no_result exit=1603
run_kinetra ""
check "exit code 0 whatever the setup gave" equals "$code" 0
check "-3 traced" contains "$log" "We return -3"

new_kit with_path
run_kinetra "/INSTALLSHIELD $winkit\\setup.exe /q"
check "exit code 0" equals "$code" 0
check "path kept, two spaces before /q" equals "$(cut -d'|' -f1 "$kit/record.txt" | tr -d '\r')" \
  "\"$winkit\\setup.exe\"  /q"

new_kit uninstall
wine reg add "$uninstall_key\\KitPlain" /v UninstallString /t REG_SZ /d "$winkit\\setup.exe exit=5" /f /reg:32 >/dev/null
wine reg add "$uninstall_key\\KitExpand" /v UninstallString /t REG_EXPAND_SZ /d "$winkit\\setup.exe" /f /reg:32 >/dev/null
run_kinetra "/UNINSTALLSHIELD KitPlain"
check "exit code 0" equals "$code" 0
check "uninstall string with -a" contains "$kit/record.txt" "$winkit\\setup.exe exit=5 -a|"
check "exit code of the uninstaller is the result" contains "$log" "We return 5"
rm -f "$kit/record.txt"
run_kinetra "/UNINSTALLSHIELD KitExpand /UNINSTALLSHIELD KitMissing"
check "exit code 0" equals "$code" 0
check "REG_EXPAND_SZ refused" contains "$log" "value type is: 2"
check "missing key" contains "$log" "Failed to open uninst reg key, error code: 2."
check "both as warnings" equals "$(grep -c $'^2\t.*Assume that the product has been already uninstalled.' "$log")" 2
check "no process started" equals "$(runs)" 0
wine reg delete "$uninstall_key\\KitPlain" /f /reg:32 >/dev/null 2>&1
wine reg delete "$uninstall_key\\KitExpand" /f /reg:32 >/dev/null 2>&1

new_kit invalid
run_kinetra "setup.exe /INSTALLSHIELD"
check "exit code -1" equals "$code" -1
check "RESULT_CODE -1 in the 32-bit view" equals "$(reg_value RESULT_CODE)" 0xffffffff
check "its description" equals "$(reg_value DESCRIPTION_RESULT_SETUP)" "Invalid command line passed to Kinetra"
check "nothing started" equals "$(runs)" 0

new_kit timeout sleep=20000
start=$(date +%s)
run_kinetra "/TIMEOUT:1 /INSTALLSHIELD /INSTALLSHIELD setup.exe sleep=0"
check "exit code 0" equals "$code" 0
check "killed at the limit" contains "$log" "Waiting failed: Timeout elapsed. Killing the process..."
check "-24 returned" contains "$log" "We return -24"
check "the next command ran too" equals "$(runs)" 2
check "well before the child's own end" test $(($(date +%s) - start)) -lt 15

new_kit pause setup_log=0
run_kinetra "/COMMANDPAUSE:1 /INSTALLSHIELD /INSTALLSHIELD"
check "exit code 0" equals "$code" 0
check "one pause between two commands that ran" equals "$(grep -c 'Sleep for 1000 ms' "$log")" 1
run_kinetra "/COMMANDPAUSE:1 /INSTALLSHIELD C:\\missing\\nothing.exe /INSTALLSHIELD"
check "no pause after a command that failed to start" equals "$(grep -c 'Sleep for' "$log")" 0
check "launch failure traced" contains "$log" "Failed to CreateProcess, error: "

new_kit disk_space
printf '[Startup]\r\nFreeDiskSpace=4294967295\r\n' > "$kit/setup.ini"
printf '[Other]\r\nKept=no\r\n' > "$kit/setup.log"
run_kinetra ""
check "exit code 0" equals "$code" 0
check "setup.log holds ResultCode 110 alone" equals "$(tr -d '\r' < "$kit/setup.log")" $'[Silent Setup]\nResultCode=110'
check "installation not started" equals "$(runs)" 0
check "-23 traced as an error" grep -qE $'^3\t.*System drive hasn\'t enough free space. Quiting' "$log"

new_kit help
run_kinetra "/? /INSTALLSHIELD"
check "exit code 0" equals "$code" 0
check "help attempted" contains "$log" "Showing help message..."
check "nothing ran" equals "$(runs)" 0
check "no result written" equals "$(reg_value RESULT_CODE)" ""

rm -rf "$drive/kit"
echo "kinetra_e2e: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
