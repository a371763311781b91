"""Lullwick against the smallest tray program, side by side under Wine:
executable size, start-up, memory, idle cost and tray latencies, as ratios
Lullwick / baseline from interleaved runs, with the budgets checked."""
import os
import statistics
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / 'tests' / 'e2e'))
from harness import BUILD, EXE, PROBE, WINE_RUN, close_main, probe, wait_for, xdotool  # noqa: E402

BASELINE = str(BUILD / 'bench' / 'baseline_tray.exe')
RUNS = int(os.environ.get('BENCH_RUNS', '10'))
IDLE_SECONDS = int(os.environ.get('BENCH_IDLE', '60'))


def tray_visible():
    return bool(xdotool('search', '--onlyvisible', '--name', 'Wine System Tray').split())


def linux_process(name):
    for entry in Path('/proc').iterdir():
        if not entry.name.isdigit():
            continue
        try:
            first = (entry / 'cmdline').read_bytes().split(b'\0')[0].lower()
        except OSError:
            continue
        if first.endswith(name.lower().encode()):
            return entry
    return None


def usage(entry):
    rollup = (entry / 'smaps_rollup').read_text()
    fields = {k: int(v.split()[0]) for k, v in (line.split(':', 1) for line in rollup.splitlines()[1:])}
    stat = (entry / 'stat').read_text().rsplit(')', 1)[1].split()
    return {'rss': fields['Rss'], 'private': fields['Private_Clean'] + fields['Private_Dirty'],
            'ticks': int(stat[11]) + int(stat[12]), 'threads': len(list((entry / 'task').iterdir()))}


def start(program, *args):
    return subprocess.Popen([WINE_RUN, str(BUILD), program, *args], stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)


def stop(proc, program):
    if program == EXE:
        close_main()
    else:
        probe('close-class', 'LullwickBaseline')
    proc.wait(timeout=30)
    wait_for(lambda: not tray_visible(), 20, 'the tray to empty')


def time_to_icon(program):
    begin = time.monotonic()
    proc = start(program)
    wait_for(tray_visible, 30, 'the icon')
    elapsed = time.monotonic() - begin
    stop(proc, program)
    return elapsed


def whole_run(program):
    begin = time.monotonic()
    subprocess.run([WINE_RUN, str(BUILD), program, '/a'], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=60, check=True)
    return time.monotonic() - begin


def interleaved(measure):
    ours, theirs = [], []
    for _ in range(RUNS):
        ours.append(measure(EXE))
        theirs.append(measure(BASELINE))
    return statistics.median(ours), statistics.median(theirs)


def resident_usage():
    """Memory after start-up and after 1,000 menus, and the cost of idling, of both at once."""
    ours, theirs = start(EXE), start(BASELINE)
    wait_for(lambda: linux_process('lullwick.exe') and linux_process('baseline_tray.exe'), 30, 'both programs')
    probe('wait-window', 'TCallbackWindow', '20000')
    time.sleep(2)
    p_ours, p_theirs = linux_process('lullwick.exe'), linux_process('baseline_tray.exe')
    start_ours, start_theirs = usage(p_ours), usage(p_theirs)
    time.sleep(IDLE_SECONDS)
    idle_ours, idle_theirs = usage(p_ours), usage(p_theirs)
    probe('soak', '0', '1000', timeout=600)
    menus_ours = usage(p_ours)
    latency_menu = probe('latency-menu', '20')['menu'].split()
    latency_click = probe('latency-click', '10')['late'].split()
    probe('close-class', 'LullwickBaseline')
    theirs.wait(timeout=30)
    close_main()
    ours.wait(timeout=30)
    return (start_ours, start_theirs, idle_ours, idle_theirs, menus_ours,
            [float(v) for v in latency_menu], [float(v) for v in latency_click])


def main():
    rows = []

    def row(what, ours, theirs, unit, budget=None, passed=None):
        ratio = f'{ours / theirs:.2f}' if theirs else '-'
        verdict = '' if passed is None else ('pass' if passed else 'FAIL')
        rows.append((what, f'{ours:g} {unit}', f'{theirs:g} {unit}' if theirs is not None else '-', ratio,
                     budget or '', verdict))

    size_ours, size_theirs = os.path.getsize(EXE), os.path.getsize(BASELINE)
    row('stripped executable', size_ours // 1024, size_theirs // 1024, 'KiB', '<= 256 KiB', size_ours <= 256 * 1024)
    icon_ours, icon_theirs = interleaved(time_to_icon)
    row('start to tray icon (median)', round(icon_ours * 1000), round(icon_theirs * 1000), 'ms', '<= 1.25 x',
        icon_ours <= 1.25 * icon_theirs)
    run_ours, run_theirs = interleaved(whole_run)
    row('whole run of /a (median)', round(run_ours * 1000), round(run_theirs * 1000), 'ms')
    s_o, s_t, i_o, i_t, m_o, menu, late = resident_usage()
    row('RSS after start-up', s_o['rss'], s_t['rss'], 'KiB', '<= 1.10 x', s_o['rss'] <= 1.10 * s_t['rss'])
    row('private after start-up', s_o['private'], s_t['private'], 'KiB')
    row('RSS after 1000 menus', m_o['rss'], s_t['rss'], 'KiB', '<= 1.10 x', m_o['rss'] <= 1.10 * s_t['rss'])
    row('private after 1000 menus', m_o['private'], s_t['private'], 'KiB')
    cpu_o, cpu_t = i_o['ticks'] - s_o['ticks'], i_t['ticks'] - s_t['ticks']
    row(f'CPU over {IDLE_SECONDS} s idle', cpu_o, cpu_t, 'ticks', '0 ticks', cpu_o == 0)
    row('threads while idle', i_o['threads'], i_t['threads'], '')
    row('right button to menu (median / max)', round(menu[0], 1), None, 'ms')
    row('OnClick lateness (median / max)', round(late[1], 1), None, 'ms', '<= 15 ms', late[1] <= 15)
    widths = [max(len(str(r[i])) for r in rows + [('measure', 'Lullwick', 'baseline', 'ratio', 'budget', '')])
              for i in range(6)]
    head = ('measure', 'Lullwick', 'baseline', 'ratio', 'budget', '')
    for r in [head] + rows:
        print('  '.join(str(c).ljust(w) for c, w in zip(r, widths)).rstrip())
    return 0 if all(r[5] != 'FAIL' for r in rows) else 1


if __name__ == '__main__':
    sys.exit(main())
