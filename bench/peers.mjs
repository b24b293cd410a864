// The peers of the benchmark: the same job as "boardquill convert" done with
// one of the two most used chess libraries of the npm registry. Every line is
// validated and loaded by the library, and its board is drawn as the same RTF
// text Boardquill writes (diagram font glyphs from ChsFonts.ini, the chosen
// operations above each diagram), so the output can be compared byte for
// byte with ours.
//
// usage: node peers.mjs --peer chess.js|chessops --in FILE --out FILE
//                       --fonts-file ChsFonts.ini [--font NAME] [--runs N]
// Prints "name|unit|min|median|max|note" lines like bq_bench.
import { closeSync, openSync, readFileSync, writeSync } from 'node:fs';
import { Chess as ChessJs, validateFen } from 'chess.js';
import { Chess as ChessOps } from 'chessops/chess';
import { parseFen } from 'chessops/fen';

function parseArgs(argv) {
  const args = { peer: '', in: '', out: '', fontsFile: '', font: 'Chess Merida', runs: 5 };
  for (let i = 0; i < argv.length; i += 2) {
    const [name, value] = [argv[i], argv[i + 1]];
    if (value === undefined) throw new Error(`${name} needs a value`);
    if (name === '--peer') args.peer = value;
    else if (name === '--in') args.in = value;
    else if (name === '--out') args.out = value;
    else if (name === '--fonts-file') args.fontsFile = value;
    else if (name === '--font') args.font = value;
    else if (name === '--runs') args.runs = Math.max(1, Number(value));
    else throw new Error(`unknown argument ${name}`);
  }
  if (!['chess.js', 'chessops'].includes(args.peer)) throw new Error('--peer chess.js|chessops');
  if (!args.in || !args.out || !args.fontsFile) throw new Error('--in, --out and --fonts-file are needed');
  return args;
}

// ---- the diagram font ------------------------------------------------------

function readFontSection(path, font) {
  const keys = new Map();
  let inSection = false;
  for (const raw of readFileSync(path, 'latin1').split(/\r\n|\n|\r/)) {
    const line = raw.trim();
    if (line.startsWith('[')) {
      inSection = line.slice(1, line.indexOf(']')).toLowerCase() === font.toLowerCase();
    } else if (inSection && line.includes('=') && !line.startsWith(';')) {
      const at = line.indexOf('=');
      keys.set(line.slice(0, at).trim().toLowerCase(), line.slice(at + 1).trim());
    }
  }
  if (keys.size === 0) throw new Error(`font ${font} is not in ${path}`);
  const glyph = (key) => {
    const v = keys.get(key.toLowerCase());
    if (v === undefined) return 0;
    if (v.length >= 2 && v[0] === '\\') return v.charCodeAt(1) & 0xff;
    const n = v[0] === '$' ? parseInt(v.slice(1), 16) : parseInt(v, 10);
    return Number.isFinite(n) ? n & 0xff : 0;
  };
  return glyph;
}

// Glyph bytes >= 128 and { } \ are written as \'hh; a glyph 0 is left out.
function glyphText(code) {
  if (code === 0) return '';
  if (code >= 128 || code === 0x7b || code === 0x7d || code === 0x5c)
    return "\\'" + code.toString(16).toUpperCase().padStart(2, '0');
  return String.fromCharCode(code);
}

// The escaped text of every square content, and the frame lines.
function makeGlyphs(fontsFile, font) {
  const g = readFontSection(fontsFile, font);
  const words = { p: 'Pawn', n: 'Knight', b: 'Bishop', r: 'Rook', q: 'Queen', k: 'King' };
  const squares = {}; // squares[colour + letter][light 0 / dark 1]
  for (const [letter, word] of Object.entries(words)) {
    squares['w' + letter] = [glyphText(g(`White${word}_W`)), glyphText(g(`White${word}_B`))];
    squares['b' + letter] = [glyphText(g(`Black${word}_W`)), glyphText(g(`Black${word}_B`))];
  }
  const blank = [glyphText(g('Blank_W')), glyphText(g('Blank_B'))];
  const border = ['NW', 'N', 'NE', 'W', 'E', 'SW', 'S', 'SE'].every((k) => g('Border' + k) !== 0);
  const top = border ? glyphText(g('BorderNW')) + glyphText(g('BorderN')).repeat(8) + glyphText(g('BorderNE')) : '';
  const bottom = border ? glyphText(g('BorderSW')) + glyphText(g('BorderS')).repeat(8) + glyphText(g('BorderSE')) : '';
  return {
    squares, blank, border, top, bottom,
    west: border ? glyphText(g('BorderW')) : '',
    east: border ? glyphText(g('BorderE')) : '',
    charset: g('Charset'),
  };
}

