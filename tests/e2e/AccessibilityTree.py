"""The running program as assistive technology sees it over AT-SPI, in the language its row
names: AccessibilityTree.py PID FRONT BACK REFUSAL MENUS, run in the program's folder. Prints each
failed check and ends with status 1 if any failed."""
import os
import sys
import time

import pyatspi
from gi.repository import GLib

pid, front, back, refusal, menus = int(sys.argv[1]), *sys.argv[2:6]
# The menu bar's menus, and the views' menu, whose every item the bar holds too: "|" between
# menus, "," between items, the menus' names before ":".
MENUS = [m.split(":")[0] for m in menus.split("|")]
VIEW_MENU = menus.split("|")[-1].split(":")[1].split(",")
BUTTONS = ["←Turn", "<Stop>", "Load", "Save", "Shade 0", "Open"]
failed = 0


def check(ok, message):
    global failed
    if not ok:
        print(f"FAILED: {message}")
        failed += 1
    return ok


def wait_for(found, seconds=10):
    deadline = time.monotonic() + seconds
    while not (result := found()) and time.monotonic() < deadline:
        time.sleep(0.1)
    return result


def application():
    return next((a for a in pyatspi.Registry.getDesktop(0)
                 if a is not None and a.get_process_id() == pid), None)


def descendants(node):
    for child in node:
        if child is not None:
            yield child
            yield from descendants(child)


def size(node):
    try:
        box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return box.width, box.height
    except NotImplementedError:
        return None


def press(button):
    action = button.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if check("Press" in names, f"the button {button.name!r} has no Press action, only {names}"):
        action.doAction(names.index("Press"))


def dialogs(app):
    found = []
    for window in app:
        try:  # a window closing while it is looked at reads as None, or raises
            if window is not None and window.getRole() in (pyatspi.ROLE_ALERT, pyatspi.ROLE_DIALOG):
                found.append(window)
        except GLib.GError:
            pass
    return found


app = wait_for(application, 20)
if not app:
    sys.exit(f"FAILED: the program (process {pid}) is not on the AT-SPI bus")
# Asked afresh each time: nothing here runs the event loop that would keep a cache current.
app.setCacheMask(pyatspi.cache.NONE)
window = app[0]
buttons = [n for n in descendants(window) if n.getRole() == pyatspi.ROLE_PUSH_BUTTON]
check([b.name for b in buttons] == BUTTONS, f"buttons {[b.name for b in buttons]}, not {BUTTONS}")
views = [(n.getRoleName(), n.name, bool(n.description))
         for n in descendants(window) if size(n) == (200, 200)]
want = [("image", front, True), ("image", back, True)]
check(views == want, f"views (role, name, described) {views}, not {want}")

bars = [n for n in descendants(window) if n.getRole() == pyatspi.ROLE_MENU_BAR]
if check(len(bars) == 1, f"{len(bars)} menu bars, not one"):
    named = [m.name for m in bars[0]]
    check(named == MENUS[:-1], f"menus {named}, not {MENUS[:-1]}")
    items = [n.name for n in descendants(bars[0])
             if n.getRole() in (pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_CHECK_MENU_ITEM)]
    missing = [item for item in VIEW_MENU if item not in items]
    check(not missing, f"the menu bar lacks {missing} of the views' menu; it holds {items}")

for button in buttons:
    if button.name == "Save":
        press(button)
check(wait_for(lambda: os.path.exists("out00.bmp") and os.path.getsize("out00.bmp") > 0),
      "pressing Save wrote no out00.bmp")

for button in buttons:
    if button.name == "Open":
        press(button)
shown = wait_for(lambda: dialogs(app))
if check(len(shown) == 1, f"Open on a doll that cannot open showed {len(shown)} dialogs, not one"):
    box = shown[0]
    labels = [n.name for n in descendants(box) if n.getRole() == pyatspi.ROLE_LABEL]
    texts = [box.name, box.description] + labels
    check(refusal in texts, f"the dialog says {texts}, not {refusal!r}")
    ok = [n for n in descendants(box) if n.getRole() == pyatspi.ROLE_PUSH_BUTTON]
    if check(len(ok) == 1, f"the dialog has buttons {[b.name for b in ok]}, not one"):
        press(ok[0])
        check(wait_for(lambda: not dialogs(app)), "pressing the dialog's button did not close it")
# Left open: the program must still end on SIGTERM, as when the session ends.
for button in buttons:
    if button.name == "Open":
        press(button)
check(wait_for(lambda: dialogs(app)), "the second Open showed no dialog")
sys.exit(1 if failed else 0)
