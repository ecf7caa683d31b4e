#!/usr/bin/env python3
"""Writes status pages of made-up devices, each saved twice (after a
reconnect, days later, or after a firmware update), and cases.tsv: which
value of the first save must be read as which value of the second.

    python3 make_pairs.py            (writes into its own folder)

cases.tsv has one case per line, fields separated by TAB:
    first page, second page, ip|property, value in the first, value in the second
    first online, first offline, second online, second offline, offline
Values are the page's own bytes (UTF-8 pages: UTF-8).
"""

import os
import random

HERE = os.path.dirname(os.path.abspath(__file__))
cases = []


def write(name, text, encoding="cp1252"):
    with open(os.path.join(HERE, name), "wb") as out:
        out.write(text.encode(encoding) if isinstance(text, str) else text)


def case(a, b, target, va, vb, anchors=None):
    """anchors: for a value that stands more than once, texts of each page
    behind which its wanted place is the first."""
    fields = [a, b, target, va, vb]
    if anchors:
        fields += [str(place(a, va, anchors[0])), str(place(b, vb, anchors[1]))]
    cases.append(tuple(fields))


def prepared(name):
    with open(os.path.join(HERE, name), "rb") as f:
        return f.read().replace(b" ", b"").replace(b"\r", b"").replace(b"\n", b"").replace(b"\t", b"")


def place(name, value, anchor):
    """The number of the value's first place behind the anchor, counted
    without overlap from the page's start, as the rules see the page."""
    page = prepared(name)
    value = value.replace(" ", "").encode()
    start = page.index(anchor.replace(" ", "").encode()) + len(anchor.replace(" ", ""))
    count, pos = 0, 0
    while True:
        pos = page.index(value, pos)
        count += 1
        if pos >= start:
            return count
        pos += len(value)


def ctime(r):
    days = ["Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"]
    months = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]
    return "%s %s %d %02d:%02d:%02d %d" % (r.choice(days), r.choice(months), r.randint(1, 28),
                                          r.randint(0, 23), r.randint(0, 59), r.randint(0, 59),
                                          r.choice([2024, 2025]))


def dedate(r):
    return "%02d.%02d.%d" % (r.randint(1, 28), r.randint(1, 12), r.choice([2024, 2025]))


def clock(r):
    return "%02d:%02d:%02d" % (r.randint(0, 23), r.randint(0, 59), r.randint(0, 59))


def ip(r, first=None):
    return "%d.%d.%d.%d" % (first or r.randint(62, 95), r.randint(0, 255), r.randint(0, 255), r.randint(2, 254))


def mac(r):
    return ":".join("%02X" % r.randint(0, 255) for _ in range(6))


def sid(r):
    return "".join(r.choice("0123456789abcdef") for _ in range(16))


# ---------------------------------------------------------------- cable modem, HTML tables

def cable_tables(save, r, channels, not_locked=()):
    rows = []
    down = []
    for i in range(channels):
        freq = 591000000 + 8000000 * i
        power = "%.1f dBmV" % r.uniform(-4, 9)
        snr = "%.1f dB" % r.uniform(36, 43)
        corr = str(r.choice([0, 0, 0, r.randint(1, 900)]))
        unc = str(r.choice([0, 0, 0, 0, r.randint(1, 40)]))
        lock = "Not Locked" if i in not_locked else "Locked"
        down.append((str(i + 1), lock, "QAM256", str(20 + i), "%d Hz" % freq, power, snr, corr, unc))
        rows.append("<tr align=\"left\">\n  <td>%s</td>\n  <td>%s</td>\n  <td>%s</td>\n  <td>%s</td>\n"
                    "  <td>%s</td>\n  <td>%s</td>\n  <td>%s</td>\n  <td>%s</td>\n  <td>%s</td>\n</tr>" % down[-1])
    up = []
    uprows = []
    for i in range(4):
        up.append((str(i + 1), "Locked", "SC-QAM Upstream", str(i + 1), "%d Hz" % (30800000 + 6400000 * i),
                   "6400000 Hz", "%.1f dBmV" % r.uniform(38, 51)))
        uprows.append("<tr align=\"left\">\n  <td>%s</td>\n  <td>%s</td>\n  <td>%s</td>\n  <td>%s</td>\n"
                      "  <td>%s</td>\n  <td>%s</td>\n  <td>%s</td>\n</tr>" % up[-1])
    systime = ctime(r)
    uptime = "%d days %02dh:%02dm:%02ds.00" % (r.randint(0, 40), r.randint(0, 23), r.randint(0, 59), r.randint(0, 59))
    cfg = "kabel_tarif%d_v2.cfg" % r.randint(1, 3)
    page = """<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01 Transitional//EN">
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=iso-8859-1">
<title>Cable Modem Status</title>
<link rel="stylesheet" type="text/css" href="/styles/cm.css">
<script type="text/javascript">
function navigate(page) { window.location.href = page; }
</script>
</head>
<body>
<div id="header"><img src="/images/logo.gif" alt=""> <span class="model">KM-80</span></div>
<div id="menu">
<a href="cmconnectionstatus.html" class="active">Status</a> | <a href="cmswinfo.html">Product Information</a> | <a href="cmeventlog.html">Event Log</a>
</div>
<table class="simpleTable">
<tr><th colspan="3"><strong>Startup Procedure</strong></th></tr>
<tr><td><strong>Procedure</strong></td><td><strong>Status</strong></td><td><strong>Comment</strong></td></tr>
<tr><td>Acquire Downstream Channel</td><td>%s</td><td>Locked</td></tr>
<tr><td>Connectivity State</td><td>OK</td><td>Operational</td></tr>
<tr><td>Boot State</td><td>OK</td><td>Operational</td></tr>
<tr><td>Configuration File</td><td>OK</td><td>%s</td></tr>
<tr><td>Security</td><td>Enabled</td><td>BPI+</td></tr>
<tr><td>DOCSIS Network Access Enabled</td><td>Allowed</td><td>&nbsp;</td></tr>
</table>
<br>
<table class="simpleTable">
<tr><th colspan="9"><strong>Downstream Bonded Channels</strong></th></tr>
<tr><td><strong>Channel</strong></td><td><strong>Lock Status</strong></td><td><strong>Modulation</strong></td><td><strong>Channel ID</strong></td><td><strong>Frequency</strong></td><td><strong>Power</strong></td><td><strong>SNR/MER</strong></td><td><strong>Corrected</strong></td><td><strong>Uncorrectables</strong></td></tr>
%s
</table>
<br>
<table class="simpleTable">
<tr><th colspan="7"><strong>Upstream Bonded Channels</strong></th></tr>
<tr><td><strong>Channel</strong></td><td><strong>Lock Status</strong></td><td><strong>US Channel Type</strong></td><td><strong>Channel ID</strong></td><td><strong>Frequency</strong></td><td><strong>Width</strong></td><td><strong>Power</strong></td></tr>
%s
</table>
<p id="systime"><strong>Current System Time:</strong> %s</p>
<p id="uptime"><strong>System Up Time:</strong> %s</p>
</body>
</html>
""" % (down[0][4], cfg, "\n".join(rows), "\n".join(uprows), systime, uptime)
    return page, {"down": down, "up": up, "systime": systime, "uptime": uptime, "cfg": cfg}


def family_cable_tables():
    a, va = cable_tables("a", random.Random(11), 24)
    b, vb = cable_tables("b", random.Random(12), 24, not_locked=(0,))
    write("cable-tables-a.htm", a)
    write("cable-tables-b.htm", b)
    p = ("cable-tables-a.htm", "cable-tables-b.htm")
    def cell(table, row, column):
        """The row's text up to the cell, as the rules see the page."""
        return [('<tralign="left"><td>' + "</td><td>".join(values[table][row][:column]) + "</td><td>").replace(" ", "")
                for values in (va, vb)]
    case(*p, "property", va["down"][0][5], vb["down"][0][5], cell("down", 0, 5))
    case(*p, "property", va["down"][2][6], vb["down"][2][6], cell("down", 2, 6))
    case(*p, "property", va["down"][23][5], vb["down"][23][5], cell("down", 23, 5))
    case(*p, "property", va["up"][1][6], vb["up"][1][6], cell("up", 1, 6))
    case(*p, "property", va["systime"], vb["systime"])
    case(*p, "property", va["uptime"], vb["uptime"])
    case(*p, "property", va["cfg"], vb["cfg"])
    case(*p, "property", va["down"][4][7], vb["down"][4][7], cell("down", 4, 7))
    case(*p, "property", va["down"][1][1], vb["down"][1][1], cell("down", 1, 1))


# ------------------------------------------- cable modem, values in script strings

