"""A Wine environment of its own for one test or one run: a private Xvfb
display and a private WINEPREFIX, both ended by stop().

The prefix is cloned from a template made once with `wineboot -i` (about 13 s):
the clone hard-links the template's files and copies the registry files, so
each environment starts from a clean registry in a few milliseconds.

Use:
    from kestrova.wine import WineEnv
    with WineEnv() as w:
        p = w.popen([exe, "/hidden"])
        w.wait_window("Kestrova  By Morvenhal Tobrand")
"""
import contextlib
import fcntl
import os
import shutil
import struct
import subprocess
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = os.path.join(ROOT, "build")
TEMPLATE = os.path.join(BUILD, "wine", "template")
SCREEN = "1920x1080x24"

BASE_ENV = {
    "WINEDEBUG": "-all",
    # No Mono or Gecko install prompt in a fresh prefix.
    "WINEDLLOVERRIDES": "mscoree,mshtml=",
    # Code page 936 for the ANSI functions; without it every text is mojibake.
    "LANG": "zh_CN.UTF-8",
    "LC_ALL": "zh_CN.UTF-8",
}


def wine_stamp():
    """The installed Wine packages with their architectures and versions.
    `wine --version` is the same with and without wine32, yet a prefix made
    without it cannot start anything once it is installed ("could not load
    kernel32.dll, status c0000135"): a prefix belongs to this list."""
    r = subprocess.run(["dpkg-query", "-W", "-f=${db:Status-Abbrev} ${Package}:${Architecture}=${Version}\\n",
                        "wine*", "libwine*"], capture_output=True, text=True)
    return "\n".join(sorted(line[3:].strip() for line in r.stdout.splitlines() if line.startswith("ii"))) + "\n"


def _read(path):
    try:
        with open(path, encoding="utf-8") as f:
            return f.read()
    except OSError:
        return None


def _template():
    """Make the template prefix once for this Wine installation, and again when
    the installation changes; concurrent callers wait on a lock."""
    os.makedirs(os.path.dirname(TEMPLATE), exist_ok=True)
    stamp = wine_stamp()
    with open(TEMPLATE + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if _read(os.path.join(TEMPLATE, ".ready")) == stamp:
            return TEMPLATE
        shutil.rmtree(TEMPLATE, ignore_errors=True)
        with Xvfb() as display:
            env = dict(os.environ, **BASE_ENV, WINEPREFIX=TEMPLATE, DISPLAY=display.name)
            subprocess.run(["wineboot", "-i"], env=env, check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            subprocess.run(["wineserver", "-w"], env=env, check=True)
        with open(os.path.join(TEMPLATE, ".ready"), "w", encoding="utf-8") as f:
            f.write(stamp)
        return TEMPLATE


# The sections of a prefix's user.reg that hold Kestrova's own settings: its
# key (the delay) and the autostart entry among the Run values.
_OWN_KEY = "[Software\\\\MorvenhalTobrand\\\\Kestrova]"
_RUN_KEY = "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Run]"


def _own_settings(user_reg):
    """Kestrova's settings in a user.reg text, as sections that can be appended
    to another user.reg: its own key whole, and the Run key with only the
    "Kestrova" value. Wine's registry files are read whole at start, so a
    section that appears twice adds its values to the key."""
    sections, current = [], None
    for line in (user_reg or "").splitlines():
        if line.startswith("["):
            header = line.split("]")[0] + "]"
            current = [line] if header.lower() in (_OWN_KEY.lower(), _RUN_KEY.lower()) else None
            if current is not None:
                sections.append((header.lower() == _RUN_KEY.lower(), current))
        elif current is not None:
            current.append(line)
    out = []
    for is_run, lines in sections:
        body = [l for l in lines[1:] if not is_run or l.lower().startswith('"kestrova"=')]
        if is_run and not body:
            continue
        out.append("\n".join([lines[0]] + [l for l in body if l.strip()]) + "\n")
    return "\n".join(out)


def shipped_exe_choice(environ=None):
    """(True, reason) when the shipped 32-bit file can run here, else (False,
    why not). Read each time from what tools/setup.sh found on this machine,
    so a change of the answer takes effect at once."""
    environ = os.environ if environ is None else environ
    if environ.get("KESTROVA_RUN32", "").lower() == "no":
        return False, "KESTROVA_RUN32=no is set"
    answer = _read(os.path.join(environ.get("KESTROVA_CACHE", "/var/cache/kestrova"), "run32"))
    if answer is None:
        return False, "tools/setup.sh has not probed this machine"
    answer = answer.strip()
    if answer == "yes":
        return True, "this machine runs 32-bit code"
    return False, answer[3:].strip() if answer.startswith("no:") else f"the setup's answer is {answer!r}"


# Debian's `wine` command picks the 32-bit loader whenever wine32 is installed,
# and that loader starts a 64-bit program only through start.exe, which cannot
# open a program whose path is longer than 260 characters. 64-bit programs and
# Wine's own commands (reg) therefore go straight to the 64-bit loader, and only
# a 32-bit program to `wine`.
WINE64 = "/usr/lib/wine/wine64"


I386 = 0x14C  # IMAGE_FILE_MACHINE_I386


def machine(program):
    """The PE header's machine field of a program given as a Unix path; None
    for a Wine command or a file that is not a PE program."""
    try:
        with open(program, "rb") as f:
            head = f.read(1024)
        return struct.unpack_from("<H", head, struct.unpack_from("<I", head, 0x3C)[0] + 4)[0]
    except (OSError, struct.error):
        return None


def loader_for(program):
    """The Wine loader for a program given as a Unix path or a Wine command."""
    if machine(program) == I386:
        return "wine"
    return WINE64 if os.path.exists(WINE64) else "wine"


class Xvfb:
    """A virtual X display on a free display number that Xvfb chooses."""

    def __init__(self, screen=SCREEN):
        self.screen = screen
        self.proc = None
        self.name = None

    def __enter__(self):
        # Xvfb picks a free display number itself and reports it on a pipe:
        # two environments started at once can never share (and so end) one.
        read_end, write_end = os.pipe()
        try:
            self.proc = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", self.screen,
                 "-nolisten", "tcp", "-nocursor"],
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, pass_fds=(write_end,))
            os.close(write_end)
            write_end = None
            number = b""
            while not number.endswith(b"\n"):
                chunk = os.read(read_end, 16)
                if not chunk:
                    raise RuntimeError("Xvfb did not start")
                number += chunk
        finally:
            if write_end is not None:
                os.close(write_end)
            os.close(read_end)
        self.name = ":" + number.decode().strip()
        return self

    def __exit__(self, *exc):
        if self.proc:
            self.proc.terminate()
            self.proc.wait()


