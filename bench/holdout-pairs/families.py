"""Made-up status pages of made-up devices, each saved twice.

Every family renders one device's status page for save 1 and save 2 (another
firmware, another day, after a reconnect) and, where it has one, the page
saved while the device was offline. v(field) wraps a value so the harness
knows which place of the page is meant.
"""

FAMILIES = []


def family(vals, cases, enc='utf-8', nl=('\n', '\n'), offline=False):
    def wrap(render):
        FAMILIES.append(dict(name=render.__name__, vals=vals, cases=cases, enc=enc,
                             nl=nl, offline=offline, render=render))
        return render
    return wrap


def nav(n, sid):
    items = ['Status', 'Internet', 'WLAN', 'Heimnetz' if n == 2 else 'LAN', 'System']
    links = ''.join(f'<li><a href="/cgi-bin/{i.lower()}.cgi?sid={sid}">{i}</a></li>\n' for i in items)
    return f'<ul id="menu">\n{links}</ul>\n'


def head(title, n, build, refresh=True):
    css = ('body{font-family:Arial,sans-serif;font-size:12px}\n'
           f'.build-{build}{{display:none}}\ntd.l{{width:40%;text-align:right}}\n')
    if n == 2:
        css += '.warn{color:#c00}\n@media (max-width:600px){td.l{width:auto}}\n'
    meta = '<meta http-equiv="refresh" content="30">\n' if refresh else ''
    return (f'<!DOCTYPE html>\n<html>\n<head>\n<meta charset="utf-8">\n{meta}<title>{title}</title>\n'
            f'<link rel="stylesheet" href="/css/main.css?v={build}">\n<style>\n{css}</style>\n</head>\n')


# 1 ---------------------------------------------------------------- table rows
@family(vals=[dict(ip='84.163.21.7', gw='84.163.0.1', dns1='217.0.43.1', dns2='217.0.43.17', rate='11904 kbps',
                   up='1022 kbps', snr='9.3 dB', fw='1.0.4 build 2210', uptime='2 days 03:12:44'),
              dict(ip='91.22.140.3', gw='91.22.128.1', dns1='217.0.43.1', dns2='217.0.43.17', rate='11872 kbps',
                   up='1024 kbps', snr='8.7 dB', fw='1.1.0 build 2302', uptime='0 days 00:41:07')],
        cases=[('ip', 'ip'), ('property', 'dns1'), ('property', 'rate'), ('property', 'snr'), ('property', 'fw')],
        nl=('\n', '\r\n'))
def dsl_table(n, v):
    sid = ['7f3a2c91', '0b44e8d1'][n - 1]
    ind = '  ' if n == 1 else '\t\t'
    rows = [('Model', 'NL-520 VDSL'), ('Firmware Version', v('fw')), ('System Uptime', v('uptime'))]
    net = [('Connection Type', 'PPPoE'), ('Connection Status', 'Connected'), ('IP Address', v('ip'))]
    if n == 2:
        net.append(('IPv6 Address', '2003:e1:bf1a:7c00:1::1'))
    net += [('Subnet Mask', '255.255.255.255'), ('Default Gateway', v('gw')),
            ('Primary DNS', v('dns1')), ('Secondary DNS', v('dns2'))]
    dsl = [('Line State', 'Showtime'), ('Downstream Rate', v('rate')), ('Upstream Rate', v('up')),
           ('SNR Margin (down)', v('snr')), ('Line Attenuation (down)', '13.5 dB')]

    def table(title, rs):
        body = ''.join(f'{ind}<tr>\n{ind}{ind}<td class="l">{a}:</td>\n{ind}{ind}<td>{b}</td>\n{ind}</tr>\n'
                       for a, b in rs)
        return f'<h3>{title}</h3>\n<table class="st" width="100%">\n{body}</table>\n'
    last = f'<p class="small">Last update: 2025-0{n}-1{n} 1{n}:0{n}:33</p>\n' if n == 2 else ''
    return (head('NL-520 Status', n, ['a1b2', 'c3d4'][n - 1]) + '<body>\n' + nav(n, sid)
            + table('Device', rows) + table('Internet', net) + table('DSL', dsl) + last + '</body>\n</html>\n')


# 2 ---------------------------------------------------------------- definition lists
@family(vals=[dict(ip='78.43.112.9', state='Operational', model='CG-4410', sw='4.2.17', boot='Sat Mar 01 09:12:40 2025'),
              dict(ip='78.43.97.250', state='Operational', model='CG-4410', sw='4.3.2', boot='Tue Apr 15 18:03:02 2025')],
        cases=[('ip', 'ip'), ('property', 'state'), ('property', 'model'), ('property', 'sw')])
def cable_dl(n, v):
    items = [('Model', v('model')), ('Software Version', v('sw')), ('Cable Modem Status', v('state'))]
    if n == 2:
        items.append(('WAN IPv6 Address', '2a02:908:1a2:3b00::1'))
    items += [('WAN IPv4 Address', v('ip')), ('Boot Time', v('boot'))]
    dl = ''.join(f'  <dt>{a}</dt>\n  <dd>{b}</dd>\n' for a, b in items)
    return (head('Status', n, ['f0e1', 'f0e9'][n - 1]) + '<body>\n<div id="content">\n<h2>Gateway Status</h2>\n'
            f'<dl class="status">\n{dl}</dl>\n</div>\n</body>\n</html>\n')


# 3 ---------------------------------------------------------------- div/span cards
@family(vals=[dict(ip='100.64.12.31', devices='14', ctype='DHCP', fw='2.4.1.118'),
              dict(ip='100.64.77.5', devices='9', ctype='DHCP', fw='2.5.0.204')],
        cases=[('ip', 'ip'), ('property', 'devices'), ('property', 'ctype'), ('property', 'fw')])
def mesh_cards(n, v):
    def card(title, rows):
        r = ''.join(f'    <div class="info-row"><span class="info-label">{a}</span>'
                    f'<span class="info-value">{b}</span></div>\n' for a, b in rows)
        return f'  <div class="info-card">\n    <div class="info-title">{title}</div>\n{r}  </div>\n'
    inet = card('Internet', [('Status', 'Online'), ('Connection type', v('ctype')), ('IP address', v('ip')),
                             ('Gateway', '100.64.0.1')])
    mesh = card('Mesh', [('Satellites', '2' if n == 2 else '1'), ('Connected devices', v('devices'))])
    sysc = card('System', [('Model', 'Orbis M3'), ('Firmware', v('fw')), ('Serial', 'OM3A0192233')])
    cards = inet + mesh + sysc if n == 1 else mesh + inet + sysc
    return (head('Orbis', n, ['77aa', '88bb'][n - 1], refresh=False) + '<body>\n<div class="dashboard">\n' + cards
            + '</div>\n</body>\n</html>\n')


# 4 ---------------------------------------------------------------- script variables
@family(vals=[dict(ip='217.84.3.201', dns1='192.168.1.1', fw='V2.0.1b', lan='192.168.1.1'),
              dict(ip='217.84.55.12', dns1='192.168.1.1', fw='V2.0.3', lan='192.168.1.1')],
        cases=[('ip', 'ip'), ('property', 'fw')])