def cable_script(r, channels, ver):
    ds = []
    cells = [str(channels)]
    for i in range(channels):
        row = [str(i + 1), "Locked", "QAM256", str(17 + i), "%dHz" % (579000000 + 6000000 * i),
               "%.1f" % r.uniform(-3, 10), "%.1f" % r.uniform(35, 44), str(r.choice([0, 0, r.randint(1, 99)])),
               str(r.choice([0, 0, 0, r.randint(1, 9)]))]
        ds.append(row)
        cells += row
    us = []
    ucells = ["4"]
    for i in range(4):
        row = [str(i + 1), "Locked", "ATDMA", str(i + 1), "5120 Ksym/sec", "%dHz" % (30600000 + 6400000 * i),
               "%.1f" % r.uniform(38, 50)]
        us.append(row)
        ucells += row
    capture = ctime(r)
    status = "|".join([str(579000000), "Locked", "OK", "Operational", "OK", "Operational", "Enabled",
                       "BPI+", capture, "0", "0", "0"]) + "|"
    page = """<html>
<head>
<title>Connection Status</title>
<meta http-equiv="Content-Type" content="text/html; charset=UTF-8">
<script type="text/javascript" src="../js/utils.js?v=%s"></script>
</head>
<body onload="fillStartup();fillDownstream();fillUpstream();">
<div class="headline">Startup Procedure</div>
<table class="startup-table">
<tr><th>Procedure</th><th>Status</th><th>Comment</th></tr>
<tr><td>Acquire Downstream Channel</td><td class="startup"></td><td class="startup"></td></tr>
<tr><td>Connectivity State</td><td class="startup"></td><td class="startup"></td></tr>
<tr><td>Boot State</td><td class="startup"></td><td class="startup"></td></tr>
<tr><td>Security</td><td class="startup"></td><td class="startup"></td></tr>
</table>
<div class="headline">Downstream Bonded Channels</div>
<table id="dsTable" class="channel-table">
<tr><th>Channel</th><th>Lock Status</th><th>Modulation</th><th>Channel ID</th><th>Frequency</th><th>Power</th><th>SNR</th><th>Corrected</th><th>Uncorrectables</th></tr>
</table>
<div class="headline">Upstream Bonded Channels</div>
<table id="usTable" class="channel-table">
<tr><th>Channel</th><th>Lock Status</th><th>US Channel Type</th><th>Channel ID</th><th>Symbol Rate</th><th>Frequency</th><th>Power</th></tr>
</table>
<script language="javascript" type="text/javascript">
function FillTable(id, list, columns)
{
    var cellsList = list.split("|");
    var table = document.getElementById(id);
    for (i = 0; i < cellsList[0]; i++)
    {
        var row = table.insertRow(-1);
        for (j = 0; j < columns; j++)
        {
            var cell = row.insertCell(j);
            var v = cellsList[i * columns + j + 1];
            if (columns == 9 && j == 5 && parseFloat(v) < -15)
                cell.className = "warn";
            cell.innerHTML = v;
        }
    }
}
function fillStartup()
{
    var values = statusList.split("|");
    var cellsList = document.getElementsByClassName("startup");
    for (i = 0; i < cellsList.length; i++)
    {
        if (values[i] != "")
            cellsList[i].innerHTML = values[i];
    }
}
var statusList = '%s';
function fillDownstream()
{
    var statusList = '%s';
    FillTable("dsTable", statusList, 9);
}
function fillUpstream()
{
    var statusList = '%s';
    FillTable("usTable", statusList, 7);
}
</script>
</body>
</html>
""" % (ver, status, "|".join(cells) + "|", "|".join(ucells) + "|")
    return page, {"ds": ds, "us": us, "capture": capture}


def family_cable_script():
    a, va = cable_script(random.Random(21), 32, "4.5.8.22")
    b, vb = cable_script(random.Random(22), 32, "4.5.8.27")
    write("cable-script-a.htm", a)
    write("cable-script-b.htm", b)
    p = ("cable-script-a.htm", "cable-script-b.htm")
    case(*p, "ip", va["ds"][0][5], vb["ds"][0][5])
    case(*p, "ip", va["ds"][0][6], vb["ds"][0][6])
    case(*p, "ip", va["ds"][10][6], vb["ds"][10][6])
    case(*p, "ip", va["ds"][3][4], vb["ds"][3][4])
    case(*p, "ip", va["us"][0][6], vb["us"][0][6])
    case(*p, "ip", va["us"][2][5], vb["us"][2][5])
    case(*p, "ip", va["capture"], vb["capture"])


# ------------------------------------------- DSL router, German, UTF-8, bullets

def dsl_de(r, extra_row, ver):
    ipv4 = ip(r)
    prefix = "2003:e5:%x:%x00::/56" % (r.randint(0x1000, 0xffff), r.randint(0x10, 0xff))
    since = "%s, %02d:%02d Uhr" % (dedate(r), r.randint(0, 23), r.randint(0, 59))
    down = "%d.%03d" % (r.randint(90, 116), r.randint(0, 999))
    up = "%d.%03d" % (r.randint(30, 40), r.randint(0, 999))
    att = "%d" % r.randint(9, 20)
    snr = "%d" % r.randint(6, 12)
    dns = ip(r, 62)
    extra = "<tr><th>IPv6-Adresse</th><td>2003:e5:%x::1</td></tr>\n" % r.randint(0x1000, 0xffff) if extra_row else ""
    page = """<!DOCTYPE html>
<html lang="de">
<head>
<meta charset="utf-8">
<title>Heimrouter H-41 – Übersicht</title>
<link rel="stylesheet" href="/css/default.css?v=%s">
</head>
<body>
<header><span class="product">Heimrouter H-41</span> <span class="fw">Firmware %s</span></header>
<nav><ul>
<li class="active"><a href="/?session=%s&amp;page=overview">Übersicht</a></li>
<li><a href="/?session=%s&amp;page=inet">Internet</a></li>
<li><a href="/?session=%s&amp;page=phone">Telefonie</a></li>
<li><a href="/?session=%s&amp;page=net">Heimnetz</a></li>
<li><a href="/?session=%s&amp;page=wlan">WLAN</a></li>
<li><a href="/?session=%s&amp;page=sys">System</a></li>
</ul></nav>
<main>
<h1>Übersicht</h1>
<p class="legend"><span class="led green">●</span> aktiv &nbsp; <span class="led grey">●</span> inaktiv</p>
<section class="box">
<h2>Internet</h2>
<table class="zebra">
<tr><th>Verbindung</th><td><span class="led green">●</span> verbunden seit %s</td></tr>
<tr><th>Anbieter</th><td>Beispielnetz</td></tr>
<tr><th>IPv4-Adresse</th><td>%s</td></tr>
%s<tr><th>IPv6-Präfix</th><td>%s</td></tr>
<tr><th>DNS-Server</th><td>%s</td></tr>
</table>
</section>
<section class="box">
<h2>DSL</h2>
<table class="zebra">
<tr><th>Status</th><td><span class="led green">●</span> synchronisiert</td></tr>
<tr><th>Geschwindigkeit</th><td>↓&nbsp;%s&nbsp;kbit/s&nbsp;&nbsp;↑&nbsp;%s&nbsp;kbit/s</td></tr>
<tr><th>Leitungsdämpfung</th><td>%s&nbsp;dB</td></tr>
<tr><th>Störabstandsmarge</th><td>%s&nbsp;dB</td></tr>
</table>
</section>
<section class="box">
<h2>Telefonie</h2>
<table class="zebra">
<tr><th>Rufnummer 1</th><td><span class="led green">●</span> 0301234567</td></tr>
<tr><th>Rufnummer 2</th><td><span class="led grey">●</span> 0301234568</td></tr>
</table>
</section>
</main>
<footer>Heimrouter H-41 · Firmware %s · %s %s</footer>
</body>
</html>
""" % (ver, ver, *([sid(r)] * 6), since, ipv4, extra, prefix, dns, down, up, att, snr, ver, dedate(r), clock(r))
    return page, {"ip": ipv4, "prefix": prefix, "since": since, "down": down, "up": up, "att": att, "snr": snr,
                  "dns": dns}


def family_dsl_de():
    a, va = dsl_de(random.Random(31), False, "7.29")
    b, vb = dsl_de(random.Random(32), True, "7.57")
    write("dsl-de-a.htm", a, "utf-8")
    write("dsl-de-b.htm", b, "utf-8")
    p = ("dsl-de-a.htm", "dsl-de-b.htm")
    case(*p, "ip", va["ip"], vb["ip"])
    case(*p, "property", va["ip"], vb["ip"])
    case(*p, "property", va["prefix"], vb["prefix"])
    case(*p, "property", va["dns"], vb["dns"])
    case(*p, "ip", va["down"], vb["down"])
    case(*p, "ip", va["up"], vb["up"])
    case(*p, "ip", va["att"], vb["att"])
    case(*p, "ip", va["snr"], vb["snr"])
    case(*p, "property", "verbunden seit " + va["since"], "verbunden seit " + vb["since"])


