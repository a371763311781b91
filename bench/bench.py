"""Lullwick against the smallest tray program, side by side under Wine:
executable size, start-up, memory, idle cost and tray latencies, as ratios
Lullwick / baseline from interleaved runs, with the budgets checked, and where
the size and the memory go."""
import os
import re
import statistics
import subprocess
import sys
import time
from collections import Counter
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / 'tests' / 'e2e'))
from harness import BUILD, EXE, WINE_RUN, close_main, probe, wait_for, xdotool  # noqa: E402

BASELINE = str(BUILD / 'bench' / 'baseline_tray.exe')
MAP = BUILD / 'Lullwick.map'
RUNS = int(os.environ.get('BENCH_RUNS', '10'))
IDLE_SECONDS = int(os.environ.get('BENCH_IDLE', '60'))


def tray_visible():
    return bool(xdotool('search', '--onlyvisible', '--name', 'Wine System Tray').split())


def linux_processes(name):
    """(/proc entry, arguments) of each process whose program is `name` and that
    runs in this build's Wine prefix (others may run their own copies)."""
    prefix = b'WINEPREFIX=' + str(BUILD / 'wineprefix').encode()
    found = []
    for entry in Path('/proc').iterdir():
        if not entry.name.isdigit():
            continue
        try:
            args = (entry / 'cmdline').read_bytes().split(b'\0')
            if not args[0].lower().endswith(name.lower().encode()):
                continue
            if prefix not in (entry / 'environ').read_bytes().split(b'\0'):
                continue
        except OSError:
            continue
        found.append((entry, args[1:]))
    return found


def linux_process(name):
    found = linux_processes(name)
    return found[0][0] if found else None


def usage(entry):
    rollup = (entry / 'smaps_rollup').read_text()
    fields = {k: int(v.split()[0]) for k, v in (line.split(':', 1) for line in rollup.splitlines()[1:])}
    stat = (entry / 'stat').read_text().rsplit(')', 1)[1].split()
    switches = 0
    for task in (entry / 'task').iterdir():
        for line in (task / 'status').read_text().splitlines():
            if 'ctxt_switches:' in line:
                switches += int(line.split()[1])
    return {'rss': fields['Rss'], 'private': fields['Private_Clean'] + fields['Private_Dirty'],
            'ticks': int(stat[11]) + int(stat[12]), 'threads': len(list((entry / 'task').iterdir())),
            'switches': switches}


def mappings(entry):
    """Resident KiB per mapped file (anonymous memory as [anon])."""
    sizes, name = Counter(), None
    for line in (entry / 'smaps').read_text().splitlines():
        parts = line.split()
        if re.match(r'^[0-9a-f]+-[0-9a-f]+$', parts[0]):
            name = parts[5] if len(parts) > 5 else '[anon]'
        elif parts[0] == 'Rss:':
            sizes[name] += int(parts[1])
    return sizes


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
    # Polled without pause: one look at the tray takes a few milliseconds.
    while not tray_visible():
        if time.monotonic() - begin > 30:
            raise AssertionError(f'{program} put no icon into the tray')
    elapsed = time.monotonic() - begin
    stop(proc, program)
    return elapsed


def whole_run(program, option='/a'):
    begin = time.monotonic()
    subprocess.run([WINE_RUN, str(BUILD), program, option], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=60, check=True)
    return time.monotonic() - begin


def interleaved(measure, *variants):
    """Medians of Lullwick and of the baseline, then of each baseline variant, run in turn."""
    runs = [[] for _ in range(2 + len(variants))]
    for _ in range(RUNS):
        runs[0].append(measure(EXE))
        runs[1].append(measure(BASELINE))
        for i, variant in enumerate(variants):
            runs[2 + i].append(variant())
    return [statistics.median(r) for r in runs]


def times(answer):
    median, most, least = (float(v) for v in answer.split())
    return median, most, least


