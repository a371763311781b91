"""The resident program as a person uses it: the tray icon, its menu, the
version window and the wait-time dialog, driven with xdotool."""
import os
import signal
import subprocess
import time
import unittest

from harness import (ARTIFACTS, BUILD, WINE_RUN, client, close_main, LullwickTest, focus_form, menu_closed, menu_x_window, open_menu, PROBE,
                     probe, registry_flag, saver, screenshot, set_pixels_per_inch, set_saver, tray_icon, wait_for, window,
                     wine, xdotool)

# Keyboard steps from an unselected menu to each item (separators are skipped).
STATUS, TIMEOUT, EXECUTE, DISPLAY, HOLD, HOTKEY, SIGN_IN, VERSION, HELP = 1, 2, 3, 4, 5, 6, 7, 8, 9
POWER_CALLS = ('kernel32.PowerCreateRequest', 'kernel32.PowerSetRequest', 'kernel32.PowerClearRequest',
               'kernel32.SetThreadExecutionState')


def choose(downs):
    xdotool('key', *(['Down'] * downs), 'Return')
    menu_closed()


def choose_exit():
    xdotool('key', 'Up', 'Return')


def display_choice():
    """KeepDisplayOn as the profile holds it, or None."""
    _, out = wine('reg', 'query', r'HKCU\Software\Lullwick', '/v', 'KeepDisplayOn')
    return next((line.split()[-1] for line in out.splitlines() if 'KeepDisplayOn' in line), None)


def tips():
    """The tray's tips and balloons on screen: 'tip TEXT' or 'balloon TEXT' each."""
    found = probe('tooltips').get('tooltip', [])
    return found if isinstance(found, list) else [found]


def tip_shows(text):
    """Whether the tray's tip, pointed at afresh, holds the text."""
    x, y = tray_icon()
    # The first move sets the tip, which a tip already on screen shows only when it comes again.
    xdotool('mousemove', 1270, 790, 'mousemove', x + 1, y, 'mousemove', x, y)
    time.sleep(1.5)
    return any(text in t for t in tips())


def tray_shown():
    return bool(xdotool('search', '--onlyvisible', '--name', 'Wine System Tray').split())


def saturation(path):
    """How colourful the most colourful pixel of a picture is: 0 for greys only, up to 1."""
    done = subprocess.run(['convert', str(path), '-colorspace', 'HSL', '-channel', 'G', '-separate', '+channel',
                           '-format', '%[fx:maxima]', 'info:'], stdout=subprocess.PIPE, check=True, timeout=30)
    return float(done.stdout)