# ------------------------------------------- old router, frames of font tags, Windows-1252

def old_router(r, ver, lan_first):
    wan = ip(r)
    gw = ip(r)
    dns1, dns2 = ip(r, 194), ip(r, 194)
    dur = "%d Std. %d Min." % (r.randint(0, 23), r.randint(0, 59))
    run = "%d Tage, %s" % (r.randint(0, 90), clock(r))
    systime = "Sonntag, %s %s" % (dedate(r), clock(r))
    sent, recv = str(r.randint(10**6, 10**9)), str(r.randint(10**6, 10**9))

    def row(label, value):
        return ("<tr>\n<td width=\"40%%\" bgcolor=\"#E0E0E0\"><font face=\"Arial\" size=\"2\">%s</font></td>\n"
                "<td bgcolor=\"#F0F0F0\"><font face=\"Arial\" size=\"2\">&nbsp;%s&nbsp;</font></td>\n</tr>\n"
                % (label, value))

    def head(title):
        return ("<tr><td colspan=\"2\" bgcolor=\"#003366\"><font color=\"#FFFFFF\" face=\"Arial\" size=\"2\">"
                "<b>%s</b></font></td></tr>\n" % title)

    wan_part = head("WAN") + row("Verbindungsart", "PPPoE") + row("IP-Adresse", wan) + \
        row("Subnetzmaske", "255.255.255.255") + row("Standard-Gateway", gw) + \
        row("DNS-Server", "%s&nbsp;,&nbsp;%s" % (dns1, dns2)) + row("Verbindungsdauer", dur) + \
        row("Bytes gesendet/empfangen", "%s / %s" % (sent, recv))
    lan_part = head("LAN") + row("IP-Adresse", "192.168.2.1") + row("Subnetzmaske", "255.255.255.0") + \
        row("DHCP-Server", "Aktiviert") + row("MAC-Adresse", "00:1A:2B:3C:4D:5E")
    sys_part = head("System") + row("Firmware-Version", ver) + row("Laufzeit", run) + row("Systemzeit", systime)
    parts = (lan_part + wan_part) if lan_first else (wan_part + lan_part)
    page = """<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=windows-1252">
<title>Status</title>
<script language="JavaScript">
<!--
function reload() { document.forms[0].submit(); }
//-->
</script>
</head>
<body bgcolor="#FFFFFF" leftmargin="0" topmargin="0">
<form name="status" action="/cgi-bin/status.cgi" method="post">
<input type="hidden" name="session" value="%s">
<table width="600" border="0" cellspacing="1" cellpadding="2">
<tr><td colspan="2"><font face="Arial" size="3"><b>Gerätestatus</b></font></td></tr>
%s%s</table>
<p><input type="button" value="Aktualisieren" onclick="reload()"></p>
</form>
</body>
</html>
""" % (sid(r)[:8], parts, sys_part)
    return page, {"wan": wan, "gw": gw, "dns1": dns1, "dur": dur, "run": run, "systime": systime, "ver": ver,
                  "sent": sent}


def family_old_router():
    a, va = old_router(random.Random(41), "1.04.17 (12.03.2019)", False)
    b, vb = old_router(random.Random(42), "1.04.21 (02.06.2020)", False)
    write("old-router-a.htm", a)
    write("old-router-b.htm", b)
    p = ("old-router-a.htm", "old-router-b.htm")
    case(*p, "ip", va["wan"], vb["wan"])
    case(*p, "ip", va["gw"], vb["gw"])
    case(*p, "ip", va["dns1"], vb["dns1"])
    case(*p, "ip", va["dur"], vb["dur"])
    case(*p, "ip", va["run"], vb["run"])
    case(*p, "ip", va["systime"], vb["systime"])
    case(*p, "ip", va["ver"], vb["ver"])
    case(*p, "ip", va["sent"], vb["sent"])
    case(*p, "ip", "255.255.255.255", "255.255.255.255")


# ------------------------------------------- LTE router, values in script variables

def lte(r, ver, extra):
    v = {"ip": "10.%d.%d.%d" % (r.randint(0, 255), r.randint(0, 255), r.randint(2, 254)),
         "rsrp": str(-r.randint(80, 115)), "rsrq": str(-r.randint(5, 15)), "sinr": "%.1f" % r.uniform(-2, 25),
         "cell": str(r.randint(10**7, 10**8)), "band": r.choice(["B3", "B7", "B20"]),
         "conn": "%dh %dm %ds" % (r.randint(0, 99), r.randint(0, 59), r.randint(0, 59)),
         "rx": str(r.randint(10**5, 10**9))}
    page = """<!DOCTYPE html>
<html>
<head>
<meta charset="utf-8">
<title>LTE Router</title>
<script src="/js/lang_de.js?%s"></script>
<script type="text/javascript">
var fw_version = "%s";
var wan_ip = "%s";
var wan_gateway = "%s";
%svar rsrp = "%s";
var rsrq = "%s";
var sinr = "%s";
var band = "%s";
var cell_id = "%s";
var operator_name = "Netz Mobil";
var conn_time = "%s";
var rx_bytes = "%s";
function signalBars(v)
{
    if (v < -110) return 1;
    else if (v < -100) return 2;
    else if (v < -90) return 3;
    return 4;
}
function showBars()
{
    var bars = document.getElementsByClassName("bar");
    for (var i = 0; i < bars.length; i++)
        bars[i].style.visibility = (i < signalBars(rsrp)) ? "visible" : "hidden";
}
</script>
</head>
<body onload="showBars()">
<div class="title"><script>document.write(_("Mobilfunk"));</script></div>
<table class="info">
<tr><td><script>document.write(_("Netzbetreiber"));</script></td><td><script>document.write(operator_name);</script></td></tr>
<tr><td>RSRP</td><td><script>document.write(rsrp + " dBm");</script></td></tr>
<tr><td>SINR</td><td><script>document.write(sinr + " dB");</script></td></tr>
</table>
<div class="bars"><span class="bar"></span><span class="bar"></span><span class="bar"></span><span class="bar"></span></div>
</body>
</html>
""" % (ver, ver, v["ip"], "10.0.0.1", "var wan_dns = \"10.74.210.210\";\n" if extra else "", v["rsrp"], v["rsrq"],
       v["sinr"], v["band"], v["cell"], v["conn"], v["rx"])
    return page, v


def family_lte():
    a, va = lte(random.Random(51), "LR-21.02.1", False)
    b, vb = lte(random.Random(52), "LR-21.05.3", True)
    write("lte-a.htm", a, "utf-8")
    write("lte-b.htm", b, "utf-8")
    p = ("lte-a.htm", "lte-b.htm")
    case(*p, "ip", va["ip"], vb["ip"])
    case(*p, "property", va["ip"], vb["ip"])
    for key in ("rsrp", "rsrq", "sinr", "cell", "conn", "rx"):
        case(*p, "property", va[key], vb[key])
    case(*p, "property", va["band"], vb["band"])


# ------------------------------------------- JSON status of a newer router

def json_status(r, more_dns):
    v = {"ip": ip(r), "gw": ip(r), "up": str(r.randint(60, 10**6)), "down": str(r.randint(50000, 250000)),
         "snr": "%.1f" % r.uniform(5, 12), "time": "2025-%02d-%02dT%s+01:00" % (r.randint(1, 12), r.randint(1, 28),
                                                                               clock(r))}
    dns = [ip(r, 62), ip(r, 62)] + ([ip(r, 62)] if more_dns else [])
    page = ('{"status":"ok","time":"%s","wan":{"state":"connected","proto":"pppoe","ipv4":"%s","gateway":"%s",'
            '"dns":[%s],"uptime":%s,"mtu":1492},"lan":{"ipv4":"192.168.0.1","netmask":"255.255.255.0",'
            '"clients":%d},"dsl":{"state":"showtime","down":%s,"up":40000,"snr_down":"%s","snr_up":"8.1"}}\n'
            % (v["time"], v["ip"], v["gw"], ",".join('"%s"' % d for d in dns), v["up"], r.randint(1, 30),
               v["down"], v["snr"]))
    v["dns"] = dns[0]
    return page, v


def family_json():
    a, va = json_status(random.Random(61), False)
    b, vb = json_status(random.Random(62), True)
    write("json-api-a.json", a)
    write("json-api-b.json", b)
    p = ("json-api-a.json", "json-api-b.json")
    for key, target in (("ip", "ip"), ("gw", "ip"), ("dns", "ip"), ("up", "ip"), ("down", "ip"), ("snr", "ip"),
                        ("time", "ip")):
        case(*p, target, va[key], vb[key])