def resident_usage():
    """Memory after start-up and after 1,000 menus, and the cost of idling, of
    Lullwick, the baseline and the baseline with the common controls, all at
    once; the last then opens the same 1,000 menus as Lullwick."""
    ours, theirs, controls = start(EXE), start(BASELINE), start(BASELINE, '/c')
    wait_for(lambda: linux_process('lullwick.exe') and len(baselines()) == 2, 30, 'the three programs')
    probe('wait-window', 'TCallbackWindow', '20000')
    time.sleep(2)
    p_ours = linux_process('lullwick.exe')
    p_theirs, p_controls = baselines()
    result = {'start': usage(p_ours), 'base': usage(p_theirs), 'controls': usage(p_controls),
              'maps': (mappings(p_ours), mappings(p_controls))}
    time.sleep(IDLE_SECONDS)
    result['idle'], result['base_idle'] = usage(p_ours), usage(p_theirs)
    result['opened'] = [int(probe('soak', '0', '1000', *window, timeout=600).get('menus', 0))
                        for window in ([], ['LullwickBaselineControls'])]
    result['menus'], result['controls_menus'] = usage(p_ours), usage(p_controls)
    result['menu_latency'] = times(probe('latency-menu', '20')['menu'])
    clicks = probe('latency-click', '10')
    result['first_click'] = float(clicks['first'])
    result['click_lateness'] = times(clicks['late'])
    probe('close-class', 'LullwickBaseline')
    probe('close-class', 'LullwickBaselineControls')
    theirs.wait(timeout=30)
    controls.wait(timeout=30)
    close_main()
    ours.wait(timeout=30)
    return result


def baselines():
    """The plain baseline's process first, then the one started with /c."""
    found = {b'/c' in args: entry for entry, args in linux_processes('baseline_tray.exe')}
    return [found[k] for k in (False, True) if k in found]


def size_by_object():
    """Bytes of the image per object file, from the link map (debug sections left out)."""
    sizes, pending = Counter(), None
    for line in MAP.read_text(errors='replace').splitlines():
        m = re.match(r'^ (\.[\w.$]+)\s*$', line)
        if m:
            pending = m.group(1)
            continue
        m = re.match(r'^ (\.[\w.$]+)?\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$', line)
        section = (m.group(1) or pending) if m else None
        pending = None
        if not m or not section or section.startswith('.debug') or int(m.group(2), 16) == 0:
            continue
        sizes[re.sub(r'.*/', '', m.group(4))] += int(m.group(3), 16)
    return sizes


def size_by_section():
    out = subprocess.run(['x86_64-w64-mingw32-objdump', '-h', EXE], stdout=subprocess.PIPE, check=True).stdout
    sections = Counter()
    for line in out.decode().splitlines():
        parts = line.split()
        if len(parts) >= 7 and parts[0].isdigit():
            sections[parts[1]] = int(parts[2], 16)
    return sections


