#!/usr/bin/python3
"""Reads the browser as assistive software does, through AT-SPI, and drives it by keyboard.

Usage: atspi_check.py <quillon binary>
Run inside its own session bus and display (dbus-run-session, xvfb-run). Prints one line per
check, "PASS group: what" or "FAIL group: what", then "N passed, N failed"; exits 1 on failure.
"""

import os
import subprocess
import sys
import tempfile
import time

BROWSER_CAPTION = "Quillon 's Browser"

# Menu titles and items: (caption as read, key binding as read). Items without a shortcut of
# their own are reached by their access key.
MENUS = [
    ("File", "Alt+F", [("New ", "Ctrl+N"), ("Open", "Ctrl+O"), ("Save", "Alt+S"),
                       ("Save As", "Ctrl+S"), ("Page Setup", "Alt+u"), ("Print", "Alt+P"),
                       ("Print Preview", "Alt+v"), ("Properties", "Alt+r"),
                       ("Offline", "Alt+f"), ("Exit", "Ctrl+Shift+F12")]),
    ("Edit", "Alt+E", [("Cut", "Ctrl+X"), ("Copy", "Ctrl+C"), ("Paste", "Ctrl+V"),
                       ("Select All", "Ctrl+A"), ("Find(on this page)", "Ctrl+F")]),
    ("View", "Alt+V", [("Stop", "Alt+S"), ("Refresh", "Alt+R")]),
    ("Favourites", "Alt+a", [("Add To Favourites", "Alt+A")]),
    ("Tools", "Alt+T", [("Internet Options", "Alt+O")]),
    ("Help", "Alt+H", [("About Us", "Alt+A")]),
]

TOOLBAR = [("Back", "Previous Page"), ("Forward", "Next Page"), ("Refresh", "Refresh Page"),
           ("Stop", "Stop Downloading"), ("Home", "Home Page"), ("Search", "Serach Page")]

results = []
browser_x_window = None  # X window id of the browser window, for giving it the keyboard


def check(group, ok, what):
    results.append(ok)
    print("%s %s: %s" % ("PASS" if ok else "FAIL", group, what), flush=True)
    return ok


def start_accessibility_bus(screen_reader=False):
    # Qt joins the accessibility bus only if it is already there when the program starts.
    subprocess.run(["dbus-send", "--session", "--dest=org.a11y.Bus", "--print-reply",
                    "/org/a11y/bus", "org.a11y.Bus.GetAddress"],
                   check=True, stdout=subprocess.DEVNULL)
    # A screen reader says so on the bus when it starts, as Orca does.
    for prop in ("IsEnabled", "ScreenReaderEnabled") if screen_reader else ("IsEnabled",):
        subprocess.run(["dbus-send", "--session", "--dest=org.a11y.Bus", "--print-reply", "/org/a11y/bus",
                        "org.freedesktop.DBus.Properties.Set", "string:org.a11y.Status",
                        "string:" + prop, "variant:boolean:true"],
                       check=False, stdout=subprocess.DEVNULL)


def find_x_window(name, timeout=60.0):
    """The X window id of the first visible window whose name matches. Polled: windows that come
    and go at start (the splash) can fail a search under way."""
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", name],
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        if found.stdout.split():
            return found.stdout.split()[0].decode()
        time.sleep(0.3)
    raise RuntimeError("no window named %r showed" % name)


def key(*keys):
    subprocess.run(["xdotool", "key", "--clearmodifiers"] + list(keys), check=True)


# ---- reading the tree ----

def pump(seconds=0.0):
    """Lets the AT-SPI client process the events that keep its cache current."""
    from gi.repository import GLib
    end = time.monotonic() + seconds
    context = GLib.MainContext.default()
    while True:
        while context.iteration(False):
            pass
        if time.monotonic() >= end:
            return
        time.sleep(0.05)


def wait_for(what, timeout=20.0):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        found = what()
        if found:
            return found
        pump(0.1)
    return None


def children(acc):
    try:
        return [c for c in acc if c is not None]
    except Exception:
        return []


def walk(acc):
    yield acc
    for child in children(acc):
        yield from walk(child)


def showing(acc):
    import pyatspi
    return acc.getState().contains(pyatspi.STATE_SHOWING)


def role_of(acc):
    """The role's name as this file spells it: at-spi 2.52 and later read "push button" as "button"."""
    name = acc.getRoleName()
    return "push button" if name == "button" else name


