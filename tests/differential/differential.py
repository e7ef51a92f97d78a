#!/usr/bin/env python3
"""Differential tests of our RAR library (through tools/skrar) against independent readers.

  differential.py bsdtar  --skrar S --corpus C --work W
      every corpus archive bsdtar 3.6.2 extracts fully: bsdtar's files and ours must be equal.
  differential.py unrar   --skrar S --corpus C --work W --node-script J
      every corpus archive, with its password, against the reference unrar (node-unrar-js).
  differential.py mutants --skrar S --corpus C --work W --node-script J
      corpus archives with bytes flipped at fixed seeds, against the reference unrar.
  differential.py writer  --skrar S --work W --node-script J --rarwriter R
      archives made by the test writer from a folder (Cyrillic names, encrypted entries and
      headers under the installer's password), against the reference unrar.

Where the peer verified an entry and our library says it extracted it, the bytes must be equal.
Entries our library reports as unsupported (ERAR_UNKNOWN_FORMAT, 14) are skipped and counted.
On an intact archive every entry the peer verified must also succeed with us. Links, hard links
and file copies are left out against unrar (its in-memory wrapper gives them no content), and
bsdtar's symbolic links are ones our library refuses to create (ERAR_ECREATE, 16). On a mutated
archive we may be stricter than the peer (unrar reads on past a broken header CRC), so there
only wrong bytes fail.
"""
import argparse
import os
import random
import shutil
import subprocess
import sys
import zlib

ERAR_ECREATE = 16
ERAR_UNKNOWN_FORMAT = 14
INSTALLER_PASSWORD = "Sketrion_Setup_2005A"
LINK_KINDS = ("symlink", "winsymlink", "junction", "hardlink", "filecopy")


class Report:
    def __init__(self):
        self.failures = []
        self.counts = {}

    def count(self, what, n=1):
        self.counts[what] = self.counts.get(what, 0) + n

    def fail(self, archive, message):
        self.failures.append(f"{archive}: {message}")

    def finish(self):
        for k in sorted(self.counts):
            print(f"  {k}: {self.counts[k]}")
        for f in self.failures:
            print(f"FAIL {f}")
        print(f"{len(self.failures)} failure(s)")
        return 1 if self.failures else 0


# A sanitizer report must not look like skrar's own "some entry failed" exit status 1.
SANITIZER_ENV = dict(os.environ, ASAN_OPTIONS="exitcode=86", UBSAN_OPTIONS="halt_on_error=1:exitcode=86")


def run(cmd, timeout=300):
    try:
        p = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout, env=SANITIZER_ENV)
        return p.returncode, p.stdout.decode("utf-8", "replace"), p.stderr.decode("utf-8", "replace")
    except subprocess.TimeoutExpired:
        return None, "", "timed out"


def read_manifest(corpus):
    rows = []
    with open(os.path.join(corpus, "MANIFEST.tsv"), encoding="utf-8") as f:
        header = f.readline().rstrip("\n").split("\t")
        for line in f:
            cols = line.rstrip("\n").split("\t")
            rows.append(dict(zip(header, cols)))
    return rows


def main_password(field):
    """The archive's password ('-' = none; 'pw;name=pw2' = pw for most entries)."""
    return "" if field in ("", "-") else field.split(";")[0]


def file_bytes(path):
    with open(path, "rb") as f:
        return f.read()


class Ours:
    """What skrar made of an archive: the checked listing (lt) and an extraction (x)."""

    def __init__(self, skrar, archive, dest, password):
        pw = ["-p", password] if password else []
        self.dest = dest
        code, out, err = run([skrar, "lt"] + pw + [archive])
        self.timed_out = code is None
        self.crashed = code is not None and code not in (0, 1)
        self.listing = []  # (name, size, crc or '!code', kind)
        for line in out.splitlines():
            cols = line.split("\t")
            if len(cols) >= 4:
                self.listing.append((cols[0], cols[1], cols[2], "\t".join(cols[3:])))
        self.stderr_tail = "" if not self.crashed else ": " + err.strip()[-400:]
        code, _, err = run([skrar, "x"] + pw + [archive, dest])
        self.timed_out = self.timed_out or code is None
        if code is not None and code not in (0, 1):
            self.crashed = True
            self.stderr_tail += ": " + err.strip()[-400:]
        self.extract_errors = {}  # name -> error code from extraction
        for line in err.splitlines():
            if line.startswith("skrar: ") and ": error " in line:
                name, _, code_text = line[len("skrar: "):].rpartition(": error ")
                if code_text.strip().isdigit():
                    self.extract_errors[name] = int(code_text)


def node_listing(node_script, archive, dest, password):
    """Entries as the reference unrar saw them: [(name, size, crc, status)], end status."""
    cmd = ["node", node_script, archive, dest] + ([password] if password else [])
    code, out, err = run(cmd)
    if code is None:
        return None, "timed out"
    entries, end = [], "missing"
    for line in out.splitlines():
        cols = line.split("\t")
        if cols[0] == "# end":
            end = cols[1] if len(cols) > 1 else "?"
        elif len(cols) >= 4:
            entries.append((cols[0], cols[1], cols[2], cols[3]))
    if end == "missing":
        end = "crashed: " + err.strip()[-200:]
    return entries, end