def js_vars(n, v):
    vs = [('wanIp', v('ip')), ('wanMask', '255.255.255.255'), ('pppUptime', '4711' if n == 1 else '12'),
          ('lanIp', v('lan')), ('fwVer', v('fw'))]
    if n == 2:
        vs.insert(0, ('csrf_token', '5e1d0a9c77b2'))
        vs.reverse()
    js = ''.join(f'var {a} = "{b}";\n' if n == 1 else f'var {a}="{b}";\n' for a, b in vs)
    return (head('Vexa 7400', n, 'v1') + '<body>\n<script type="text/javascript">\n'
            f"var sessionKey='{['a8f3c1', '19bd02'][n - 1]}';\n{js}</script>\n"
            '<table><tr><td>WAN IP</td><td><script>document.write(wanIp);</script></td></tr>\n'
            '<tr><td>Firmware</td><td><script>document.write(fwVer);</script></td></tr></table>\n</body></html>\n')


# 5 ---------------------------------------------------------------- script arrays
@family(vals=[dict(ip='88.152.4.77', gw='88.152.0.1', dns2='9.9.9.9', up='3d 4h 11m'),
              dict(ip='88.152.19.201', gw='88.152.16.1', dns2='9.9.9.9', up='0d 0h 2m')],
        cases=[('ip', 'ip'), ('property', 'gw'), ('property', 'dns2')])
def js_array(n, v):
    extra = ',"1492"' if n == 2 else ''
    return (head('Telmo TC7', n, 't7') + '<body>\n<script language="JavaScript">\n'
            f'var wanInfo = new Array("PPPoE","Connected","{v("ip")}","{v("gw")}","1.1.1.1","{v("dns2")}",'
            f'"{v("up")}"{extra});\n'
            'var lanInfo = new Array("192.168.2.1","255.255.255.0","on");\n'
            'for (var i = 0; i < wanInfo.length; i++) { if (wanInfo[i] == "") wanInfo[i] = "-"; }\n'
            '</script>\n<div id="wan"></div>\n</body>\n</html>\n')


# 6 ---------------------------------------------------------------- value lists split in a loop
@family(vals=[dict(ip='95.91.230.14', snr='38.6', freq='579000000 Hz', time='Sun Dec 14 11:56:29 2025'),
              dict(ip='95.91.201.3', snr='37.9', freq='579000000 Hz', time='Wed Jan 07 08:02:11 2026')],
        cases=[('ip', 'ip'), ('property', 'snr'), ('property', 'freq')])
def js_pipe_loop(n, v):
    ch = [('1', '3.2' if n == 1 else '2.9', v('snr')), ('2', '3.0', '38.1'), ('3', '2.7', '37.7')]
    rows = ''.join(f'<tr><td>{a}</td><td>Locked</td><td>QAM256</td><td>{v("freq") if a == "1" else "587000000 Hz"}'
                   f'</td><td>{b}</td><td>{c}</td></tr>\n' for a, b, c in ch)
    return (head('Status', n, 'p6') + '<body>\n<script type="text/javascript">\n'
            f"var tagValueList = '8.1.3|Operational|{v('time')}|0|0|{v('ip')}|';\n"
            'function fill(){ var vals = tagValueList.split("|");\n'
            '  for (var i=0;i<vals.length;i++){ if (i<cellsList.length) cellsList[i].innerHTML = vals[i]; }\n'
            '  for (j = 0; j<3 && j<vals.length; j++) { count++; } }\n</script>\n'
            '<table id="ds"><tr><th>Channel</th><th>Lock Status</th><th>Modulation</th><th>Frequency</th>'
            '<th>Power</th><th>SNR</th></tr>\n' + rows + '</table>\n</body>\n</html>\n')


# 7 ---------------------------------------------------------------- JSON endpoint
@family(vals=[dict(ip='10.148.22.7', fw='3.2.1', op='Telenova', rsrp='-95'),
              dict(ip='10.151.3.190', fw='3.3.0', op='Telenova', rsrp='-101')],
        cases=[('ip', 'ip'), ('property', 'fw'), ('property', 'op'), ('property', 'rsrp')])
def lte_json(n, v):
    if n == 1:
        return ('{"device":{"model":"Cellio L4","fw":"%s"},"wan":{"ip":"%s","gateway":"10.148.22.1"},'
                '"signal":{"rsrp":"%s","rsrq":"-11","operator":"%s"},"ts":1734170189}'
                % (v('fw'), v('ip'), v('rsrp'), v('op')))
    return ('{\n  "ts": 1736233331,\n  "wan": {\n    "ipv6": "2a01:598:1::7",\n    "ip": "%s",\n'
            '    "gateway": "10.151.3.1"\n  },\n  "device": {\n    "model": "Cellio L4",\n    "fw": "%s"\n  },\n'
            '  "signal": {\n    "operator": "%s",\n    "rsrp": "%s",\n    "rsrq": "-14"\n  }\n}\n'
            % (v('ip'), v('fw'), v('op'), v('rsrp')))


# 8 ---------------------------------------------------------------- XML endpoint
@family(vals=[dict(ip='62.158.90.4', rx='-18.52', state='O5'), dict(ip='62.158.12.100', rx='-19.07', state='O5')],
        cases=[('ip', 'ip'), ('property', 'rx'), ('property', 'state')])
def ont_xml(n, v):
    v6 = '    <ipv6>2003:c2:1f00::1</ipv6>\n' if n == 2 else ''
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            f'<status time="{["1734170189", "1736233331"][n - 1]}">\n'
            '  <lan>\n    <ip>192.168.100.1</ip>\n    <mask>255.255.255.0</mask>\n  </lan>\n'
            f'  <wan>\n{v6}    <ip>{v("ip")}</ip>\n    <gw>62.158.0.1</gw>\n  </wan>\n'
            f'  <optical>\n    <tx_power>2.31</tx_power>\n    <rx_power>{v("rx")}</rx_power>\n'
            f'    <onu_state>{v("state")}</onu_state>\n  </optical>\n</status>\n')


# 9 ---------------------------------------------------------------- old upper-case markup
@family(vals=[dict(ip='80.130.7.66', dns='194.25.0.60', runtime='00:12:40'),
              dict(ip='80.130.88.3', dns='194.25.0.68', runtime='15:02:09')],
        cases=[('ip', 'ip'), ('property', 'dns')], enc='cp1252', nl=('\r\n', '\r\n'))
def old_upper(n, v):
    def row(a, b):
        return (f'<TR><TD ALIGN=RIGHT><FONT FACE="Arial" SIZE=2><B>{a}</B></FONT></TD>\r\n'
                f'<TD><FONT FACE="Arial" SIZE=2>{b}</FONT></TD></TR>\n')
    return ('<HTML><HEAD><TITLE>ZenTel 300</TITLE></HEAD>\n<BODY BGCOLOR=#FFFFFF>\n<CENTER>\n'
            '<TABLE BORDER=0 CELLPADDING=2>\n<TR><TD COLSPAN=2><B>LAN</B></TD></TR>\n'
            + row('IP Address:', '192.168.1.254') + row('MAC Address:', '00:0A:3E:11:22:33')
            + '<TR><TD COLSPAN=2><B>WAN</B></TD></TR>\n' + row('IP Address:', v('ip'))
            + row('Subnet Mask:', '255.0.0.0') + row('DNS:', v('dns')) + row('Runtime:', v('runtime'))
            + '</TABLE>\n</CENTER>\n</BODY></HTML>\n')


# 10 --------------------------------------------------------------- no-break spaces, Windows-1252
@family(vals=[dict(ip='87.165.12.99', rate='16000 kBit/s', att='19 dB', state='Über DSL verbunden'),
              dict(ip='87.165.201.7', rate='15872 kBit/s', att='19 dB', state='Über DSL verbunden')],
        cases=[('ip', 'ip'), ('property', 'rate'), ('property', 'att'), ('property', 'state')],
        enc='cp1252', nl=('\r\n', '\n'))
