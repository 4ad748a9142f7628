#!/usr/bin/env bash
# The real program under Xvfb as a screen reader sees it over AT-SPI, in Japanese and in
# English: its six buttons, both views named in that language, Save pressed through the
# button's action writing out00.bmp, and Open on a doll that cannot open refused in a dialog
# that its OK button's action closes; left open the next time, SIGTERM still ends the program
# well. On a private session bus with its own AT-SPI bus.
set -euo pipefail
source "$(dirname "$0")/XSession.sh"
run_under_xvfb "$0" "$@"
program=$(realpath "$1")
samples=$(realpath "$2")
tree=$(dirname "$(realpath "$0")")/AccessibilityTree.py

rows=(
  # LANG | front view | back view | the refusal | the menu bar's menus, then the views' menu
  "ja_JP.UTF-8|人形の表|人形の裏|このカヴィネルは開く形をしていません。|人形(D)|編集(E)|描く(P)|表示(V)|ヘルプ(H)|views:絵を貼る(P)…,筆で描く(B),人形を閉じる(C),元に戻す(U),やり直す(R),回転アニメーションを保存(A),人形の棚を開く(S),人形ファイルを開く(D)…,人形を書き出す(E)…,フォルダーを開く(F),静かに動かす(Q),カヴィネルについて(H)"
  "en_US.UTF-8|Front of the doll|Back of the doll|This doll is not shaped to open.|Doll|Edit|Paint|View|Help|views:Paste a Picture…,Paint with a Brush,Close the Doll,Undo,Redo,Save the Turning Animation,Open the Doll Shelf,Open a Doll File…,Export the Doll…,Open the Folder,Animate Quietly,About Kavinel"
)

stack=$(mktemp -d)
bus_pid=
launcher_pid=
# The program ends on SIGTERM even with its message box open, as when the session ends.
end_program() {
  [[ -n "$program_pid" ]] || return 0
  local status=0
  kill "$program_pid" 2>/dev/null || true
  wait_until program_ended || { kill -KILL "$program_pid"; status=1; }
  wait "$program_pid" || status=$?
  program_pid=
  return "$status"
}
end_all() {
  end_program || true
  cd /
  # Each leads its own process group, which the AT-SPI bus and registry it starts join.
  for pid in $launcher_pid $bus_pid; do
    kill -- "-$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$stack" "$work"
}
trap end_all EXIT

# The AT-SPI bus's socket goes here rather than into the user's folders.
export XDG_RUNTIME_DIR=$stack
export DBUS_SESSION_BUS_ADDRESS=unix:path=$stack/bus
setsid dbus-daemon --session --nofork --address="$DBUS_SESSION_BUS_ADDRESS" >/dev/null 2>&1 &
bus_pid=$!
wait_until test -S "$stack/bus" || fail "the session bus did not start"
setsid /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
launcher_pid=$!
# Until it owns its name, a program asking for the AT-SPI bus would start another launcher.
a11y_bus_named() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
    org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus 2>/dev/null | grep -q 'boolean true'
}
wait_until a11y_bus_named || fail "the AT-SPI bus did not start"

passed=0
for row in "${rows[@]}"; do
  IFS='|' read -r lang front back refusal menus <<<"$row"
  enter_sample_folder "$samples"
  # A doll with a neck, which cannot open.
  /usr/bin/python3 - <<'SHAPE'
import struct
rows = []
for y in range(200):
    r = 30 if 60 <= y < 70 else 40 + y // 2 if y <= 100 else 90 if y <= 120 else 90 - (y - 120) // 2
    rows.append(b"\xff" * 3 * r + b"\0" * 3 * (100 - r))
data = b"".join(reversed(rows))
header = struct.pack("<IHHIIiiHHIIiiII", 54 + len(data), 0, 0, 54, 40, 100, 200, 1, 24, 0,
                     len(data), 3780, 3780, 0, 0)
open("シェイプ.bmp", "wb").write(b"BM" + header + data)
SHAPE
  start_program env -u LANGUAGE -u LC_ALL -u LC_MESSAGES LANG="$lang" \
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 "$program"
  ok=1
  timeout 60 /usr/bin/python3 "$tree" "$program_pid" "$front" "$back" "$refusal" "$menus" || ok=0
  end_program || { echo "FAILED: with its message box open, SIGTERM did not end it well"; ok=0; }
  if ((ok)); then passed=$((passed + 1)); else echo "FAILED: LANG=$lang"; fi
  cd /
  rm -rf "$work"
done
echo "$passed passed, $((${#rows[@]} - passed)) failed"
((passed == ${#rows[@]}))
