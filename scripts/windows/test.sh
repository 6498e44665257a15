#!/usr/bin/env bash
# Tests the Windows zip (made by scripts/windows/build.sh) under Wine, in a
# fresh Wine prefix and under Xvfb:
#   - create --build from the Slime pictures gives Slime.asm byte-equal to the
#     golden file and Slime.8XP byte-equal to the Linux chain's;
#   - show prints what it prints on Linux; export writes the same pictures;
#   - a failing build keeps the older .8XP and reports the failure;
#   - the windows start and show the enemy's name in its box, a picture is
#     taken from the clipboard and Create builds (a screenshot is kept in
#     build-windows/);
# every folder on the way has spaces and non-ASCII letters in its name, some
# of them outside the ANSI code page that argv holds on Windows.
# Ends with "N passed, M failed" and a non-zero status on any failure.
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
out="$root/build-windows"

# The windows need a display: run under a virtual one unless there is one.
if [ -z "${DISPLAY:-}" ] && [ -z "${PALVORN_UNDER_XVFB:-}" ]; then
  "$root/scripts/install-missing.sh" xvfb xauth >/dev/null
  PALVORN_UNDER_XVFB=1 exec xvfb-run -a -s '-screen 0 1400x900x24' "$0" "$@"
fi

install_packages() {
  "$root/scripts/install-missing.sh" wine wine64 fonts-wine xvfb xauth xdotool xclip imagemagick unzip gcc-mingw-w64-x86-64-posix
}
install_packages

passed=0 failed=0
pass() { passed=$((passed + 1)); echo "PASS: $*"; }
fail() { failed=$((failed + 1)); echo "FAIL: $*"; }
# check "WHAT" COMMAND...: one test, passed when the command succeeds.
check() {
  local what="$1"; shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}
finish() {
  echo "$passed passed, $failed failed"
  ((failed == 0))
  exit
}

zip=$(ls "$out"/palvorn-enemy-creator-*-windows-x64.zip 2>/dev/null | head -1)
if [ -z "$zip" ]; then
  fail "no zip in $out: run scripts/windows/build.sh first"
  finish
fi
# The Linux chain, for the .8XP the Windows one must match.
if [ ! -x "$root/build/bin/palvorn-8xp" ]; then
  "$root/scripts/setup.sh" program >/dev/null || { fail "the Linux build for the reference files"; finish; }
fi

