"""Drives the real Lullwick.exe under Wine in the build tree's prefix and
virtual display, as a person would: the tests' probe reads message boxes and
settings, xdotool clicks the tray icon, and the prefix's registry shows the
screen-saver setting before, during and after a run."""
import os
import subprocess
import time
import unittest
from pathlib import Path

BUILD = Path(os.environ.get('LULLWICK_BUILD', Path(__file__).resolve().parents[2] / 'build' / 'mingw'))
SOURCE = Path(os.environ.get('LULLWICK_SOURCE', Path(__file__).resolve().parents[2]))
WINE_RUN = str(SOURCE / 'cmake' / 'wine-run.sh')
EXE = str(BUILD / 'Lullwick.exe')
PROBE = str(BUILD / 'tests' / 'probe.exe')
ARTIFACTS = BUILD / 'e2e-artifacts'


def wine(*args, timeout=60):
    """Runs a Windows program to its end; returns its exit code and output."""
    done = subprocess.run([WINE_RUN, str(BUILD), *args], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                          timeout=timeout)
    return done.returncode, done.stdout.decode('utf-8', 'replace')


def wine_detached(*args, timeout=60):
    """Runs a Windows program that starts others; nothing is captured, as the
    others would inherit the pipe and hold it open."""
    return subprocess.run([WINE_RUN, str(BUILD), *args], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                          timeout=timeout).returncode


def probe(*args, timeout=60):
    """The probe's answer: each line key=value; repeated keys collect in lists."""
    for _ in range(3):
        code, out = wine(PROBE, *args, timeout=timeout)
        # Under heavy load Wine now and then fails to start a process at all;
        # the probe only observes, so it may simply be started again.
        if code == 0 or out:
            break
    facts = {}
    for line in out.splitlines():
        key, _, value = line.partition('=')
        if key in facts:
            facts[key] = facts[key] if isinstance(facts[key], list) else [facts[key]]
            facts[key].append(value)
        else:
            facts[key] = value
    return facts


def unescape(text):
    return (text.replace('\\r', '\r').replace('\\n', '\n').replace('\\t', '\t').replace('\\\\', '\\'))


def saver():
    """(active, timeout in seconds, registry flag) as the system holds them."""
    f = probe('saver')
    return int(f['active']), int(f['timeout']), f['registry']


def registry_flag():
    """The flag in the user profile, read without making a window."""
    return probe('registry')['registry']


def set_saver(active, seconds=None):
    args = ['set-saver', str(int(active))] + ([str(seconds)] if seconds is not None else [])
    probe(*args)


def set_pixels_per_inch(ppi=None):
    """Sets the display's pixels per inch for the next programs (None: back to
    the default, 96). Wine reads it when its server starts, so the server is
    left to end (it does once no program of the prefix runs)."""
    key = r'HKCU\Control Panel\Desktop'
    if ppi:
        wine('reg', 'add', key, '/v', 'LogPixels', '/t', 'REG_DWORD', '/d', str(ppi), '/f')
    else:
        wine('reg', 'delete', key, '/v', 'LogPixels', '/f')
    subprocess.run(['wineserver', '-w'], env=dict(os.environ, WINEPREFIX=str(BUILD / 'wineprefix')), timeout=60)


def client(cls):
    """(x, y, width, height) on the screen of the client area of the program's window of that class."""
    return tuple(map(int, probe('client', cls)['client'].split()))


def display():
    return ':' + (BUILD / 'xvfb.display').read_text().strip()


def xdotool(*args):
    env = dict(os.environ, DISPLAY=display())
    return subprocess.run(['xdotool', *map(str, args)], env=env, stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, timeout=30).stdout.decode()


def screenshot(name, area=None):
    """Saves the screen, or the area (x, y, width, height) of it, among the test artefacts."""
    ARTIFACTS.mkdir(parents=True, exist_ok=True)
    path = ARTIFACTS / name
    crop = ['-crop', '{2}x{3}+{0}+{1}'.format(*area), '+repage'] if area else []
    subprocess.run(['import', '-window', 'root', *crop, str(path)], env=dict(os.environ, DISPLAY=display()),
                   check=True, timeout=30)
    return path


def wait_for(condition, timeout, what):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        value = condition()
        if value:
            return value
        time.sleep(0.1)
    raise AssertionError(f'timed out after {timeout} s waiting for {what}')


def close_main():
    """A close request to the main window from outside, with the pointer away
    from the version window's close box (a close request over it only hides
    the window)."""
    xdotool('mousemove', 1270, 790)
    return probe('close-main')


class Lullwick:
    """One run of the program; ended and reaped by stop()."""

    def __init__(self, *args, command_line=None, trace=None):
        if command_line is not None:
            # An exact command line, quotes and tabs included.
            # Nothing is captured: the program would inherit the pipe and hold it open.
            self.proc = None
            assert wine_detached(PROBE, 'run', command_line) == 0, 'the probe could not start Lullwick'
        else:
            # With a trace, Wine's relay of the calls named in the prefix goes to that file.
            env = dict(os.environ, LULLWICK_WINEDEBUG='+relay') if trace else None
            self.proc = subprocess.Popen([WINE_RUN, str(BUILD), EXE, *args], stdout=subprocess.DEVNULL,
                                         stderr=trace or subprocess.DEVNULL, env=env)

    def wait_resident(self, timeout=20):
        f = probe('wait-window', 'TCallbackWindow', str(timeout * 1000))
        assert f.get('window', 'none') != 'none', 'Lullwick did not put its icon into the tray'
        time.sleep(0.3)

    def wait_exit(self, timeout=20):
        if self.proc:
            return self.proc.wait(timeout=timeout)
        wait_for(lambda: int(probe('count-windows', 'TApplication')['windows']) == 0, timeout, 'Lullwick to end')
        return 0

    def running(self):
        return self.proc.poll() is None if self.proc else True

    def stop(self):
        if self.proc and self.proc.poll() is None:
            close_main()
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