def nbsp_cp1252(n, v):
    rows = [('Zustand:', v('state')), ('IP-Adresse:', v('ip')), ('Übertragungsrate Downstream:', v('rate')),
            ('Leitungsdämpfung:', v('att'))]
    if n == 2:
        rows.insert(1, ('Verbindungsdauer:', '0 Tage 01:12'))
    body = ''.join(f'<tr><td class="l">{a}&nbsp;</td><td>&nbsp;{b}</td></tr>\n' for a, b in rows)
    return ('<html><head><meta http-equiv="Content-Type" content="text/html; charset=iso-8859-1">'
            '<title>Übersicht</title></head>\n<body>\n<h1>Verbindungsübersicht</h1>\n'
            f'<table>\n{body}</table>\n</body></html>\n')


# 11 --------------------------------------------------------------- LTE signal table
@family(vals=[dict(ip='10.64.9.251', rsrp='-95 dBm', sinr='12 dB', op='Telenova', band='B20 (800 MHz)', cell='0x1A2B03'),
              dict(ip='10.64.33.2', rsrp='-88 dBm', sinr='17 dB', op='Telenova', band='B3 (1800 MHz)', cell='0x1A2C11')],
        cases=[('ip', 'ip'), ('property', 'rsrp'), ('property', 'op'), ('property', 'band')])
def lte_table(n, v):
    rows = [('Operator', v('op')), ('Band', v('band')), ('Cell ID', v('cell')), ('RSRP', v('rsrp')),
            ('RSRQ', '-11 dB'), ('SINR', v('sinr')), ('Mobile IP', v('ip'))]
    body = ''.join(f'<tr><th>{a}</th><td>{b}</td></tr>\n' for a, b in rows)
    return (head('Cellio L4', n, 'c4') + '<body>\n<script>var now = %d; setTimeout(reload, 5000);</script>\n'
            % [1734170189, 1736233331][n - 1] + f'<table class="signal">\n{body}</table>\n</body>\n</html>\n')


# 12 --------------------------------------------------------------- fibre terminal with labels
@family(vals=[dict(ip='62.226.3.18', rx='-18.52 dBm', pon='O5', fw='R1.3.2'),
              dict(ip='62.226.40.9', rx='-19.10 dBm', pon='O5', fw='R1.4.0')],
        cases=[('ip', 'ip'), ('property', 'rx'), ('property', 'pon'), ('property', 'fw')])
def ont_labels(n, v):
    rows = []
    if n == 2:
        rows.append(('Optical TX Power', '2.31 dBm'))
    rows += [('Optical RX Power', v('rx')), ('PON State', v('pon')), ('Firmware', v('fw')), ('WAN IP', v('ip'))]
    body = ''.join(f'<div class="row"><label>{a}</label><span>{b}</span></div>\n' for a, b in rows)
    return head('Lumina GX', n, 'l1') + f'<body>\n<form id="st">\n{body}</form>\n</body>\n</html>\n'


# 13 --------------------------------------------------------------- mesh node list before the internet card
@family(vals=[dict(ip='188.97.4.120', fw='1.9.3'), dict(ip='188.97.20.3', fw='1.9.3')],
        cases=[('ip', 'ip'), ('property', 'fw')])
def mesh_nodes(n, v):
    nodes = [('Living room', '192.168.86.21'), ('Office', '192.168.86.37')]
    if n == 2:
        nodes.insert(1, ('Kitchen', '192.168.86.40'))
    ns = ''.join(f'<li class="node"><span class="name">{a}</span><span class="ip">{b}</span>'
                 f'<span class="fw">1.9.3</span></li>\n' for a, b in nodes)
    return (head('Mesh', n, 'm9') + f'<body>\n<ul class="nodes">\n{ns}</ul>\n'
            f'<div class="wan"><span class="name">Router firmware</span><span class="fw">{v("fw")}</span>'
            f'<span class="name">Internet</span><span class="ip">{v("ip")}</span></div>\n</body>\n</html>\n')


# 14 --------------------------------------------------------------- several addresses, one repeated
@family(vals=[dict(ip='93.104.7.33', gw='93.104.0.1', dns1='93.104.0.1', dns2='8.8.4.4'),
              dict(ip='93.104.66.2', gw='93.104.64.1', dns1='8.8.8.8', dns2='8.8.4.4')],
        cases=[('ip', 'ip'), ('property', 'gw'), ('property', 'dns1'), ('property', 'dns2')])
def several_ips(n, v):
    rows = [('LAN IP', '192.168.0.1'), ('LAN Netmask', '255.255.255.0'), ('WAN IP', v('ip')),
            ('WAN Netmask', '255.255.0.0'), ('Gateway', v('gw')), ('DNS 1', v('dns1')), ('DNS 2', v('dns2'))]
    body = ''.join(f'<tr><td width="150">{a}</td><td>{b}</td></tr>\n' for a, b in rows)
    return head('Nordlink R1', n, 'r1') + f'<body>\n<table border="0">\n{body}</table>\n</body>\n</html>\n'


# 15 --------------------------------------------------------------- online / offline, German sentence
@family(vals=[dict(ip='78.42.11.3'), dict(ip='78.42.200.91')], cases=[('ip', 'ip')], offline=True)
def cable_offline(n, v, state='online'):
    if state == 'online':
        msg = '<p class="ok">Internet: verbunden</p>\n<table><tr><td>IPv4-Adresse:</td><td>%s</td></tr></table>\n' \
            % v('ip')
    else:
        msg = ('<p class="warn">Internet: getrennt</p>\n<p>Ihr Modem ist offline. Bitte prüfen Sie das Kabel '
               'oder <a href="help.html">klicken Sie hier</a>.</p>\n'
               '<table><tr><td>IPv4-Adresse:</td><td>---</td></tr></table>\n')
    return head('Kabelfix', n, ['k1', 'k2'][n - 1]) + '<body>\n' + nav(n, 'x9') + msg + '</body>\n</html>\n'


# 16 --------------------------------------------------------------- online / offline, English words
@family(vals=[dict(ip='84.59.3.17', type='PPPoE'), dict(ip='84.59.120.4', type='PPPoE')],
        cases=[('ip', 'ip'), ('property', 'type')], offline=True)
def dsl_offline(n, v, state='online'):
    up = state == 'online'
    rows = [('Connection Type', v('type')), ('Status', 'Connected' if up else 'Disconnected'),
            ('IP Address', v('ip') if up else '0.0.0.0'), ('Connection Time', ['1:02:03', '0:00:17'][n - 1] if up else '-')]
    body = ''.join(f'<tr><td>{a}</td><td>{b}</td></tr>\n' for a, b in rows)
    btn = '<input type="button" value="Disconnect">' if up else '<input type="button" value="Connect"> Click here to connect.'
    return head('Status', n, 'd16') + f'<body>\n<table>\n{body}</table>\n{btn}\n</body>\n</html>\n'


# 17 --------------------------------------------------------------- LTE offline
@family(vals=[dict(ip='10.99.1.7'), dict(ip='10.99.45.122')], cases=[('ip', 'ip')], offline=True)
def lte_offline(n, v, state='online'):
    up = state == 'online'
    net = 'Registered (home network)' if up else 'Not registered, searching'
    ip = v('ip') if up else ''
    return (head('Cellio L2', n, 'c2') + '<body>\n<div class="panel"><span class="k">Network</span>'
            f'<span class="v">{net}</span></div>\n<div class="panel"><span class="k">IP</span><span class="v">{ip}'
            f'</span></div>\n<div class="panel"><span class="k">Signal</span><span class="v">{"4/5" if up else "0/5"}'
            '</span></div>\n</body>\n</html>\n')