class Tray(LullwickTest):
    def test_menu_opens_on_the_right_buttons_release(self):
        run = self.resident(True)

        def no_menu_yet():
            time.sleep(1)
            self.assertIsNone(menu_x_window(), 'a menu on the press alone')

        x, y, w, h = open_menu(while_pressed=no_menu_yet)
        # Eight items and two separator lines.
        self.assertGreater(h, 8 * 12)
        screenshot('tray-menu.png', (0, 0, x + w + 8, y + h + 8))
        self.assertEqual(probe('menu')['window'].split()[0], '1')
        xdotool('key', 'Escape')
        menu_closed()
        self.assertTrue(tray_shown())
        # That the icon leaves the tray at exit cannot be seen from here: Wine's
        # tray drops a gone window's icons by itself. The in-process tests watch
        # the removal instead.
        close_main()
        run.wait_exit()

    def test_status_item_toggles_and_exit_restores_the_state_from_start(self):
        run = self.resident(True)
        self.assertSaver(False)
        open_menu()
        choose(STATUS)
        wait_for(lambda: registry_flag() == '1', 10, 'the status item to switch the screen saver on')
        open_menu()
        choose(STATUS)
        wait_for(lambda: registry_flag() == '0', 10, 'the status item to switch it off again')
        open_menu()
        choose_exit()
        run.wait_exit()
        self.assertSaver(True)

    def test_shift_exit_leaves_the_screen_saver_off(self):
        run = self.resident(True)
        open_menu(shift=True)
        screenshot('tray-menu-shift.png')
        choose_exit()
        run.wait_exit()
        self.assertSaver(False)

    def test_double_click_starts_the_screen_saver_after_a_second(self):
        self.resident(True)
        self.assertSaver(False)
        x, y = tray_icon()
        clicked = time.monotonic()
        xdotool('mousemove', x, y, 'click', '--repeat', 2, '--delay', 80, 1)
        wait_for(lambda: saver()[0] == 1, 10, 'the double click to switch the screen saver on')
        self.assertGreaterEqual(time.monotonic() - clicked, 1.0)
        self.assertSaver(True)
        time.sleep(1)
        self.assertFalse(window('TFormMain')[0], 'a double click is no single click')

    def test_single_click_shows_the_version_window_and_its_close_box_hides_it(self):
        run = self.resident(False)
        self.assertFalse(window('TFormMain')[0])
        x, y = tray_icon()
        xdotool('mousemove', x, y, 'click', 1)
        _, wx, wy, ww, wh = wait_for(lambda: window('TFormMain')[0] and window('TFormMain'), 10,
                                     'the version window')
        time.sleep(0.3)
        self.assertEqual(client('TFormMain')[2:], (274, 208))
        self.assertIn('閉じる', probe('focus', 'TFormMain')['focus'])
        screenshot('version-window.png', (wx, wy, ww, wh))
        # The close box sits at the right end of the title bar.
        xdotool('mousemove', wx + ww - 13, wy + 11, 'click', 1)
        wait_for(lambda: not window('TFormMain')[0], 10, 'the version window to hide')
        self.assertTrue(run.running())
        self.assertTrue(tray_shown())

    def test_alt_f4_on_the_version_window_ends_the_program(self):
        run = self.resident(True)
        open_menu()
        choose(VERSION)
        focus_form('TFormMain')
        xdotool('key', 'alt+F4')
        run.wait_exit()
        self.assertSaver(True)

    def test_wait_time_changed_from_the_menu_with_the_keyboard(self):
        run = self.resident(True, 600)

        def confirm():
            """Enter twice, as the user confirms; the first only moves to OK."""
            xdotool('key', 'Return')
            time.sleep(0.3)
            self.assertTrue(window('TFormSetTimeout')[0], 'the first Enter only moves to OK')
            xdotool('key', 'Return')
            wait_for(lambda: not window('TFormSetTimeout')[0], 10, 'the dialog to close')

        open_menu()
        choose(TIMEOUT)
        area = focus_form('TFormSetTimeout')
        xdotool('type', '25')  # at once: the value shown is selected and goes
        time.sleep(0.3)
        self.assertTrue(probe('focus', 'TFormSetTimeout')['focus'].endswith('TEditUpDown 25'))
        screenshot('wait-time-dialog.png', area)
        self.assertEqual(saver()[1], 600)
        confirm()
        self.assertEqual(saver()[1], 1500)
        # A number copied with its blank, pasted over the value shown.
        probe('clipboard', '30 ')
        open_menu()
        choose(TIMEOUT)
        focus_form('TFormSetTimeout')
        xdotool('key', 'shift+Insert')
        confirm()
        self.assertEqual(saver()[1], 1800)
        # Digits as a Japanese input method types them.
        open_menu()
        choose(TIMEOUT)
        focus_form('TFormSetTimeout')
        # xdotool maps each such character to a spare key first: a pause lets Wine see the new map.
        xdotool('type', '--delay', 150, '２５')
        time.sleep(0.3)
        self.assertTrue(probe('focus', 'TFormSetTimeout')['focus'].endswith('TEditUpDown 25'))
        confirm()
        self.assertEqual(saver()[1], 1500)
        open_menu()
        screenshot('tray-menu-after-change.png')
        choose_exit()
        run.wait_exit()
        self.assertEqual(saver()[1], 1500)  # the wait time is the user's new choice
        self.assertSaver(True)

    def test_display_kept_on_is_remembered_and_held_from_the_next_start(self):
        run = self.resident(True)
        self.addCleanup(wine, 'reg', 'delete', r'HKCU\Software\Lullwick', '/f')
        open_menu()
        choose(DISPLAY)
        wait_for(lambda: display_choice() == '0x1', 10, 'the choice to be stored')
        close_main()
        run.wait_exit()
        wine('reg', 'add', r'HKCU\Software\Wine\Debug', '/v', 'RelayInclude', '/d', ';'.join(POWER_CALLS), '/f')
        self.addCleanup(wine, 'reg', 'delete', r'HKCU\Software\Wine\Debug', '/v', 'RelayInclude', '/f')
        ARTIFACTS.mkdir(parents=True, exist_ok=True)
        with open(ARTIFACTS / 'relay.txt', 'w+b') as trace:
            run = self.start(trace=trace)
            run.wait_resident()
            close_main()
            run.wait_exit()
            trace.seek(0)
            calls = [line for line in trace.read().decode('utf-8', 'replace').splitlines() if ':Call ' in line]
        self.assertSaver(True)
        self.assertEqual(display_choice(), '0x1')
        # Wine has no power requests: the thread's execution state holds the display, then lets go at the end.
        self.assertTrue(any('PowerCreateRequest' in c for c in calls), calls)
        held = [c.split('(')[1].split(')')[0] for c in calls if 'SetThreadExecutionState' in c]
        self.assertEqual(held, ['80000003', '80000000'])

    def test_the_display_follows_the_administrators_lock_and_the_sessions_lock(self):
        wine('reg', 'add', r'HKCU\Software\Lullwick', '/v', 'KeepDisplayOn', '/t', 'REG_DWORD', '/d', '1', '/f')
        self.addCleanup(wine, 'reg', 'delete', r'HKCU\Software\Lullwick', '/f')
        policy = r'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Policies\System'
        wine('reg', 'add', policy, '/v', 'InactivityTimeoutSecs', '/t', 'REG_DWORD', '/d', '900', '/f')
        self.addCleanup(wine, 'reg', 'delete', policy, '/v', 'InactivityTimeoutSecs', '/f')
        wine('reg', 'add', r'HKCU\Software\Wine\Debug', '/v', 'RelayInclude', '/d', ';'.join(POWER_CALLS), '/f')
        self.addCleanup(wine, 'reg', 'delete', r'HKCU\Software\Wine\Debug', '/v', 'RelayInclude', '/f')
        ARTIFACTS.mkdir(parents=True, exist_ok=True)
        with open(ARTIFACTS / 'relay-lock.txt', 'w+b') as trace:
            def held():
                trace.seek(0)
                lines = trace.read().decode('utf-8', 'replace').splitlines()
                return [c.split('(')[1].split(')')[0] for c in lines if ':Call ' in c and 'SetThreadExecutionState' in c]

            def step(expected, what):
                wait_for(lambda: held() == expected, 15, what)

            set_saver(True)
            run = self.start(trace=trace)
            run.wait_resident()
            # The system alone: the display and the lock are the administrator's.
            step(['80000001'], 'the system alone held under the policy')
            wine('reg', 'delete', policy, '/v', 'InactivityTimeoutSecs', '/f')
            open_menu()
            xdotool('key', 'Escape')
            menu_closed()
            step(['80000001', '80000003'], 'the display held once the policy went')
            WTS_SESSION_CHANGE, LOCK, UNLOCK = '0x2B1', '7', '8'
            probe('post', 'TFormMain', WTS_SESSION_CHANGE, LOCK)
            step(['80000001', '80000003', '80000000'], 'an open-ended hold to let go of both at a lock')
            probe('post', 'TFormMain', WTS_SESSION_CHANGE, UNLOCK)
            step(['80000001', '80000003', '80000000', '80000003'], 'both held again at the unlock')
            open_menu()
            xdotool('key', *(['Down'] * HOLD), 'Right', 'Return')  # 30分
            menu_closed()
            probe('post', 'TFormMain', WTS_SESSION_CHANGE, LOCK)
            step(['80000001', '80000003', '80000000', '80000003', '80000001'], 'a timed hold to keep the system')
            self.assertSaver(False)
            close_main()
            run.wait_exit()
            self.assertEqual(held()[-1], '80000000')
        self.assertSaver(True)

    def test_sign_in_item_writes_and_removes_the_run_value(self):
        def run_value():
            _, out = wine('reg', 'query', r'HKCU\Software\Microsoft\Windows\CurrentVersion\Run', '/v', 'Lullwick')
            return next((line.split('REG_SZ', 1)[1].strip() for line in out.splitlines() if 'REG_SZ' in line), None)

        self.addCleanup(wine, 'reg', 'delete', r'HKCU\Software\Microsoft\Windows\CurrentVersion\Run', '/v',
                        'Lullwick', '/f')
        run = self.resident(True)
        open_menu()
        choose(SIGN_IN)
        wait_for(lambda: run_value() is not None, 10, 'the Run value')
        self.assertRegex(run_value(), r'^"[A-Z]:\\.*\\Lullwick\.exe"$')
        open_menu()
        choose(SIGN_IN)
        wait_for(lambda: run_value() is None, 10, 'the Run value to go')
        close_main()
        run.wait_exit()

    def test_hotkey_toggles_from_a_window_of_the_program_and_is_set_in_its_dialog(self):
        def stored():
            _, out = wine('reg', 'query', r'HKCU\Software\Lullwick', '/v', 'HotKey')
            return next((line.split()[-1] for line in out.splitlines() if 'HotKey' in line), None)

        def set_in_dialog(*keys):
            open_menu()
            choose(HOTKEY)
            focus_form('TFormHotKey')
            xdotool('key', *keys, 'Return')  # at once: the focus is in the control
            wait_for(lambda: not window('TFormHotKey')[0], 10, 'the dialog to close')

        wine('reg', 'add', r'HKCU\Software\Lullwick', '/v', 'HotKey', '/t', 'REG_DWORD', '/d', str(0x064B), '/f')
        self.addCleanup(wine, 'reg', 'delete', r'HKCU\Software\Lullwick', '/f')
        run = self.resident(True)
        set_in_dialog()  # OK without a change
        self.assertEqual(stored(), '0x64b')
        # Wine hands the key over only while a window of the prefix has the keyboard.
        open_menu()
        choose(VERSION)
        focus_form('TFormMain')
        xdotool('key', 'ctrl+alt+k')
        wait_for(lambda: registry_flag() == '1', 10, 'the stored key to switch the screen saver on')
        wait_for(lambda: any(t.startswith('balloon スクリーンセーバーの状態を 『有効』') for t in tips()), 20, 'the balloon')
        xdotool('key', 'Escape')
        wait_for(lambda: not window('TFormMain')[0], 10, 'the version window to hide')
        set_in_dialog('ctrl+alt+j')
        self.assertEqual(stored(), '0x64a')
        close_main()
        run.wait_exit()
        self.assertSaver(True)

    def test_hold_for_a_minute_ends_by_itself_with_a_balloon(self):
        run = self.resident(True)
        open_menu()
        xdotool('key', *(['Down'] * HOLD), 'Right')
        time.sleep(0.5)
        screenshot('tray-menu-hold.png')
        xdotool('key', *(['Down'] * 4), 'Return')
        menu_closed()
        focus_form('TFormHoldFor')
        xdotool('type', '1')
        xdotool('key', 'Return', 'Return')
        chosen = time.monotonic()
        wait_for(lambda: not window('TFormHoldFor')[0], 10, 'the dialog to close')
        wait_for(lambda: tip_shows('まで）＞'), 30, 'the tip to show the end')
        self.assertSaver(False)
        wait_for(lambda: registry_flag() == '1', 90, 'the hold to end')
        self.assertGreaterEqual(time.monotonic() - chosen, 55)
        self.assertSaver(True)
        wait_for(lambda: any(t.startswith('balloon 指定した時間が過ぎたため') for t in tips()), 20, 'the balloon')
        screenshot('hold-ended-balloon.png')
        self.assertTrue(run.running())
        close_main()
        run.wait_exit()
        self.assertSaver(True)

    def test_hold_until_notepad_ends_whatever_ends_it(self):
        subprocess.Popen([WINE_RUN, str(BUILD), 'notepad'], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        found = wait_for(lambda: xdotool('search', '--name', 'Untitled - Notepad').split(), 30, 'Notepad')
        # Its Linux process, whose end is the Windows process's.
        notepad = int(xdotool('getwindowpid', found[0]))
        self.addCleanup(lambda: os.path.exists(f'/proc/{notepad}') and os.kill(notepad, signal.SIGKILL))
        run = self.resident(True)
        open_menu()
        xdotool('key', *(['Down'] * HOLD), 'Right', *(['Down'] * 5), 'Return')
        menu_closed()
        focus_form('TFormChooseApp')
        # Typed at once, with nothing chosen first: the list's own search finds the line.
        xdotool('type', 'n')
        time.sleep(0.5)
        screenshot('choose-app.png', client('TFormChooseApp'))
        xdotool('key', 'Return')
        wait_for(lambda: not window('TFormChooseApp')[0], 10, 'the chooser to close')
        self.assertSaver(False)
        wait_for(lambda: tip_shows('（notepad.exe の終了まで）＞'), 30, 'the tip to name the app')
        os.kill(notepad, signal.SIGKILL)
        wait_for(lambda: registry_flag() == '1', 30, 'the hold to end with Notepad')
        self.assertSaver(True)
        wait_for(lambda: any(t.startswith('balloon 「notepad.exe」が終了したため') for t in tips()), 20, 'the balloon')
        self.assertTrue(run.running())
        close_main()
        run.wait_exit()
        self.assertSaver(True)

    def test_ending_while_a_single_click_is_pending(self):
        run = self.resident(True)
        x, y = tray_icon()
        xdotool('mousemove', x, y, 'click', 1)
        close_main()  # well within the double-click wait
        self.assertEqual(run.wait_exit(), 0)
        self.assertSaver(True)

    def test_ending_during_the_one_second_start_wait(self):
        run = self.resident(False)
        x, y = tray_icon()
        xdotool('mousemove', x, y, 'click', '--repeat', 2, '--delay', 80, 1)
        close_main()
        self.assertEqual(run.wait_exit(), 0)
        self.assertSaver(False)  # the state from start, not the one the start command set

    def test_ending_while_the_wait_time_dialog_is_open_stores_nothing(self):
        run = self.resident(True, 600)
        open_menu()
        choose(TIMEOUT)
        focus_form('TFormSetTimeout')
        xdotool('key', 'Home', 'shift+End', 'Delete')
        xdotool('type', '42')
        close_main()
        self.assertEqual(run.wait_exit(), 0)
        self.assertEqual(saver()[1], 600)
        self.assertSaver(True)

    def test_icon_comes_back_when_the_taskbar_is_created_again(self):
        run = self.resident(True)
        probe('broadcast-taskbar')
        time.sleep(1)
        self.assertTrue(tray_shown())
        open_menu()
        choose(STATUS)
        wait_for(lambda: saver()[0] == 1, 10, 'the menu to work after the taskbar came back')
        self.assertEqual(probe('count-boxes')['boxes'], '0')
        close_main()
        run.wait_exit()

    def test_a_change_announced_elsewhere_ends_the_hold_and_greys_the_icon(self):
        run = self.resident(True)
        x, y = tray_icon()
        area = (x - 10, y - 9, 20, 20)  # the icon alone, below the tray's title
        self.assertGreater(saturation(screenshot('tray-on.png', area)), 0.5, 'the held picture in colour')
        # As the Control Panel switches the screen saver on: every top-level window is told.
        probe('announce-saver', '1')
        wait_for(lambda: saturation(screenshot('tray-off.png', area)) < 0.1, 10, 'the greyed picture')
        time.sleep(0.5)
        self.assertSaver(True)  # no longer held: nothing switches it off again
        close_main()
        run.wait_exit()
        self.assertSaver(True)

    def test_enter_hides_the_version_window_shown_after_a_menu(self):
        self.resident(True)
        open_menu()
        xdotool('key', 'Escape')
        menu_closed()
        x, y = tray_icon()
        xdotool('mousemove', x, y, 'click', 1)
        focus_form('TFormMain')
        wait_for(lambda: '閉じる' in probe('focus', 'TFormMain')['focus'], 10, 'the focus on 閉じる')
        xdotool('key', 'Return')
        wait_for(lambda: not window('TFormMain')[0], 10, 'Enter to hide the version window')

    def test_help_opens_the_guide_beside_the_program(self):
        # The test prefix has no program for web pages: the probe stands in and notes what it was given.
        opened = BUILD / 'tests' / 'opened.txt'
        opened.unlink(missing_ok=True)
        classes = 'HKCR'
        probe_path = 'Z:' + PROBE.replace('/', '\\')
        wine('reg', 'add', classes + r'\.html', '/ve', '/d', 'Lullwick.TestPage', '/f')
        wine('reg', 'add', classes + r'\Lullwick.TestPage\shell\open\command', '/ve', '/d',
             f'"{probe_path}" record-open "%1"', '/f')
        try:
            run = self.resident(True)
            open_menu()
            choose(HELP)
            wait_for(opened.exists, 20, 'the guide to be opened')
            self.assertEqual(opened.read_text(encoding='utf-8').strip().lower(),
                             ('Z:' + str(BUILD / 'guide.html').replace('/', '\\')).lower())
            time.sleep(0.5)
            self.assertEqual(probe('count-boxes')['boxes'], '0')
            self.assertTrue(run.running())
        finally:
            wine('reg', 'delete', classes + r'\.html', '/f')
            wine('reg', 'delete', classes + r'\Lullwick.TestPage', '/f')


class HighDpi(LullwickTest):
    """The wait-time dialog at 144 pixels per inch."""

    @classmethod
    def setUpClass(cls):
        set_pixels_per_inch(144)

    @classmethod
    def tearDownClass(cls):
        set_pixels_per_inch(None)

    def test_spin_buttons_lie_inside_the_edit(self):
        self.resident(True, 600)
        open_menu()
        choose(TIMEOUT)
        area = focus_form('TFormSetTimeout')
        self.assertGreater(area[2], 300, 'the dialog is scaled')
        ex, ey, ew, eh = client('TEditUpDown')
        _, bx, by, bw, bh = window('TUpDownButton')
        self.assertGreaterEqual(bw, 20)
        self.assertTrue(ex <= bx and bx + bw <= ex + ew and ey <= by and by + bh <= ey + eh,
                        f'buttons {bx},{by} {bw}x{bh} outside the edit {ex},{ey} {ew}x{eh}')
        time.sleep(0.3)
        screenshot('wait-time-dialog-144.png', area)
        xdotool('key', 'Escape', 'Escape')
        wait_for(lambda: not window('TFormSetTimeout')[0], 10, 'the dialog to close')


if __name__ == '__main__':
    unittest.main()