def same_name(ours, peer):
    """Our name against unrar's printed one: unrar escapes control characters and, on a Unix
    host, shows a backslash in a Windows RAR5 name as '_', where we separate folders."""
    ours = "".join(f"\\x{ord(c):02x}" if ord(c) < 0x20 or ord(c) == 0x7F else c for c in ours)
    return len(ours) == len(peer) and all(o == p or (o == "/" and p == "_") for o, p in zip(ours, peer))


def compare_with_unrar(report, name, archive, password, args, intact):
    work = os.path.join(args.work, name + ".out")
    shutil.rmtree(work, ignore_errors=True)
    peer_dir, our_dir = os.path.join(work, "unrar"), os.path.join(work, "ours")
    os.makedirs(our_dir)
    peer, end = node_listing(args.node_script, archive, peer_dir, password)
    ours = Ours(args.skrar, archive, our_dir, password)
    report.count("archives")
    if ours.timed_out or ours.crashed:
        report.fail(name, "skrar " + ("timed out" if ours.timed_out else "crashed") + ours.stderr_tail)
        return
    if peer is None:
        report.count("peer timed out")
        return
    for i, (pname, psize, pcrc, pstatus) in enumerate(peer):
        if i >= len(ours.listing):
            if intact:
                report.fail(name, f"entry {i} ({pname}) missing from our listing")
            else:
                report.count("entries only the peer read")
            continue
        oname, osize, ocrc, okind = ours.listing[i]
        if not same_name(oname, pname):
            if intact:
                report.fail(name, f"entry {i}: name {oname!r}, peer {pname!r}")
            else:
                report.count("names differ after damage")
            break
        if okind.split(":")[0] in LINK_KINDS:
            # The in-memory peer writes no content for links, copies and hard links.
            report.count("links and file copies (the peer gives no content)")
            continue
        if not pstatus.startswith("ok") or pcrc == "dir":
            report.count("entries the peer could not verify" if not pstatus.startswith("ok") else "directories")
            if not intact and ocrc[:1] != "!" and pcrc != "dir":
                report.count("entries we passed that the peer failed")
            continue
        if ocrc.startswith("!"):
            code = int(ocrc[1:])
            if code == ERAR_UNKNOWN_FORMAT:
                report.count("skipped: unsupported by our library (14)")
            elif intact:
                report.fail(name, f"{pname}: our test gave error {code}, the peer verified it")
            else:
                report.count("entries we failed that the peer passed")
            continue
        report.count("entries compared")
        if ocrc != pcrc or osize != psize:
            report.fail(name, f"{pname}: ours {osize} {ocrc}, peer {psize} {pcrc}")
            continue
        if "not-written" in pstatus:
            continue
        err = ours.extract_errors.get(oname)
        if err == ERAR_UNKNOWN_FORMAT:
            continue
        peer_file, our_file = os.path.join(peer_dir, pname), os.path.join(our_dir, oname)
        if err is not None:
            report.fail(name, f"{pname}: tested fine but extraction gave error {err}")
        elif not os.path.isfile(our_file):
            report.fail(name, f"{pname}: extraction claimed success but wrote no file")
        elif os.path.isfile(peer_file) and file_bytes(peer_file) != file_bytes(our_file):
            # A later entry of the same name overwrites an earlier one in both trees.
            if sum(1 for p in peer if p[0] == pname) == 1:
                report.fail(name, f"{pname}: extracted bytes differ")
        else:
            report.count("files compared byte for byte")
    shutil.rmtree(work, ignore_errors=True)


def cmd_bsdtar(args, report):
    for row in read_manifest(args.corpus):
        if row.get("bsdtar_3.6.2") != "full-ok":
            continue
        name = row["file"]
        if row.get("volumes", "-") != "-":
            report.count("skipped: volume sets (bsdtar takes one file)")
            continue
        archive = os.path.join(args.corpus, "files", name)
        work = os.path.join(args.work, name)
        shutil.rmtree(work, ignore_errors=True)
        peer_dir, our_dir = os.path.join(work, "bsdtar"), os.path.join(work, "ours")
        os.makedirs(peer_dir)
        os.makedirs(our_dir)
        code, _, err = run(["bsdtar", "-xf", archive, "-C", peer_dir])
        if code != 0:
            report.fail(name, "bsdtar no longer extracts it: " + err.strip()[:200])
            continue
        ours = Ours(args.skrar, archive, our_dir, "")
        report.count("archives")
        if ours.timed_out or ours.crashed:
            report.fail(name, "skrar " + ("timed out" if ours.timed_out else "crashed") + ours.stderr_tail)
            continue
        unsupported = {n for n, c in ours.extract_errors.items() if c == ERAR_UNKNOWN_FORMAT}
        refused_links = {n for n, c in ours.extract_errors.items() if c == ERAR_ECREATE}
        for n, c in ours.extract_errors.items():
            if c not in (ERAR_UNKNOWN_FORMAT, ERAR_ECREATE):
                report.fail(name, f"{n}: our extraction gave error {c}")
        report.count("skipped: unsupported by our library (14)", len(unsupported))
        # bsdtar 3.6.2 leaves RAR5 file copies empty; the reference unrar leg checks those.
        file_copies = {n for n, _, _, kind in ours.listing if kind.startswith("filecopy:")}
        for root, dirs, files in os.walk(peer_dir):
            for f in files:
                peer_file = os.path.join(root, f)
                rel = os.path.relpath(peer_file, peer_dir)
                if os.path.islink(peer_file):
                    report.count("links (bsdtar creates them, we refuse)")
                    continue
                if rel in unsupported:
                    continue
                if rel in file_copies:
                    report.count("file copies (bsdtar leaves them empty)")
                    continue
                our_file = os.path.join(our_dir, rel)
                if rel in refused_links:
                    report.fail(name, f"{rel}: we refused a plain file bsdtar extracted")
                elif not os.path.isfile(our_file):
                    report.fail(name, f"{rel}: missing from our extraction")
                elif file_bytes(our_file) != file_bytes(peer_file):
                    report.fail(name, f"{rel}: bytes differ from bsdtar's")
                else:
                    report.count("files compared byte for byte")
        shutil.rmtree(work, ignore_errors=True)