# 18 --------------------------------------------------------------- German Windows-1252 page, line ends change
@family(vals=[dict(ip='79.201.33.8', fw='08.05.21', sync='50 Mbit/s', dur='3 Std. 12 Min.'),
              dict(ip='79.201.140.66', fw='08.05.35', sync='50 Mbit/s', dur='22 Min.')],
        cases=[('ip', 'ip'), ('property', 'fw'), ('property', 'sync')], enc='cp1252', nl=('\r\n', '\n'))
def de_cp1252(n, v):
    ind = '    ' if n == 1 else '\t'
    rows = [('Öffentliche IP-Adresse', v('ip')), ('Verbindungsdauer', v('dur')), ('Synchronisation', v('sync')),
            ('Firmware-Version', v('fw'))]
    body = ''.join(f'{ind}<tr>\n{ind}{ind}<td class="lbl">{a}:</td>\n{ind}{ind}<td class="val">{b}</td>\n{ind}</tr>\n'
                   for a, b in rows)
    return ('<html>\n<head><title>Fernmelder 2000 - Übersicht</title></head>\n<body>\n'
            f'<h2>Verbindungsübersicht</h2>\n<table>\n{body}</table>\n</body>\n</html>\n')


# 19 --------------------------------------------------------------- UTF-8 with bullet glyphs
@family(vals=[dict(ip='91.64.120.7', sync='↓ 109,2 Mbit/s', prefix='2a02:8109:1a00:3c00::/56'),
              dict(ip='91.64.3.250', sync='↓ 108,7 Mbit/s', prefix='2a02:8109:1a00:9e00::/56')],
        cases=[('ip', 'ip'), ('property', 'sync'), ('property', 'prefix')])
def utf8_bullets(n, v):
    rows = [('Internet', '● verbunden'), ('IPv4-Adresse', v('ip')), ('IPv6-Präfix', v('prefix')),
            ('DSL-Synchronisation', v('sync'))]
    if n == 2:
        rows.insert(1, ('Verbunden seit', '07.01.2026, 08:02 Uhr'))
    body = ''.join(f'<tr><th>{a}</th><td><span class="dot">●</span></td><td>{b}</td></tr>\n' for a, b in rows)
    return head('Aurel Box 6', n, 'ab6') + f'<body>\n<table class="overview">\n{body}</table>\n</body>\n</html>\n'


# 20 --------------------------------------------------------------- labels translated, ids kept
@family(vals=[dict(ip='82.113.4.9', dns='82.113.0.53'), dict(ip='82.113.77.31', dns='82.113.0.53')],
        cases=[('ip', 'ip'), ('property', 'dns')])
def translated(n, v):
    lab = [dict(ip='WAN IP Address', dns='DNS Server', mask='Subnet Mask'),
           dict(ip='WAN-IP-Adresse', dns='DNS-Server', mask='Subnetzmaske')][n - 1]
    rows = [('mask', lab['mask'], '255.255.255.255'), ('wanip', lab['ip'], v('ip')), ('dns', lab['dns'], v('dns'))]
    body = ''.join(f'<tr id="row_{k}"><td class="lbl">{a}</td><td class="val" id="{k}">{b}</td></tr>\n'
                   for k, a, b in rows)
    return head('Router', n, 'tr') + f'<body>\n<table>\n{body}</table>\n</body>\n</html>\n'


# 21 --------------------------------------------------------------- form fields with tokens
@family(vals=[dict(ip='46.114.2.90', dns='46.114.0.1', host='pavo-ax'),
              dict(ip='46.114.88.17', dns='46.114.0.1', host='pavo-ax')],
        cases=[('ip', 'ip'), ('property', 'dns'), ('property', 'host')])
def form_tokens(n, v):
    tok = ['9f8e7d6c5b4a39281706f5e4d3c2b1a0', '0a1b2c3d4e5f60718293a4b5c6d7e8f9'][n - 1]
    cls = ' class="ro"' if n == 2 else ''
    return (head('Pavo AX', n, 'px') + '<body>\n<form method="post" action="/apply.cgi">\n'
            f'<input type="hidden" name="csrf_token" value="{tok}">\n'
            f'<label>Hostname</label><input{cls} type="text" name="hostname" value="{v("host")}" readonly>\n'
            f'<label>WAN IP</label><input{cls} type="text" name="wan_ip" value="{v("ip")}" readonly>\n'
            f'<label>DNS</label><input{cls} type="text" name="wan_dns" value="{v("dns")}" readonly>\n'
            '</form>\n</body>\n</html>\n')


# 22 --------------------------------------------------------------- counters before the address
@family(vals=[dict(ip='37.201.14.8', mtu='1492', ctime='3 days, 4:12:55', rx='1492331857'),
              dict(ip='37.201.150.77', mtu='1492', ctime='0 days, 0:03:10', rx='21492077')],
        cases=[('ip', 'ip'), ('property', 'mtu')])
def counters(n, v):
    rows = [('Packets received', ['11492345', '120931'][n - 1]), ('Bytes received', v('rx')),
            ('Bytes sent', ['33120045', '1911'][n - 1]), ('Connection time', v('ctime')), ('IP', v('ip')),
            ('MTU', v('mtu'))]
    body = ''.join(f'<tr><td>{a}</td><td align="right">{b}</td></tr>\n' for a, b in rows)
    return head('WAN', n, 'w22') + f'<body>\n<h3>WAN statistics</h3>\n<table>\n{body}</table>\n</body>\n</html>\n'


# 23 --------------------------------------------------------------- rows reordered by a new firmware
@family(vals=[dict(ip='109.90.4.12', dns='1.1.1.1', mod='VDSL2 (17a)'), dict(ip='109.90.66.120', dns='1.1.1.1', mod='VDSL2 (17a)')],
        cases=[('ip', 'ip'), ('property', 'dns'), ('property', 'mod')])
def reordered(n, v):
    rows = [('Modulation', v('mod')), ('WAN Address', v('ip')), ('DNS Server', v('dns')), ('Profile', '17a')]
    if n == 2:
        rows = [rows[1], rows[3], rows[2], rows[0]]
    body = ''.join(f'<tr><td class="name">{a}</td><td class="value">{b}</td></tr>\n' for a, b in rows)
    return head('Status', n, 'ro') + f'<body>\n<table>\n{body}</table>\n</body>\n</html>\n'


# 24 --------------------------------------------------------------- hashed class names, large inline code
@family(vals=[dict(ip='5.146.200.17', fw='7.0.12'), dict(ip='5.146.9.3', fw='7.1.2')],
        cases=[('ip', 'ip'), ('property', 'fw')])
def hashed_classes(n, v):
    h = [dict(row='sc-3fa2b1', k='sc-99ab1c', val='sc-77fe01'), dict(row='css-1x0qz', k='css-8kd2a', val='css-0pl3b')][n - 1]
    bundle = ''.join(f'function f{i}(a,b){{return a<b?{i}:a>b?-{i}:0}};' for i in range(400 + 37 * n))
    style = ''.join(f'.{h["row"]}-{i}{{margin:{i}px}}' for i in range(300))
    rows = [('Internet', 'Online'), ('WAN IP', v('ip')), ('Firmware', v('fw'))]
    body = ''.join(f'<div class="{h["row"]}"><span class="{h["k"]}">{a}</span><span class="{h["val"]}">{b}</span></div>'
                   for a, b in rows)
    return (f'<!doctype html><html><head><style>{style}</style><script>{bundle}</script></head>'
            f'<body><div id="root">{body}</div></body></html>')


