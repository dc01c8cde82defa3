#!/usr/bin/env python3
"""Writes the binary form fixtures of the model tests.

MainForm.bin.dfm is the binary counterpart of MainForm.txt.dfm, written value
by value in the binary form format (resource header, TPF0 signature, objects
with their properties and children).
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

vaNull, vaList, vaInt8, vaInt16, vaInt32, vaExtended, vaString, vaIdent = range(8)
vaFalse, vaTrue, vaBinary, vaSet, vaLString, vaNil, vaCollection = range(8, 15)
vaSingle, vaCurrency, vaDate, vaWString, vaInt64 = range(15, 20)


def sstr(s):
    b = s.encode('latin-1')
    return bytes([len(b)]) + b


def ident(s):
    return bytes([vaIdent]) + sstr(s)


def string(s):
    return bytes([vaString]) + sstr(s)


def wstring(s):
    return bytes([vaWString]) + struct.pack('<I', len(s)) + s.encode('utf-16-le')


def integer(v):
    if -128 <= v <= 127:
        return bytes([vaInt8]) + struct.pack('<b', v)
    if -32768 <= v <= 32767:
        return bytes([vaInt16]) + struct.pack('<h', v)
    if -2**31 <= v < 2**31:
        return bytes([vaInt32]) + struct.pack('<i', v)
    return bytes([vaInt64]) + struct.pack('<q', v)


def extended(mantissa, exponent, negative=False):
    return bytes([vaExtended]) + struct.pack('<QH', mantissa, exponent | (0x8000 if negative else 0))


def prop(name, value):
    return sstr(name) + value


def obj(cls, name, props, children=(), flags=0, position=None):
    out = b''
    if flags or position is not None:
        f = flags | (2 if position is not None else 0)
        out += bytes([0xF0 | f])
        if position is not None:
            out += integer(position)
    out += sstr(cls) + sstr(name)
    out += b''.join(props) + b'\0'
    out += b''.join(children) + b'\0'
    return out


def resource(body, name='TFORM1'):
    data = b'TPF0' + body
    header = b'\xff\x0a\x00' + name.encode('ascii') + b'\0' + struct.pack('<HI', 0x1030, len(data))
    return header + data


button = obj('TButton', 'Button1', [
    prop('Left', integer(-8)),
    prop('OnClick', ident('Button1Click')),
])
frame = obj('TFrame1', 'Frame1', [
    prop('Big', integer(5000000000)),
], flags=4)
panel = obj('TPanel', 'Panel1', [
    prop('Columns', bytes([vaCollection]) +
         bytes([vaList]) + prop('Width', integer(64)) + prop('Title', string('Col')) + b'\0' +
         b'\0'),
], children=[frame], flags=1, position=2)
form = obj('TForm1', 'Form1', [
    prop('Left', integer(192)),
    prop('Top', integer(107)),
    prop('Caption', string("Main 'form'")),
    prop('Font.Name', wstring('Tahoma')),
    prop('Scaled', bytes([vaFalse])),
    prop('OnCreate', ident('FormCreate')),
    prop('DataSource', ident('DataModule1.Table1')),
    prop('Ratio', extended(0xC000000000000000, 16383)),
    prop('Anchors', bytes([vaSet]) + sstr('akLeft') + sstr('akTop') + b'\0'),
    prop('Items.Strings', bytes([vaList]) + string('one') + string('two') + b'\0'),
    prop('Picture.Data', bytes([vaBinary]) + struct.pack('<I', 2) + b'\x0a\x1b'),
], children=[button, panel])

with open(os.path.join(HERE, 'MainForm.bin.dfm'), 'wb') as f:
    f.write(resource(form))
