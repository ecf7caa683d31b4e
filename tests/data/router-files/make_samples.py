#!/usr/bin/env python3
"""Writes the sample definitions files of this folder.

An encoder of its own, separate from the C++ writer, so that the reader's
tests do not check the C++ code against itself. Run it from this folder;
the tests expect exactly the bytes it writes.
"""
import struct

def s(text):
    data = text if isinstance(text, bytes) else text.encode('cp1252')
    return struct.pack('<H', len(data)) + data

def props(pairs):
    out = struct.pack('<i', len(pairs))
    for name, value in pairs:
        out += s(name) + s(value)
    return out

def record(version, r):
    out = b''
    if version >= 258:
        out += struct.pack('<i', r.get('HTTPPort', 80))
    if version >= 257:
        out += bytes([r.get('BrowserAuth', 1)]) + s(r.get('AuthString', ''))
    out += struct.pack('<d', r.get('SavedAt', 0.0))
    for f in ('RouterVendor', 'RouterVendorURL', 'Comments', 'GoOnline', 'GoOffline',
              'StatusPage', 'OfflineCode', 'BeforeIPAddress', 'AfterIPAddress', 'Status2Page'):
        out += s(r.get(f, ''))
    out += props(r.get('Status2Values', []))
    for f in ('UserDef1', 'UserDef2', 'UserDef3', 'Reserved1', 'Reserved2'):
        out += s(r.get(f, ''))
    out += bytes([r.get('ReservedFlag', 1)])
    if version >= 259:
        out += s(r.get('SignOffURL', '')) + s(r.get('Status3Page', ''))
        out += props(r.get('Status3Values', []))
        out += s(r.get('Status4Page', '')) + props(r.get('Status4Values', []))
    return out

def write(name, version, records):
    data = struct.pack('<I', version) + b''.join(record(min(version, 259), r) for r in records)
    with open(name, 'wb') as f:
        f.write(data)

# Three records in sorted order, every field used, nothing the writer would
# change: saving this file again must give the same bytes.
FULL = [
    dict(HTTPPort=8080, BrowserAuth=0, AuthString='<POST>login.cgi?user=%USERNAME%&pw=%PASSWORD%',
         SavedAt=38353.4567890123, RouterVendor='Alpha DSL-500', RouterVendorURL='www.alpha.example',
         Comments='Firmware 1.2\r\nKontakt: a@b.example', GoOnline='cgi-bin/goinet.cgi',
         GoOffline='cgi-bin/online3.cgi', StatusPage='doc/m5.htm', OfflineCode='<td>0.0.0.0</td>',
         BeforeIPAddress='IP-Adresse:</td><td>', AfterIPAddress='</td>', Status2Page='st2.htm',
         Status2Values=[('Uptime', '<td>{2}Zeit:</td><td>'), ('DNS', 'DNS:\x00\tnach NUL')],
         UserDef1='reboot.cgi', UserDef2='u2', UserDef3='u3', Reserved1='r1', Reserved2='r2',
         ReservedFlag=0, SignOffURL='logout.cgi', Status3Page='st3.htm',
         Status3Values=[('Gr\xf6\xdfe', '{startpos=100}x=y')], Status4Page='st4.htm',
         Status4Values=[('A', '1'), ('b', '2'), ('C', '3')]),
    dict(HTTPPort=80, BrowserAuth=2, SavedAt=-1.5, RouterVendor='beta \xc4\xd6\xdc',
         OfflineCode='off\x00\tline', ReservedFlag=1),
    dict(HTTPPort=65535, BrowserAuth=1, SavedAt=0.0, RouterVendor='Gamma',
         Comments='x' * 300, ReservedFlag=7),
]

OLD = [
    dict(SavedAt=37987.5, RouterVendor='Old One', GoOnline='on.cgi', UserDef1='u1',
         Status2Values=[('P', 'v')], ReservedFlag=3),
    dict(SavedAt=37988.25, RouterVendor='old two', BrowserAuth=0, AuthString='auth',
         HTTPPort=81),
]

write('v259-full.dat', 259, FULL)
write('v258.dat', 258, OLD)
write('v257.dat', 257, OLD)
write('v256.dat', 256, OLD)
write('v0.dat', 0, OLD)
# A version above 259 is read like 259.
write('v4294967295.dat', 0xFFFFFFFF, FULL[:1])
# Things the reader and writer normalise: TABs in HTML code, a pair with an
# empty value, duplicate property names, records out of order.
write('v259-normalise.dat', 259, [
    dict(RouterVendor='zeta', OfflineCode='a\tb\x00c\td', BeforeIPAddress='\t\t',
         AfterIPAddress='\tx', Status2Values=[('x', '1'), ('X', '2'), ('gone', 'g'), ('GONE', ''),
                                              ('empty', ''), ('y', 'v\tw')]),
    dict(RouterVendor='Eta'),
])