def tray_window():
    return wait_for(lambda: xdotool('search', '--name', 'Wine System Tray').split(), 20, 'the tray window')[0]


def tray_icon():
    """Screen position of the first icon in Wine's own tray window."""
    wid = tray_window()
    geometry = xdotool('getwindowgeometry', '--shell', wid)
    values = dict(line.split('=') for line in geometry.split())
    return int(values['X']) + 12, int(values['Y']) + 31


class LullwickTest(unittest.TestCase):
    """Each test starts from no running copy and no open message box."""

    def setUp(self):
        self.runs = []
        self.assertEqual(probe('count-windows', 'TApplication')['windows'], '0', 'a copy is still running')

    def tearDown(self):
        probe('press-boxes')
        for run in self.runs:
            run.stop()
        wait_for(lambda: probe('count-windows', 'TApplication')['windows'] == '0', 20, 'every copy to end')

    def resident(self, saver_on, seconds=600):
        """Lullwick started with the given setting, its icon in the tray."""
        set_saver(saver_on, seconds)
        run = self.start()
        run.wait_resident()
        return run

    def start(self, *args, **kwargs):
        run = Lullwick(*args, **kwargs)
        self.runs.append(run)
        return run

    def assertSaver(self, active):
        """The flag as the user profile holds it, which outlives the display, and as the display has it now."""
        a, _, registry = saver()
        self.assertEqual(registry, str(int(active)), 'screen-saver flag in the user profile')
        self.assertEqual(a, int(active), 'screen-saver flag of the display')


def window(cls):
    """(visible, x, y, width, height) of the program's window of that class, or None."""
    state = probe('window', cls)['window']
    if state == 'none':
        return None
    v, x, y, w, h = map(int, state.split())
    return bool(v), x, y, w, h


def focus_x_window(x, y, w, h):
    """Gives the keyboard to the program's X window with that place and size,
    as a window manager would on a click."""
    for wid in xdotool('search', '--onlyvisible', '--classname', 'lullwick.exe').split():
        values = dict(line.split('=') for line in xdotool('getwindowgeometry', '--shell', wid).split())
        if (int(values['X']), int(values['Y']), int(values['WIDTH']), int(values['HEIGHT'])) == (x, y, w, h):
            xdotool('windowfocus', '--sync', wid)
            return wid
    raise AssertionError(f'no X window at {x},{y} {w}x{h}')


_menu_closed_at = 0.0


def menu_closed():
    """Waits for the open menu to close and notes when it did."""
    global _menu_closed_at
    wait_for(lambda: not menu_x_window(), 10, 'the menu to close')
    _menu_closed_at = time.monotonic()


def open_menu(shift=False, while_pressed=None):
    """Right-clicks the tray icon and gives the open menu the keyboard; Shift
    stays held until the menu is open, and `while_pressed` runs between the
    press and the release."""
    # Wine's own tray window drops a click that comes within a moment of a
    # menu closing, which no person's second click does.
    time.sleep(max(0.0, _menu_closed_at + 1.0 - time.monotonic()))
    x, y = tray_icon()
    # There is no window manager to focus the tray on a click: do it as one would.
    xdotool('windowfocus', '--sync', tray_window())
    xdotool('mousemove', x, y)
    if shift:
        xdotool('keydown', 'shift')
    try:
        xdotool('mousedown', 3)
        try:
            if while_pressed:
                while_pressed()
        finally:
            xdotool('mouseup', 3)
        # Watched from the X side: a Windows process started now would take the
        # foreground from the menu before it opens.
        wid = wait_for(menu_x_window, 10, 'the tray menu')
    finally:
        if shift:
            xdotool('keyup', 'shift')
    xdotool('windowfocus', '--sync', wid)
    values = dict(line.split('=') for line in xdotool('getwindowgeometry', '--shell', wid).split())
    return tuple(int(values[k]) for k in ('X', 'Y', 'WIDTH', 'HEIGHT'))


def menu_x_window():
    """The X window of the program's open popup menu: visible, untitled, not a placeholder."""
    for wid in xdotool('search', '--onlyvisible', '--classname', 'lullwick.exe').split():
        if xdotool('getwindowname', wid).strip():
            continue
        values = dict(line.split('=') for line in xdotool('getwindowgeometry', '--shell', wid).split())
        if int(values['WIDTH']) > 20 and int(values['HEIGHT']) > 20:
            return wid
    return None


def focus_form(cls):
    visible, x, y, w, h = wait_for(lambda: (window(cls) or (False,))[0] and window(cls), 10, cls + ' on screen')
    focus_x_window(x, y, w, h)
    return x, y, w, h


def linux_usage():
    """(threads, resident KiB, private KiB) of the Wine process that runs Lullwick.exe."""
    for entry in Path('/proc').iterdir():
        if not entry.name.isdigit():
            continue
        try:
            cmdline = (entry / 'cmdline').read_bytes().replace(b'\0', b' ')
            if b'Lullwick.exe' not in cmdline or b'wine-run' in cmdline or b'probe' in cmdline:
                continue
            if not cmdline.lower().split()[0].endswith(b'lullwick.exe'):
                continue
            rollup = (entry / 'smaps_rollup').read_text()
            fields = {k: int(v.split()[0]) for k, v in (line.split(':', 1) for line in rollup.splitlines()[1:])}
            threads = len(list((entry / 'task').iterdir()))
            return threads, fields['Rss'], fields['Private_Clean'] + fields['Private_Dirty']
        except (OSError, ValueError, KeyError):
            continue
    return None
