#!/usr/bin/python3
"""Reads a published timetable folder back as a browser and a phone would and
prints it as JSON: every page parsed strictly as HTML5 (each parse error is
reported), its tables cell by cell, its links and scripts; every calendar
parsed by python3-icalendar with its events and the raw line checks."""
import json
import os
import sys

import html5lib
import icalendar

NS = "{http://www.w3.org/1999/xhtml}"


def text(el):
    return "".join(el.itertext()).strip()


def cell(td):
    """A cell as [[course, detail], ...]: one entry per div."""
    out = []
    for div in td.findall(NS + "div"):
        small = div.find(NS + "small")
        detail = text(small) if small is not None else ""
        course = (div.text or "").strip()
        out.append([course, detail])
    return out


def page(path):
    parser = html5lib.HTMLParser(strict=False, namespaceHTMLElements=True)
    with open(path, "rb") as f:
        doc = parser.parse(f, transport_encoding="utf-8")
    errors = ["%s line %d col %d" % (err[1], pos[0], pos[1]) for pos, err, *_ in parser.errors]
    tables = []
    for table in doc.iter(NS + "table"):
        head = [text(th) for th in table.iter(NS + "th") if th.get("scope") == "col"]
        rows = []
        tbody = table.find(NS + "tbody")
        for tr in tbody.findall(NS + "tr") if tbody is not None else []:
            if tr.get("class") == "break":
                continue
            th = tr.find(NS + "th")
            rows.append({"th": text(th) if th is not None else "",
                         "cells": [cell(td) for td in tr.findall(NS + "td")]})
        tables.append({"class": table.get("class", ""), "head": head, "rows": rows})
    # The day of each whole-school table is the h2 of its section.
    days = [text(h2) for section in doc.iter(NS + "section") for h2 in section.findall(NS + "h2")]
    links = [a.get("href") for a in doc.iter(NS + "a")]
    sources = [el.get("src") for el in doc.iter() if el.get("src") is not None]
    sources += [el.get("href") for el in doc.iter(NS + "link")]
    title = doc.find(".//" + NS + "title")
    h1 = doc.find(".//" + NS + "h1")
    return {"errors": errors, "title": text(title) if title is not None else "",
            "h1": text(h1) if h1 is not None else "", "tables": tables, "days": days,
            "links": links, "sources": sources,
            "scripts": len(list(doc.iter(NS + "script"))),
            "viewport": any(m.get("name") == "viewport" for m in doc.iter(NS + "meta"))}


def calendar(path):
    with open(path, "rb") as f:
        raw = f.read()
    problems = []
    lines = raw.split(b"\r\n")
    if lines[-1] != b"":
        problems.append("does not end in CRLF")
    for i, line in enumerate(lines[:-1]):
        if b"\n" in line or b"\r" in line:
            problems.append("bare line break in line %d" % (i + 1))
        if len(line) > 75:
            problems.append("line %d has %d octets" % (i + 1, len(line)))
    try:
        raw.decode("utf-8")
    except UnicodeDecodeError as e:
        problems.append("not UTF-8: %s" % e)
    cal = icalendar.Calendar.from_ical(raw)
    events = []
    for ev in cal.walk("VEVENT"):
        start = ev.decoded("DTSTART")
        end = ev.decoded("DTEND")
        rrule = ev.get("RRULE")
        events.append({
            "uid": str(ev.get("UID")),
            "stamp": ev.decoded("DTSTAMP").isoformat() if ev.get("DTSTAMP") else "",
            "start": start.isoformat(), "end": end.isoformat(),
            "weekday": start.isoweekday(),
            "floating": start.tzinfo is None,
            "freq": [str(x) for x in rrule.get("FREQ", [])] if rrule else [],
            "until": [u.isoformat() for u in rrule.get("UNTIL", [])] if rrule else [],
            "summary": str(ev.get("SUMMARY")),
            "description": str(ev.get("DESCRIPTION")),
        })
    return {"problems": problems, "version": str(cal.get("VERSION")),
            "prodid": str(cal.get("PRODID", "")), "events": events}


def main():
    folder = sys.argv[1]
    out = {"pages": {}, "calendars": {}, "files": sorted(os.listdir(folder))}
    for name in out["files"]:
        path = os.path.join(folder, name)
        if name.endswith(".html"):
            out["pages"][name] = page(path)
        elif name.endswith(".ics"):
            out["calendars"][name] = calendar(path)
    json.dump(out, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main()
