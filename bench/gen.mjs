// Writes a benchmark EPD file made deterministically from a seed: positions
// from random legal games taken at random plies, each
// line with a best move (the SAN of one legal move) and an id, as test
// suites look:
//   r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - bm Bb5; id "bench.1";
//
// usage: node gen.mjs [--seed N] [--lines N] [--out FILE]   (stdout without --out)
import { createWriteStream } from 'node:fs';
import { Chess } from 'chessops/chess';
import { makeFen } from 'chessops/fen';
import { makeSan } from 'chessops/san';
import { squareRank } from 'chessops/util';

function parseArgs(argv) {
  const args = { seed: 1, lines: 200000, out: '' };
  for (let i = 0; i < argv.length; i += 2) {
    const [name, value] = [argv[i], argv[i + 1]];
    if (value === undefined) throw new Error(`${name} needs a value`);
    if (name === '--seed') args.seed = Number(value) >>> 0;
    else if (name === '--lines') args.lines = Number(value);
    else if (name === '--out') args.out = value;
    else throw new Error(`unknown argument ${name}`);
  }
  if (!Number.isInteger(args.lines) || args.lines < 0) throw new Error('--lines needs a count');
  return args;
}

// mulberry32: small, fast and the same on every machine.
function makeRandom(seed) {
  let a = seed >>> 0;
  return () => {
    a = (a + 0x6d2b79f5) >>> 0;
    let t = a;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

const { seed, lines, out } = parseArgs(process.argv.slice(2));
const random = makeRandom(seed);
const pick = (list) => list[Math.floor(random() * list.length)];

const sink = out ? createWriteStream(out) : process.stdout;
let chunk = [];
const flush = async () => {
  if (chunk.length === 0) return;
  const text = chunk.join('');
  chunk = [];
  if (!sink.write(text)) await new Promise((resolve) => sink.once('drain', resolve));
};

// Every legal move of the position, in a fixed order; a pawn reaching the
// last rank may promote to any piece. (chessops plays the games: chess.js
// makes SAN for every move it lists, which makes 200,000 lines take minutes.)
const PROMOTIONS = ['queen', 'rook', 'bishop', 'knight'];
function legalMoves(pos) {
  const moves = [];
  for (const [from, dests] of pos.allDests()) {
    const pawn = pos.board.getRole(from) === 'pawn';
    for (const to of dests) {
      const rank = squareRank(to);
      if (pawn && (rank === 0 || rank === 7)) {
        for (const promotion of PROMOTIONS) moves.push({ from, to, promotion });
      } else {
        moves.push({ from, to });
      }
    }
  }
  return moves;
}

// Every game is played to a random length; each ply is taken with a small
// probability, so lines come from openings, middle games and endings alike
// while a game serves several lines.
let written = 0;
while (written < lines) {
  const pos = Chess.default();
  const length = 1 + Math.floor(random() * 160);
  for (let ply = 0; ply < length && written < lines; ++ply) {
    const moves = legalMoves(pos);
    if (moves.length === 0) break;
    if (random() < 0.12) {
      const epd = makeFen(pos.toSetup(), { epd: true });
      ++written;
      chunk.push(`${epd} bm ${makeSan(pos, pick(moves))}; id "bench.${written}";\n`);
      if (chunk.length >= 4096) await flush();
    }
    pos.play(pick(moves));
  }
}
await flush();
if (out) await new Promise((resolve, reject) => sink.end((err) => (err ? reject(err) : resolve())));