work=$(mktemp -d /tmp/palvorn-wine.XXXXXX)
xclip_pid=""
cleanup() {
  wineserver -k 2>/dev/null
  [ -n "$xclip_pid" ] && kill "$xclip_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
# Wine maps the Linux file system to drive Z:.
win() { printf 'Z:%s' "${1//\//\\}"; }
wine wineboot -i >/dev/null 2>&1
wineserver -w
# A fresh prefix may lack the user's temporary folder, which Windows has.
mkdir -p "$WINEPREFIX/drive_c/users/$(id -un)/Temp"
# Windows always has Tahoma, the windows' font; a bare Wine prefix has no
# Windows font, and its fallback (a math font with very tall lines) puts the
# text of every line edit and spin box above the box, out of sight. Wine's
# own Tahoma stands in for Windows'.
cp /usr/share/wine/fonts/tahoma.ttf /usr/share/wine/fonts/tahomabd.ttf "$WINEPREFIX/drive_c/windows/Fonts/"

unzip -q "$zip" -d "$work/Mes programmes é"
prog=$(ls -d "$work/Mes programmes é"/palvorn-enemy-creator-*)
exe="$prog/palvorn-enemy-creator.exe"
golden="$root/tests/core/data/Slime.asm"

# The five Slime pictures (tests/common/SlimePictures.h), as PNG files.
pics="$work/Bilder für Schleim"
mkdir -p "$pics"
picture() {  # picture FILE ROWS...: 'X' black, '.' white
  local file="$1"; shift
  { echo P1; echo "${#1} $#"; local r; for r in "$@"; do r=${r//X/1 }; echo "${r//./0 }"; done; } |
    convert pbm:- PNG24:"$file"
}
picture "$pics/normal.png" ..XXXX.. XXXXXXXX X......X
picture "$pics/high.png" XXXX.... ....XXXX
picture "$pics/low.png" ......XX XX......
picture "$pics/special.png" XXXXXXXX ........
picture "$pics/hurt.png" .X.X.X.X X.X.X.X.
slime_values=(--name Slime --min-hp 20 --max-hp 65 --money 15 --item "heal LEAF" --high-defense 5
              --low-defense 4 --high-attack 6 --low-attack 3 --special-attack 7 --block-chance 3 --attacks 5)
slime_pictures=()
for p in normal high low special hurt; do slime_pictures+=("$(win "$pics/$p.png")"); done

# linux_8xp ASM OUT: the .8XP the Linux chain builds from ASM.
linux_8xp() {
  local dir="$work/linux-$RANDOM"
  mkdir -p "$dir" && cp "$1" "$dir/Slime.asm"
  (cd "$dir" && sh "$root/build/bin/asm.sh" Slime) && cp "$dir/Slime.8XP" "$2"
}
linux_8xp "$golden" "$work/linux-Slime.8XP" || fail "the Linux chain builds Slime.8XP"

echo "== create --build"
enemies="$work/Ennemis créés"
mkdir -p "$enemies"
wine "$exe" create "${slime_values[@]}" --folder "$(win "$enemies")" --build "${slime_pictures[@]}" \
  > "$work/create.out" 2>&1
status=$?
tr -d '\r' < "$work/create.out"
check "create --build exits 0" [ "$status" = 0 ]
check "create --build reports the build" grep -q "Built Slime.8XP (" "$work/create.out"
check "Slime.asm is byte-equal to the golden file" cmp "$enemies/Slime.asm" "$golden"
check "Slime.8XP is byte-equal to the Linux chain's" cmp "$enemies/Slime.8XP" "$work/linux-Slime.8XP"
check "a build leaves no NAME.log and no work folder" \
  [ "$(cd "$enemies" && ls -A | tr '\n' ' ')" = "Slime.8XP Slime.asm " ]

echo "== show and export"
wine "$exe" show "$(win "$enemies/Slime.asm")" > "$work/show.out" 2>&1
status=$?
show_ok() { [ "$status" = 0 ] && cmp <(tr -d '\r' < "$work/show.out") "$root/tests/core/data/Slime.txt"; }
check "show exits 0 and prints what Linux prints" show_ok
# same_picture A B: the same bytes, or else the same pixels in every frame.
same_picture() {
  cmp -s "$1" "$2" && return
  local a="$work/frames-a" b="$work/frames-b"
  rm -rf "$a" "$b" && mkdir -p "$a" "$b"
  convert "$1" -coalesce "$a/%03d.png" && convert "$2" -coalesce "$b/%03d.png" || return 1
  [ "$(ls "$a")" = "$(ls "$b")" ] || return 1
  local f
  for f in "$a"/*.png; do
    [ "$(compare -metric AE "$f" "$b/$(basename "$f")" null: 2>&1)" = 0 ] || return 1
  done
}
for kind in sheet:png battle:gif screen:png; do
  word=${kind%%:*} ext=${kind##*:}
  wine "$exe" export "$word" "$(win "$enemies/Slime.asm")" "$(win "$enemies/Slime $word.$ext")" >/dev/null 2>&1
  "$root/build/bin/palvorn-enemy-creator" export "$word" "$golden" "$work/linux-$word.$ext" >/dev/null 2>&1
  check "export $word writes the picture Linux writes" same_picture "$enemies/Slime $word.$ext" "$work/linux-$word.$ext"
done

echo "== letters outside the ANSI code page"
# Windows passes argv in the ANSI code page, which has no Cyrillic letters
# and no ő: the arguments must come from the wide command line.
far="$work/Враги ő"
mkdir -p "$far"
wine "$exe" create "${slime_values[@]}" --folder "$(win "$far")" "${slime_pictures[@]}" > "$work/far.out" 2>&1
check "create writes Slime.asm into a folder named in Cyrillic" cmp "$far/Slime.asm" "$golden"
cp "$golden" "$far/Slime.asm"
wine "$exe" show "$(win "$far/Slime.asm")" > "$work/show-far.out" 2>&1
check "show reads an enemy from a folder named in Cyrillic" \
  cmp <(tr -d '\r' < "$work/show-far.out") "$root/tests/core/data/Slime.txt"

echo "== a failing build"
# An assembler that fails in place of pasmo.exe; the older Slime.8XP stays.
mv "$prog/pasmo.exe" "$work/pasmo.exe"
printf '#include <stdio.h>\nint main(void) { fputs("ERROR on line 5: Value expected\\n", stderr); return 1; }\n' \
  > "$work/fails.c"
x86_64-w64-mingw32-gcc-posix -o "$prog/pasmo.exe" "$work/fails.c"
printf 'an older build' > "$enemies/Slime.8XP"
touch -d '1 hour ago' "$enemies/Slime.8XP"
before=$(stat -c %Y "$enemies/Slime.8XP")
wine "$exe" create "${slime_values[@]}" --force --folder "$(win "$enemies")" --build "${slime_pictures[@]}" \
  > "$work/fail.out" 2>&1
status=$?
tr -d '\r' < "$work/fail.out"
check "a failing build exits non-zero" [ "$status" != 0 ]
check "a failing build is reported with asm.bat's log" \
  grep -q "asm.bat: building \"Slime.8XP\" from \"Slime.asm\" failed" "$work/fail.out"
check "the older Slime.8XP stays, bytes and time" \
  [ "$(cat "$enemies/Slime.8XP")" = "an older build" -a "$(stat -c %Y "$enemies/Slime.8XP")" = "$before" ]
check "Slime.log holds the assembler's message" grep -q "Value expected" "$enemies/Slime.log"
mv -f "$work/pasmo.exe" "$prog/pasmo.exe"

echo "== the windows"
# The golden enemy opened from elsewhere: an opened enemy's Create writes
# back into its own folder and runs asm.bat there.
opened="$work/Gegner öffnen"
mkdir -p "$opened" && cp "$golden" "$opened/Slime.asm"
picture "$work/taken.png" XXXXXXXX X......X XXXXXXXX
xclip -selection clipboard -t image/png -i "$work/taken.png" &
xclip_pid=$!
(cd "$prog" && exec wine "$exe" "$(win "$opened/Slime.asm")") > "$work/gui.out" 2>&1 &
# find_window TITLE: the id of the visible window with that title, waiting
# up to a minute for it.
find_window() {
  local id="" i
  for i in $(seq 60); do
    id=$(xdotool search --onlyvisible --name "^$1" 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 1
  done
  return 1
}
# The wizard's title names the opened enemy, marked while it has unwritten changes.
wizard=$(find_window "Slime\\*? - Palvorn - Battle External Enemy Creator")
check "the wizard window opens" [ -n "$wizard" ]
settings=$(find_window "Character Settings")
check "the settings window opens with the enemy" [ -n "$settings" ]
if [ -n "$wizard" ] && [ -n "$settings" ]; then
  sleep 2
  # The name box (the right half of the settings window's first row) shows
  # the opened enemy's name: dark text pixels, where an unreadable box has none.
  name_shown() {
    local w h dark
    read -r w h < <(xdotool getwindowgeometry "$settings" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')
    import -window "$settings" "$work/settings.png" || return 1
    dark=$(convert "$work/settings.png" -crop "$((w / 2 - 4))x34+$((w / 2))+0" -colorspace Gray -threshold 25% \
             -format '%[fx:round((1-mean)*w*h)]' info:)
    echo "dark pixels in the name box: $dark"
    [ "$dark" -ge 20 ]
  }
  check "the settings window's name box shows the name" name_shown
  # Wine gives the keyboard to the window last clicked, not to one focused
  # through X alone: a click on the wizard's step caption first.
  xdotool mousemove --window "$wizard" 60 12 click 1 sleep 1 key --clearmodifiers ctrl+v
  sleep 2
  xdotool mousemove --window "$settings" 8 8 click 1 sleep 1 key --clearmodifiers Return
  for i in $(seq 60); do [ -f "$opened/Slime.8XP" ] && break; sleep 1; done
  sleep 3
  import -window root "$out/windows-under-wine.png"
  check "the Sprites window shows the build" eval 'find_window Sprites >/dev/null'
  check "Create wrote Slime.asm back into the folder it was opened from" [ -f "$opened/Slime.asm" ]
  # The normal sprite follows the header and stats: its height, then its rows.
  took_picture() { [ "$(sed -n 6,9p "$opened/Slime.asm" | tr -d ' \r' | tr '\n' ' ')" = ".db3 .db\$FF .db\$81 .db\$FF " ]; }
  check "the picture taken from the clipboard is in Slime.asm" took_picture
  if [ -f "$opened/Slime.asm" ] && linux_8xp "$opened/Slime.asm" "$work/linux-gui.8XP"; then
    check "asm.bat built Slime.8XP as the Linux chain does" cmp "$opened/Slime.8XP" "$work/linux-gui.8XP"
  else
    fail "the Linux chain builds the windows' Slime.asm"
  fi
  echo "screenshot: $out/windows-under-wine.png"
fi
finish
