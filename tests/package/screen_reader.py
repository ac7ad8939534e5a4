#!/usr/bin/env python3
"""Drives the real program through AT-SPI alone, as a screen reader such as Orca sees it.

Usage: screen_reader.py PROGRAM. Starts its own session bus (dbus-run-session), the AT-SPI
bus and an X server; exits 77 (skipped) only where no session bus can be started.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import warnings

warnings.filterwarnings("ignore", "Atspi.Action.get_action_name", DeprecationWarning)  # its successor is newer

SKIPPED = 77
ON_BUS = "VELMIX_SCREEN_READER_BUS"


def wait_for(what, probe, seconds=45):
    """The probe's first true answer; fails the test when none comes in time."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        pump_events()
        try:
            answer = probe()
        except Exception:  # an object may vanish while it is read
            answer = None
        if answer:
            return answer
        time.sleep(0.05)
    raise AssertionError("timed out waiting for " + what)


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def pump_events():
    from gi.repository import GLib
    while GLib.MainContext.default().iteration(False):
        pass


def descendants(node, skip_roles=()):
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is None:
            continue
        yield child
        if child.get_role_name() not in skip_roles:
            yield from descendants(child, skip_roles)


# What a screen reader reads as one control: it does not list what lies inside.
WHOLE = ("table", "tree table", "tree", "list", "combo box")


def find(node, role, name=None):
    for child in descendants(node, WHOLE):
        if child.get_role_name() == role and (name is None or child.get_name() == name):
            return child
    return None


def states_of(node):
    """The states as the program holds them now: the client's cache follows only the events
    it heard, and one missed leaves a stale state there for good."""
    node.clear_cache()
    return node.get_state_set()


def text_of(node):
    return node.get_text(0, -1) if "Text" in node.get_interfaces() else ""


def action(node, action):
    """The named action (any case), as a screen reader's command runs it."""
    from gi.repository import Atspi
    names = [Atspi.Action.get_action_name(node, i).lower() for i in range(node.get_n_actions())]
    check(action in names, f"{node.get_name()} offers {names}, not {action}")
    return lambda: node.do_action(names.index(action))


def column(table, col):
    return [table.get_accessible_at(row, col).get_name() for row in range(table.get_n_rows())]