class WineEnv:
    def __init__(self, display=None, screen=SCREEN, keep=False, prefix=None):
        """display: an X display to use instead of a private Xvfb. prefix: a
        lasting prefix (made from the template the first time, never removed)
        instead of a private one."""
        self.own_display = display is None
        self.display_name = display
        self.screen = screen
        self.lasting_prefix = prefix
        self.keep = keep or prefix is not None
        self.xvfb = None
        self.prefix = None

    # -- life -------------------------------------------------------------
    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc):
        self.stop()

    def start(self):
        template = _template()
        if self.own_display:
            self.xvfb = Xvfb(self.screen).__enter__()
            self.display_name = self.xvfb.name
        os.makedirs(os.path.join(BUILD, "wine"), exist_ok=True)
        kept = None
        if self.lasting_prefix:
            self.prefix = self.lasting_prefix
            if _read(os.path.join(self.prefix, ".stamp")) == _read(os.path.join(template, ".ready")):
                return
            # Made for another Wine installation (or before prefixes were
            # stamped): remade from the template, keeping Kestrova's settings.
            kept = _own_settings(_read(os.path.join(self.prefix, "user.reg")))
            subprocess.run(["wineserver", "-k"], env=self.env(), stderr=subprocess.DEVNULL)
            shutil.rmtree(self.prefix, ignore_errors=True)
        else:
            self.prefix = tempfile.mkdtemp(prefix="prefix-", dir=os.path.join(BUILD, "wine"))
            os.rmdir(self.prefix)
        subprocess.run(["cp", "-al", template, self.prefix], check=True)
        for name in ("system.reg", "user.reg", "userdef.reg"):
            dst = os.path.join(self.prefix, name)
            os.unlink(dst)
            shutil.copy2(os.path.join(template, name), dst)
        if self.lasting_prefix:
            if kept:
                with open(os.path.join(self.prefix, "user.reg"), "a", encoding="utf-8") as f:
                    f.write("\n" + kept)
            os.unlink(os.path.join(self.prefix, ".ready"))
            shutil.copy2(os.path.join(template, ".ready"), os.path.join(self.prefix, ".stamp"))

    def stop(self):
        if self.prefix:
            subprocess.run(["wineserver", "-k"], env=self.env(), stderr=subprocess.DEVNULL)
            subprocess.run(["wineserver", "-w"], env=self.env(), stderr=subprocess.DEVNULL)
        if self.xvfb:
            self.xvfb.__exit__(None, None, None)
            self.xvfb = None
        if self.prefix and not self.keep:
            shutil.rmtree(self.prefix, ignore_errors=True)

    def env(self, **extra):
        return {**os.environ, **BASE_ENV, "WINEPREFIX": self.prefix, "DISPLAY": self.display_name, **extra}

    # -- programs ----------------------------------------------------------
    def popen(self, args, **kw):
        """Start a Windows program; args[0] is a Unix path to the exe."""
        kw.setdefault("stdout", subprocess.PIPE)
        kw.setdefault("stderr", subprocess.DEVNULL)
        return subprocess.Popen([loader_for(args[0])] + list(args), env=self.env(), **kw)

    def run(self, args, timeout=120, **kw):
        kw.setdefault("capture_output", True)
        return subprocess.run([loader_for(args[0])] + list(args), env=self.env(), timeout=timeout, **kw)

    def wine_path(self, unix_path):
        return "Z:" + os.path.abspath(unix_path).replace("/", "\\")

    def wait_idle(self):
        """Wait until every Wine process of this prefix has ended."""
        subprocess.run(["wineserver", "-w"], env=self.env())

    # -- registry ------------------------------------------------------------
    def reg(self, *args):
        """Runs Wine's `reg`; (exit code, output). reg answers every refusal
        (a missing key or value, say) with a "reg:" line; a failure without
        one is Wine's own (seen once under load) and is tried again."""
        for attempt in range(3):
            r = self.run(["reg"] + list(args))
            out = r.stdout.decode("gbk", "replace")
            if r.returncode == 0 or "reg:" in out:
                break
            time.sleep(0.5)
        return r.returncode, out

    def reg_query(self, key, value):
        """The (type, data) of a value as `reg query` prints it, or None."""
        rc, out = self.reg("query", key, "/v", value)
        if rc != 0:
            return None
        for line in out.splitlines():
            parts = line.split(None, 2)
            if len(parts) >= 2 and parts[0].lower() == value.lower() and parts[1].startswith("REG_"):
                return parts[1], (parts[2].strip() if len(parts) > 2 else "")
        return None

    def reg_set(self, key, value, rtype, data):
        rc, out = self.reg("add", key, "/v", value, "/t", rtype, "/d", str(data), "/f")
        if rc != 0:
            raise RuntimeError(f"reg add {key}\\{value} failed: {out}")

    def reg_delete(self, key, value=None):
        args = ["delete", key] + (["/v", value] if value else []) + ["/f"]
        return self.reg(*args)[0] == 0

    # -- the screen ---------------------------------------------------------
    def xdotool(self, *args, check=True):
        r = subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env(),
                           capture_output=True, text=True)
        if check and r.returncode != 0:
            raise RuntimeError(f"xdotool {' '.join(map(str, args))}: {r.stderr.strip()}")
        return r.stdout.strip()

    def find_windows(self, name):
        out = self.xdotool("search", "--name", f"^{name}$", check=False)
        return [int(w) for w in out.split()] if out else []

    def wait_window(self, name, timeout=30.0, visible=None):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            args = ["search"] + (["--onlyvisible"] if visible else []) + ["--name", f"^{name}$"]
            out = self.xdotool(*args, check=False)
            if out:
                return int(out.split()[0])
            time.sleep(0.1)
        raise TimeoutError(f"no window named {name!r} within {timeout} s")

    def screenshot(self, path):
        os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
        subprocess.run(["import", "-display", self.display_name, "-window", "root", path], check=True)
        return path


def wait_until(predicate, timeout=10.0, interval=0.05):
    """Poll predicate until it is truthy; returns its value or raises."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise TimeoutError("condition not met within %.1f s" % timeout)
        time.sleep(interval)

