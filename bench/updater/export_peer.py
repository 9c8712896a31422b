#!/usr/bin/env python3
"""The everyday peer of the updater's export: the same handheld files from the
same statements, written with the standard library's sqlite3 and plain
string building, byte for byte as Pelgrane writes them.

    export_peer.py DATABASE FOLDER

Like Pelgrane's build it first deletes the *.xml files of FOLDER, and writes
each file under a temporary name, synced, then renamed into place.
"""

import codecs
import fcntl
import glob
import os
import socket
import sqlite3
import struct
import sys


TEXT_MARKS = (('&', '&amp;'), ('<', '&lt;'), ('>', '&gt;'))
ATTRIBUTE_MARKS = (('&', '&amp;'), ('<', '&lt;'), ('"', '&quot;'))


def escape(s, marks):
    for mark, entity in marks:
        if mark in s:
            s = s.replace(mark, entity)
    return s


def escape_text(s):
    return escape(s, TEXT_MARKS)


def escape_attr(s):
    return escape(s, ATTRIBUTE_MARKS)


def leaf(out, name, text, attrs=()):
    """An element with text only: <name a="v">text</name>, or <name/>."""
    out.append('<' + name)
    for a, v in attrs:
        out.append(' %s="%s"' % (a, escape_attr(v)))
    out.append('>%s</%s>' % (escape_text(text), name) if text else '/>')


def open_tag(out, name, attrs=()):
    out.append('<' + name)
    for a, v in attrs:
        out.append(' %s="%s"' % (a, escape_attr(v)))
    out.append('>')


# Field texts as the data layer gives them.
def text(v):
    return '' if v is None else v if isinstance(v, str) else str(v)


