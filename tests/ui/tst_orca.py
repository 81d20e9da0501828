#!/usr/bin/python3
# The calculator as a blind user hears it: the real Orca, speaking French into a silent sound
# output, follows a whole session driven with keys only, and what it says is checked.
# tst_orca.py PROGRAM [--record]: --record prints what is said at each step, checking nothing.
# Exits 77 (skipped) where Orca or what it needs is missing. Everything runs in a session of its
# own, each process marked in its environment, and is stopped at the end whatever happened.
import ctypes
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import uuid

SKIPPED = 77
HERE = os.path.dirname(os.path.abspath(__file__))

# Orca as installed, its debug log line-buffered, without its single-instance check and under
# its interpreter's name.
ORCA_LAUNCHER = r'''
import builtins, sys
_open = builtins.open
def _lopen(f, mode='r', *a, **k):
    if isinstance(f, str) and f.endswith('.out') and 'w' in mode and not a and not k:
        return _open(f, mode, buffering=1)
    return _open(f, mode, *a, **k)
builtins.open = _lopen
orca = {'__name__': 'orca_launcher', '__file__': '/usr/bin/orca'}
exec(compile(_open('/usr/bin/orca').read(), '/usr/bin/orca', 'exec'), orca)
orca['otherOrcas'] = lambda: []
orca['setProcessName'] = lambda name: False
sys.argv = ['/usr/bin/orca'] + sys.argv[1:]
sys.exit(orca['main']())
'''

SPEECH = re.compile(r"SPEECH OUTPUT: '(.*)'\s*(\{.*\})?\s*$", re.S)
# What "say all" hands the voice, sentence by sentence.
SAY_ALL = re.compile(r"SAY ALL: \[[^]]*\] '(.*)' \(\d+-\d+, current: \d+\)\s*$", re.S)


def skip(reason):
    print('test sauté : ' + reason)
    sys.exit(SKIPPED)