# ------------------------------------------- XML answer of a status request

def xml_status(r):
    v = {"ip": ip(r), "up": str(r.randint(60, 10**6)), "sent": str(r.randint(10**6, 10**10)),
         "mac": mac(r)}
    page = """<?xml version="1.0" encoding="utf-8"?>
<s:Envelope xmlns:s="http://schemas.xmlsoap.org/soap/envelope/" s:encodingStyle="http://schemas.xmlsoap.org/soap/encoding/">
<s:Body>
<u:GetStatusInfoResponse xmlns:u="urn:schemas-upnp-org:service:WANIPConnection:1">
<NewConnectionStatus>Connected</NewConnectionStatus>
<NewLastConnectionError>ERROR_NONE</NewLastConnectionError>
<NewUptime>%s</NewUptime>
<NewExternalIPAddress>%s</NewExternalIPAddress>
<NewMACAddress>%s</NewMACAddress>
<NewTotalBytesSent>%s</NewTotalBytesSent>
</u:GetStatusInfoResponse>
</s:Body>
</s:Envelope>
""" % (v["up"], v["ip"], v["mac"], v["sent"])
    return page, v


def family_xml():
    a, va = xml_status(random.Random(71))
    b, vb = xml_status(random.Random(72))
    write("xml-status-a.xml", a)
    write("xml-status-b.xml", b)
    p = ("xml-status-a.xml", "xml-status-b.xml")
    for key in ("ip", "up", "sent", "mac"):
        case(*p, "property", va[key], vb[key])
    case(*p, "ip", va["ip"], vb["ip"])


# ------------------------------------------- English router, rows of div elements

def divs(r, ipv6_row, channel):
    v = {"state": "Connected", "ip": ip(r), "gw": ip(r), "dns": ip(r, 75),
         "uptime": "%d days %s" % (r.randint(0, 30), clock(r)), "ch24": str(r.choice([1, 6, 11])),
         "ch5": str(channel), "ssid": "HomeNet-%04X" % r.randint(0, 0xffff), "fw": "V1.0.%d.%d" % (r.randint(2, 9), r.randint(10, 150))}

    def row(label, value):
        return ('      <div class="row">\n        <div class="label">%s</div>\n'
                '        <div class="value">%s</div>\n      </div>\n' % (label, value))
    ipv6 = row("IPv6 Address", "2601:%x:%x::1" % (r.randint(0, 0xfff), r.randint(0, 0xfff))) if ipv6_row else ""
    page = """<!DOCTYPE html>
<html>
<head><meta charset="utf-8"><title>Router Status</title>
<link rel="stylesheet" href="/css/main.css"></head>
<body>
  <div id="top">Router Status <span class="fw">%s</span></div>
  <div class="section">
    <div class="section-title">Internet</div>
%s%s%s%s%s%s  </div>
  <div class="section">
    <div class="section-title">Wireless 2.4 GHz</div>
%s%s%s  </div>
  <div class="section">
    <div class="section-title">Wireless 5 GHz</div>
%s%s%s  </div>
</body>
</html>
""" % (v["fw"], row("Connection Status", v["state"]), row("WAN IP Address", v["ip"]), ipv6,
       row("Default Gateway", v["gw"]), row("Primary DNS", v["dns"]), row("Connection Uptime", v["uptime"]),
       row("SSID", v["ssid"]), row("Channel", v["ch24"]), row("Security", "WPA2-PSK"),
       row("SSID", v["ssid"] + "-5G"), row("Channel", v["ch5"]), row("Security", "WPA2-PSK"))
    return page, v


def family_divs():
    a, va = divs(random.Random(81), False, 36)
    b, vb = divs(random.Random(82), True, 44)
    write("divs-a.htm", a)
    write("divs-b.htm", b)
    p = ("divs-a.htm", "divs-b.htm")
    case(*p, "ip", va["ip"], vb["ip"])
    case(*p, "property", va["gw"], vb["gw"])
    case(*p, "property", va["dns"], vb["dns"])
    case(*p, "property", va["uptime"], vb["uptime"])
    case(*p, "property", va["ch5"], vb["ch5"])
    case(*p, "property", va["ch24"], vb["ch24"])
    case(*p, "property", va["ssid"] + "-5G", vb["ssid"] + "-5G")
    case(*p, "property", va["fw"], vb["fw"])


# ------------------------------------------- definition list of a mesh node, client rows that reorder

def mesh(r, order):
    v = {"model": "MN-3", "fw": "V1.0.%d.%d" % (r.randint(2, 9), r.randint(10, 150)), "ip": ip(r),
         "uptime": "%d Tage %d Stunden" % (r.randint(0, 30), r.randint(0, 23)), "clients": str(len(order))}
    clients = {"Laptop-Anna": ("192.168.1.23", mac(r)), "Fernseher": ("192.168.1.40", mac(r)),
               "Handy-Max": ("192.168.1.51", mac(r)), "Drucker": ("192.168.1.9", mac(r)),
               "NAS": ("192.168.1.2", mac(r))}
    rows = "".join('<tr><td>%s</td><td>%s</td><td>%s</td><td>%d Mbit/s</td></tr>\n'
                   % (name, clients[name][0], clients[name][1], r.choice([72, 144, 433, 866])) for name in order)
    page = """<html>
<head><title>Mesh</title><meta http-equiv="refresh" content="60"></head>
<body>
<h3>Gerät</h3>
<dl class="info">
<dt>Modell</dt><dd>%s</dd>
<dt>Firmware</dt><dd>%s</dd>
<dt>Internet-IP</dt><dd>%s</dd>
<dt>Betriebszeit</dt><dd>%s</dd>
<dt>Verbundene Geräte</dt><dd>%s</dd>
</dl>
<h3>Verbundene Geräte</h3>
<table class="clients">
<tr><th>Name</th><th>IP-Adresse</th><th>MAC-Adresse</th><th>Datenrate</th></tr>
%s</table>
<p class="updated">Stand: %s %s</p>
</body>
</html>
""" % (v["model"], v["fw"], v["ip"], v["uptime"], v["clients"], rows, dedate(r), clock(r))
    v["drucker-mac"] = clients["Drucker"][1]
    return page, v


def family_mesh():
    a, va = mesh(random.Random(91), ["NAS", "Laptop-Anna", "Drucker", "Fernseher"])
    b, vb = mesh(random.Random(92), ["Handy-Max", "NAS", "Fernseher", "Drucker", "Laptop-Anna"])
    write("mesh-a.htm", a, "utf-8")
    write("mesh-b.htm", b, "utf-8")
    p = ("mesh-a.htm", "mesh-b.htm")
    for key in ("fw", "ip", "uptime", "clients", "drucker-mac"):
        case(*p, "property", va[key], vb[key])
    case(*p, "ip", va["ip"], vb["ip"])


# ------------------------------------------- form of read-only input fields

def inputs(r, extra):
    v = {"ip": ip(r), "mask": "255.255.248.0", "gw": ip(r), "dns": ip(r, 8), "lease": str(r.randint(100, 86400)),
         "mac": mac(r)}
    extra_field = ('<tr><td class="l">Host Name:</td><td><input type="text" name="wan_hostname" value="router" '
                   'readonly></td></tr>\n' if extra else "")
    page = """<html><head><title>WAN</title></head>
<body>
<form name="wanform" method="post" action="/apply.cgi">
<input type="hidden" name="token" value="%s">
<table>
%s<tr><td class="l">IP Address:</td><td><input type="text" name="wan_ip4" value="%s" size="15" readonly></td></tr>
<tr><td class="l">Subnet Mask:</td><td><input type="text" name="wan_mask" value="%s" size="15" readonly></td></tr>
<tr><td class="l">Gateway:</td><td><input type="text" name="wan_gateway" value="%s" size="15" readonly></td></tr>
<tr><td class="l">DNS:</td><td><input type="text" name="wan_dns1" value="%s" size="15" readonly></td></tr>
<tr><td class="l">Lease Time:</td><td><input type="text" name="wan_lease" value="%s" readonly> s</td></tr>
<tr><td class="l">MAC Address:</td><td><input type="text" name="wan_mac" value="%s" readonly></td></tr>
<tr><td class="l">NAT:</td><td><input type="checkbox" name="nat_enable" value="1" checked disabled></td></tr>
</table>
<input type="submit" name="release" value="Release"> <input type="submit" name="renew" value="Renew">
</form>
</body></html>
""" % (sid(r), extra_field, v["ip"], v["mask"], v["gw"], v["dns"], v["lease"], v["mac"])
    return page, v