def run(program):
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi

    server = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1000x800x24", "-nolisten", "tcp",
                               "-noreset"], stdout=subprocess.PIPE)
    children = [server]
    folder = tempfile.mkdtemp(prefix="velmix-screen-reader-")
    state = tempfile.mkdtemp(prefix="velmix-screen-reader-state-")
    config = tempfile.mkdtemp(prefix="velmix-screen-reader-config-")
    try:
        for name in ["a b.txt", "c_d.TXT", "song.mp3", "e.txt"]:
            open(os.path.join(folder, name), "w").close()
        os.mkdir(os.path.join(folder, "E.TXT"))  # the upper-case name of e.txt is taken
        # The registry sends the keys and clicks asked of it to this display.
        os.environ["DISPLAY"] = ":" + server.stdout.readline().decode().strip()
        children.append(subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"]))
        # Its journals and rule sets go to the test's folders, never to the user's.
        children.append(subprocess.Popen([program], cwd=folder, env=dict(
            os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
            XDG_STATE_HOME=state, XDG_CONFIG_HOME=config)))
        desktop = Atspi.get_desktop(0)
        app = wait_for("the program on the AT-SPI bus", lambda: next(
            (a for a in descendants(desktop, ("application",)) if a.get_name() == "velmix"), None))
        window = wait_for("the window", lambda: find(app, "frame", "Velmix V2.0.1"))

        # Every control the keyboard reaches has a role and a name no other one has.
        names = {}
        for node in descendants(window, WHOLE):
            if node.get_state_set().contains(Atspi.StateType.FOCUSABLE):
                role, name = node.get_role_name(), node.get_name()
                check(role not in ("filler", "unknown", "panel") and name, f"{role} {name!r} has no role or name")
                check(name not in names, f"two controls are called {name!r}")
                names[name] = node
                if role in ("check box", "push button"):
                    action(node, "toggle" if role == "check box" else "press")
        for name, entry in [("Маска", "*.*"), ("Разрядность", "1"), ("Диск", "/")]:
            check(names[name].get_role_name() == "combo box", f"{name} is a {names[name].get_role_name()}")
            check(text_of(names[name]) == entry, f"{name} gives {text_of(names[name])!r}, not {entry!r}")
            selected = [item.get_name() for item in descendants(names[name])
                        if item.get_state_set().contains(Atspi.StateType.SELECTED)]
            check(selected == [entry], f"{name}'s list has {selected} selected, not {entry!r}")
        apply = names["Применить настройки"]
        check(apply.get_description() == "", "the apply button's description repeats its name")

        grid = names["Наименования файлов"]
        check(grid.get_description() == "", "no row is marked yet")
        big = names["Все буквы большие"]
        action(big, "toggle")()
        wait_for("the box ticked", lambda: states_of(big).contains(Atspi.StateType.CHECKED))
        expected = ["A B.TXT", "C_D.TXT", "E.TXT", "SONG.MP3"]
        wait_for(f"new names {expected}", lambda: column(grid, 1) == expected)
        check(grid.get_description() == "Отмечено строк: 1", f"grid says {grid.get_description()!r}")
        marked = grid.get_accessible_at(2, 1)
        # The reason, then what the new name changes of the old ("e.txt" to "E.TXT").
        check(marked.get_description() == "файл с таким именем уже существует; изменено: «E», «TXT»",
              f"the marked cell says {marked.get_description()!r}")

        action(apply, "press")()
        box = wait_for("the apply's box", lambda: find(app, "alert") or find(app, "dialog"))
        box_text = " ".join(node.get_name() + text_of(node) for node in descendants(box))
        check("e.txt" in box_text and "файл с таким именем уже существует" in box_text, f"the box says {box_text!r}")
        action(find(box, "push button"), "press")()
        wait_for("the box closed", lambda: not (find(app, "alert") or find(app, "dialog")))
        renamed = sorted(name for name in os.listdir(folder) if name != "E.TXT")
        check(renamed == ["A B.TXT", "C_D.TXT", "SONG.MP3", "e.txt"], f"on disk: {renamed}")

        # A pick of the mask with the keyboard, announced as a change of the list's entry.
        mask = names["Маска"]
        heard = []
        listener = Atspi.EventListener.new(lambda event: heard.append((event.type, event.source.get_name())))
        listener.register("object:")
        # With no window manager nothing makes the window active: a click on its title does.
        place = window.get_extents(Atspi.CoordType.SCREEN)

        def focus_mask():
            Atspi.generate_mouse_event(place.x + 30, place.y + 35, "b1c")
            mask.grab_focus()
            time.sleep(0.2)
            return states_of(mask).contains(Atspi.StateType.FOCUSED)
        wait_for("the mask list focused", focus_mask)
        Atspi.generate_keyboard_event(0xff54, None, Atspi.KeySynthType.SYM)  # Down
        wait_for("the mask *.mp3", lambda: text_of(mask) == "*.mp3")
        wait_for("rows of *.mp3 files", lambda: column(grid, 0) == ["SONG.MP3"])
        check(grid.get_description() == "", f"no row is marked, yet the grid says {grid.get_description()!r}")
        wait_for("the change announced", lambda: ("object:selection-changed", "Маска") in heard)
        check(("object:state-changed:selected", "*.mp3") in heard, "the new entry is not announced as selected")

        # A new name edited in its cell (Tab from the mask, F2): while the editor is open the
        # screen reader is in a text field holding the name, one it can edit.
        focused = []
        focus_listener = Atspi.EventListener.new(lambda event: event.detail1 and focused.append(event.source))
        focus_listener.register("object:state-changed:focused")
        Atspi.generate_keyboard_event(0xff09, None, Atspi.KeySynthType.SYM)  # Tab
        wait_for("the grid focused", lambda: states_of(grid).contains(Atspi.StateType.FOCUSED))
        Atspi.generate_keyboard_event(0xffbf, None, Atspi.KeySynthType.SYM)  # F2
        editor = wait_for("the cell editor focused", lambda: next(
            (node for node in reversed(focused) if node.get_role_name() == "text"), None))
        check(states_of(editor).contains(Atspi.StateType.EDITABLE), "the cell editor is not editable")
        check("EditableText" in editor.get_interfaces(), f"the cell editor offers {editor.get_interfaces()}")
        check(text_of(editor) == "SONG.MP3", f"the cell editor holds {text_of(editor)!r}")
        check(editor.get_name() == "Новое имя для «SONG.MP3»", f"the cell editor is called {editor.get_name()!r}")
        Atspi.generate_keyboard_event(0xff1b, None, Atspi.KeySynthType.SYM)  # Esc
        wait_for("the editor closed", lambda: states_of(grid).contains(Atspi.StateType.FOCUSED))

        # One replace through the rules panel, typed as a screen reader's editing does.
        action(names["Ещё правила"], "press")()

        def text_box(name):
            return next((node for node in descendants(window, WHOLE)
                         if node.get_name() == name and "EditableText" in node.get_interfaces()), None)
        find_box = wait_for("the find box shown", lambda: text_box("Найти"))
        Atspi.EditableText.set_text_contents(find_box, "SONG")
        Atspi.EditableText.set_text_contents(text_box("Заменить на"), "Song")
        wait_for("the replaced name", lambda: column(grid, 1) == ["Song.MP3"])
        find_box.grab_focus()
        wait_for("the find box focused", lambda: states_of(find_box).contains(Atspi.StateType.FOCUSED))
        # The box's context menu (Shift+F10) is Qt's own, read out in Russian. A press and a
        # release take a key code: 50 is Shift on the server's own keyboard map.
        Atspi.generate_keyboard_event(50, None, Atspi.KeySynthType.PRESS)
        Atspi.generate_keyboard_event(0xffc7, None, Atspi.KeySynthType.SYM)  # F10
        Atspi.generate_keyboard_event(50, None, Atspi.KeySynthType.RELEASE)
        # A popup is no child of the program on the bus: a screen reader meets its entries as
        # they take the focus.
        Atspi.generate_keyboard_event(0xff54, None, Atspi.KeySynthType.SYM)  # Down
        entry = wait_for("an entry of the find box's context menu focused", lambda: next(
            (node for node in reversed(focused) if node.get_role_name() == "menu item"), None))
        menu = entry.get_parent()
        items = [menu.get_child_at_index(i).get_name().split("\t")[0] for i in range(menu.get_child_count())]
        check("Выделить всё" in items and not any("Select" in item for item in items),
              f"the context menu reads {items}")
        Atspi.generate_keyboard_event(0xff1b, None, Atspi.KeySynthType.SYM)  # Esc: the menu
        wait_for("the find box focused again", lambda: states_of(find_box).contains(Atspi.StateType.FOCUSED))
        action(apply, "press")()
        wait_for("the replace on disk", lambda: "Song.MP3" in os.listdir(folder))

        # An order by date brings the date column, read as the others are: its header, and
        # each row's date with where it came from.
        order = names["Порядок нумерации"]
        order.grab_focus()
        wait_for("the order list focused", lambda: states_of(order).contains(Atspi.StateType.FOCUSED))
        for _ in range(2):  # by name, by numbers in the name, by date taken
            Atspi.generate_keyboard_event(0xff54, None, Atspi.KeySynthType.SYM)  # Down
        wait_for("the date column", lambda: grid.get_n_columns() == 3)
        header = grid.get_column_description(2)
        check(header == "Дата съёмки", f"the third column is called {header!r}")
        dated = grid.get_accessible_at(0, 2)
        check(re.fullmatch(r"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d", dated.get_name()), f"the date reads {dated.get_name()!r}")
        check(dated.get_description().startswith("Дата " + dated.get_name() + " — время изменения файла"),
              f"the date's description is {dated.get_description()!r}")
        return 0
    finally:
        for child in reversed(children):
            child.terminate()
            child.wait(10)
        shutil.rmtree(folder, ignore_errors=True)
        shutil.rmtree(state, ignore_errors=True)
        shutil.rmtree(config, ignore_errors=True)


def main():
    if os.environ.get(ON_BUS) == "1":
        return run(os.path.abspath(sys.argv[1]))
    if not shutil.which("dbus-run-session") or subprocess.run(["dbus-run-session", "--", "true"]).returncode != 0:
        print("SKIP: no session bus can be started (dbus-run-session fails), so AT-SPI cannot run")
        return SKIPPED
    return subprocess.run(["dbus-run-session", "--", sys.executable, __file__] + sys.argv[1:],
                          env=dict(os.environ, **{ON_BUS: "1"})).returncode


if __name__ == "__main__":
    sys.exit(main())