class Session:
    def __init__(self, program):
        self.program = program
        self.folder = tempfile.mkdtemp(prefix='vemora-orca-')
        self.mark = 'vemora-orca-' + uuid.uuid4().hex
        self.processes = []
        self.log = os.path.join(self.folder, 'orca-debug.out')
        self.read = 0
        self.env = dict(os.environ)
        for name in ('home', 'run', 'config', 'data', 'cache'):
            os.makedirs(os.path.join(self.folder, name), mode=0o700)
        self.env.update({
            'VEMORA_ORCA_SESSION': self.mark,
            'HOME': self.path('home'), 'XDG_RUNTIME_DIR': self.path('run'),
            'XDG_CONFIG_HOME': self.path('config'), 'XDG_DATA_HOME': self.path('data'),
            'XDG_CACHE_HOME': self.path('cache'),
            'PATH': '/usr/bin:/bin:' + os.environ.get('PATH', ''),
            'LANG': 'fr_FR.UTF-8', 'LANGUAGE': 'fr', 'LC_ALL': 'fr_FR.UTF-8',
            'QTWEBENGINE_DISABLE_SANDBOX': '1', 'QT_LINUX_ACCESSIBILITY_ALWAYS_ON': '1'})
        for name in ('QT_QPA_PLATFORM', 'DBUS_SESSION_BUS_ADDRESS', 'AT_SPI_BUS_ADDRESS',
                     'DISPLAY', 'WAYLAND_DISPLAY'):
            self.env.pop(name, None)

    def path(self, *parts):
        return os.path.join(self.folder, *parts)

    def spawn(self, args, **kwargs):
        out = open(self.path(os.path.basename(args[0]) + '.log'), 'ab')
        # Each ends with the test, should the test itself be killed.
        die = lambda: ctypes.CDLL(None).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG
        process = subprocess.Popen(args, env=self.env, stdout=out, stderr=subprocess.STDOUT,
                                   start_new_session=True, preexec_fn=die, **kwargs)
        self.processes.append(process)
        return process

    def run(self, args, timeout=30):
        return subprocess.run(args, env=self.env, capture_output=True, timeout=timeout)

    def start(self):
        # Orca speaks the language of the session: French, compiled here when the system lacks it.
        if self.run(['/usr/bin/python3', '-c',
                     'import locale; locale.setlocale(locale.LC_ALL, "")']).returncode != 0:
            self.env['LOCPATH'] = self.path('locale')
            os.makedirs(self.env['LOCPATH'])
            if self.run(['localedef', '-i', 'fr_FR', '-f', 'UTF-8',
                         self.path('locale', 'fr_FR.UTF-8')], timeout=120).returncode != 0:
                skip('the French locale cannot be compiled here (localedef)')
        # The X server picks a free display and writes its number into a file.
        number = self.path('run', 'display')
        with open(number, 'w') as file:
            self.spawn(['Xvfb', '-displayfd', str(file.fileno()), '-nolisten', 'tcp', '-screen',
                        '0', '1280x1024x24'], pass_fds=(file.fileno(),))
        self.wait_for(lambda: open(number).read().endswith('\n'), 30, 'the X server')
        self.env['DISPLAY'] = ':' + open(number).read().strip()
        address = self.path('run', 'bus')
        self.spawn(['dbus-run-session', '--', 'sh', '-c',
                    'echo "$DBUS_SESSION_BUS_ADDRESS" > "$0"; exec sleep 100000', address])
        self.wait_for(lambda: os.path.exists(address) and open(address).read().strip(), 30,
                      'the D-Bus session')
        self.env['DBUS_SESSION_BUS_ADDRESS'] = open(address).read().strip()
        # A window manager, as on a desktop: it gives the windows the keyboard.
        self.spawn(['openbox'])
        time.sleep(1)
        # No sound card: espeak-ng speaks into libao's silent output (speech-dispatcher's
        # default one fails here, and Orca would wait for it after a few sentences).
        speechd = self.path('config', 'speech-dispatcher')
        shutil.copytree('/etc/speech-dispatcher', speechd)
        with open(os.path.join(speechd, 'speechd.conf'), 'a') as conf:
            conf.write('\nAudioOutputMethod "libao"\n')
        with open(self.path('home', '.libao'), 'w') as libao:
            libao.write('default_driver=null\n')
        self.spawn(['/usr/bin/python3', '-c', ORCA_LAUNCHER, '--debug-file=' + self.log])
        self.wait_for(lambda: self.utterances(0), 60, "Orca's first words")
        self.read = len(self.utterances(0))
        self.spawn([self.program])

    def stop(self):
        # Every process of the session, started here or by D-Bus on demand, found by its mark.
        for sig in (signal.SIGTERM, signal.SIGKILL):
            for pid in self.marked():
                try:
                    os.kill(pid, sig)
                except ProcessLookupError:
                    pass
            deadline = time.time() + 5
            while self.marked() and time.time() < deadline:
                for process in self.processes:
                    process.poll()  # reaps those that ended
                time.sleep(0.1)

    def marked(self):
        needle = ('VEMORA_ORCA_SESSION=' + self.mark).encode()
        found = []
        for entry in os.listdir('/proc'):
            if not entry.isdigit() or int(entry) == os.getpid():
                continue
            try:
                with open('/proc/%s/environ' % entry, 'rb') as environ:
                    if needle in environ.read().split(b'\0'):
                        with open('/proc/%s/stat' % entry) as stat:
                            if stat.read().split(')')[-1].split()[0] != 'Z':
                                found.append(int(entry))
            except OSError:
                pass
        return found

    def utterances(self, start):
        # What Orca said, from the start-th sentence on.
        try:
            with open(self.log, encoding='utf-8', errors='replace') as log:
                lines = log.read().split('\n')
        except OSError:
            return []
        said = []
        for index, line in enumerate(lines):
            pattern = SPEECH if ' - SPEECH OUTPUT: ' in line else SAY_ALL
            if pattern is SAY_ALL and ' SAY ALL: ' not in line:
                continue
            # A sentence may go on over the lines that follow, up to the next entry of the log.
            text = line[line.index('SAY ALL: ' if pattern is SAY_ALL else 'SPEECH OUTPUT: '):]
            for following in lines[index + 1:]:
                if pattern.match(text) or re.match(r'\d\d:\d\d:\d\d\.\d+ - ', following):
                    break
                text += '\n' + following
            match = pattern.match(text)
            if match and match.group(1).strip():
                said.append(match.group(1).replace('\n', ' ').strip())
        return said[start:]

    @staticmethod
    def wait_for(condition, seconds, what):
        deadline = time.time() + seconds
        while time.time() < deadline:
            if condition():
                return
            time.sleep(0.2)
        raise TimeoutError('waited %d s for %s' % (seconds, what))

    def keys(self, *keys):
        for key in keys:
            if key.startswith('type:'):
                self.run(['xdotool', 'type', '--delay', '150', key[5:]])
            elif key.startswith('ctrl+') and key[5:] in ('Home', 'End'):
                # Held as a hand holds it, until the screen reader has heard the key.
                self.run(['xdotool', 'keydown', 'ctrl', 'key', key[5:], 'sleep', '1', 'keyup',
                          'ctrl'])
            else:
                self.run(['xdotool', 'key', '--delay', '100', key])
            time.sleep(0.3)


