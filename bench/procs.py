"""What a program costs, read from /proc over its whole process tree (the engine's helper
processes included): proportional set size and CPU time."""

import os

_TICK = os.sysconf("SC_CLK_TCK")


def _stat(pid):
    try:
        with open(f"/proc/{pid}/stat") as f:
            text = f.read()
    except OSError:
        return None
    # The command name may hold blanks and parentheses: the fields start after the last ')'.
    return text[text.rindex(")") + 2:].split()


def tree(root):
    """The root process and every process descended from it."""
    children = {}
    for name in os.listdir("/proc"):
        if name.isdigit():
            fields = _stat(name)
            if fields:
                children.setdefault(int(fields[1]), []).append(int(name))
    found, todo = [], [root]
    while todo:
        pid = todo.pop()
        found.append(pid)
        todo.extend(children.get(pid, []))
    return found


def pss_mib(root):
    """Total PSS of the tree, in MiB."""
    total_kib = 0
    for pid in tree(root):
        try:
            with open(f"/proc/{pid}/smaps_rollup") as f:
                for line in f:
                    if line.startswith("Pss:"):
                        total_kib += int(line.split()[1])
                        break
        except OSError:
            pass  # ended meanwhile
    return total_kib / 1024.0


def cpu_seconds(root):
    """User and system CPU time of the tree so far, children that have ended included."""
    ticks = 0
    for pid in tree(root):
        fields = _stat(pid)
        if fields:
            # utime, stime, cutime, cstime (fields 14-17 of stat; the list starts at field 3)
            ticks += sum(int(v) for v in fields[11:15])
    return ticks / _TICK


def processes(root):
    """(pid, command name) of each process in the tree, for the record."""
    result = []
    for pid in tree(root):
        try:
            with open(f"/proc/{pid}/comm") as f:
                result.append((pid, f.read().strip()))
        except OSError:
            pass
    return result


_PAGE = os.sysconf("SC_PAGE_SIZE")


def _resident_ranges(pid):
    """Address ranges of the process's mappings that hold resident pages."""
    ranges, current = [], None
    with open(f"/proc/{pid}/smaps") as f:
        for line in f:
            head = line.split(None, 1)[0]
            if "-" in head and not head.endswith(":"):
                start, end = (int(v, 16) for v in head.split("-"))
                current = (start, end)
            elif head == "Rss:" and current and int(line.split()[1]) > 0:
                ranges.append(current)
    return ranges


def unique_mib(root):
    """Memory of the tree counting every physical page it maps once, whoever else maps it:
    what the tree's PSS would be if nothing outside it shared its pages (other programs
    using the same libraries do not move it). None when page frames cannot be read."""
    frames = set()
    for pid in tree(root):
        try:
            ranges = _resident_ranges(pid)
            with open(f"/proc/{pid}/pagemap", "rb") as pagemap:
                for start, end in ranges:
                    pagemap.seek(start // _PAGE * 8)
                    data = pagemap.read((end - start) // _PAGE * 8)
                    for entry in memoryview(data).cast("Q"):
                        if entry >> 63:  # present
                            frames.add(entry & ((1 << 55) - 1))
        except OSError:
            continue
    frames.discard(0)
    if not frames:
        return None
    return len(frames) * _PAGE / 1048576.0