def family_inputs():
    a, va = inputs(random.Random(101), False)
    b, vb = inputs(random.Random(102), True)
    write("inputs-a.htm", a)
    write("inputs-b.htm", b)
    p = ("inputs-a.htm", "inputs-b.htm")
    for key in ("ip", "gw", "dns", "lease", "mac"):
        case(*p, "property", va[key], vb[key])
    case(*p, "ip", va["ip"], vb["ip"])


# ------------------------------------------- DSL values in script arrays, written by loops

def js_arrays(r, ver):
    v = {"down": str(r.randint(50000, 116000)), "up": str(r.randint(10000, 40000)), "snrd": "%.1f" % r.uniform(5, 12),
         "snru": "%.1f" % r.uniform(5, 12), "attd": "%.1f" % r.uniform(8, 25), "crc": str(r.randint(0, 50)),
         "ip": ip(r), "dns1": ip(r, 62), "dns2": ip(r, 62), "gw": ip(r)}
    page = """<html>
<head>
<title>DSL Status</title>
<script language="javascript">
var dslInfo = new Array("Showtime","%s","%s","%s","%s","%s","VDSL2","17a","%s","0");
var dslLabels = new Array("Status","Downstream (kbit/s)","Upstream (kbit/s)","SNR Down (dB)","SNR Up (dB)","Attenuation Down (dB)","Mode","Profile","CRC","FEC");
var wanInfo = new Array(1,"PPPoE","%s","255.255.255.255","%s","%s","%s",1492,"%s");
function writeTable()
{
    var i;
    for(i=0;i<dslInfo.length;i++)
    {
        document.write("<tr><td class=\\"l\\">" + dslLabels[i] + "</td><td>" + dslInfo[i] + "</td></tr>");
    }
}
</script>
</head>
<body>
<h1>DSL</h1>
<table class="t"><script>writeTable();</script></table>
<h1>WAN</h1>
<table class="t">
<tr><td class="l">IP</td><td><script>document.write(wanInfo[2]);</script></td></tr>
<tr><td class="l">Gateway</td><td><script>document.write(wanInfo[4]);</script></td></tr>
</table>
<div class="foot">%s</div>
</body>
</html>
""" % (v["down"], v["up"], v["snrd"], v["snru"], v["attd"], v["crc"], v["ip"], v["gw"], v["dns1"], v["dns2"],
       "%dd %s" % (r.randint(0, 9), clock(r)), ver)
    return page, v


def family_js_arrays():
    a, va = js_arrays(random.Random(111), "V2.1.0.4")
    b, vb = js_arrays(random.Random(112), "V2.1.3.0")
    write("js-arrays-a.htm", a)
    write("js-arrays-b.htm", b)
    p = ("js-arrays-a.htm", "js-arrays-b.htm")
    for key in ("down", "up", "snrd", "snru", "attd", "crc", "ip", "dns1", "dns2", "gw"):
        case(*p, "ip", va[key], vb[key])


# ------------------------------------------- error counters: a value that occurs hundreds of times

def counters(r, errors_at):
    rows = []
    values = {}
    for port in range(1, 97):
        cells = [str(r.randint(10**3, 10**7)), str(r.randint(10**3, 10**7)), "0", "0", "0"]
        if port in errors_at:
            cells[2] = str(errors_at[port])
        values[port] = cells
        rows.append("<tr><td>Kanal %d</td><td>%s</td><td>%s</td><td>%s</td><td>%s</td><td>%s</td></tr>"
                    % (port, *cells))
    page = """<html><head><title>Zähler</title></head>
<body>
<h2>Fehlerzähler</h2>
<p>Letzte Rücksetzung: %s %s</p>
<table class="counters">
<tr><th>Kanal</th><th>Pakete empfangen</th><th>Pakete gesendet</th><th>CRC-Fehler</th><th>Verworfen</th><th>Kollisionen</th></tr>
%s
</table>
<h2>Summe</h2>
<table><tr><td>Fehler gesamt:</td><td>%d</td></tr></table>
</body></html>
""" % (dedate(r), clock(r), "\n".join(rows), sum(errors_at.values()))
    return page, values, sum(errors_at.values())


def family_counters():
    a, va, sa = counters(random.Random(121), {})
    b, vb, sb = counters(random.Random(122), {70: 3, 90: 12})
    write("counters-a.htm", a)
    write("counters-b.htm", b)
    p = ("counters-a.htm", "counters-b.htm")
    def cell(values, port, column):
        return "<td>Kanal%d</td>" % port + "".join("<td>%s</td>" % v for v in values[port][:column]) + "<td>"
    case(*p, "property", va[90][2], vb[90][2], [cell(va, 90, 2), cell(vb, 90, 2)])
    case(*p, "property", str(sa), str(sb), ["Fehlergesamt:"] * 2)
    case(*p, "property", va[80][4], vb[80][4], [cell(va, 80, 4), cell(vb, 80, 4)])


# ------------------------------------------- cable modem without labels in the rows

def cable_plain(r, channels):
    rows = []
    vals = []
    for i in range(channels):
        row = (str(i + 1), "%.1f" % r.uniform(-5, 8), "%.1f" % r.uniform(34, 42), "%d" % (114 + 8 * i))
        vals.append(row)
        rows.append("<tr><td>%s</td><td>%s</td><td>%s</td><td>%s</td></tr>" % row)
    up = "%.1f" % r.uniform(40, 50)
    page = """<html><head><title>Modem</title></head><body>
<table border=1>
<tr><td colspan=4><b>Downstream</b></td></tr>
<tr><td>Kanal</td><td>Pegel (dBmV)</td><td>SNR (dB)</td><td>Frequenz (MHz)</td></tr>
%s
</table>
<table border=1>
<tr><td colspan=2><b>Upstream</b></td></tr>
<tr><td>Sendepegel (dBmV)</td><td>%s</td></tr>
</table>
<p>Modem-Zeit: %s %s</p>
</body></html>
""" % ("\n".join(rows), up, dedate(r), clock(r))
    return page, vals, up


def family_cable_plain():
    a, va, ua = cable_plain(random.Random(131), 8)
    b, vb, ub = cable_plain(random.Random(132), 8)
    write("cable-plain-a.htm", a)
    write("cable-plain-b.htm", b)
    p = ("cable-plain-a.htm", "cable-plain-b.htm")
    case(*p, "property", va[0][1], vb[0][1])
    case(*p, "property", va[5][2], vb[5][2])
    case(*p, "property", ua, ub)


# ------------------------------------------- online and offline saves of two modems

def modem_state(r, online, lang, save):
    notice = ('<p class="news">Eine neue Firmware ist verfügbar. Klicken Sie <a href="/update.htm">hier</a>, '
              'um sie zu installieren.</p>\n' if online and save == "b" else "")
    if lang == "de":
        state = ("<td class=\"ok\">Online</td>" if online else
                 "<td class=\"err\">Offline</td>")
        banner = "" if online else ("<div class=\"warning\"><p>Ihr Modem ist offline. Bitte prüfen Sie das "
                                    "Antennenkabel. Weitere Informationen finden Sie <a href=\"/help.htm\">hier</a>."
                                    "</p></div>\n")
        addr = ip(r) if online else "---"
        page = """<html><head><title>Status</title></head><body>
<div class="logo"></div>
%s<table class="status">
<tr><td>Verbindungsstatus</td>%s</tr>
<tr><td>Öffentliche IP-Adresse</td><td>%s</td></tr>
<tr><td>Letzte Änderung</td><td>%s %s</td></tr>
</table>
%s<p class="foot">Hilfe finden Sie im <a href="/manual.htm">Handbuch</a>.</p>
</body></html>
""" % (banner, state, addr, dedate(r), clock(r), notice)
    else:
        banner = "" if online else ("<p class=\"alert\">The cable modem is not connected to the network. "
                                    "<a href=\"/retry.htm\">Click here</a> to try again.</p>\n")
        state = "Operational" if online else "Not Synchronized"
        page = """<html><head><title>Cable Modem</title></head><body>
<h1>Connection</h1>
%s<table>
<tr><th>Status</th><td>%s</td></tr>
<tr><th>WAN IP</th><td>%s</td></tr>
<tr><th>Uptime</th><td>%s</td></tr>
</table>
%s<p><a href="/log.htm">Event log</a> | <a href="/help.htm">Help</a></p>
</body></html>
""" % (banner, state, ip(r) if online else "0.0.0.0", "%dd %s" % (r.randint(0, 9), clock(r)) if online else "0d 00:00:00",
       '<p class="news">New firmware is available. Click here to install it.</p>\n' if online and save == "b" else "")
    return page