// ---- EPD text around the library's part -----------------------------------

// The operations after the four fields: an opcode, then operands up to ";",
// words cut at blanks and semicolons.
function readOperations(rest) {
  const ops = [];
  let i = 0;
  const n = rest.length;
  const skipBlanks = () => {
    while (i < n && (rest[i] === ' ' || rest[i] === '\r' || rest[i] === '\n')) ++i;
  };
  const word = () => {
    const start = i;
    while (i < n && rest[i] !== ' ' && rest[i] !== ';') ++i;
    const text = rest.slice(start, i);
    const last = i < n ? rest[i++] : i > start ? rest[i - 1] : '';
    return [text, last];
  };
  while (i < n) {
    let [opcode, last] = word();
    const operands = [];
    skipBlanks();
    while (i < n && last !== ';') {
      let operand;
      [operand, last] = word();
      operands.push(operand);
      skipBlanks();
    }
    ops.push([opcode, operands]);
  }
  return ops;
}

// { } \ get a backslash; other bytes outside printable ASCII become \'hh.
function rtfText(s) {
  let out = '';
  for (let i = 0; i < s.length; ++i) {
    const c = s.charCodeAt(i);
    if (c === 0x5c || c === 0x7b || c === 0x7d) out += '\\' + s[i];
    else if (c < 32 || c >= 128) out += "\\'" + c.toString(16).toUpperCase().padStart(2, '0');
    else out += s[i];
  }
  return out;
}

function operationsText(ops, wanted) {
  let out = '';
  for (const item of wanted) {
    const lower = item.toLowerCase();
    const found = ops.find(([opcode]) => opcode.toLowerCase() === lower);
    if (!found) continue;
    if (out) out += '\\par ';
    out += rtfText(item) + ': ';
    let any = false;
    for (const operand of found[1]) {
      if (any) out += ' ';
      out += rtfText(operand);
      any = any || operand !== '';
    }
  }
  return out;
}

const FIELDS = /^(\S+)[ \r\n]+(\S+)[ \r\n]+(\S+)[ \r\n]+(\S+)[ \r\n]*(.*)$/s;
const START = 'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1';

// ---- the two libraries -----------------------------------------------------

// Each returns a function from a FEN to the board as 64 keys ("wp", "bk", ...
// or "" for an empty square), rank 8 first, files a to h; a FEN the library
// refuses gives the start position, as Boardquill draws it.
function chessJsBoard() {
  const chess = new ChessJs();
  const keys = new Array(64);
  return (fen) => {
    if (validateFen(fen).ok) chess.load(fen, { skipValidation: true });
    else chess.load(START);
    const rows = chess.board();
    for (let r = 0; r < 8; ++r) {
      const row = rows[r];
      for (let f = 0; f < 8; ++f) {
        const p = row[f];
        keys[r * 8 + f] = p ? p.color + p.type : '';
      }
    }
    return keys;
  };
}

function chessOpsBoard() {
  const keys = new Array(64);
  const letter = { pawn: 'p', knight: 'n', bishop: 'b', rook: 'r', queen: 'q', king: 'k' };
  const start = ChessOps.default();
  return (fen) => {
    const setup = parseFen(fen);
    const result = setup.isOk ? ChessOps.fromSetup(setup.value) : undefined;
    const board = result && result.isOk ? result.value.board : start.board;
    for (let r = 0; r < 8; ++r) {
      for (let f = 0; f < 8; ++f) {
        const p = board.get((7 - r) * 8 + f);
        keys[r * 8 + f] = p ? (p.color === 'white' ? 'w' : 'b') + letter[p.role] : '';
      }
    }
    return keys;
  };
}