def money(v):
    if v is None:
        return ''
    if isinstance(v, int):
        return str(v)
    if isinstance(v, str):
        v = float(v)
    scaled = int(abs(v) * 10000 + 0.5)
    s = ('-' if v < 0 and scaled else '') + str(scaled // 10000)
    fraction = scaled % 10000
    return s + ('.' + ('%04d' % fraction).rstrip('0') if fraction else '')


def decimal(v):
    return '' if v is None else '0' if v == 0 else '%.15g' % float(v)


def gbk_width(s):
    return len(s.encode('gbk', errors='gbk_question'))


def fixed(v, width):
    """char(n): padded with blanks to the width in GBK bytes."""
    if v is None:
        return ''
    v = text(v)
    w = gbk_width(v)
    return v + ' ' * (width - w) if w < width else v


def question_marks(err):
    # One "?" for each UTF-16 unit of a character GBK cannot hold.
    bad = err.object[err.start:err.end]
    return ''.join('??' if ord(c) > 0xFFFF else '?' for c in bad), err.end


codecs.register_error('gbk_question', question_marks)


class Writer:
    def __init__(self, db, folder):
        self.db = db
        self.folder = folder

    def rows(self, sql):
        return self.db.execute(sql).fetchall()

    def save(self, name, root, parts):
        doc = '<%s>%s</%s>' % (root, ''.join(parts), root) if parts else '<%s/>' % root
        if '\r' in doc or '\n' in doc:
            doc = doc.replace('\r\n', '\n').replace('\r', '\n').replace('\n', '\r\n')
        data = (doc + '\r\n').encode('gbk', errors='gbk_question')
        path = os.path.join(self.folder, name)
        temp = os.path.join(self.folder, '.%s.tmp' % name)
        with open(temp, 'wb') as f:
            f.write(data)
            f.flush()
            os.fsync(f.fileno())
        os.replace(temp, path)

    def flat(self, name, sql, root, prefix, convert):
        rows = self.rows(sql)
        if not rows:
            return
        out = []
        for n, row in enumerate(rows, 1):
            value, attrs = convert(row)
            leaf(out, prefix + str(n), value, attrs)
        self.save(name, root, out)

    def grouped_on_dish(self, name, sql, root, prefix, attr):
        rows = self.rows(sql)
        if not rows:
            return
        out = []
        previous = None
        n = 0
        for dish, no, value in rows:
            dish, no, value = text(dish), text(no), text(value)
            if dish != previous:
                if previous is not None:
                    out.append('</DishNo>')
                open_tag(out, 'DishNo', (('DishNo', dish),))
                previous, n = dish, 0
            n += 1
            leaf(out, prefix + str(n), value, ((attr, no),))
        out.append('</DishNo>')
        self.save(name, root, out)

    def dish_layout(self, name, sql, root):
        """The urgent, limit, sold-out and optional files."""
        rows = self.rows(sql)
        if not rows:
            return
        out = []
        previous = None
        for row in rows:
            dish = text(row[0])
            if dish != previous:
                if previous is not None:
                    out.append('</DishUnit></Dish>')
                open_tag(out, 'Dish', (('DishNo', dish),))
                leaf(out, 'DishNo', dish)
                leaf(out, 'CustomNo', text(row[1]))
                leaf(out, 'DishName', text(row[2]))
                leaf(out, 'DishSpell', text(row[3]))
                out.append('<DishUnit>')
                previous = dish
            leaf(out, 'DishUnitName', text(row[4]))
        out.append('</DishUnit></Dish>')
        self.save(name, root, out)

    def dishes(self, name, sql):
        rows = self.rows(sql)
        if not rows:
            return
        out = []
        keys = None
        for r in rows:
            r = [text(v) for v in r]
            type_no, cate_no, dish_no = r[0], r[2], r[4]
            level = 0 if keys is None or keys[0] != type_no else 1 if keys[1] != cate_no else \
                2 if keys[2] != dish_no else 3
            if keys is not None:
                out.append(('</DishUnit></Dish></Cate></ProdType>', '</DishUnit></Dish></Cate>',
                            '</DishUnit></Dish>', '')[level])
            if level == 0:
                open_tag(out, 'ProdType', (('ProdTypeNo', type_no),))
                leaf(out, 'ProdTypeName', r[1])
            if level <= 1:
                open_tag(out, 'Cate', (('CateaNo', cate_no),))
                leaf(out, 'CateName', r[3])
            if level <= 2:
                open_tag(out, 'Dish', (('DishNo', dish_no),))
                leaf(out, 'DishNo', dish_no)
                leaf(out, 'CustomNo', r[6])
                leaf(out, 'DishName', r[5])
                leaf(out, 'DishSpell', r[7])
                out.append('<DishUnit>')
            keys = (type_no, cate_no, dish_no)
            leaf(out, 'DishUnitName', r[8])
        out.append('</DishUnit></Dish></Cate></ProdType>')
        self.save(name, root='CateDish', parts=out)


def local_address():
    """The last IPv4 address of the host name; interface addresses when that
    gives only loopback ones."""
    try:
        found = [a[4][0] for a in socket.getaddrinfo(socket.gethostname(), None, socket.AF_INET,
                                                      socket.SOCK_STREAM)]
    except OSError:
        found = []
    if all(a.startswith('127.') for a in found):
        found = []
        s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        for _, name in socket.if_nameindex():
            request = struct.pack('256s', name.encode()[:15])
            try:
                flags = struct.unpack('H', fcntl.ioctl(s, 0x8913, request)[16:18])[0]  # SIOCGIFFLAGS
                address = socket.inet_ntoa(fcntl.ioctl(s, 0x8915, request)[20:24])  # SIOCGIFADDR
            except OSError:
                continue
            if flags & 1 and not address.startswith('127.'):
                found.append(address)
        s.close()
    return found[-1] if found else ''


def export(db, folder):
    w = Writer(db, folder)
    rows = w.rows('select Distinct ProjectID,ProjectName from dishproject Order by ProjectID')
    projects = []
    if rows:
        out = []
        for n, (pid, pname) in enumerate(rows, 1):
            pid = fixed(pid, 2)
            leaf(out, 'P%d' % n, text(pname), (('No', pid),))
            projects.append(pid)
        w.save('piddata.xml', 'PidData', out)

    address = local_address()
    if address:
        out = []
        leaf(out, 'name', address)
        leaf(out, 'port', '5001')
        w.save('sock.xml', 'Server', out)

    rows = w.rows('Select AreaNo,AreaName,ProjectID from Area order by AreaNo')
    if rows:
        out = []
        for n, (no, name, pid) in enumerate(rows, 1):
            open_tag(out, 'A%d' % n, (('No', text(no)),))
            leaf(out, 'Name', text(name))
            leaf(out, 'Pid', fixed(pid, 2))
            out.append('</A%d>' % n)
        w.save('area.xml', 'Area', out)

    rows = w.rows('Select b.AreaNo,b.AreaName,b.ProjectID,a.RoomNo,a.RoomName from Room a,Area b'
                  ' where a.AreaNo=b.AreaNo order by b.AreaNo,a.RoomNo')
    if rows:
        out = []
        previous = None
        for area_no, area_name, pid, room_no, room_name in rows:
            area_no = text(area_no)
            if area_no != previous:
                if previous is not None:
                    out.append('</Area>')
                out.append('<Area>')
                leaf(out, 'ANo', area_no)
                leaf(out, 'APid', fixed(pid, 2))
                leaf(out, 'AName', text(area_name))
                previous = area_no
            out.append('<Room>')
            leaf(out, 'RNo', text(room_no))
            leaf(out, 'RName', text(room_name))
            out.append('</Room>')
        out.append('</Area>')
        w.save('room.xml', 'RoomUpdate', out)

    def quoted(p):
        return p.replace("'", "''")

    for p in projects:
        w.dishes('dish%s.xml' % p,
                 "select a.ProdTypeNo, a.ProdTypeName, a.CateNo, a.CateName,  a.DishNo, a.DishName, "
                 "a.CustomDishNo, a.dishSpell, b.DishUnit from Dishlist a, DishPrice b, category c, prodtype d "
                 "where a.DishNo=b.DishNo and a.ProjectID=b.ProjectID and a.CateNo=c.CateNo and "
                 "a.ProdTypeNo=d.ProdTypeNo and a.IFSelfSelect<>1  and a.ProjectId='" + quoted(p) +
                 "' order by d.PShowOrder,c.CShowOrder, a.ProdTypeNo,a.CateNo,a.dishSpell,a.DishNo,b.UnitSequence")
    for p in projects:
        w.dish_layout('urgentdish%s.xml' % p,
                      "select b.DishNo, b.CustomDishNo, b.DishName, b.DishSpell, c.DishUnit"
                      " from dishList b,DishPrice c"
                      " where b.DishNo=c.DishNo and b.ProjectID=c.ProjectID and b.IFUrgent=1 and b.IFSelfSelect<>1"
                      " and b.ProjectId = '" + quoted(p) + "' order by b.dishSpell, b.DishNo, c.UnitSequence",
                      'UrgentDish')
    for p in projects:
        w.dish_layout('limitdish%s.xml' % p,
                      "select a.DishNo, a.CustomDishNo, a.DishName, a.DishSpell, c.DishUnit, c.DishCount as Limited"
                      " from DishList a,DishPrice b, LimitSale c where a.DishNo=b.DishNo and b.DishNo=c.DishNo"
                      " and a.ProjectID=b.ProjectID and b.ProjectID=c.ProjectID and b.DishUnit=c.DishUnit"
                      " and a.ProjectId='" + quoted(p) + "' order by a.dishSpell,a.DishNo,b.UnitSequence",
                      'LimitDish')

    w.flat('makemode.xml', 'select * from MakeMode Order by MakeModeNo', 'MakeMode', 'M',
           lambda r: (text(r[1]), (('MakeModeNo', text(r[0])),)))
    w.grouped_on_dish('dishmakemode.xml',
                      'select DishNo,MakeModeNo,MakeModeName from MakeMode_dish Order by DishNo,MakeModeNo',
                      'MakeMode', 'M', 'MakeModeNo')
    w.flat('catsup.xml', 'select * from catsup Order by CatsupNo', 'CatsUp', 'C',
           lambda r: (text(r[1]), (('CatsUpNo', text(r[0])),)))
    w.grouped_on_dish('dishcatsup.xml', 'select DishNo,CatsupNo,CatsupName from catsup_dish Order by DishNo,CatsupNo',
                      'DishCatsUp', 'C', 'CatsUpNo')
    w.flat('request.xml', 'select * from Request Order by RequestNo', 'Request', 'C',
           lambda r: (text(r[1]), (('RequestNo', text(r[0])),)))
    w.grouped_on_dish('dishrequest.xml',
                      'select DishNo,RequestNo,RequestName from Request_dish Order by DishNo,RequestNo',
                      'DishRequest', 'R', 'RequestNo')

    rows = w.rows('Select b.MTNo,b.MTName,a.MDNo,a.MDName from MaterialDetail a,MaterialType b'
                  ' where a.MTNo=b.MTNo order by b.MTNo,a.MDNo')
    if rows:
        out = []
        previous = None
        n = 0
        for mt_no, mt_name, md_no, md_name in rows:
            mt_no = text(mt_no)
            if mt_no != previous:
                if previous is not None:
                    out.append('</MM>')
                out.append('<MM>')
                leaf(out, 'NName', text(mt_name), (('No', mt_no),))
                previous, n = mt_no, 0
            n += 1
            leaf(out, 'D%d' % n, text(md_name), (('No', text(md_no)),))
        out.append('</MM>')
        w.save('material.xml', 'Material', out)

    w.flat('pingunit.xml', 'select PCUnitName from PCUnit', 'PingUnit', 'P', lambda r: (text(r[0]), ()))
    w.flat('zuofa.xml', 'select FNo, FName, OName from Facture order by FNo', 'ZuoFa', 'F',
           lambda r: (text(r[1]), (('No', text(r[0])), ('OName', text(r[2])))))

    for p in projects:
        w.dish_layout('guqingdish%s.xml' % p,
                      "select b.DishNo,b.CustomDishNo,b.DishName,b.DishSpell,c.DishUnit from dishList b,DishPrice c"
                      " where b.DishNo=c.DishNo and b.ProjectID=c.ProjectID and b.IFUse=1"
                      " and b.ProjectId='" + quoted(p) + "' order by b.dishSpell,b.DishNo,c.UnitSequence",
                      'GuqingDish')
    for p in projects:
        w.dish_layout('optionaldish%s.xml' % p,
                      "select b.DishNo,b.CustomDishNo,b.DishName,b.DishSpell,c.DishUnit from dishList b,DishPrice c"
                      " where b.DishNo=c.DishNo and b.ProjectID=c.ProjectID and b.IfSelfSelect=1"
                      " and b.ProjectId='" + quoted(p) + "' order by b.dishSpell,b.DishNo,c.UnitSequence",
                      'OptionalDish')

    # The set meals are optional: no tables, no file.
    try:
        rows = w.rows('select a.SnackNo1,b.SnackNo2,c.SnackNo3,a.SnackName1,a.SumMoney1,b.SnackName2,'
                      'b.SumMoney2,c.SnackName3,c.SnackUnit3,c.SnackPrice3,c.SnackCount3'
                      ' from Snack_1 a,Snack_2 b,Snack_3 c where b.SnackNo1=a.SnackNo1 and b.SnackNo2=c.SnackNo2'
                      ' order by a.SnackNo1,b.SnackNo2,c.SnackNo3')
    except sqlite3.Error:
        rows = []
    if rows:
        out = []
        keys = None
        for r in rows:
            no1, no2, no3 = text(r[0]), text(r[1]), text(r[2])
            level = 0 if keys is None or keys[0] != no1 else 1 if keys[1] != no2 else 2 if keys[2] != no3 else 3
            if keys is not None:
                out.append(('</Item></Snack>', '</Item>', '', '')[level])
            if level == 0:
                out.append('<Snack>')
                leaf(out, 'No', no1)
                leaf(out, 'Name', text(r[3]))
                leaf(out, 'Sum', money(r[4]))
            if level <= 1:
                out.append('<Item>')
                leaf(out, 'No', no2)
                leaf(out, 'Name', text(r[5]))
                leaf(out, 'Sum', money(r[6]))
            if level <= 2:
                out.append('<Dish>')
                leaf(out, 'No', no3)
                leaf(out, 'Name', text(r[7]))
                leaf(out, 'price', money(r[9]))
                leaf(out, 'Unit', text(r[8]))
                leaf(out, 'Count', decimal(r[10]))
                out.append('</Dish>')
            keys = (no1, no2, no3)
        out.append('</Item></Snack>')
        w.save('snackdish.xml', 'SnackDish', out)

    w.flat('calltype.xml', 'select CallDishType from calldish', 'CallType', 'C', lambda r: (text(r[0]), ()))
    w.flat('weightdish.xml', 'select distinct a.CateName, a.DishName, a.dishspell, b.DishUnit'
           ' from DishMaster a, DishDetail b where a.DishNo=b.DishNo and a.IfWeigh=1 order by dishspell',
           'WeightDish', 'WD', lambda r: (text(r[1]) + '(' + text(r[3]) + ')', ()))
    w.flat('prodposi.xml', 'select PositionName from ProdPosition', 'ProdPosi', 'C', lambda r: (text(r[0]), ()))
    w.flat('MachineNameList.xml', 'select IPAddress, MacAliasName from tblMacName order by IPAddress',
           'MachineNameList', 'M', lambda r: (text(r[1]), (('No', fixed(r[0], 15)),)))


def main():
    if len(sys.argv) != 3:
        print('usage: export_peer.py DATABASE FOLDER', file=sys.stderr)
        return 2
    database, folder = sys.argv[1], sys.argv[2]
    for old in glob.glob(os.path.join(folder, '*.xml')):
        os.unlink(old)
    db = sqlite3.connect('file:%s?mode=rw' % database, uri=True)
    try:
        export(db, folder)
    finally:
        db.close()
    return 0


if __name__ == '__main__':
    sys.exit(main())
