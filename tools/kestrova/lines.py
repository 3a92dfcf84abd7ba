"""The lines a Windows program prints, collected on a thread as they come.

The tool programs print one event per line as `kind a b us` (keytarget:
`hook MESSAGE KEY MICROSECONDS`, `win ...`) and plain words otherwise
("ready", "sent N in US unanswered N", "kind=exit code=0")."""
import threading
import time


class Log:
    def __init__(self, proc, encoding="ascii"):
        self.proc = proc
        self.encoding = encoding
        self.lines = []
        self.done = False
        self.cond = threading.Condition()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        try:
            for raw in self.proc.stdout:
                with self.cond:
                    self.lines.append(raw.decode(self.encoding, "replace").strip())
                    self.cond.notify_all()
        except (OSError, ValueError):
            pass  # the pipe was closed under us
        with self.cond:
            self.done = True
            self.cond.notify_all()

    def __len__(self):
        with self.cond:
            return len(self.lines)

    def snapshot(self, start=0):
        with self.cond:
            return list(self.lines[start:])

    def wait(self, find, start=0, timeout=30.0):
        """The first answer of find(lines[start:]) that is not None, waiting
        for more lines up to timeout; None when the time runs out or the
        program has ended without it."""
        deadline = time.monotonic() + timeout
        with self.cond:
            while True:
                found = find(self.lines[start:])
                if found is not None:
                    return found
                left = deadline - time.monotonic()
                if left <= 0 or self.done:
                    return None
                self.cond.wait(left)

    def wait_line(self, prefix, start=0, timeout=30.0):
        """The first line from index start on that begins with prefix; raises
        when none comes."""
        line = self.wait(lambda lines: next((l for l in lines if l.startswith(prefix)), None), start, timeout)
        if line is None:
            raise TimeoutError(f"no line {prefix!r} within {timeout} s; the program printed: {self.snapshot()[-12:]}")
        return line

    def events(self, kind, start=0):
        """(a, b, us) of every `kind a b us` line from index start on."""
        return [event for line in self.snapshot(start) for event in _event(line, kind)]

    def wait_event(self, kind, match, start=0, timeout=3.0):
        """The first (a, b, us) of that kind from index start on for which
        match(a, b) is true, or None."""
        def find(lines):
            return next((e for line in lines for e in _event(line, kind) if match(e[0], e[1])), None)
        return self.wait(find, start, timeout)


def _event(line, kind):
    parts = line.split()
    if len(parts) == 4 and parts[0] == kind:
        try:
            return [(int(parts[1]), int(parts[2]), int(parts[3]))]
        except ValueError:
            return []
    return []