def find(root, name=None, role=None, showing_only=True):
    for acc in walk(root):
        if name is not None and acc.name != name:
            continue
        if role is not None and role_of(acc) != role:
            continue
        if showing_only and not showing(acc):
            continue
        return acc
    return None


def key_binding(acc):
    try:
        action = acc.queryAction()
        return action.getKeyBinding(0) if action.nActions else ""
    except NotImplementedError:
        return ""


def labelled_by(acc):
    import pyatspi
    for relation in acc.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            return [relation.getTarget(i).name for i in range(relation.getNTargets())]
    return []


def application():
    import pyatspi
    desktop = pyatspi.Registry.getDesktop(0)
    for app in children(desktop):
        # The program on the bus: the one with a browser window.
        if browser_window(app) is not None:
            return app
    return None


def top_window(app, title):
    """A showing window by its caption; with no caption, any showing dialog or alert."""
    for window in children(app):
        if not showing(window):
            continue
        if window.name == title or (title is None and window.getRoleName() in ("dialog", "alert")):
            return window
    return None


def browser_window(app):
    for window in children(app):
        if window.getRoleName() == "frame" and window.name.endswith(BROWSER_CAPTION):
            return window
    return None


def in_closed_drop_down(acc):
    """Qt 6.8 and later read the current item of a closed drop-down list as focused."""
    import pyatspi
    if role_of(acc) != "list item":
        return False
    box = acc.parent
    while box is not None and role_of(box) != "combo box":
        box = box.parent
    return box is not None and not box.getState().contains(pyatspi.STATE_EXPANDED)


def focused(root):
    import pyatspi
    for acc in walk(root):
        if acc.getState().contains(pyatspi.STATE_FOCUSED) and not in_closed_drop_down(acc):
            return acc
    return None


# ---- the checks ----

def unnamed_controls(window, skip):
    """Showing controls a screen reader could land on that have no name."""
    import pyatspi
    named_roles = {"push button", "toggle button", "check box", "radio button", "combo box",
                   "menu item", "menu", "tool bar", "label", "list", "tree", "tree table",
                   "text", "page tab", "slider", "spin button"}
    missing = []
    pending = [window]
    while pending:
        acc = pending.pop()
        if acc in skip:
            continue
        role = role_of(acc)
        state = acc.getState()
        if showing(acc) and not acc.name and (
                role in named_roles or state.contains(pyatspi.STATE_FOCUSABLE)):
            if role not in ("list item", "table cell", "tree item"):  # items carry their text
                missing.append("%s under %r" % (role, acc.parent.name if acc.parent else ""))
        if role == "combo box":
            continue  # its edit line and list belong to it and are read through it
        pending.extend(children(acc))
    return missing


def check_browser_controls(window):
    group = "controls"
    toolbar = find(window, "Toolbar", "tool bar")
    check(group, toolbar is not None, "the toolbar reads as 'Toolbar'")
    for caption, tooltip in TOOLBAR:
        button = find(toolbar, caption, "push button") if toolbar else None
        check(group, button is not None and button.description == tooltip,
              "toolbar button %r described as %r (read %r)"
              % (caption, tooltip, button.description if button else None))
    band = find(window, "Address", "filler") or find(window, "Address", "panel")
    check(group, band is not None, "the address band reads as 'Address'")
    go = find(window, "Go", "push button")
    check(group, go is not None, "Go is a push button")
    label = find(band, "ADDRESS", "label") if band else None
    check(group, label is not None, "the address band's label reads 'ADDRESS'")
    combo = find(window, role="combo box")
    # On Linux a combo box is read by its text; what it is comes from a label or its description.
    says = (labelled_by(combo) + [combo.description]) if combo else []
    check(group, any("address" in text.lower() for text in says),
          "the address box says it is the address (label and description: %r)" % says)
    for name in ("Banner", "Status bar"):
        check(group, find(window, name) is not None, "%r found by name" % name)
    page = find(window, "Quillon's Home")
    check(group, page is not None, "the page is named by its title")
    missing = unnamed_controls(window, skip=[page] if page else [])
    check(group, not missing, "every control has a name (unnamed: %s)" % (missing or "none"))
    return combo