# 25 --------------------------------------------------------------- IPv4 beside IPv6
@family(vals=[dict(ip='84.128.1.66', v6='2003:de:1f0a:2200::1', dns='84.128.0.53'),
              dict(ip='84.128.93.5', v6='2003:de:1f0a:9100::1', dns='84.128.0.53')],
        cases=[('ip', 'ip'), ('property', 'v6'), ('property', 'dns')])
def ipv4_ipv6(n, v):
    rows = [('IPv4 Address', v('ip')), ('IPv4 DNS', v('dns')), ('IPv6 Address', v('v6')), ('IPv6 DNS', '2003:de::53')]
    if n == 2:
        rows = rows[2:] + rows[:2]
    body = ''.join(f'<tr><td>{a}</td><td>{b}</td></tr>\n' for a, b in rows)
    return head('Dual', n, 'ds') + f'<body>\n<table>\n{body}</table>\n</body>\n</html>\n'


# 26 --------------------------------------------------------------- values shown more than once
@family(vals=[dict(ip='89.12.44.1', fw='3.10.2'), dict(ip='89.12.201.78', fw='3.11.0')],
        cases=[('ip', 'ip'), ('property', 'fw')])
def repeated(n, v):
    return (head('Home', n, 'rp') + f'<body>\n<div class="banner">Your IP: {v("ip")} | Firmware {v("fw")}</div>\n'
            f'<table>\n<tr><td>Public IP</td><td>{v("ip")}</td></tr>\n<tr><td>Firmware version</td><td>{v("fw")}</td></tr>\n'
            f'</table>\n<div class="footer">&copy; 2025 Home Networks, v{v("fw")}</div>\n</body>\n</html>\n')


# 27 --------------------------------------------------------------- cable channel tables
@family(vals=[dict(state='OK', snr1='40.4 dB', freq1='602000000 Hz', uptime='5 days 01h:22m:09s'),
              dict(state='OK', snr1='40.9 dB', freq1='602000000 Hz', uptime='0 days 02h:10m:44s')],
        cases=[('property', 'state'), ('property', 'snr1'), ('property', 'freq1')])
def docsis_channels(n, v):
    locks = ['Locked', 'Not Locked', 'Locked', 'Locked'] if n == 1 else ['Locked'] * 4
    chans = ''.join(f'<tr><td>{i + 1}</td><td>{locks[i]}</td><td>QAM256</td>'
                    f'<td>{v("freq1") if i == 0 else str(610000000 + 8000000 * i) + " Hz"}</td>'
                    f'<td>{["3.1", "2.8", "2.5", "2.2"][i]} dBmV</td><td>{v("snr1") if i == 0 else "39.%d dB" % i}</td></tr>\n'
                    for i in range(4))
    return (head('Cable Modem', n, 'cm') + '<body>\n<table><tr><th colspan="3">Startup Procedure</th></tr>\n'
            f'<tr><td>Connectivity State</td><td>{v("state")}</td><td>Operational</td></tr>\n'
            '<tr><td>Boot State</td><td>OK</td><td>Operational</td></tr></table>\n'
            '<table><tr><th colspan="6">Downstream Bonded Channels</th></tr>\n'
            '<tr><td><b>Channel</b></td><td><b>Lock Status</b></td><td><b>Modulation</b></td><td><b>Frequency</b></td>'
            '<td><b>Power</b></td><td><b>SNR/MER</b></td></tr>\n' + chans + '</table>\n'
            f'<p>System Up Time: {v("uptime")}</p>\n</body>\n</html>\n')


# 28 --------------------------------------------------------------- labels written by scripts
@family(vals=[dict(ip='92.208.14.3', rate='100000 / 40000'), dict(ip='92.208.190.17', rate='99871 / 39988')],
        cases=[('ip', 'ip'), ('property', 'rate')])
def script_labels(n, v):
    lang = ['var lang = {wanip:"WAN IP", rate:"Line rate"};', 'var lang = {wanip:"IP WAN", rate:"Leitungsrate"};'][n - 1]
    return (head('Modem', n, 'sl') + f'<body>\n<script>{lang}</script>\n<table>\n'
            f'<tr><td><script>document.write(lang.wanip)</script></td><td>{v("ip")}</td></tr>\n'
            f'<tr><td><script>document.write(lang.rate)</script></td><td>{v("rate")}</td></tr>\n</table>\n</body>\n</html>\n')


# 29 --------------------------------------------------------------- the value inside longer numbers
@family(vals=[dict(snr='9.3', up='1024', ip='84.9.3.1'), dict(snr='10.1', up='1019', ip='84.9.31.17')],
        cases=[('ip', 'ip'), ('property', 'snr'), ('property', 'up')])
def inside_numbers(n, v):
    rows = [('Max. attainable rate', ['11024', '11019'][n - 1]), ('Attenuation', ['19.3', '18.9'][n - 1]),
            ('SNR margin', v('snr')), ('Upstream', v('up')), ('WAN IP', v('ip'))]
    body = ''.join(f'<tr><td>{a}</td><td>{b}</td></tr>\n' for a, b in rows)
    return head('DSL', n, 'in') + f'<body>\n<table>\n{body}</table>\n</body>\n</html>\n'


# 30 --------------------------------------------------------------- connection type changes
@family(vals=[dict(ctype='PPPoE', ip='176.2.11.40'), dict(ctype='DHCP', ip='176.2.90.5')],
        cases=[('property', 'ctype'), ('ip', 'ip')])
def conn_type(n, v):
    extra = '<tr><td>VLAN ID:</td><td>7</td></tr>\n' if n == 1 else '<tr><td>Lease time:</td><td>86400</td></tr>\n'
    return (head('Router', n, 'ct') + '<body>\n<table>\n'
            f'<tr><td>Connection type:</td><td>{v("ctype")}</td></tr>\n{extra}'
            f'<tr><td>Internet IP:</td><td>{v("ip")}</td></tr>\n</table>\n</body>\n</html>\n')


# 31 --------------------------------------------------------------- one save minified, the other pretty
@family(vals=[dict(ip='31.16.5.207', uptime='38211'), dict(ip='31.16.140.9', uptime='77')],
        cases=[('ip', 'ip')])
def minified(n, v):
    parts = ['<html>', '<head><title>Router</title></head>', '<body>', '<div class="box">',
             '<span class="caption">Uptime</span>', f'<span class="data">{v("uptime")}</span>', '</div>',
             '<div class="box">', '<span class="caption">WAN IP</span>', f'<span class="data">{v("ip")}</span>',
             '</div>', '</body>', '</html>']
    return ''.join(parts) if n == 1 else '\n'.join('  ' * (i % 4) + p for i, p in enumerate(parts)) + '\n'


# 32 --------------------------------------------------------------- ids only, value in a span with a state before
@family(vals=[dict(ip='77.21.4.130', state='Up'), dict(ip='77.21.90.6', state='Up')],
        cases=[('ip', 'ip'), ('property', 'state')])
def id_spans(n, v):
    t = ['2025-03-01T09:12:40Z', '2025-04-15T18:03:02Z'][n - 1]
    return (head('GW', n, 'id') + '<body>\n'
            f'<p>Updated <time datetime="{t}">{t}</time></p>\n'
            f'<p>WAN: <span id="wan_state">{v("state")}</span>, address <span id="wan_addr">{v("ip")}</span></p>\n'
            '<p>LAN: <span id="lan_state">Up</span>, address <span id="lan_addr">192.168.178.1</span></p>\n'
            '</body>\n</html>\n')