def main():
    rows = []

    def row(what, ours, theirs, unit, budget=None, passed=None):
        ratio = f'{ours / theirs:.2f}' if theirs and not isinstance(ours, str) else '-'
        verdict = '' if passed is None else ('pass' if passed else 'FAIL')
        shown = ours if isinstance(ours, str) else f'{ours:g}'
        rows.append((what, f'{shown} {unit}'.strip(), f'{theirs:g} {unit}'.strip() if theirs is not None else '-',
                     ratio, budget or '', verdict))

    # The first start of a prefix also starts Wine's own services: not measured.
    time_to_icon(EXE)
    time_to_icon(BASELINE)
    size_ours, size_theirs = os.path.getsize(EXE), os.path.getsize(BASELINE)
    row('stripped executable', size_ours // 1024, size_theirs // 1024, 'KiB', '<= 256 KiB', size_ours <= 256 * 1024)
    icon_ours, icon_theirs = interleaved(time_to_icon)
    row('start to tray icon (median)', round(icon_ours * 1000), round(icon_theirs * 1000), 'ms', '<= 1.25 x',
        icon_ours <= 1.25 * icon_theirs)
    run_ours, run_theirs, run_controls = interleaved(whole_run, lambda: whole_run(BASELINE, '/ca'))
    row('whole run of /a (median)', round(run_ours * 1000), round(run_theirs * 1000), 'ms')
    row('  against baseline with common controls', round(run_ours * 1000), round(run_controls * 1000), 'ms')
    r = resident_usage()
    s_o, s_t, s_c, m_o, m_c = r['start'], r['base'], r['controls'], r['menus'], r['controls_menus']
    # Lullwick needs the common controls from start-up on, so memory is weighed
    # against the baseline that loads them too, and after the menus against it
    # after the same menus; the plain baseline is shown for information.
    row('RSS after start-up (with common controls)', s_o['rss'], s_c['rss'], 'KiB', '<= 1.10 x',
        s_o['rss'] <= 1.10 * s_c['rss'])
    row('  against the plain baseline', s_o['rss'], s_t['rss'], 'KiB')
    row('menus opened', r['opened'][0], r['opened'][1], '', '1000 each', r['opened'] == [1000, 1000])
    row('RSS after 1000 menus (same menus)', m_o['rss'], m_c['rss'], 'KiB', '<= 1.10 x',
        m_o['rss'] <= 1.10 * m_c['rss'])
    row('private after start-up (with common controls)', s_o['private'], s_c['private'], 'KiB')
    row('private after 1000 menus (same menus)', m_o['private'], m_c['private'], 'KiB')
    cpu_o, cpu_t = r['idle']['ticks'] - s_o['ticks'], r['base_idle']['ticks'] - s_t['ticks']
    row(f'CPU over {IDLE_SECONDS} s idle', cpu_o, cpu_t, 'ticks', '0 ticks', cpu_o == 0)
    wake_o, wake_t = r['idle']['switches'] - s_o['switches'], r['base_idle']['switches'] - s_t['switches']
    row(f'wake-ups over {IDLE_SECONDS} s idle (timers, polling)', wake_o, wake_t, '')
    row('threads while idle', r['idle']['threads'], r['base_idle']['threads'], '')
    median, most, _ = r['menu_latency']
    row('right button to menu (median)', round(median, 1), None, 'ms')
    row('right button to menu (max)', round(most, 1), None, 'ms')
    row('first click to version window, late by', round(r['first_click'], 1), None, 'ms')
    median, most, least = r['click_lateness']
    row('  OnClick lateness after it (median)', round(median, 1), None, 'ms')
    row('  OnClick lateness after it (min .. max)', f'{least:.1f} .. {most:.1f}', None, 'ms', '0 .. 15 ms',
        0 <= least and most <= 15)

    head = ('measure', 'Lullwick', 'baseline', 'ratio', 'budget', '')
    widths = [max(len(str(line[i])) for line in rows + [head]) for i in range(6)]
    for line in [head] + rows:
        print('  '.join(str(c).ljust(w) for c, w in zip(line, widths)).rstrip())

    print('\nWhere the executable goes, by section (bytes):')
    print('  ' + ', '.join(f'{name} {size}' for name, size in size_by_section().items()))
    print('by object file (the largest):')
    for name, size in size_by_object().most_common(12):
        print(f'  {size:7}  {name}')
    ours_maps, theirs_maps = r['maps']
    print('\nWhere the resident memory goes, Lullwick minus baseline with common controls after start-up (KiB):')
    for name in sorted(ours_maps.keys() | theirs_maps.keys(), key=lambda n: theirs_maps[n] - ours_maps[n])[:8]:
        print(f'  {ours_maps[name] - theirs_maps[name]:+7}  {name}')
    return 0 if all(line[5] != 'FAIL' for line in rows) else 1


if __name__ == '__main__':
    sys.exit(main())