def check_menus(window):
    group = "menus"
    bar = find(window, role="menu bar")
    check(group, bar is not None, "the window has a menu bar")
    if bar is None:
        return
    titles = [m for m in children(bar) if m.getRoleName() in ("menu item", "menu")]
    check(group, [m.name for m in titles] == [m[0] for m in MENUS],
          "menu titles in order: %r" % [m.name for m in titles])
    # An access key reads in either case (Qt 6.11 reads "Alt+U" where 6.4 reads "Alt+u").
    for title, (caption, binding, items) in zip(titles, MENUS):
        check(group, key_binding(title).lower() == binding.lower(),
              "menu %r opens with %s (read %r)" % (caption, binding, key_binding(title)))
        popup = children(title)[0] if children(title) else None
        entries = [e for e in children(popup) if e.getRoleName() != "separator"] if popup else []
        read = [(e.name, key_binding(e)) for e in entries]
        check(group, [(n, k.lower()) for n, k in read] == [(n, k.lower()) for n, k in items],
              "menu %r items and keys: %r" % (caption, read))


def check_status(window, combo):
    group = "status"
    bar = find(window, "Status bar")
    check(group, bar is not None and bar.getRoleName() == "status bar",
          "the status bar reads as a status bar (role %r)" % (bar.getRoleName() if bar else None))
    panel = None
    if bar is not None:
        panel = next((c for c in children(bar) if c.getRoleName() == "label"), None)
    check(group, panel is not None, "the status bar has a text panel")
    if panel is None or combo is None or find(combo, role="text", showing_only=False) is None:
        return
    # Once the home page has loaded, the panel reports the completed download of the address text.
    line = find(combo, role="text", showing_only=False)
    expected = lambda: "Complete Download  " + line.queryText().getText(0, -1)
    wait_for(lambda: panel.name == expected(), 30)
    check(group, panel.name == expected() and expected() != "Complete Download  ",
          "the status panel reads %r (expected %r)" % (panel.name, expected()))


def check_tab_order(window, combo):
    group = "tab order"
    forward = find(window, "Forward", "push button")
    if not check(group, forward is not None, "Forward button found"):
        return
    forward.queryComponent().grabFocus()
    wait_for(lambda: focused(window) == forward, 5)
    # Toolbar (Back and Stop are disabled until the first Go), address box, Go, then the page.
    expected = ["Refresh", "Home", "Search", "address box", "Go", "page"]
    page = find(window, "Quillon's Home")
    seen = []
    previous = forward
    for _ in expected:
        key("Tab")
        # A busy machine may take a moment to move the focus.
        now = wait_for(lambda: (lambda f: f if f not in (None, previous) else None)(focused(window)), 3)
        previous = now
        if now is None:
            seen.append(None)
        elif combo is not None and (now == combo or now in list(walk(combo))):
            seen.append("address box")
        elif page is not None and now in list(walk(page)):
            seen.append("page")
        else:
            seen.append(now.name)
    check(group, seen == expected, "Tab from Forward visits %r (expected %r)" % (seen, expected))


def check_dialog(app, group, opener, title, expect, close):
    """Opens a dialog by keyboard, reads its controls and closes it."""
    opener()
    window = wait_for(lambda: top_window(app, title), 10)
    if not check(group, window is not None, "opened by keyboard, window %r" % (title or "dialog")):
        return
    for role, name, extra in expect:
        acc = find(window, name, role)
        ok = acc is not None
        detail = "%s %r" % (role, name)
        if ok and extra:
            ok, detail = extra(acc, detail)
        check(group, ok, detail)
    missing = unnamed_controls(window, skip=[])
    check(group, not missing, "every control has a name (unnamed: %s)" % (missing or "none"))
    close(window)
    gone = wait_for(lambda: top_window(app, title) is None, 10)
    check(group, bool(gone), "closed")


def has_binding(binding):
    return lambda acc, d: (key_binding(acc) == binding, "%s with key %s (read %r)"
                           % (d, binding, key_binding(acc)))


def labelled(text):
    return lambda acc, d: (text in labelled_by(acc), "%s labelled %r (read %r)"
                           % (d, text, labelled_by(acc)))


def described(acc, d):
    return bool(acc.description), "%s described (read %r)" % (d, acc.description)


def press(name, role="push button"):
    def close(window):
        acc = find(window, name, role)
        if acc is not None:
            acc.queryAction().doAction(0)
    return close