# 33 --------------------------------------------------------------- zebra rows flip when a row is added
@family(vals=[dict(ip='84.44.130.2', dns='84.44.0.53', fw='2.0.7'), dict(ip='84.44.12.97', dns='84.44.0.53', fw='2.1.0')],
        cases=[('ip', 'ip'), ('property', 'dns'), ('property', 'fw')])
def zebra(n, v):
    rows = [('Firmware', v('fw')), ('Uptime', ['4d 2h', '1h'][n - 1]), ('WAN IP', v('ip')), ('DNS', v('dns'))]
    if n == 2:
        rows.insert(1, ('Hardware', 'B2'))
    body = ''.join(f'<tr><td class="{"odd" if i % 2 else "even"}">{a}</td>'
                   f'<td class="{"odd" if i % 2 else "even"}">{b}</td></tr>\n' for i, (a, b) in enumerate(rows))
    return head('Status', n, 'zb') + f'<body>\n<table>\n{body}</table>\n</body>\n</html>\n'


# 34 --------------------------------------------------------------- a newer firmware adds attributes between label and value
@family(vals=[dict(ip='95.223.4.18', gw='95.223.0.1', model='HX-200'), dict(ip='95.223.150.6', gw='95.223.128.1', model='HX-200')],
        cases=[('ip', 'ip'), ('property', 'gw'), ('property', 'model')])
def attrs_added(n, v):
    if n == 1:
        cell = lambda k, b: f'<td class="value">{b}</td>'
    else:
        cell = lambda k, b: f'<td class="value" id="{k}" data-refresh="5">{b}</td>'
    rows = [('model', 'Model', v('model')), ('wanip', 'WAN IP', v('ip')), ('gw', 'Gateway', v('gw'))]
    body = ''.join(f'<tr><td class="label">{a}</td>{cell(k, b)}</tr>\n' for k, a, b in rows)
    return head('HX', n, 'hx') + f'<body>\n<table>\n{body}</table>\n</body>\n</html>\n'


# 35 --------------------------------------------------------------- a newer firmware drops the colons and quotes
@family(vals=[dict(ip='178.24.3.90', dns='178.24.0.10', sn='S4A92011'), dict(ip='178.24.77.1', dns='178.24.0.10', sn='S4A92011')],
        cases=[('ip', 'ip'), ('property', 'dns'), ('property', 'sn')])
def minifier(n, v):
    rows = [('Serial number', v('sn')), ('IP address', v('ip')), ('DNS server', v('dns'))]
    if n == 1:
        body = ''.join(f'<tr>\n  <td class="k">{a}:</td>\n  <td class="v">{b}</td>\n</tr>\n' for a, b in rows)
    else:
        body = ''.join(f'<tr><td class=k>{a}<td class=v>{b}</tr>' for a, b in rows)
    return head('Router', n, 'mf') + f'<body>\n<table>\n{body}</table>\n</body>\n</html>\n'


# 36 --------------------------------------------------------------- the menu names the sections too
@family(vals=[dict(ip='2.200.33.4', mask='255.255.255.255'), dict(ip='2.200.91.210', mask='255.255.255.255')],
        cases=[('ip', 'ip'), ('property', 'mask')])
def menu_sections(n, v):
    menu = ('<div id="menu"><a href="lan.htm">LAN</a>' + ('<a href="wan.htm">WAN</a><a href="dmz.htm">DMZ</a>' if n == 2 else '')
            + '<a href="wlan.htm">WLAN</a></div>\n')
    sec = lambda t, ip, m: (f'<h4>{t}</h4>\n<table><tr><td>IP Address</td><td>{ip}</td></tr>\n'
                            f'<tr><td>Subnet Mask</td><td>{m}</td></tr></table>\n')
    body = sec('LAN', '192.168.1.1', '255.255.255.0')
    if n == 2:
        body += sec('DMZ', '192.168.2.1', '255.255.255.0')
    body += sec('WAN', v('ip'), v('mask'))
    return head('Router', n, 'ms') + '<body>\n' + menu + body + '</body>\n</html>\n'


# 37 --------------------------------------------------------------- entities in one firmware, raw letters in the next
@family(vals=[dict(ip='79.242.1.200', rate='51392 kbit/s', fw='1.56'), dict(ip='79.242.80.17', rate='50984 kbit/s', fw='1.58')],
        cases=[('ip', 'ip'), ('property', 'rate'), ('property', 'fw')], enc='cp1252')
def entities(n, v):
    u = ['&uuml;', 'ü'][n - 1]
    o = ['&Ouml;', 'Ö'][n - 1]
    rows = [(f'{o}ffentliche IP', v('ip')), (f'Daten{u}bertragung Empfang', v('rate')), ('Firmware', v('fw'))]
    body = ''.join(f'<tr><td>{a}</td><td>{b}</td></tr>\n' for a, b in rows)
    return ('<html><head><title>Status</title></head><body>\n'
            f'<h3>Verbindungs{u}bersicht</h3>\n<table>\n{body}</table>\n</body></html>\n')


# 38 --------------------------------------------------------------- another user: other connection, other rows
@family(vals=[dict(ip='85.16.40.131', dns='85.16.0.9', ctype='PPPoE'), dict(ip='85.16.2.77', dns='85.16.0.9', ctype='DHCP')],
        cases=[('ip', 'ip'), ('property', 'dns'), ('property', 'ctype')])
def other_user(n, v):
    rows = [('Connection', v('ctype'))]
    if n == 1:
        rows += [('PPP Username', 'user4711@isp'), ('PPP Session ID', '0x2c1f'), ('Auth', 'CHAP')]
    else:
        rows += [('DHCP Lease', '86400 s'), ('DHCP Server', '85.16.0.1')]
    rows += [('IP Address', v('ip')), ('DNS', v('dns'))]
    body = ''.join(f'<tr><td class="c1">{a}</td><td class="c2">{b}</td></tr>\n' for a, b in rows)
    return head('Router', n, 'ou') + f'<body>\n<table>\n{body}</table>\n</body>\n</html>\n'


# 39 --------------------------------------------------------------- client list of varying length before the address
@family(vals=[dict(ip='91.89.200.4', lanip='192.168.0.1'), dict(ip='91.89.17.22', lanip='192.168.0.1')],
        cases=[('ip', 'ip'), ('property', 'lanip')])
def client_list(n, v):
    clients = [('laptop', '192.168.0.10'), ('phone', '192.168.0.11'), ('tv', '192.168.0.23')][:1 + n]
    cl = ''.join(f'<tr><td>{a}</td><td>{b}</td><td>00:11:22:33:44:{i:02X}</td></tr>\n' for i, (a, b) in enumerate(clients))
    return (head('Router', n, 'cl') + '<body>\n<table id="clients"><tr><th>Name</th><th>IP</th><th>MAC</th></tr>\n' + cl
            + f'</table>\n<table id="sys"><tr><td>Router LAN IP</td><td>{v("lanip")}</td></tr>\n'
            f'<tr><td>Router WAN IP</td><td>{v("ip")}</td></tr></table>\n</body>\n</html>\n')


# 40 --------------------------------------------------------------- value in the title of one save only
@family(vals=[dict(ip='217.250.5.9', fw='4.4'), dict(ip='217.250.88.213', fw='4.5')],
        cases=[('ip', 'ip'), ('property', 'fw')])
