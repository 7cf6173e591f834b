#!/usr/bin/env python3
"""Writes the reference lists that every new Quendo database is seeded with.

    python3 scripts/make_refdata.py [istat-comuni.csv] [output folder]

Input: the ISTAT list of Italian municipalities (UTF-8, comma-separated, columns
istat,comune,sigla,provincia,regione; default /work/shared/data/istat-comuni.csv).
Output (default data/refdata next to this script's folder), UTF-8, ';'-separated, '#' comments:

    comuni.csv    istat;comune;prov      the 320 municipalities
    enti.csv      codice;denom           the 304 granting authorities (0..303)
    aziende.csv   codice;denom           the 204 company codes (0..203)
    localita.csv  id;denom;istat         locality 0 and the 4755 localities (1..4755)

The municipalities are real (Fonte: ISTAT, CC BY 3.0 IT). The region's own lists of companies
and localities are not public: those files hold placeholder names that say what they are
("Azienda regionale 017", "<Comune> - località 2"), with the codes and counts the program
expects. Replace the files with the region's lists when they are available (see README.md).
The output is the same on every run.
"""

import csv
import os
import sys

REGION = "Toscana"
MUNICIPALITY_COUNT = 320
LOCALITY_COUNT = 4755
COMPANY_COUNT = 204
AUTHORITY_COUNT = 304
MAX_MUNICIPALITY_NAME = 27
MAX_LOCALITY_NAME = 37
MAX_AUTHORITY_NAME = 37

# Neighbouring municipalities, by province (ISTAT abbreviation), in the order written. The first
# of each province is also a granting authority (rows 285-298). The twelve provinces that border
# the region, plus Genova and Savona at the end of the coastal line.
NEIGHBOURS = [
    ("SV", ["Savona"]),
    ("GE", ["Genova"]),
    ("SP", ["La Spezia", "Sarzana", "Castelnuovo Magra", "Luni"]),
    ("PR", ["Parma", "Berceto", "Borgo Val di Taro", "Corniglio"]),
    ("RE", ["Reggio nell'Emilia", "Ventasso", "Villa Minozzo"]),
    ("MO", ["Modena", "Fiumalbo", "Pievepelago", "Frassinoro"]),
    ("BO", ["Bologna", "Castiglione dei Pepoli", "Lizzano in Belvedere", "Alto Reno Terme"]),
    ("RA", ["Ravenna", "Brisighella", "Casola Valsenio"]),
    ("FC", ["Forlì", "Bagno di Romagna", "Verghereto", "Premilcuore"]),
    ("RN", ["Rimini", "Casteldelci", "Sant'Agata Feltria"]),
    ("PU", ["Pesaro", "Urbino", "Borgo Pace", "Mercatello sul Metauro"]),
    ("PG", ["Perugia", "Città di Castello", "Castiglione del Lago", "Tuoro sul Trasimeno"]),
    ("TR", ["Terni", "Orvieto", "Fabro", "Allerona"]),
    ("VT", ["Viterbo", "Acquapendente", "Montalto di Castro", "Proceno"]),
]
# Two more municipal authorities (rows 302 and 303).
LATE_AUTHORITIES = ["Sarzana", "Città di Castello"]

# Official names longer than the 27 characters that the municipality list allows, in the short
# form used instead.
SHORT_NAMES = {
    50011: "Castelnuovo Val di Cecina",  # Castelnuovo di Val di Cecina
}

PROVINCE_AUTHORITY = {
    "MS": "Provincia di Massa-Carrara",
    "LU": "Provincia di Lucca",
    "PT": "Provincia di Pistoia",
    "FI": "Città Metropolitana di Firenze",
    "LI": "Provincia di Livorno",
    "PI": "Provincia di Pisa",
    "AR": "Provincia di Arezzo",
    "SI": "Provincia di Siena",
    "GR": "Provincia di Grosseto",
    "PO": "Provincia di Prato",
}

ISTAT_CREDIT = ("# Fonte: ISTAT - Codici statistici delle unità amministrative territoriali "
                "(licenza CC BY 3.0 IT).")


def fail(message):
    sys.exit("make_refdata: " + message)


def read_municipalities(path):
    with open(path, encoding="utf-8", newline="") as f:
        rows = list(csv.DictReader(f))
    by_province = {}
    for r in rows:
        r["istat"] = int(r["istat"])
        r["comune"] = SHORT_NAMES.get(r["istat"], r["comune"])
        by_province.setdefault(r["sigla"], []).append(r)
    region = sorted((r for r in rows if r["regione"] == REGION), key=lambda r: r["istat"])
    neighbours = []
    for sigla, names in NEIGHBOURS:
        for name in names:
            found = [r for r in by_province.get(sigla, []) if r["comune"] == name]
            if len(found) != 1:
                fail("municipality %s (%s) not found once in %s" % (name, sigla, path))
            if found[0]["regione"] == REGION:
                fail("%s is in the region already" % name)
            neighbours.append(found[0])
    return region, neighbours