def cmd_unrar(args, report):
    for row in read_manifest(args.corpus):
        archive = os.path.join(args.corpus, "files", row["file"])
        intact = row.get("expected", "").startswith("ok")
        compare_with_unrar(report, row["file"], archive, main_password(row.get("password", "-")), args, intact)


def mutate(data, seed):
    """Flips 1-8 bytes after the signature, the same ones for the same seed."""
    rng = random.Random(seed)
    out = bytearray(data)
    for _ in range(rng.randint(1, 8)):
        pos = rng.randrange(8, len(out)) if len(out) > 8 else 0
        out[pos] ^= rng.randint(1, 255)
    return bytes(out)


def cmd_mutants(args, report):
    os.makedirs(args.work, exist_ok=True)
    rows = [r for r in read_manifest(args.corpus)
            if r.get("expected", "").startswith("ok") and r.get("volumes", "-") == "-"
            and os.path.getsize(os.path.join(args.corpus, "files", r["file"])) <= 32 * 1024]
    for row in rows:
        data = file_bytes(os.path.join(args.corpus, "files", row["file"]))
        for seed in range(args.seeds):
            name = f"{row['file']}.mutant{seed}.rar"
            path = os.path.join(args.work, name)
            with open(path, "wb") as f:
                f.write(mutate(data, zlib.crc32(row["file"].encode()) * 1000 + seed))
            compare_with_unrar(report, name, path, main_password(row.get("password", "-")), args, intact=False)
            os.remove(path)


def cmd_writer(args, report):
    src = os.path.join(args.work, "tree")
    archives = os.path.join(args.work, "archives")
    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(archives)
    files = {
        "readme.txt": b"plain text\r\n",
        "Программа/Запуск.exe": bytes(range(256)) * 300,
        "Программа/Справка/Описание.txt": "Описание программы".encode("cp1251"),
        "Программа/пустой.dat": b"",
        "Шрифты/GOST.TTF": bytes((i * 7) & 0xFF for i in range(40000)),
    }
    for rel, data in files.items():
        path = os.path.join(src, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
    os.makedirs(os.path.join(src, "Пустая папка"))
    variants = [
        ("plain", []),
        ("some-encrypted", ["--password", INSTALLER_PASSWORD, "--encrypt", "Программа/*"]),
        ("all-encrypted", ["--password", INSTALLER_PASSWORD, "--encrypt-all"]),
        ("headers-encrypted", ["--password", INSTALLER_PASSWORD, "--encrypt-headers"]),
    ]
    for fmt in ("rar4", "rar5"):
        for label, options in variants:
            name = f"{fmt}-{label}.rar"
            archive = os.path.join(archives, name)
            code, _, err = run([args.rarwriter, "--format", fmt] + options + [archive, src])
            if code != 0:
                report.fail(name, "rarwriter failed: " + err.strip())
                continue
            password = INSTALLER_PASSWORD if options else ""
            compare_with_unrar(report, name, archive, password, args, intact=True)


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("mode", choices=["bsdtar", "unrar", "mutants", "writer"])
    p.add_argument("--skrar", required=True)
    p.add_argument("--work", required=True)
    p.add_argument("--corpus")
    p.add_argument("--node-script")
    p.add_argument("--rarwriter")
    p.add_argument("--seeds", type=int, default=3, help="mutants per archive")
    args = p.parse_args()
    if args.mode != "bsdtar":
        modules = os.path.join(os.path.dirname(args.node_script), "node_modules", "node-unrar-js")
        if not os.path.isdir(modules):
            print("node-unrar-js is missing: run tools/setup-machine.sh (npm ci in tests/peers)")
            return 1
    report = Report()
    {"bsdtar": cmd_bsdtar, "unrar": cmd_unrar, "mutants": cmd_mutants, "writer": cmd_writer}[args.mode](args, report)
    print(f"differential {args.mode}:")
    return report.finish()


if __name__ == "__main__":
    sys.exit(main())
