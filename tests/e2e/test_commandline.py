"""The one-job mode of the real program: every option from both states."""
import unittest

from harness import close_main, LullwickTest, probe, screenshot, set_saver, unescape, EXE

OPTION_LIST = '\r'.join([
    '【指定可能オプション】',
    '',
    '　　/?\t指定可能オプション表示',
    '　　/S\tスクリーンセーバー有効／無効状態表示 (Status)',
    '　　/C\tスクリーンセーバー有効／無効切り替え (Change)',
    '　　/c\tスクリーンセーバー有効／無効切り替え (Change)',
    '　　/A\tスクリーンセーバー有効 (Active)',
    '　　/a\tスクリーンセーバー有効 (Active)',
    '　　/I\tスクリーンセーバー無効 (Inactive)',
    '　　/i\tスクリーンセーバー無効 (Inactive)',
    '　　/e\tスクリーンセーバー実行 (Execute)',
    '　　　\t（有効／無効状態は有効に変更されます）',
    '',
    '　　※大文字のオプションはダイアログによる通知があります。',
    '　　※一度に指定できるオプションは一つだけです(^^;',
])
LINE = '-' * 51
WAIT = '（待ち時間は {}分に設定されています）'


def word(on):
    return '有効' if on else '無効'


def expected(option, on, minutes):
    wait = WAIT.format(minutes)
    return {
        '/?': OPTION_LIST,
        '/S': f'現在のスクリーンセーバーの設定は 『{word(on)}』 です。\r\r{wait}',
        '/C': f'スクリーンセーバーの状態を 『{word(not on)}』 に変更しました。\r\r{wait}',
        '/A': (f'スクリーンセーバーの状態は既に 『有効』 に設定されています。\r\r{wait}' if on else
               f'スクリーンセーバーの状態を 『有効』 に変更しました。\r\r{wait}'),
        '/I': (f'スクリーンセーバーの状態を 『無効』 に変更しました。\r\r{wait}' if on else
               f'スクリーンセーバーの状態は既に 『無効』 に設定されています。\r\r{wait}'),
    }[option]


def option_error(param):
    return f'オプションエラーです。（{param}）\r\r{LINE}\r\r{OPTION_LIST}'


# The state after the run, given the state before.
AFTER = {'/?': lambda on: on, '/S': lambda on: on, '/C': lambda on: not on, '/c': lambda on: not on,
         '/A': lambda on: True, '/a': lambda on: True, '/I': lambda on: False, '/i': lambda on: False,
         '/e': lambda on: True}


class CommandLine(LullwickTest):
    def run_option(self, *args, command_line=None):
        run = self.start(*args, command_line=command_line)
        return run

    def test_option_list_is_569_bytes_in_code_page_932(self):
        set_saver(True)
        run = self.run_option('/?')
        shown = unescape(probe('wait-box', '20000')['text'])
        self.assertEqual(len(shown.encode('cp932')), 569)
        run.wait_exit()

    def test_upper_case_options_report_in_a_message_box(self):
        for option in ['/?', '/S', '/C', '/A', '/I']:
            for on in (True, False):
                with self.subTest(option=option, on=on):
                    set_saver(on, 600)
                    run = self.run_option(option)
                    box = probe('wait-box', '20000')
                    self.assertEqual(unescape(box['text']), expected(option, on, 10))
                    self.assertEqual(box['icon'], 'information')
                    self.assertEqual(box['buttons'], '[OK]')
                    self.assertEqual(box['owner'], '0')
                    self.assertEqual(run.wait_exit(), 0)
                    self.assertSaver(AFTER[option](on))

    def test_lower_case_options_work_silently(self):
        for option in ['/c', '/a', '/i', '/e']:
            for on in (True, False):
                with self.subTest(option=option, on=on):
                    set_saver(on)
                    run = self.run_option(option)
                    self.assertEqual(run.wait_exit(), 0)
                    self.assertEqual(probe('count-boxes')['boxes'], '0')
                    self.assertSaver(AFTER[option](on))

    def test_status_box_as_the_user_sees_it(self):
        set_saver(True, 600)
        run = self.run_option('/S')
        box = probe('wait-box', '20000', '--keep')
        self.assertEqual(unescape(box['text']), expected('/S', True, 10))
        screenshot('status-message.png', tuple(map(int, box['rect'].split())))
        self.assertEqual(probe('press-boxes')['pressed'], '1')
        self.assertEqual(run.wait_exit(), 0)

    def test_wait_time_is_reported_in_whole_minutes(self):
        set_saver(True, 90)
        run = self.run_option('/S')
        box = probe('wait-box', '20000')
        self.assertEqual(unescape(box['text']), expected('/S', True, 1))
        run.wait_exit()

    def test_unknown_options_name_the_parameter(self):
        set_saver(True)
        for param in ['/s', '/E', '-S', 'S', '/SS', '/ü€Ж']:
            with self.subTest(param=param):
                run = self.run_option(param)
                box = probe('wait-box', '20000')
                self.assertEqual(unescape(box['text']), option_error(param))
                self.assertEqual(box['icon'], 'error')
                run.wait_exit()
                self.assertSaver(True)

    def test_very_long_parameter_shows_the_error_and_ends(self):
        set_saver(False)
        param = '/' + 'x' * 8000
        run = self.run_option(command_line=f'"{EXE}" {param}')
        box = probe('wait-box', '30000')
        self.assertTrue(unescape(box['text']).startswith(f'オプションエラーです。（{param}）'))
        run.wait_exit()
        self.assertSaver(False)

    def test_two_parameters_give_the_parameter_error_and_change_nothing(self):
        set_saver(True)
        run = self.run_option('/S', '/C')
        box = probe('wait-box', '20000')
        self.assertEqual(unescape(box['text']), f'パラメータエラーです。\r\r{LINE}\r\r{OPTION_LIST}')
        self.assertEqual(box['icon'], 'error')
        run.wait_exit()
        self.assertSaver(True)

    def test_quotes_tabs_and_empty_parameters_split_as_the_runtime_does(self):
        set_saver(True, 600)
        for line, text in [
            (f'"{EXE}" "/S"', expected('/S', True, 10)),
            (f'"{EXE}"\t/"S"\t""', expected('/S', True, 10)),
            (f'"{EXE}" "" /S', expected('/S', True, 10)),
            (f'"{EXE}" "/S /C', option_error('/S /C')),
            (f'"{EXE}" /S\t/C', f'パラメータエラーです。\r\r{LINE}\r\r{OPTION_LIST}'),
        ]:
            with self.subTest(line=line):
                run = self.run_option(command_line=line)
                box = probe('wait-box', '20000')
                self.assertEqual(unescape(box['text']), text)
                run.wait_exit()
                self.assertSaver(True)

    def test_an_option_is_not_carried_out_while_a_copy_runs(self):
        set_saver(True)
        resident = self.start()
        resident.wait_resident()
        run = self.run_option('/a')
        box = probe('wait-box', '20000')
        self.assertEqual(unescape(box['text']), '『Lullwick』は既に起動されています。')
        run.wait_exit()
        self.assertSaver(False)
        close_main()
        resident.wait_exit()
        self.assertSaver(True)


if __name__ == '__main__':
    unittest.main()
