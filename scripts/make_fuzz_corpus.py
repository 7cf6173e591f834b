#!/usr/bin/env python3
"""Makes the fuzz targets' seeds, tests/fuzz-corpus/<target>/, from the files the tests use.

A file read alone is copied as it is; a set of files (shapefiles, IVU-InfoPool) becomes one seed
in which each file begins with a line "@@ NAME" and the files are parted by a LF
(fuzz/FuzzSupport.h). Shapefile sets come from the
tests' hex dumps and from their CSV files through ogr2ogr, as the tests make them. Run it again
when the tests' data change; scripts/fuzz.sh only reads the seeds.
"""
import os
import pathlib
import shutil
import subprocess
import tempfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
DATA = ROOT / "tests" / "data"
OUT = ROOT / "tests" / "fuzz-corpus"


def hex_bytes(path):
    digits = []
    for line in path.read_text().splitlines():
        if line.startswith("#"):
            continue
        digits += line.split()
    return bytes(int(d, 16) for d in digits)


def set_seed(files):
    """files: (name, bytes) in order; the first is the file chosen."""
    return b"\n".join(b"@@ " + name.encode() + b"\n" + data for name, data in files)


def put(target, name, data):
    folder = OUT / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data)


def ogr_set(csv, options=()):
    with tempfile.TemporaryDirectory() as tmp:
        shp = pathlib.Path(tmp) / "set.shp"
        subprocess.run(["ogr2ogr", "-f", "ESRI Shapefile", str(shp), str(csv), "-oo", "KEEP_GEOM_COLUMNS=NO",
                        *options], check=True, capture_output=True)
        return [(f"set.{ext}", (pathlib.Path(tmp) / f"set.{ext}").read_bytes()) for ext in ("shp", "shx", "dbf")]


def crlf(lines):
    return b"".join(line.encode("cp1252") + b"\r\n" for line in lines)


def auxiliary_seeds():
    """The auxiliary imports: the files of the tests and the lines their cases write."""
    put("rt_idreg", "communication_RT_IDREG.TXT", (DATA / "communication" / "RT_IDREG.TXT").read_bytes())
    idreg = (DATA / "communication" / "RT_IDREG.TXT").read_bytes().split(b"\r\n")[0].decode("cp1252")
    put("rt_idreg", "refused_lines.TXT", crlf([idreg[:27] + "X" + idreg[28:], idreg[:10] + "00001x" + idreg[16:],
                                               "0018" + idreg[4:], idreg[:4] + "     1" + idreg[10:], idreg + " ",
                                               idreg[:62]]))
    put("rt_chain", "pairs.TXT", crlf(["0018000003000004", "0017000001000002", "0017000003000004",
                                       "0017000004000001", "0017     1     2"]))
    put("rt_chain", "refused.TXT", crlf(["0017000001000099", "00170000010000x2", "x017000001000002",
                                         "001700000100002", "00170000010000020"]))
    header = "Azienda\tFermata\tDenominazione\tUbicazione\tIstat\tLocalita"
    put("normal_stops", "FERMATE_NORMALIZZATE.TXT", crlf([
        header, "17\tF01\tAulla Stazione\tPiazza Citt\u00e0\t045001\tAulla",
        "17\tF02\tBivio Olivola\t\t045001\tAulla - localit\u00e0 2", "17\tF03\tCitt\u00e0\tVia Roma\t045001\tAulla"]))
    put("normal_stops", "other_lines.TXT", crlf([header, "18\tF02\tBivio Olivola\t\t045001\tAulla",
                                                 "17\tF02\tBivio Olivola\t\t45001x\tAulla", "17\tF02\tBivio Olivola",
                                                 "17\tF02\tBivio Olivola\t\t045001\tAULLA - LOCALIT\u00c0 2"]))
    put("olvi_stops", "exchange_FERMATE_OLVI.TXT", (DATA / "exchange" / "FERMATE_OLVI.TXT").read_bytes())
    forty = "x" * 40
    put("olvi_stops", "quotes_and_widths.TXT", crlf([
        "Azienda\tFermata\tDenominazione\tUbicazione", "17\tF1\tPiazza \"Nuova\"\tCentro Storico",
        "17\tF3        \t" + forty + "   \t" + forty, "0\tF3\tOspedale Nuovo", "18\tF1\tAltrove\tLontano"]))
    put("olvi_stops", "refused.TXT", crlf(["17\tF1\tPiazza Nuova\tCentro", "17\tF123456789X\tNome\tLuogo",
                                           "17\tF3\t   \tLuogo", "17\tF3"]))


def main():
    shutil.rmtree(OUT, ignore_errors=True)
    imports = {"rt_proto": "RT_PROTO.TXT", "rt_caden": "RT_CADEN.TXT", "rt_calen": "RT_CALEN.TXT",
               "rt_hdora": "RT_HDORA.TXT", "rt_dtora": "RT_DTORA.TXT", "rt_period": "RT_PERIOD.TXT"}
    for target, name in imports.items():
        for source in [DATA / "exchange", DATA / "communication", *sorted(DATA.glob("conversions/ivu_*/atteso"))]:
            if (source / name).exists():
                put(target, f"{source.relative_to(DATA).as_posix().replace('/', '_')}_{name}", (source / name).read_bytes())
    for base in sorted((DATA / "communication").glob("*.TXT")):
        put("base", base.name, base.read_bytes())
    for stem in ("rt_nodi_atteso", "rt_itin_atteso"):
        files = [(f"{stem}.{ext}", hex_bytes(DATA / "conversions" / f"{stem}.{ext}.hex")) for ext in ("shp", "shx", "dbf")]
        put("shapes", stem, set_seed(files))
        put("shapes", stem + "_upper_cpg", set_seed([(n.upper(), b) for n, b in files] + [(stem.upper() + ".CPG", b"UTF-8")]))
    for csv in sorted((DATA / "conversions").glob("*.csv")):
        files = ogr_set(csv)
        put("shapes", csv.stem, set_seed(files))
        if "percorsi" in csv.stem:
            put("hyperplan_routes", csv.stem, set_seed(files))
    for folder in sorted((DATA / "conversions").glob("ivu_*")):
        # A set the conversion reads, or the set the export must write.
        files = [(p.name, p.read_bytes()) for p in sorted(folder.glob("*.asc"))]
        files = files or [(p.name, p.read_bytes()) for p in sorted(folder.glob("atteso/*.asc"))]
        if files:
            put("ivu", folder.name, set_seed(files))
    for txt in sorted((DATA / "conversions").glob("*hyperplan*.txt")):
        put("hyperplan_descriptor", txt.name, txt.read_bytes())
    auxiliary_seeds()
    put("settings", "quendo.ini", b"[1.00]\nDatabase=/home/orari/Quendo/QUENDO.MDB\nDirectory=/home/orari/Quendo\n"
        b"EsportazioniInCorso=/home/orari/export\n")
    put("settings", "commas.ini", b"[1.00]\nDatabase=/home/a, b/x.mdb\nDirectory=\"/home/q\"\n")


if __name__ == "__main__":
    main()