def family_offline():
    for lang, seed in (("de", 141), ("en", 151)):
        r = random.Random(seed)
        names = []
        for save in ("a", "b"):
            for online in (True, False):
                name = "state-%s-%s-%s.htm" % (lang, save, "online" if online else "offline")
                write(name, modem_state(r, online, lang, save), "utf-8")
                names.append(name)
        cases.append((*names, "offline"))


# ------------------------------------------- cable router, channel objects in a script

def cable_objects(r, channels, extra):
    ds = []
    for i in range(channels):
        ds.append({"channelId": str(i + 1), "frequency": str(114 + 8 * i), "powerLevel": "%.1f" % r.uniform(-5, 12),
                   "modulation": "256QAM", "mer": "%.1f" % r.uniform(35, 43), "latency": "0.%d" % r.randint(1, 9),
                   "corrErrors": str(r.randint(0, 3000)), "nonCorrErrors": str(r.randint(0, 20))})
    us = [{"channelId": str(i + 1), "frequency": "%.1f" % (30.8 + 6.4 * i), "powerLevel": "%.1f" % r.uniform(40, 50),
           "modulation": "64QAM"} for i in range(4)]
    uptime = "%d:%02d:%02d" % (r.randint(0, 900), r.randint(0, 59), r.randint(0, 59))
    wan = ip(r)

    def objects(items):
        return ",".join("{" + ",".join('"%s":"%s"' % kv for kv in item.items()) + "}" for item in items)
    page = """<!DOCTYPE html>
<html lang="de">
<head>
<meta charset="utf-8">
<title>Kabel-Information</title>
<script src="/js/app.js?t=%d"></script>
<script>
var gui = {"lang":"de","sid":"%s"};
var data = {"docsis":{"downstream":[%s],"upstream":[%s]},"wan":{"ipv4":"%s","uptime":"%s"%s}};
function render() {
    for (var i = 0; i < data.docsis.downstream.length; i++) {
        var ch = data.docsis.downstream[i];
        if (ch.powerLevel < -8 || ch.powerLevel > 15) markBad(i);
    }
}
</script>
</head>
<body onload="render()">
<h1>Kabel-Information</h1>
<div id="ds"></div><div id="us"></div>
</body>
</html>
""" % (r.randint(10**9, 2 * 10**9), sid(r), objects(ds), objects(us), wan, uptime,
       ',"dslite":"aktiv"' if extra else "")
    return page, {"ds": ds, "us": us, "uptime": uptime, "wan": wan}


def family_cable_objects():
    a, va = cable_objects(random.Random(201), 32, False)
    b, vb = cable_objects(random.Random(202), 31, True)
    write("cable-objects-a.htm", a, "utf-8")
    write("cable-objects-b.htm", b, "utf-8")
    p = ("cable-objects-a.htm", "cable-objects-b.htm")
    def anchor(values, table, row, name):
        item = values[table][row]
        text = '{' + ",".join('"%s":"%s"' % kv for kv in item.items())
        return text[:text.index('"%s":"' % name) + len(name) + 4]
    for table, row, name in (("ds", 0, "powerLevel"), ("ds", 1, "mer"), ("ds", 2, "corrErrors"),
                             ("us", 0, "powerLevel"), ("us", 3, "frequency")):
        case(*p, "ip", va[table][row][name], vb[table][row][name],
             [anchor(va, table, row, name), anchor(vb, table, row, name)])
    case(*p, "ip", va["wan"], vb["wan"])
    case(*p, "ip", va["uptime"], vb["uptime"])


# ------------------------------------------- fibre terminal, label cells with classes

def fibre(r, tx_first):
    v = {"rx": "%.2f" % -r.uniform(14, 24), "tx": "%.2f" % r.uniform(1, 4), "temp": "%.1f" % r.uniform(35, 60),
         "volt": "%.2f" % r.uniform(3.2, 3.4), "bias": "%.1f" % r.uniform(8, 20), "sn": "GPON%08X" % r.randint(0, 2**32 - 1),
         "state": "O5", "up": "%d days, %s" % (r.randint(0, 100), clock(r))}
    rows = [("Rx Optical Power", v["rx"] + "&nbsp;dBm"), ("Temperature", v["temp"] + "&nbsp;&deg;C"),
            ("Supply Voltage", v["volt"] + "&nbsp;V"), ("Bias Current", v["bias"] + "&nbsp;mA")]
    if tx_first:
        rows.insert(0, ("Tx Optical Power", v["tx"] + "&nbsp;dBm"))
    body = "".join('<tr>\n<td class="title">%s</td>\n<td class="data">%s</td>\n</tr>\n' % row for row in rows)
    page = """<html>
<head><title>Optical Information</title>
<link rel="stylesheet" href="../css/ont.css" type="text/css"></head>
<body class="main">
<table class="head" width="100%%"><tr><td>Optical Information</td></tr></table>
<table class="list" width="100%%" cellspacing="1">
%s</table>
<table class="head" width="100%%"><tr><td>Device Information</td></tr></table>
<table class="list" width="100%%" cellspacing="1">
<tr><td class="title">Serial Number</td><td class="data">%s</td></tr>
<tr><td class="title">ONU State</td><td class="data">%s</td></tr>
<tr><td class="title">System Up Time</td><td class="data">%s</td></tr>
</table>
</body></html>
""" % (body, v["sn"], v["state"], v["up"])
    return page, v


def family_fibre():
    a, va = fibre(random.Random(211), False)
    b, vb = fibre(random.Random(212), True)
    write("fibre-a.htm", a)
    write("fibre-b.htm", b)
    p = ("fibre-a.htm", "fibre-b.htm")
    for key in ("rx", "temp", "volt", "bias"):
        case(*p, "ip", va[key], vb[key])
    case(*p, "property", va["sn"], vb["sn"])
    case(*p, "property", va["up"], vb["up"])


# ------------------------------------------- small office router, upper-case tags without quotes

def soho(r, lease_row):
    v = {"ip": ip(r), "mask": "255.255.255.0", "gw": ip(r), "dns1": ip(r, 8), "dns2": ip(r, 8),
         "up": "%d day(s), %d:%02d:%02d" % (r.randint(0, 60), r.randint(0, 23), r.randint(0, 59), r.randint(0, 59)),
         "mac": mac(r), "fw": "3.%d.%d Build %d" % (r.randint(0, 9), r.randint(0, 20), r.randint(100000, 200000))}

    def row(label, value):
        return "<TR><TD class=item width=180>%s</TD><TD class=value>%s</TD></TR>\n" % (label, value)
    lease = row("DHCP Lease Time", "%d min" % r.randint(10, 1440)) if lease_row else ""
    page = """<HTML><HEAD><META http-equiv=Content-Type content="text/html; charset=windows-1252">
<LINK href="../css/main.css" rel=stylesheet type=text/css>
<SCRIPT language=JavaScript>
var statusInfo = new Array(0, 1, 1, 0);
function doRefresh(){ location.href="status.cgi?refresh=1"; }
</SCRIPT></HEAD>
<BODY>
<CENTER><FORM action=status.cgi method=get>
<TABLE cellSpacing=0 cellPadding=0 width=502 border=0>
<TR><TD class=h1 colSpan=2>Status</TD></TR>
%s%s<TR><TD class=h2 colSpan=2>WAN</TD></TR>
%s%s%s%s%s<TR><TD class=h2 colSpan=2>System</TD></TR>
%s%s</TABLE>
<INPUT class=button type=submit value=Refresh name=Refresh>
</FORM></CENTER></BODY></HTML>
""" % (row("Firmware Version", v["fw"]), row("Hardware Version", "SR-12 v2"),
       row("MAC Address", v["mac"]), row("IP Address", v["ip"] + "&nbsp;PPPoE"), row("Subnet Mask", v["mask"]),
       row("Default Gateway", v["gw"]), row("DNS Server", v["dns1"] + " , " + v["dns2"]) + lease,
       row("System Up Time", v["up"]), row("Statistics", "<A href=Stats.htm>Details</A>"))
    return page, v


def family_soho():
    a, va = soho(random.Random(221), False)
    b, vb = soho(random.Random(222), True)
    write("soho-a.htm", a)
    write("soho-b.htm", b)
    p = ("soho-a.htm", "soho-b.htm")
    case(*p, "ip", va["ip"], vb["ip"])
    case(*p, "ip", va["gw"], vb["gw"])
    case(*p, "ip", va["dns1"], vb["dns1"])
    case(*p, "property", va["gw"], vb["gw"])
    case(*p, "property", va["up"], vb["up"])
    case(*p, "property", va["mac"], vb["mac"])
    case(*p, "property", va["fw"], vb["fw"])


# ------------------------------------------- wireless outdoor unit, values in a script and spans