def check_municipalities(municipalities):
    if len(municipalities) != MUNICIPALITY_COUNT:
        fail("%d municipalities instead of %d" % (len(municipalities), MUNICIPALITY_COUNT))
    codes = [m["istat"] for m in municipalities]
    if len(set(codes)) != len(codes):
        fail("duplicate ISTAT codes")
    if min(codes) != 9056 or max(codes) != 100007:
        fail("ISTAT codes run from %d to %d, not 9056 to 100007" % (min(codes), max(codes)))
    provinces = {m["sigla"] for m in municipalities}
    if len(provinces) != 24:
        fail("%d provinces instead of 24" % len(provinces))
    for m in municipalities:
        if len(m["comune"]) > MAX_MUNICIPALITY_NAME:
            fail("name over %d characters: %s" % (MAX_MUNICIPALITY_NAME, m["comune"]))
        if len(m["sigla"]) != 2 or not m["sigla"].isalpha() or not m["sigla"].isupper():
            fail("bad province abbreviation %r" % m["sigla"])
        m["comune"].encode("cp1252")


def authorities(region, neighbours):
    rows = [(0, "*** ente non assegnato ***"), (1, "Regione " + REGION)]
    seen = []
    for m in region:
        if m["sigla"] not in seen:
            seen.append(m["sigla"])
    if len(seen) != 10:
        fail("%d provinces in the region instead of 10" % len(seen))
    rows += [(2 + k, PROVINCE_AUTHORITY[s]) for k, s in enumerate(seen)]
    municipal = list(region)
    first_of_province = []
    for sigla, names in NEIGHBOURS:
        first_of_province.append(next(m for m in neighbours if m["sigla"] == sigla and m["comune"] == names[0]))
    municipal += first_of_province
    if len(municipal) != 298 - 12 + 1:
        fail("%d municipal authorities for rows 12-298" % len(municipal))
    rows += [(12 + k, "Comune di " + m["comune"]) for k, m in enumerate(municipal)]
    rows.append((299, "Associazione di comuni"))
    rows.append((300, "* NON DETERMINATO"))
    rows.append((301, "Provveditorato OO.PP. dello Stato"))
    for k, name in enumerate(LATE_AUTHORITIES):
        m = next(m for m in neighbours if m["comune"] == name)
        rows.append((302 + k, "Comune di " + m["comune"]))
    if [c for c, _ in rows] != list(range(AUTHORITY_COUNT)):
        fail("authority codes are not 0..%d" % (AUTHORITY_COUNT - 1))
    if max(len(n) for _, n in rows) > MAX_AUTHORITY_NAME:
        fail("authority name over %d characters" % MAX_AUTHORITY_NAME)
    return rows


def companies():
    rows = [(0, "*** azienda non assegnata ***")]
    rows += [(c, "Azienda regionale %03d" % c) for c in range(1, COMPANY_COUNT)]
    return rows


def locality_name(comune, n):
    if n == 1:
        return comune
    for form in ("%s - località %d", "%s - loc. %d"):
        name = form % (comune, n)
        if len(name) <= MAX_LOCALITY_NAME:
            return name
    fail("no locality name fits for %s" % comune)


def localities(municipalities):
    # As even a share as the count allows: the first municipalities one locality more.
    base, extra = divmod(LOCALITY_COUNT, len(municipalities))
    rows = [(0, "*** Località non assegnata ***", -1)]
    next_id = 1
    for k, m in enumerate(municipalities):
        for n in range(1, base + (1 if k < extra else 0) + 1):
            rows.append((next_id, locality_name(m["comune"], n), m["istat"]))
            next_id += 1
    if next_id - 1 != LOCALITY_COUNT:
        fail("%d localities instead of %d" % (next_id - 1, LOCALITY_COUNT))
    return rows


def write(path, title, columns, rows, credit):
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("# Quendo - dati di riferimento regionali: %s\n" % title)
        f.write("# Codifica: UTF-8. Righe che iniziano con '#': commenti. Campi separati da ';'.\n")
        if credit:
            f.write(ISTAT_CREDIT + "\n")
        f.write("# Generato da scripts/make_refdata.py.\n")
        f.write("# " + ";".join(columns) + "\n")
        for row in rows:
            fields = [str(v) for v in row]
            for v in fields:
                if ";" in v or "\n" in v or not v:
                    fail("field %r cannot be written" % v)
                v.encode("cp1252")
            f.write(";".join(fields) + "\n")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    source = sys.argv[1] if len(sys.argv) > 1 else "/work/shared/data/istat-comuni.csv"
    out = sys.argv[2] if len(sys.argv) > 2 else os.path.join(here, "..", "data", "refdata")
    region, neighbours = read_municipalities(source)
    municipalities = region + sorted(neighbours, key=lambda m: m["istat"])
    check_municipalities(municipalities)
    os.makedirs(out, exist_ok=True)
    write(os.path.join(out, "comuni.csv"), "comuni", ["istat", "comune", "prov"],
          [(m["istat"], m["comune"], m["sigla"]) for m in municipalities], True)
    write(os.path.join(out, "enti.csv"), "enti concedenti", ["codice", "denom"],
          authorities(region, neighbours), True)
    write(os.path.join(out, "aziende.csv"), "aziende (codici segnaposto)", ["codice", "denom"], companies(), False)
    write(os.path.join(out, "localita.csv"), "località (nomi segnaposto sui comuni ISTAT)", ["id", "denom", "istat"],
          localities(municipalities), True)


if __name__ == "__main__":
    main()