def main():
    program, record = sys.argv[1], '--record' in sys.argv[2:]
    if os.environ.get('VEMORA_TESTS_WITHOUT_BROWSER'):
        skip('this build leaves the browser engine out')
    for tool in ('Xvfb', 'dbus-run-session', 'openbox', 'xdotool', 'speech-dispatcher',
                 '/usr/lib/speech-dispatcher-modules/sd_espeak-ng', '/usr/bin/orca',
                 '/usr/libexec/at-spi-bus-launcher'):
        if not shutil.which(tool) and not os.access(tool, os.X_OK):
            skip(tool + ' is not installed (scripts/install-deps.sh installs it)')

    def interrupted(number, frame):
        raise RuntimeError('stopped by signal %d (SIGALRM: the walk took too long)' % number)

    for number in (signal.SIGTERM, signal.SIGINT, signal.SIGALRM):
        signal.signal(number, interrupted)
    signal.alarm(420)  # ends, and stops its session, before CTest would kill it
    session = Session(program)
    failures = []
    try:
        session.start()
        walk(session, record, failures)
    except Exception as error:
        failures.append('%s: %s' % (type(error).__name__, error))
    finally:
        session.stop()
        if failures:
            print('Orca log kept in ' + session.folder)
        else:
            shutil.rmtree(session.folder, ignore_errors=True)
    for failure in failures:
        print('FAIL: ' + failure)
    print('%s (%d problem(s))' % ('FAILED' if failures else 'PASSED', len(failures)))
    return 1 if failures else 0