def cpe(r):
    v = {"signal": str(-r.randint(50, 80)), "noise": str(-r.randint(90, 98)), "ccq": str(r.randint(60, 99)),
         "tx": "%.1f" % r.uniform(50, 300), "ip": "10.%d.%d.%d" % (r.randint(0, 255), r.randint(0, 255), r.randint(2, 250)),
         "up": "%d days %s" % (r.randint(0, 30), clock(r)), "ap": mac(r)}
    page = """<html><head><title>Main</title>
<script type="text/javascript">
var signal = %s;
var noise = %s;
function quality() {
  if (signal > -65) return "good";
  if (signal > -75 && noise < -90) return "fair";
  return "poor";
}
</script></head>
<body>
<div class="row"><span class="label">Signal Strength:</span> <span class="value" id="signal">%s dBm</span></div>
<div class="row"><span class="label">Noise Floor:</span> <span class="value">%s dBm</span></div>
<div class="row"><span class="label">Transmit CCQ:</span> <span class="value">%s %%</span></div>
<div class="row"><span class="label">TX/RX Rate:</span> <span class="value">%s Mbps / %s Mbps</span></div>
<div class="row"><span class="label">AP MAC:</span> <span class="value">%s</span></div>
<div class="row"><span class="label">WAN IP:</span> <span class="value">%s</span></div>
<div class="row"><span class="label">Uptime:</span> <span class="value">%s</span></div>
<div class="row"><span class="label">Date:</span> <span class="value">%s %s</span></div>
</body></html>
""" % (v["signal"], v["noise"], v["signal"], v["noise"], v["ccq"], v["tx"], "%.1f" % r.uniform(50, 300),
       v["ap"], v["ip"], v["up"], dedate(r), clock(r))
    return page, v


def family_cpe():
    a, va = cpe(random.Random(231))
    b, vb = cpe(random.Random(232))
    write("cpe-a.htm", a)
    write("cpe-b.htm", b)
    p = ("cpe-a.htm", "cpe-b.htm")
    case(*p, "ip", va["signal"], vb["signal"])
    for key in ("ccq", "tx", "ap", "ip", "up"):
        case(*p, "ip", va[key], vb[key])
    case(*p, "property", va["ip"], vb["ip"])


# ------------------------------------------- DSL line, two label and value pairs per row

def vdsl_rows(r, extra_row):
    v = {"upr": str(r.randint(30000, 40000)), "downr": str(r.randint(90000, 116000)),
         "upa": str(r.randint(30000, 46000)), "downa": str(r.randint(100000, 130000)),
         "ups": "%.1f" % r.uniform(5, 15), "downs": "%.1f" % r.uniform(5, 15),
         "upat": "%.2f" % r.uniform(2, 20), "downat": "%.2f" % r.uniform(5, 30)}

    def row(l1, v1, l2, v2):
        return ("<tr><td class=\"l\">%s</td><td>%s</td><td class=\"l\">%s</td><td>%s</td></tr>\n" % (l1, v1, l2, v2))
    extra = row("Line Mode:", "VDSL2", "Profile:", "17a") if extra_row else ""
    page = """<html><head><title>xDSL Statistics</title></head><body>
<h2>xDSL Statistics</h2>
<table class="stats">
<tr><th></th><th>Upstream</th><th></th><th>Downstream</th></tr>
%s%s%s%s%s</table>
<p>Status: Up</p>
</body></html>
""" % (extra, row("Line Rate - Upstream (Kbps):", v["upr"], "Line Rate - Downstream (Kbps):", v["downr"]),
       row("Max Rate - Upstream (Kbps):", v["upa"], "Max Rate - Downstream (Kbps):", v["downa"]),
       row("SNR Margin - Upstream (dB):", v["ups"], "SNR Margin - Downstream (dB):", v["downs"]),
       row("Attenuation - Upstream (dB):", v["upat"], "Attenuation - Downstream (dB):", v["downat"]))
    return page, v


def family_vdsl_rows():
    a, va = vdsl_rows(random.Random(241), False)
    b, vb = vdsl_rows(random.Random(242), True)
    write("vdsl-rows-a.htm", a)
    write("vdsl-rows-b.htm", b)
    p = ("vdsl-rows-a.htm", "vdsl-rows-b.htm")
    for key in ("upr", "downr", "downa", "downs", "upat", "downat"):
        case(*p, "property", va[key], vb[key])


# ------------------------------------------- pre-formatted text status

def text_status(r):
    v = {"ip": ip(r), "gw": ip(r), "up": "%dd %dh %dm" % (r.randint(0, 30), r.randint(0, 23), r.randint(0, 59)),
         "rx": str(r.randint(10**6, 10**9)), "tx": str(r.randint(10**6, 10**9))}
    page = """<html><body><pre>
System status
=============
WAN IP address:   %s
WAN gateway:      %s
Uptime:           %s
RX bytes:         %s
TX bytes:         %s
Last update:      %s %s
</pre></body></html>
""" % (v["ip"], v["gw"], v["up"], v["rx"], v["tx"], dedate(r), clock(r))
    return page, v


def family_text_status():
    a, va = text_status(random.Random(251))
    b, vb = text_status(random.Random(252))
    write("text-status-a.htm", a)
    write("text-status-b.htm", b)
    p = ("text-status-a.htm", "text-status-b.htm")
    for key in ("ip", "gw", "up", "rx", "tx"):
        case(*p, "ip", va[key], vb[key])


# ------------------------------------------- repeater, a status list in single quotes

def repeater(r):
    v = {"ssid": "Heimnetz-" + r.choice(["Wohnzimmer", "Keller", "Garten", "Buero"]), "ip": "192.168.178.%d" % r.randint(20, 99),
         "rssi": str(-r.randint(45, 80)), "rate": str(r.choice([144, 300, 433, 866, 1200])),
         "fw": "%d.%02d" % (r.randint(6, 7), r.randint(10, 99))}
    page = """<html><head><meta charset="utf-8"><title>Repeater</title>
<script>
var repeaterStatus = ['connected', '%s', '%s', '%s', '%s', 'WPA2'];
var fwVersion = '%s';
function bars(rssi) { var n = 0; while (n < 5 && rssi > -90 + n * 10) n++; return n; }
</script></head><body>
<div id="state"></div>
<script>document.getElementById("state").innerHTML = repeaterStatus[0];</script>
</body></html>
""" % (v["ssid"], v["ip"], v["rssi"], v["rate"], v["fw"])
    return page, v


def family_repeater():
    a, va = repeater(random.Random(261))
    b, vb = repeater(random.Random(262))
    write("repeater-a.htm", a, "utf-8")
    write("repeater-b.htm", b, "utf-8")
    p = ("repeater-a.htm", "repeater-b.htm")
    for key in ("ssid", "ip", "rssi", "rate", "fw"):
        case(*p, "ip", va[key], vb[key])


# ------------------------------------------- switch ports: one value hundreds of times

def ports(r, wan_speed):
    rows = []
    for port in range(1, 49):
        rows.append("<tr><td>%d</td><td>Up</td><td>1000 Mbit/s</td><td>Full</td><td>%d</td></tr>"
                    % (port, r.randint(0, 10**6)))
    rows.append("<tr><td>WAN</td><td>Up</td><td>%s</td><td>Full</td><td>%d</td></tr>" % (wan_speed, r.randint(0, 10**6)))
    page = """<html><head><title>Ports</title></head><body>
<table class="ports"><tr><th>Port</th><th>Link</th><th>Speed</th><th>Duplex</th><th>Packets</th></tr>
%s
</table></body></html>
""" % "\n".join(rows)
    return page


def family_ports():
    a = ports(random.Random(271), "1000 Mbit/s")
    b = ports(random.Random(272), "100 Mbit/s")
    write("ports-a.htm", a)
    write("ports-b.htm", b)
    case("ports-a.htm", "ports-b.htm", "property", "1000 Mbit/s", "100 Mbit/s",
         ["<td>WAN</td><td>Up</td><td>", "<td>WAN</td><td>Up</td><td>"])


# ------------------------------------------- sections that repeat their labels

def sections(r, guest):
    v = {"lan": "192.168.1.1", "wan": ip(r), "wanmask": "255.255.255.255", "wangw": ip(r),
         "guest": "192.168.10.1", "uptime": "%d Tage %s" % (r.randint(0, 50), clock(r))}

    def section(title, rows):
        return "<h3>%s</h3>\n<table class=\"t\">\n%s</table>\n" % (
            title, "".join("<tr><td>%s</td><td>%s</td></tr>\n" % row for row in rows))
    page = "<html><body>\n" + section("LAN", [("IP-Adresse", v["lan"]), ("Subnetzmaske", "255.255.255.0")])
    if guest:
        page += section("Gastnetz", [("IP-Adresse", v["guest"]), ("Subnetzmaske", "255.255.255.0")])
    page += section("WAN", [("IP-Adresse", v["wan"]), ("Subnetzmaske", v["wanmask"]), ("Gateway", v["wangw"])])
    page += section("System", [("Laufzeit", v["uptime"])]) + "</body></html>\n"
    return page, v


