#!/usr/bin/env python3
"""Makes a large product database of the demo schema for benchmarks.

    make-large-db.py [--projects N] [--dishes N] [--units N] [--catalog NAME] FOLDER

writes FOLDER/NAME.db (NAME defaults to Velkoranth): the tables of
Velkoranth.sql, the demo's small tables as they are, and generated dish
projects with N dishes each, every dish with 1 to --units units, and the
urgent, limited, sold-out, optional and weighed dishes, dish cooking methods,
extras and requests in the demo's proportions. The same parameters always
give the same database. An older file is replaced only once the new one is
complete.
"""

import argparse
import os
import random
import sqlite3
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))

METHODS = ['红烧', '清蒸', '干煸', '爆炒', '水煮', '椒盐', '蒜蓉', '糖醋', '酱爆', '白灼', '香煎', '卤水']
METHOD_SPELL = ['HS', 'QZ', 'GB', 'BC', 'SZ', 'JY', 'SR', 'TC', 'JB', 'BZ', 'XJ', 'LS']
INGREDIENTS = ['牛肉', '鸡丁', '鱼片', '排骨', '豆腐', '虾仁', '茄子', '鸭块', '羊肉', '花菜', '鲈鱼', '扇贝']
INGREDIENT_SPELL = ['NR', 'JD', 'YP', 'PG', 'DF', 'XR', 'QZ', 'YK', 'YR', 'HC', 'LY', 'SB']
UNITS = ['例', '中', '大', '份', '斤']


def read_demo_sql():
    with open(os.path.join(HERE, 'Velkoranth.sql'), encoding='utf-8') as f:
        return f.read()


# Tables the generator fills itself; the rest keep the demo's rows.
GENERATED = ('dishproject', 'Dishlist', 'DishPrice', 'LimitSale', 'MakeMode_dish', 'catsup_dish',
             'Request_dish', 'DishMaster', 'DishDetail')


def build(path, projects, dishes, units):
    db = sqlite3.connect(path, isolation_level=None)
    db.executescript(read_demo_sql())
    for table in GENERATED:
        db.execute('DELETE FROM %s' % table)
    rng = random.Random(projects * 1000003 + dishes * 101 + units)
    prodtypes = [r[0] for r in db.execute('SELECT ProdTypeNo, ProdTypeName FROM prodtype ORDER BY ProdTypeNo')]
    ptnames = dict(db.execute('SELECT ProdTypeNo, ProdTypeName FROM prodtype'))
    cates = [r[0] for r in db.execute('SELECT CateNo FROM category ORDER BY CateNo')]
    cnames = dict(db.execute('SELECT CateNo, CateName FROM category'))
    makemodes = list(db.execute('SELECT MakeModeNo, MakeModeName FROM MakeMode'))
    catsups = list(db.execute('SELECT CatsupNo, CatsupName FROM catsup'))
    requests = list(db.execute('SELECT RequestNo, RequestName FROM Request'))

    db.execute('BEGIN')
    for p in range(1, projects + 1):
        pid = '%02d' % p
        db.execute('INSERT INTO dishproject VALUES (?, 1, ?, ?, ?)', (pid, '菜谱%d' % p, '10:00', '22:00'))
        for d in range(1, dishes + 1):
            no = '%s%06d' % (pid, d)
            m, i = rng.randrange(len(METHODS)), rng.randrange(len(INGREDIENTS))
            name = '%s%s%d' % (METHODS[m], INGREDIENTS[i], d)
            spell = '%s%s%d' % (METHOD_SPELL[m], INGREDIENT_SPELL[i], d)
            pt = rng.choice(prodtypes)
            cate = rng.choice(cates)
            optional, urgent, soldout = d % 29 == 0, d % 17 == 0, d % 23 == 0
            db.execute('INSERT INTO Dishlist VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)',
                       (pid, no, name, str(d) if d % 7 else None, spell, pt, ptnames[pt], cate, cnames[cate],
                        optional, urgent, soldout))
            count = 1 + (d - 1) % units
            for u in range(count):
                price = round(rng.uniform(8, 288), 1)
                db.execute('INSERT INTO DishPrice VALUES (?, ?, ?, ?, ?, ?)',
                           (pid, no, UNITS[u % len(UNITS)], u + 1, price, None if d % 3 else round(price * 0.9, 2)))
                db.execute('INSERT INTO DishDetail VALUES (?, ?, ?, ?)', (pid, no, UNITS[u % len(UNITS)], price))
            if d % 31 == 0:
                db.execute('INSERT INTO LimitSale VALUES (?, ?, ?, ?)', (pid, no, UNITS[0], 5 + d % 20))
            db.execute('INSERT INTO DishMaster VALUES (?, ?, ?, ?, ?)', (no, name, spell, cnames[cate], d % 19 == 0))
            for table, choices in (('MakeMode_dish', makemodes), ('catsup_dish', catsups), ('Request_dish', requests)):
                if d % 5 == 0:
                    for code, text in rng.sample(choices, 3):
                        db.execute('INSERT INTO %s VALUES (?, ?, ?)' % table, (no, code, text))
    db.execute('COMMIT')
    db.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--projects', type=int, default=3)
    parser.add_argument('--dishes', type=int, default=20000, help='dishes in each project')
    parser.add_argument('--units', type=int, default=3, help='the most units of a dish (1 to 5)')
    parser.add_argument('--catalog', default='Velkoranth')
    parser.add_argument('folder')
    args = parser.parse_args()
    if not 1 <= args.projects <= 99:
        parser.error('--projects must be 1 to 99')
    if args.dishes < 1 or args.dishes > 999999:
        parser.error('--dishes must be 1 to 999999')
    if not 1 <= args.units <= len(UNITS):
        parser.error('--units must be 1 to %d' % len(UNITS))
    os.makedirs(args.folder, exist_ok=True)
    fd, tmp = tempfile.mkstemp(prefix='.%s.db.' % args.catalog, dir=args.folder)
    os.close(fd)
    try:
        build(tmp, args.projects, args.dishes, args.units)
        os.chmod(tmp, 0o644)
        os.replace(tmp, os.path.join(args.folder, args.catalog + '.db'))
    except BaseException:
        os.unlink(tmp)
        raise
    return 0


if __name__ == '__main__':
    sys.exit(main())