// ---- the conversion ----------------------------------------------------------

function convert(text, outPath, boardOf, glyphs, font) {
  const header =
    '{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\froman\\fcharset0 Arial;}' +
    `{\\f2\\fswiss\\fcharset${glyphs.charset}\\fprq2 ${font};}}`;
  const wanted = ['id', 'bm'];
  const fd = openSync(outPath, 'w');
  let parts = [];
  let records = 0;
  let bytes = 0;
  const flush = () => {
    const chunk = parts.join('');
    parts = [];
    bytes += chunk.length;
    writeSync(fd, chunk, null, 'latin1');
  };
  for (const raw of text.split(/\r\n|\n|\r/)) {
    const nul = raw.indexOf('\0');
    const line = (nul >= 0 ? raw.slice(0, nul) : raw).replace(/^[\x00-\x20]+|[\x00-\x20]+$/g, '');
    if (line === '' || line[0] === '#') continue;
    const m = FIELDS.exec(line);
    if (!m) throw new Error(`not an EPD record: ${line}`);
    const keys = boardOf(`${m[1]} ${m[2]} ${m[3]} ${m[4]} 0 1`);
    const ops = operationsText(readOperations(m[5]), wanted);

    // Each diagram kept whole on its page: \keepn from the record's start,
    // \pard on its last line.
    let rec = (records === 0 ? header : '\r\n') + '\\keepn';
    if (ops) rec += `\\f0\\fs20 ${ops}\\par `;
    rec += '\\f2\\fs40 ';
    if (glyphs.border) rec += glyphs.top + '\r\n';
    for (let r = 0; r < 8; ++r) {
      let row = glyphs.west;
      for (let f = 0; f < 8; ++f) {
        const dark = (f + (7 - r)) % 2 === 0 ? 1 : 0;
        const key = keys[r * 8 + f];
        row += key ? glyphs.squares[key][dark] : glyphs.blank[dark];
      }
      const last = r === 7 && !glyphs.border ? '\\pard ' : '';
      rec += '\\par ' + last + row + glyphs.east + '\r\n';
    }
    if (glyphs.border) rec += '\\par \\pard ' + glyphs.bottom;
    rec += '\\par\\f0\\fs20\r\n';
    parts.push(rec);
    ++records;
    if (parts.length >= 4096) flush();
  }
  if (records > 0) parts.push('}');
  flush();
  closeSync(fd);
  return { records, bytes };
}

function report(name, unit, values, note = '') {
  const v = [...values].sort((a, b) => a - b);
  const n = v.length;
  const median = n % 2 ? v[(n - 1) / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
  const fmt = (x) => Number(x.toPrecision(6)).toString();
  console.log(`${name}|${unit}|${fmt(v[0])}|${fmt(median)}|${fmt(v[n - 1])}|${note}`);
}

const args = parseArgs(process.argv.slice(2));
const glyphs = makeGlyphs(args.fontsFile, args.font);
const boardOf = args.peer === 'chess.js' ? chessJsBoard() : chessOpsBoard();
const name = args.peer === 'chess.js' ? 'peer_chessjs' : 'peer_chessops';
const rates = [];
const throughput = [];
let records = 0;
for (let run = 0; run < args.runs; ++run) {
  const start = performance.now();
  const text = readFileSync(args.in, 'latin1');
  const result = convert(text, args.out, boardOf, glyphs, args.font);
  const seconds = (performance.now() - start) / 1000;
  records = result.records;
  rates.push(records / seconds);
  throughput.push(result.bytes / seconds / 1e6);
}
report(name, 'positions/s', rates, `${records} positions`);
report(`${name}_output`, 'MB/s', throughput);
report(`${name}_maxrss`, 'MB', [process.resourceUsage().maxRSS / 1024]);