def check_dialogs(app, window):
    go = find(window, "Go", "push button")

    def focus_window():
        # With no window manager the keyboard goes nowhere once a dialog has closed.
        subprocess.run(["xdotool", "windowfocus", "--sync", browser_x_window], check=False)
        go.queryComponent().grabFocus()
        pump(0.3)
    check_dialog(app, "message", lambda: (focus_window(), key("alt+a"), pump(0.5), key("a")), None,
                 [("label", "There Are No Favourites Available At Present", None),
                  ("push button", "OK", None)],
                 lambda w: key("Return"))
    check_dialog(app, "about dialog",
                 lambda: (focus_window(), key("alt+h"), pump(0.5), key("a")),
                 "About Quillon's Browser",
                 [("push button", "OK", None),
                  ("push button", "System Info...", has_binding("Alt+S")),
                  ("label", "Quillon 's Browser", None),
                  ("label", "Version 1.0.0", None)],
                 lambda w: key("Escape"))
    check_dialog(app, "find dialog", lambda: (focus_window(), key("ctrl+f")), "Find",
                 [("text", None, labelled("Find")),
                  ("push button", "Find", None), ("push button", "Find Next", None),
                  ("push button", "Cancel", None)],
                 press("Cancel"))
    check_dialog(app, "open-file dialog", lambda: (focus_window(), key("ctrl+o")), "File Open",
                 [("combo box", None, described), ("list", "Dir1", described),
                  ("list", "File1", described)],
                 lambda w: key("Escape"))


# ---- the page and the questions it asks ----

READING_PAGE = b"""<!doctype html><html><head><title>Reading</title></head><body>
<h1>Loopback heading</h1>
<p>A paragraph of plain text.</p>
<a href="/read">A loopback link</a>
<label>Your name <input type="text"></label>
<script>
navigator.geolocation.getCurrentPosition(function () { document.title = "allowed"; },
                                         function (e) { document.title = "denied " + e.code; });
</script></body></html>"""


PROMPT_PAGE = b"""<!doctype html><html><head><title>Asking</title></head><body><script>
setTimeout(function () { document.title = "city " + prompt("Which city?", ""); }, 100);
</script></body></html>"""


def serve_loopback(pages):
    """A loopback web server in a thread of its own, {path: page}, the first page for any
    other path; returns its port."""
    import http.server
    import threading

    class Pages(http.server.BaseHTTPRequestHandler):
        def do_GET(self):
            page = pages.get(self.path, next(iter(pages.values())))
            self.send_response(200)
            self.send_header("Content-Type", "text/html")
            self.send_header("Content-Length", str(len(page)))
            self.end_headers()
            self.wfile.write(page)

        def log_message(self, *args):
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Pages)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server.server_address[1]


def go_to(window, combo, address):
    """Types an address into the address box, as a person does, and presses Enter."""
    subprocess.run(["xdotool", "windowfocus", "--sync", browser_x_window], check=False)
    key("ctrl+l")
    wait_for(lambda: combo is not None and focused(combo) is not None, 5)
    subprocess.run(["xdotool", "type", "--delay", "10", address], check=True)
    key("Return")


def caption(window, title):
    return wait_for(lambda: window.name == title + "   --  " + BROWSER_CAPTION, 20)


def page_text(page):
    """Everything the page's nodes say, by name or through their text interface."""
    said = []
    for acc in walk(page):
        said.append(acc.name)
        try:
            said.append(acc.queryText().getText(0, -1))
        except NotImplementedError:
            pass
    return " ".join(said)


def check_page_content(window, combo, port):
    group = "page content"
    go_to(window, combo, "http://127.0.0.1:%d/read" % port)
    check(group, bool(caption(window, "Reading")), "the loopback page loaded (caption %r)" % window.name)
    page = find(window, "Reading")
    if not check(group, page is not None, "the page found by its title"):
        return
    for role, name in (("heading", "Loopback heading"), ("link", "A loopback link")):
        found = wait_for(lambda: find(page, name, role, showing_only=False), 10)
        check(group, found is not None, "the page's %s %r is read by name" % (role, name))
    field = find(page, "Your name", showing_only=False)
    check(group, field is not None and field.getRoleName() in ("entry", "text"),
          "the form field is read by its label (role %r)" % (field.getRoleName() if field else None))
    check(group, "A paragraph of plain text." in page_text(page), "the page's text is readable")


def has_focus(acc):
    import pyatspi
    return acc.getState().contains(pyatspi.STATE_FOCUSED)


def question_bar(window):
    return find(window, role="notification")