def title_value(n, v):
    title = 'Status' if n == 1 else f'Status - {v("ip")}'
    return (head(title, n, 'tv') + '<body>\n<div class="st"><b>External IP:</b> ' + v('ip') + '<br>\n'
            f'<b>Firmware:</b> {v("fw")}<br>\n</div>\n</body>\n</html>\n')


# 41 --------------------------------------------------------------- several WAN connections, the active one moves
@family(vals=[dict(ip='81.10.200.5', vlan='7'), dict(ip='81.10.4.33', vlan='7')],
        cases=[('ip', 'ip'), ('property', 'vlan')])
def wan_profiles(n, v):
    profs = [('INTERNET', v('ip'), v('vlan')), ('IPTV', '10.8.1.2', '8')]
    if n == 2:
        profs.insert(0, ('TR069', '10.200.1.3', '2'))
    rows = ''.join(f'<tr><td>{a}</td><td>{b}</td><td>{c}</td></tr>\n' for a, b, c in profs)
    return (head('Router', n, 'wp') + '<body>\n<table><tr><th>Name</th><th>IP Address</th><th>VLAN</th></tr>\n'
            + rows + '</table>\n</body>\n</html>\n')


# 42 --------------------------------------------------------------- UTF-8 firmware after a Windows-1252 one
@family(vals=[dict(ip='88.70.4.12', att='21 dB'), dict(ip='88.70.190.3', att='22 dB')],
        cases=[('ip', 'ip'), ('property', 'att')], enc='utf-8')
def charset_change(n, v):
    # save 1 is Windows-1252: the labels are written here as the bytes a UTF-8 reader would see
    lab = 'Dämpfung' if n == 2 else 'D\u00e4mpfung'.encode('cp1252').decode('latin-1')
    ip = 'IP-Adresse (öffentlich)' if n == 2 else 'IP-Adresse (\u00f6ffentlich)'.encode('cp1252').decode('latin-1')
    return (head('DSL', n, 'cc') + f'<body>\n<table>\n<tr><td>{ip}</td><td>{v("ip")}</td></tr>\n'
            f'<tr><td>{lab}</td><td>{v("att")}</td></tr>\n</table>\n</body>\n</html>\n')



# 43 --------------------------------------------------------------- a newer firmware explains the labels above the table
@family(vals=[dict(ip='94.134.5.61', dns='94.134.0.53'), dict(ip='94.134.200.8', dns='94.134.0.53')],
        cases=[('ip', 'ip'), ('property', 'dns')])
def help_text(n, v):
    hint = ('<p class="hint">Your WAN IP address and DNS server are assigned by your provider; '
            'the WAN IP address changes after every reconnect.</p>\n') if n == 2 else ''
    rows = [('WAN IP address', v('ip')), ('DNS server', v('dns'))]
    body = ''.join(f'<tr><td class="k">{a}</td><td class="v">{b}</td></tr>\n' for a, b in rows)
    return head('Status', n, 'ht') + f'<body>\n{hint}<table>\n{body}</table>\n</body>\n</html>\n'


# 44 --------------------------------------------------------------- the label gets a tooltip icon in the next firmware
@family(vals=[dict(ip='31.18.4.200', snr='6.1 dB'), dict(ip='31.18.77.9', snr='5.8 dB')],
        cases=[('ip', 'ip'), ('property', 'snr')])
def tooltip(n, v):
    tip = '<img src="info.png" title="help">' if n == 2 else ''
    rows = [('Internet address', v('ip')), ('Noise margin', v('snr'))]
    body = ''.join(f'<tr><td class="k">{a}{tip}</td><td>{b}</td></tr>\n' for a, b in rows)
    return head('Status', n, 'tt') + f'<body>\n<table>\n{body}</table>\n</body>\n</html>\n'



# 45 --------------------------------------------------------------- new rows whose labels end like the old ones
@family(vals=[dict(ip='46.5.190.3', dns='46.5.0.53', rate='100000'), dict(ip='46.5.7.240', dns='46.5.0.53', rate='99744')],
        cases=[('ip', 'ip'), ('property', 'dns'), ('property', 'rate')])
def label_tails(n, v):
    rows = [('IP Address', v('ip')), ('DNS', v('dns')), ('Downstream Rate', v('rate'))]
    if n == 2:
        rows = [('LAN IP Address', '192.168.1.1'), rows[0], ('IPv6 DNS', '2a02:8070::53'), rows[1],
                ('Max. Downstream Rate', '116852'), rows[2]]
    body = ''.join(f'<tr><td>{a}</td><td>{b}</td></tr>\n' for a, b in rows)
    return head('Status', n, 'lt') + f'<body>\n<table>\n{body}</table>\n</body>\n</html>\n'



# 46 --------------------------------------------------------------- values handed to script functions
@family(vals=[dict(ip='93.220.4.17', fw='5.04.7', line='VDSL2'), dict(ip='93.220.88.6', fw='5.05.1', line='VDSL2')],
        cases=[('ip', 'ip'), ('property', 'fw'), ('property', 'line')])
def script_calls(n, v):
    t = ['1734170189', '1736233331'][n - 1]
    return (head('Status', n, 'sc') + '<body>\n<script type="text/javascript">\n'
            f"setTime('{t}');\nshowRow('Firmware', '{v('fw')}');\nshowRow('Line', '{v('line')}');\n"
            + ("showRow('Profile', '17a');\n" if n == 2 else '')
            + f"showRow('Internet IP', '{v('ip')}');\n</script>\n</body>\n</html>\n")


# 47 --------------------------------------------------------------- lines of text with a time stamp before the address
@family(vals=[dict(ip='188.101.3.77', gw='188.101.0.1'), dict(ip='188.101.220.8', gw='188.101.0.1')],
        cases=[('ip', 'ip'), ('property', 'gw')])
def text_lines(n, v):
    since = ['2025-01-14 11:56:29', '2025-03-02 07:01:55'][n - 1]
    extra = 'IPv6 prefix: 2a02:810d:4b40::/56<br>\n' if n == 2 else ''
    return (head('Status', n, 'tl') + '<body>\n<div class="info">\n'
            f'Connected since {since}, IP {v("ip")}<br>\n{extra}Gateway: {v("gw")}<br>\n'
            'Uptime: %d s<br>\n</div>\n</body>\n</html>\n' % [48211, 73][n - 1])


# 48 --------------------------------------------------------------- a selected option and a checked box
@family(vals=[dict(mode='PPPoE', mtu='1492'), dict(mode='DHCP', mtu='1500')],
        cases=[('property', 'mode'), ('property', 'mtu')])
def form_select(n, v):
    opts = ''.join(f'<option value="{i}"{" selected" if o == v("mode").split(chr(2))[1].split(chr(3))[0] else ""}>'
                   f'{v("mode") if o == v("mode").split(chr(2))[1].split(chr(3))[0] else o}</option>\n'
                   for i, o in enumerate(['DHCP', 'PPPoE', 'Static']))
    return (head('WAN', n, 'fs') + '<body>\n<form>\n<label>Connection type</label>\n<select name="proto">\n'
            + opts + '</select>\n<label>MTU</label><input type="text" name="mtu" value="' + v('mtu') + '">\n'
            '<input type="checkbox" name="nat" checked> NAT\n</form>\n</body>\n</html>\n')


