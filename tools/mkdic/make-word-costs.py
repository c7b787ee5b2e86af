#!/usr/bin/env python3
"""Writes the word-cost table tolvo-mkdic orders partners by.

Reads every two-character word whose characters are both CJK ideographs from
a MeCab lexicon's source CSVs and keeps its lowest word cost (lower is more
common in the corpus the lexicon was trained on). The lexicons are large
(unidic-mecab installs 5 GB), so the build reads this small table instead.

Usage: make-word-costs.py [--lexicon unidic|ipadic|unidic+ipadic]
                          [--unidic DIR] [--ipadic DIR] -o OUTPUT
"""
import argparse
import glob
import os
import sys
import tempfile

SOURCES = {
    'unidic': ('UniDic 3.1.1 (Debian unidic-mecab), costs trained on the BCCWJ corpus, '
               '(c) 2011-2018 The UniDic Consortium, BSD-3-Clause (or LGPL-2.1 or GPL-2+)'),
    'ipadic': ('IPADIC 2.7.0 (Debian mecab-ipadic), (c) 2000-2003 Nara Institute of Science '
               'and Technology, BSD-style licence with the ICOT term'),
}


def is_ideograph(c):
    o = ord(c)
    return 0x3400 <= o <= 0x4DBF or 0x4E00 <= o <= 0x9FFF or 0xF900 <= o <= 0xFAFF


def read_costs(paths, encoding):
    costs = {}
    for path in paths:
        with open(path, encoding=encoding, errors='strict') as f:
            for n, line in enumerate(f, 1):
                # surface,left id,right id,cost,features...
                fields = line.split(',', 4)
                if len(fields) < 5:
                    sys.exit(f'{path}:{n}: not a lexicon line')
                word = fields[0]
                if len(word) != 2 or not all(map(is_ideograph, word)):
                    continue
                cost = int(fields[3])
                if word not in costs or cost < costs[word]:
                    costs[word] = cost
    if not costs:
        sys.exit('no two-kanji word in ' + ', '.join(paths))
    return costs


def unidic_costs(directory):
    paths = sorted(glob.glob(os.path.join(directory, 'lex*.csv')))
    if not paths:
        sys.exit(f'{directory}: no lex*.csv (install Debian\'s unidic-mecab)')
    return read_costs(paths, 'utf-8')


def ipadic_costs(directory):
    paths = sorted(glob.glob(os.path.join(directory, '*.csv')))
    if not paths:
        sys.exit(f'{directory}: no *.csv (install Debian\'s mecab-ipadic)')
    return read_costs(paths, 'euc_jis_2004')


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    parser.add_argument('--lexicon', default='unidic', choices=['unidic', 'ipadic', 'unidic+ipadic'])
    parser.add_argument('--unidic', default='/usr/share/mecab/dic/unidic')
    parser.add_argument('--ipadic', default='/usr/share/mecab/dic/ipadic')
    parser.add_argument('-o', dest='output', required=True)
    args = parser.parse_args()

    if args.lexicon == 'unidic':
        costs = unidic_costs(args.unidic)
    elif args.lexicon == 'ipadic':
        costs = ipadic_costs(args.ipadic)
    else:
        # UniDic's cost where it knows the word; IPADIC's words after all of
        # them, in IPADIC's order, since the two cost scales differ.
        costs = unidic_costs(args.unidic)
        extra = ipadic_costs(args.ipadic)
        offset = max(costs.values()) + 1 - min(extra.values())
        for word, cost in extra.items():
            costs.setdefault(word, cost + offset)
    source = ' + '.join(SOURCES[name] for name in args.lexicon.split('+'))

    out_dir = os.path.dirname(os.path.abspath(args.output))
    # Written beside the output and renamed, so a failed run leaves the old table whole.
    with tempfile.NamedTemporaryFile('w', encoding='utf-8', newline='\n', dir=out_dir,
                                     delete=False) as f:
        f.write('# Two-kanji words and their word cost: lower is more common.\n')
        f.write(f'# Derived from {source}.\n')
        f.write('# Licence: see word-costs.LICENSE. Regenerate with: make word-costs\n')
        f.write(f'words\t{len(costs)}\n')
        for word in sorted(costs):
            f.write(f'{word}\t{costs[word]}\n')
        temp = f.name
    os.chmod(temp, 0o644)
    os.replace(temp, args.output)
    print(f'{args.output}: {len(costs)} words from {args.lexicon}', file=sys.stderr)


if __name__ == '__main__':
    main()