def walk(session, record, failures):
    # The walk of a blind user, step by step: the keys, what Orca must say (each a regular
    # expression that one sentence matches) and what it must not say.

    def step(name, keys, heard=(), unheard=(), seconds=20):
        start = session.read
        session.keys(*keys)
        said = []

        def complete():
            said[:] = session.utterances(start)
            return all(any(re.search(p, s) for s in said) for p in heard)

        try:
            # Recording what an older build says, a step not heard as it should be is not waited
            # for long.
            session.wait_for(complete, min(seconds, 8) if record and keys else seconds, name)
        except TimeoutError:
            pass
        time.sleep(1)  # what follows at once belongs to this step too
        said = session.utterances(start)
        session.read = start + len(said)
        if record:
            print('=== %s: %s' % (name, ' '.join(keys)))
            for sentence in said:
                print('    ' + sentence)
            return said
        for pattern in heard:
            if not any(re.search(pattern, s) for s in said):
                failures.append('%s: not heard %r in %r' % (name, pattern, said))
        for pattern in unheard:
            for sentence in said:
                if re.search(pattern, sentence):
                    failures.append('%s: heard %r in %r' % (name, pattern, sentence))
        return said

    noise = (r'panneau superposé', r'tableau de bord', r'liste d.onglets', r'  ')

    # The window opens on the home page: its title, then its text, read as a document.
    step('start', [], [r'Calculatrice de frais kilométriques', r'Vemora — accueil'], noise, 90)
    # The browser draws the page a moment after the window: its links exist then.
    subprocess.run(['/usr/bin/python3', os.path.join(HERE, 'read-home-page.py'), '90'],
                   env=session.env, capture_output=True, timeout=120)
    step('read the page line by line', ['Down', 'Down'],
         [r'Les forfaits kilométrique et carburant', r'Barème kilométrique revenus'])
    step('the end of the page', ['ctrl+End', 'Up'],
         [r"L’utilisateur reste seul responsable", r'ouvre la calculatrice'])
    step('the whole page', ['ctrl+Home', 'KP_Add'], [r'Mode d’emploi', r'Barèmes officiels'])
    step('the links by Tab', ['Tab'] * 3, [r'Simulateur du barème kilométrique lien',
                                           r'Arrêté du 27 mars 2023 lien', r'Bulletin officiel'])
    step('out of the page', ['Tab'], [r'Accéder à la calculatrice lien'])

    # The mileage page: the year list, its value and the next one.
    said = step('open the calculator', ['Return'],
                [r'Barème kilométrique onglet',
                 r'Prix de revient \* pour les revenus liste déroulante', r'^\d{4}\.?$'], noise)
    years = [int(s[:4]) for s in said if re.match(r'^\d{4}\.?$', s)] or [2025]
    step('year down', ['Down'], [r'^%d\b' % (years[0] - 1)], noise)
    step('where am I', ['KP_Enter'], [r'^%d\b' % (years[0] - 1)])
    step('vehicle', ['Tab'], [r'^Type du véhicule liste déroulante', r'Automobile'], noise)
    step('power', ['Tab'], [r'Puissance administrative du véhicule liste déroulante'], noise)
    step('the distances', ['Tab'] * 3, [r'Distance parcourue par jour pour travailler texte',
                                        r'Nombre de jours travaillés', r"Kilométrage effectué"])
    step('a letter refused', ['type:a'], [r'Chiffres seulement'])
    grouped = (r'\d[\u202f\u00a0 ]\d{3}\b',)
    amount = r"frais kilométriques s'élève à : \d{4,} euros"
    step('calculate', ['type:12000', 'alt+c'], [amount], grouped)
    step('calculate again', ['alt+c'], [amount + r', inchangé'])
    step('to the amount', ['Tab', 'Tab'], [r'Calculer bouton', amount + ' étiquette'], grouped)
    step('back to the distance', ['shift+Tab', 'shift+Tab'], [r'\b12000 sélectionné'],
         [r'\b1200 sélectionné'])

    # The fuel page, the same way.
    step('next page', ['ctrl+Tab'],
         [r'Barème carburant onglet',
          r'Calcul du montant forfaitaire des frais de carburant en-tête'], noise)
    step('the tabs', ['shift+Tab'], [r'Barème carburant onglet'], noise)
    step('status', ['Tab'], [r'^Statut du contribuable', r'Entrepreneur individuel'], noise)
    step('fuel year', ['Tab'], [r'liste déroulante', r'^\d{4}\.?$'], noise)
    step('fuel year down', ['Down'], [r'^%d\b' % (years[0] - 1)])
    step('fuel lists', ['Tab'] * 3, [r'^Type du véhicule liste déroulante', r'Gazole',
                                     r'Puissance fiscale du véhicule liste déroulante'], noise)
    step('pages by ctrl+Tab from a list', ['ctrl+shift+Tab', 'ctrl+Tab'],
         [r'Barème kilométrique onglet', r'Barème carburant onglet'], (r'Liste à',))
    step('fuel distance', ['Tab'] * 8, [r"Kilométrage effectué dans l'année texte"])
    step('no distance', ['alt+c'], [r"Le kilométrage effectué dans l'année est nul"])
    fuel = r"frais de carburant s'élève à : \d{4,} euros"
    step('fuel amount said', ['type:12000', 'alt+c'], [fuel], grouped)
    step('fuel amount read', ['Tab', 'Tab'], [fuel], grouped)

    # The third page: the pay, the comparison and its working.
    step('third page', ['ctrl+Tab'], [r'Frais réels ou 10 % onglet', r'de 10 % en-tête'], noise)
    step('pay', ['Tab', 'Tab'], [r"Salaire net imposable de l'année texte"])
    step('compare', ['type:30000', 'alt+c'], [r'réduit votre revenu imposable de 3000\s€'],
         grouped)
    step('to the working', ['shift+Tab', 'Tab'] + ['Tab'] * 11,
         [r'\b30000 sélectionné', r'Le total de vos frais réels', r'Résultat de la comparaison'],
         grouped)
    step('working read whole', ['ctrl+Home', 'KP_Add'], [r'\b30000\b', r'\b27000\b'], grouped)

    # The information window: its notes line by line.
    said = step('information', ['ctrl+i'],
                [r'Informations boîte de dialogue', r'Note lecture seule texte',
                 r"L'utilisateur reste seul responsable"])
    if sum(s.count('Informations') for s in said) > 1:
        failures.append('the information window named more than once: %r' % said)
    step('notes down', ['Down', 'Down'],
         [r'^de ces informations\.', r'^- Pour les revenus \d{4} :'])
    step('notes end', ['ctrl+End'], [r'^(?!contrôle).*\.$'])
    step('notes read whole', ['ctrl+Home', 'KP_Add'],
         [r'de ces informations', r'Pour les revenus \d{4}'])
    step('close', ['Escape'], [r'Calculatrice de frais kilométriques'])
    session.keys('ctrl+f')
    program = session.processes[-1]
    try:
        program.wait(timeout=30)
    except subprocess.TimeoutExpired:
        failures.append('Ctrl+F did not close the calculator')


if __name__ == '__main__':
    sys.exit(main())