def family_sections():
    a, va = sections(random.Random(301), False)
    b, vb = sections(random.Random(302), True)
    write("sections-a.htm", a)
    write("sections-b.htm", b)
    p = ("sections-a.htm", "sections-b.htm")
    case(*p, "ip", va["wan"], vb["wan"])
    case(*p, "property", va["wangw"], vb["wangw"])
    case(*p, "property", va["uptime"], vb["uptime"])


# ------------------------------------------- labels and values with non-breaking spaces

def nbsp_labels(r):
    v = {"down": str(r.randint(1000, 16000)), "up": str(r.randint(128, 1024)), "snr": "%.1f" % r.uniform(5, 30),
         "att": "%.1f" % r.uniform(10, 60), "crc": str(r.randint(0, 10000))}
    page = """<html><body><table>
<tr><td>Downstream&nbsp;Rate:</td><td>%s&nbsp;kbps</td></tr>
<tr><td>Upstream&nbsp;Rate:</td><td>%s&nbsp;kbps</td></tr>
<tr><td>SNR&nbsp;Margin&nbsp;(Down):</td><td>%s&nbsp;dB</td></tr>
<tr><td>Line&nbsp;Attenuation&nbsp;(Down):</td><td>%s&nbsp;dB</td></tr>
<tr><td>CRC&nbsp;Errors:</td><td>%s</td></tr>
</table></body></html>
""" % (v["down"], v["up"], v["snr"], v["att"], v["crc"])
    return page, v


def family_nbsp_labels():
    a, va = nbsp_labels(random.Random(311))
    b, vb = nbsp_labels(random.Random(312))
    write("nbsp-a.htm", a)
    write("nbsp-b.htm", b)
    p = ("nbsp-a.htm", "nbsp-b.htm")
    for key in ("down", "up", "snr", "att"):
        case(*p, "ip", va[key], vb[key])
    case(*p, "property", va["crc"], vb["crc"])


# ------------------------------------------- mobile router, answer of its interface in XML

def mobile_xml(r, ipv6):
    v = {"ip": "10.%d.%d.%d" % (r.randint(0, 255), r.randint(0, 255), r.randint(2, 254)),
         "time": str(r.randint(60, 10**6)), "rssi": str(-r.randint(60, 100)), "sinr": "%.1f" % r.uniform(-5, 25),
         "cell": "%X" % r.randint(0x100000, 0xFFFFFF)}
    page = """<?xml version="1.0" encoding="UTF-8"?>
<response>
<state>connected</state>
<bars>%d</bars>
%s<ip_address>%s</ip_address>
<dns_primary>10.74.210.210</dns_primary>
<connected_seconds>%s</connected_seconds>
<rssi>%sdBm</rssi>
<sinr>%sdB</sinr>
<cell_id>%s</cell_id>
</response>
""" % (r.randint(1, 5), "<ipv6_address>2a02:%x::1</ipv6_address>\n" % r.randint(0x1000, 0xffff) if ipv6 else "",
       v["ip"], v["time"], v["rssi"], v["sinr"], v["cell"])
    return page, v


def family_mobile_xml():
    a, va = mobile_xml(random.Random(321), False)
    b, vb = mobile_xml(random.Random(322), True)
    write("mobile-a.xml", a)
    write("mobile-b.xml", b)
    p = ("mobile-a.xml", "mobile-b.xml")
    for key in ("ip", "time", "cell"):
        case(*p, "property", va[key], vb[key])
    case(*p, "ip", va["rssi"], vb["rssi"])
    case(*p, "ip", va["sinr"], vb["sinr"])


# ------------------------------------------- lines of bold labels and coloured values

def br_lines(r, ipv6):
    v = {"state": "Connected", "ip": ip(r), "gw": ip(r), "up": "%dd %s" % (r.randint(0, 30), clock(r)),
         "fw": "v%d.%d.%d" % (r.randint(1, 3), r.randint(0, 9), r.randint(0, 99))}
    six = "<b>IPv6:</b> <font color=\"green\">2001:db8::%x</font><br>\n" % r.randint(1, 0xffff) if ipv6 else ""
    page = """<html><body><div class="box">
<b>Status:</b> <font color="green">%s</font><br>
%s<b>IP Address:</b> <font color="green">%s</font><br>
<b>Gateway:</b> <font color="green">%s</font><br>
<b>Uptime:</b> <font color="green">%s</font><br>
<b>Firmware:</b> %s<br>
</div></body></html>
""" % (v["state"], six, v["ip"], v["gw"], v["up"], v["fw"])
    return page, v


def family_br_lines():
    a, va = br_lines(random.Random(331), False)
    b, vb = br_lines(random.Random(332), True)
    write("br-lines-a.htm", a)
    write("br-lines-b.htm", b)
    p = ("br-lines-a.htm", "br-lines-b.htm")
    case(*p, "ip", va["ip"], vb["ip"])
    case(*p, "property", va["gw"], vb["gw"])
    case(*p, "property", va["up"], vb["up"])
    case(*p, "property", va["fw"], vb["fw"])


# ------------------------------------------- label and value in one cell, image labels, label elements

def mixed_labels(r):
    v = {"ip": ip(r), "dns": ip(r, 9), "ssid": "Netz-" + r.choice(["Blau", "Rot", "Gelb"]),
         "clients": str(r.randint(1, 30)), "temp": "%d" % r.randint(40, 80)}
    page = """<html><body>
<table><tr><td>WAN-IP: %s</td><td>DNS: %s</td></tr></table>
<table><tr><td><img src="/img/wlan.gif" alt="WLAN"></td><td>%s</td></tr>
<tr><td><img src="/img/clients.gif" alt="Clients"></td><td>%s</td></tr></table>
<div><label for="temp">CPU-Temperatur</label> <span id="temp">%s</span> &deg;C</div>
</body></html>
""" % (v["ip"], v["dns"], v["ssid"], v["clients"], v["temp"])
    return page, v


def family_mixed_labels():
    a, va = mixed_labels(random.Random(341))
    b, vb = mixed_labels(random.Random(342))
    write("mixed-a.htm", a)
    write("mixed-b.htm", b)
    p = ("mixed-a.htm", "mixed-b.htm")
    case(*p, "ip", va["ip"], vb["ip"])
    case(*p, "property", va["dns"], vb["dns"])
    case(*p, "property", va["ssid"], vb["ssid"])
    case(*p, "property", va["clients"], vb["clients"])
    case(*p, "property", va["temp"], vb["temp"])


# ------------------------------------------- numbered rows, labels in the second column

def numbered_rows(r, extra):
    v = {"state": "verbunden", "ip": ip(r), "dns": ip(r, 62), "up": "%d:%02d:%02d" % (r.randint(0, 99), r.randint(0, 59), r.randint(0, 59)),
         "rx": "%.1f MB" % r.uniform(1, 9000)}
    rows = [("Verbindungsstatus", v["state"]), ("IP-Adresse", v["ip"]), ("DNS-Server", v["dns"]),
            ("Verbindungsdauer", v["up"]), ("Empfangen", v["rx"])]
    if extra:
        rows.insert(1, ("Verbindungstyp", "PPPoE"))
    body = "".join("<tr><td class=\"n\">%d</td><td>%s</td><td>%s</td></tr>\n" % (i + 1, label, value)
                   for i, (label, value) in enumerate(rows))
    return "<html><body><table>\n%s</table></body></html>\n" % body, v


def family_numbered_rows():
    a, va = numbered_rows(random.Random(351), False)
    b, vb = numbered_rows(random.Random(352), True)
    write("numbered-a.htm", a)
    write("numbered-b.htm", b)
    p = ("numbered-a.htm", "numbered-b.htm")
    case(*p, "ip", va["ip"], vb["ip"])
    for key in ("dns", "up", "rx"):
        case(*p, "property", va[key], vb[key])


for family in (family_cable_tables, family_cable_script, family_dsl_de, family_old_router, family_lte,
               family_json, family_xml, family_divs, family_mesh, family_inputs, family_js_arrays,
               family_counters, family_cable_plain, family_offline, family_cable_objects, family_fibre, family_soho,
               family_cpe, family_vdsl_rows, family_text_status, family_repeater, family_ports, family_sections,
               family_nbsp_labels, family_mobile_xml, family_br_lines, family_mixed_labels,
               family_numbered_rows):
    family()

with open(os.path.join(HERE, "cases.tsv"), "wb") as out:
    for fields in cases:
        out.write(("\t".join(fields) + "\n").encode("utf-8"))
