"""Start-up, single instance and exit of the real program."""
import subprocess
import time
import unittest

from harness import close_main, LullwickTest, probe, saver, set_saver, unescape, wait_for, wine

ALREADY_RUNNING = '『Lullwick』は既に起動されています。'


class Lifecycle(LullwickTest):
    def test_saver_on_is_off_while_running_and_on_again_after_close(self):
        set_saver(True)
        run = self.start()
        run.wait_resident()
        self.assertSaver(False)
        close_main()
        self.assertEqual(run.wait_exit(), 0)
        self.assertSaver(True)

    def test_saver_off_stays_off(self):
        set_saver(False)
        run = self.start()
        run.wait_resident()
        self.assertSaver(False)
        close_main()
        run.wait_exit()
        self.assertSaver(False)

    def test_second_copy_is_refused_and_changes_nothing(self):
        set_saver(True)
        first = self.start()
        first.wait_resident()
        for args in ([], ['/a'], ['/S']):
            with self.subTest(args=args):
                second = self.start(*args)
                box = probe('wait-box', '20000')
                self.assertEqual(unescape(box['text']), ALREADY_RUNNING)
                self.assertEqual(box['icon'], 'error')
                self.assertEqual(box['buttons'], '[OK]')
                self.assertEqual(box['owner'], '0')
                self.assertEqual(second.wait_exit(), 0)
                self.assertSaver(False)
                self.assertTrue(first.running())
        close_main()
        first.wait_exit()
        self.assertSaver(True)
        # The mutex went with the first copy: a new one starts normally.
        again = self.start()
        again.wait_resident()
        self.assertSaver(False)
        close_main()
        again.wait_exit()
        self.assertSaver(True)

    def test_twenty_copies_at_once_leave_exactly_one(self):
        set_saver(True)
        copies = [self.start() for _ in range(20)]
        wait_for(lambda: probe('count-boxes')['boxes'] == '19', 60, '19 already-running messages')
        time.sleep(1)
        self.assertEqual(probe('count-boxes')['boxes'], '19')
        self.assertEqual(probe('count-windows', 'TFormMain')['windows'], '1')
        probe('press-boxes')
        wait_for(lambda: sum(c.running() for c in copies) == 1, 30, 'the refused copies to end')
        self.assertSaver(False)
        close_main()
        for c in copies:
            c.wait_exit()
        self.assertSaver(True)

    def test_session_end_puts_the_state_back(self):
        set_saver(True)
        run = self.start()
        run.wait_resident()
        self.assertSaver(False)
        wine('wineboot', '--end-session', timeout=60)
        self.assertEqual(run.wait_exit(timeout=30), 0)
        self.assertSaver(True)


if __name__ == '__main__':
    unittest.main()