# 49 --------------------------------------------------------------- the offline text also names another interface
@family(vals=[dict(ip='87.150.3.201'), dict(ip='87.150.66.12')], cases=[('ip', 'ip')], offline=True)
def offline_other_interface(n, v, state='online'):
    up = state == 'online'
    rows = [('Internet', 'verbunden' if up else 'nicht verbunden'), ('IPv4-Adresse', v('ip') if up else '-'),
            ('IPv6', 'nicht verbunden'), ('Telefonie', 'nicht registriert' if n == 2 else 'registriert')]
    body = ''.join(f'<tr><td>{a}:</td><td>{b}</td></tr>\n' for a, b in rows)
    return head('Box', n, 'oi') + f'<body>\n<table>\n{body}</table>\n</body>\n</html>\n'


# 50 --------------------------------------------------------------- the offline page shows zeros where the address was
@family(vals=[dict(ip='62.143.4.90'), dict(ip='62.143.201.33')], cases=[('ip', 'ip')], offline=True)
def offline_zeros(n, v, state='online'):
    up = state == 'online'
    rows = [('WAN IP Address', v('ip') if up else '0.0.0.0'), ('Default Gateway', '62.143.0.1' if up else '0.0.0.0'),
            ('DNS', '62.143.0.53' if up else '0.0.0.0'), ('LAN IP Address', '192.168.0.1'),
            ('Connection Time', ['01:02:03', '00:00:17'][n - 1] if up else '00:00:00')]
    body = ''.join(f'<tr><td>{a}</td><td>{b}</td></tr>\n' for a, b in rows)
    return head('Router', n, 'oz') + f'<body>\n<table>\n{body}</table>\n</body>\n</html>\n'


# 51 --------------------------------------------------------------- values in a list of pairs
@family(vals=[dict(ip='217.81.40.3', sn='NL52X00812'), dict(ip='217.81.99.240', sn='NL52X00812')],
        cases=[('ip', 'ip'), ('property', 'sn')])
def pair_list(n, v):
    items = [('Serial Number', v('sn')), ('WAN IPv4', v('ip')), ('WAN Status', 'Up')]
    if n == 2:
        items.insert(0, ('Product', 'NL-52'))
    li = ''.join(f'<li><span>{a}</span> <strong>{b}</strong></li>\n' for a, b in items)
    return head('Overview', n, 'pl') + f'<body>\n<ul class="kv">\n{li}</ul>\n</body>\n</html>\n'


# 52 --------------------------------------------------------------- a page that numbers its rows
@family(vals=[dict(ip='84.143.8.91', snr='7.4'), dict(ip='84.143.120.2', snr='7.9')],
        cases=[('ip', 'ip'), ('property', 'snr')])
def numbered_rows(n, v):
    rows = [('Line mode', 'ADSL2+'), ('SNR margin', v('snr')), ('Public IP', v('ip'))]
    if n == 2:
        rows.insert(0, ('Firmware', '3.1'))
    body = ''.join(f'<tr><td>{i + 1}</td><td>{a}</td><td>{b}</td></tr>\n' for i, (a, b) in enumerate(rows))
    return head('DSL', n, 'nr') + f'<body>\n<table>\n{body}</table>\n</body>\n</html>\n'


# ------------------------------------------------------------------ saved by a browser as a whole page
# Another user saves the page as "complete web page": the browser writes its
# document tree back, not the bytes the router sent. Tag names in small
# letters, attributes quoted, tables with a body, entities as letters, self-
# closing tags without their slash, and a note where the page came from.

import html as _html  # noqa: E402
import re as _re  # noqa: E402

_TAG = _re.compile(r'<(/?)([A-Za-z][A-Za-z0-9]*)((?:[^>"\']|"[^"]*"|\'[^\']*\')*)>')
_ATTR = _re.compile(r'([A-Za-z_:][-A-Za-z0-9_:.]*)(?:\s*=\s*("[^"]*"|\'[^\']*\'|[^\s"\'>]+))?')
_KEEP = {'&nbsp;', '&amp;', '&lt;', '&gt;'}


def _tag(m):
    slash, name, rest = m.group(1), m.group(2).lower(), m.group(3).rstrip('/').rstrip()
    attrs = []
    for a in _ATTR.finditer(rest):
        value = a.group(2)
        if value is None:
            attrs.append(f' {a.group(1).lower()}=""' if a.group(1).lower() in ('checked', 'readonly', 'nowrap') else f' {a.group(1).lower()}')
            continue
        if value[0] in '"\'':
            value = value[1:-1]
        attrs.append(f' {a.group(1).lower()}="{value}"')
    return f'<{slash}{name}{"".join(attrs)}>'


def _text(part):
    part = _TAG.sub(_tag, part)
    part = _re.sub(r'(<table[^>]*>)(\s*)(<tr)', r'\1\2<tbody>\3', part)
    part = _re.sub(r'(</tr>)(\s*)(</table>)', r'\1\2</tbody>\3', part)
    part = _re.sub(r'(<t[dh][^>]*>)((?:(?!</t[dh]>|<t[dh][ >]|</tr>).)*?)(?=<t[dh][ >]|</tr>)', r'\1\2</td>', part, flags=_re.S)
    return _re.sub(r'&#?[A-Za-z0-9]+;', lambda e: e.group(0) if e.group(0) in _KEEP else _html.unescape(e.group(0)), part)


def browser_save(text):
    parts = _re.split(r'(<script[^>]*>.*?</script>)', text, flags=_re.S | _re.I)
    out = ''.join(p if i % 2 else _text(p) for i, p in enumerate(parts))
    out = _re.sub(r'<script([^>]*)>', lambda m: _tag(_re.match(r'<(/?)([A-Za-z]+)(.*)>', m.group(0))), out)
    return '<!-- saved from url=(0024)http://192.168.0.1/st.htm -->\n' + out


def _with_browser_save(fam):
    render = fam['render']

    def saved(n, v, **kw):
        text = render(n, v, **kw)
        return browser_save(text) if n == 2 else text
    return dict(fam, name=fam['name'] + '+browser', render=saved)


FAMILIES += [_with_browser_save(f) for f in list(FAMILIES)
             if f['name'] in ('dsl_table', 'cable_dl', 'old_upper', 'nbsp_cp1252', 'lte_table', 'several_ips',
                              'cable_offline', 'de_cp1252', 'form_tokens', 'ipv4_ipv6', 'docsis_channels',
                              'conn_type', 'minifier', 'entities', 'other_user', 'wan_profiles', 'title_value')]


# An older browser writes its tree with tag names in capitals and leaves
# the quotes off attribute values that need none.
def _old_tag(m):
    tag = _tag(m)
    tag = _re.sub(r'^<(/?)([a-z0-9]+)', lambda t: f'<{t.group(1)}{t.group(2).upper()}', tag)
    return _re.sub(r'="([A-Za-z0-9_.:#%-]+)"', r'=\1', tag)


def old_browser_save(text):
    parts = _re.split(r'(<script[^>]*>.*?</script>)', text, flags=_re.S | _re.I)
    out = ''.join(p if i % 2 else _TAG.sub(_old_tag, _text(p)) for i, p in enumerate(parts))
    return out.replace('<tbody>', '<TBODY>').replace('</tbody>', '</TBODY>')


def _with_old_browser_save(fam):
    render = fam['render']

    def saved(n, v, **kw):
        text = render(n, v, **kw)
        return old_browser_save(text) if n == 1 else text
    return dict(fam, name=fam['name'] + '+oldbrowser', render=saved)


FAMILIES += [_with_old_browser_save(f) for f in list(FAMILIES)
             if f['name'] in ('dsl_table', 'cable_dl', 'mesh_cards', 'lte_table', 'several_ips', 'form_tokens',
                              'docsis_channels', 'ont_labels', 'zebra', 'attrs_added', 'reordered', 'id_spans')]