def check_question_bar(window, combo, port):
    group = "question bar"
    bar = wait_for(lambda: question_bar(window), 15)
    if not check(group, bar is not None, "the permission question is a notification"):
        return
    asked = "127.0.0.1 wants to know your location."
    check(group, asked in (bar.name, bar.description),
          "it reads %r (name %r, description %r)" % (asked, bar.name, bar.description))
    allow, deny = find(bar, "Allow", "push button"), find(bar, "Deny", "push button")
    check(group, allow is not None and deny is not None, "its buttons read Allow and Deny")
    check(group, bool(wait_for(lambda: has_focus(bar), 5)), "it takes the keyboard focus when it comes")
    # Alt+D stays the address box's: its text selected, the question still open.
    key("alt+d")
    line = find(combo, role="text", showing_only=False) if combo else None
    in_box = wait_for(lambda: focused(window) in (combo, line), 5)
    selected = line.queryText().getSelection(0) if line and line.queryText().getNSelections() else None
    check(group, bool(in_box) and selected == (0, line.queryText().characterCount),
          "Alt+D selects the address box (focus %r, selection %r)" % (bool(in_box), selected))
    check(group, question_bar(window) is not None, "Alt+D leaves the question open")
    if deny is not None:
        deny.queryAction().doAction(0)
    check(group, bool(caption(window, "denied 1")), "Deny's action answers no (caption %r)" % window.name)
    check(group, bool(wait_for(lambda: question_bar(window) is None, 5)), "the bar goes once answered")
    # Another site asks again; Esc answers it.
    go_to(window, combo, "http://localhost:%d/read" % port)
    caption(window, "Reading")
    bar = wait_for(lambda: question_bar(window), 15)
    wait_for(lambda: bar is not None and has_focus(bar), 5)
    key("Escape")
    check(group, bar is not None and bool(caption(window, "denied 1")),
          "Esc answers no (caption %r)" % window.name)


def check_page_dialog(app, window, combo, port):
    group = "page dialog"
    go_to(window, combo, "http://127.0.0.1:%d/prompt" % port)
    dialog = wait_for(lambda: top_window(app, "127.0.0.1 says"), 15)
    if not check(group, dialog is not None, "a page's prompt opens a dialog"):
        return
    field = find(dialog, role="text")
    check(group, field is not None and field.name == "Which city?",
          "its field is named by the page's question (read %r)" % (field.name if field else None))
    missing = unnamed_controls(dialog, skip=[])
    check(group, not missing, "every control has a name (unnamed: %s)" % (missing or "none"))
    press("Cancel")(dialog)
    check(group, bool(caption(window, "city null")), "Cancel answers the page (caption %r)" % window.name)


def check_top_levels(app, when):
    """Only the splash, browser windows and dialogs are windows to a screen reader."""
    others = []
    for window in children(app):
        role, name = window.getRoleName(), window.name
        if role in ("dialog", "alert", "file chooser") or name == "Quillon 's Browser" or (
                role == "frame" and name.endswith(BROWSER_CAPTION)):
            continue
        others.append("%s %r" % (role, name))
    check("top levels", not others, "%s: no other top-level window (others: %s)" % (when, others or "none"))


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    start_accessibility_bus()
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    # What the program says is kept, to be shown should its window never come.
    said = tempfile.TemporaryFile()
    program = subprocess.Popen([sys.argv[1]], env=env, stderr=said)
    try:
        # The splash shows for 1.5 s; the home page loads after that.
        try:
            shown = find_x_window(BROWSER_CAPTION)
        except RuntimeError:
            said.seek(0)
            print("the program %s; it said:\n%s" % ("ended with %s" % program.returncode
                  if program.poll() is not None else "still runs", said.read()[-2000:].decode(errors="replace")),
                  file=sys.stderr)
            raise
        import pyatspi  # noqa: F401  (its registry cache starts from here)
        # A busy machine (a build beside the tests) can take long to bring the program up.
        app = wait_for(application, 60)
        if not check("window", app is not None, "the program is on the accessibility bus"):
            return 1
        window = wait_for(lambda: browser_window(app), 60)
        if not check("window", window is not None,
                     "browser window read as %r" % (window.name if window else None)):
            return 1
        global browser_x_window
        browser_x_window = shown
        subprocess.run(["xdotool", "windowfocus", "--sync", browser_x_window], check=False)
        check_top_levels(app, "at the first window")
        combo = check_browser_controls(window)
        check_menus(window)
        check_status(window, combo)
        check_tab_order(window, combo)
        check_dialogs(app, window)
        port = serve_loopback({"/": READING_PAGE, "/prompt": PROMPT_PAGE})
        check_page_content(window, combo, port)
        check_question_bar(window, combo, port)
        check_page_dialog(app, window, combo, port)
        check_top_levels(app, "at the end")
    finally:
        program.terminate()
        try:
            program.wait(10)
        except subprocess.TimeoutExpired:
            program.kill()
    failed = results.count(False)
    print("%d passed, %d failed" % (len(results) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
