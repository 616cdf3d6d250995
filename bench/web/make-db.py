#!/usr/bin/env python3
"""Makes a Koralith game database (schema version 4) for measuring koralith-web: many players,
many finished games with plausible move lists, ratings worked out game by game as the server
does (Elo, K = 32, start 1500). Deterministic for a given seed.

    bench/web/make-db.py OUT.db [--players 100000] [--games 1000000] [--seed 1]
                         [--online N --running N]
"""
import argparse
import math
import os
import random
import sqlite3
import sys
import time

SIZE = 15
SCHEMA = [
    "CREATE TABLE schema_version (version INTEGER NOT NULL)",
    "CREATE TABLE users (id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE, secret TEXT NOT NULL,"
    " score INTEGER NOT NULL DEFAULT 1500, wins INTEGER NOT NULL DEFAULT 0,"
    " losses INTEGER NOT NULL DEFAULT 0, draws INTEGER NOT NULL DEFAULT 0,"
    " created TEXT NOT NULL, name_key TEXT)",
    "CREATE TABLE games (id INTEGER PRIMARY KEY, black INTEGER NOT NULL REFERENCES users(id),"
    " white INTEGER NOT NULL REFERENCES users(id),"
    " outcome INTEGER NOT NULL CHECK (outcome IN (0, 1, 2)),"
    " reason TEXT NOT NULL CHECK (reason IN ('five', 'full', 'time', 'quit')),"
    " moves TEXT NOT NULL, started TEXT NOT NULL, ended TEXT NOT NULL,"
    " black_before INTEGER, black_after INTEGER, white_before INTEGER, white_after INTEGER)",
    "CREATE TABLE status (id INTEGER PRIMARY KEY CHECK (id = 1),"
    " players_online INTEGER NOT NULL, games_running INTEGER NOT NULL, updated TEXT NOT NULL)",
]
INDEXES = [
    "CREATE UNIQUE INDEX users_name_key ON users(name_key)",
    "CREATE INDEX games_black ON games(black)",
    "CREATE INDEX games_white ON games(white)",
    "CREATE INDEX users_rank ON users(score DESC, id)",
]
DIRECTIONS = ((1, 0), (0, 1), (1, 1), (1, -1))
SYLLABLES = ["ka", "ri", "mo", "ten", "sa", "lu", "vo", "ne", "dri", "pa", "zen", "or", "il",
             "ma", "ko", "sun", "ta", "el", "vi", "ra", "go", "mi", "shi", "an", "bo", "lex"]
SCRIPTS = ["Мария", "Игорь", "さくら", "ゆうき", "李明", "王芳", "Δημήτρης", "Sørensen", "José",
           "Zoë", "Łukasz", "Ömer", "민준", "Ngọc"]


def line_length(board, x, y, dx, dy, colour):
    n = 1
    for sign in (1, -1):
        cx, cy = x + sign * dx, y + sign * dy
        while 0 <= cx < SIZE and 0 <= cy < SIZE and board[cx * SIZE + cy] == colour:
            n += 1
            cx += sign * dx
            cy += sign * dy
    return n


def play_game(rng, limit):
    """A game of two careless players who like to extend their own lines: the moves, and
    whether the last one made five."""
    board = [0] * (SIZE * SIZE)
    moves = []
    own = ([], [])
    x, y = 7 + rng.randint(-1, 1), 7 + rng.randint(-1, 1)
    while len(moves) < limit:
        colour = 1 + len(moves) % 2
        if moves:
            x = y = -1
            mine = own[colour - 1]
            if mine and rng.random() < 0.55:  # lengthen a line of one's own
                sx, sy = rng.choice(mine)
                dx, dy = rng.choice(DIRECTIONS)
                step = rng.choice((1, -1))
                cx, cy = sx, sy
                while 0 <= cx < SIZE and 0 <= cy < SIZE and board[cx * SIZE + cy] == colour:
                    cx += step * dx
                    cy += step * dy
                if 0 <= cx < SIZE and 0 <= cy < SIZE and board[cx * SIZE + cy] == 0:
                    x, y = cx, cy
            for _ in range(30):  # otherwise near the last stones
                if x >= 0:
                    break
                ax, ay = moves[-rng.randint(1, min(4, len(moves)))]
                cx, cy = ax + rng.randint(-2, 2), ay + rng.randint(-2, 2)
                if 0 <= cx < SIZE and 0 <= cy < SIZE and board[cx * SIZE + cy] == 0:
                    x, y = cx, cy
            if x < 0:
                return moves, False
        board[x * SIZE + y] = colour
        moves.append((x, y))
        own[colour - 1].append((x, y))
        if any(line_length(board, x, y, dx, dy, colour) >= 5 for dx, dy in DIRECTIONS):
            return moves, True
    return moves, False


def game_pool(rng, count):
    """(moves text, outcome, reason) for `count` games of 9 to 120 moves."""
    pool = []
    while len(pool) < count:
        moves, five = play_game(rng, rng.randint(9, 120))
        if len(moves) < 9:
            continue
        text = " ".join("%d,%d" % m for m in moves)
        if five:
            pool.append((text, (len(moves) - 1) % 2, "five"))
        else:
            pool.append((text, rng.randint(0, 1), rng.choice(("time", "quit"))))
    return pool


def names(rng, count):
    seen = set()
    out = []
    while len(out) < count:
        r = rng.random()
        if r < 0.05:
            name = rng.choice(SCRIPTS) + str(rng.randint(1, 9999))
        else:
            name = "".join(rng.choice(SYLLABLES) for _ in range(rng.randint(2, 3)))
            name = name.capitalize() if r < 0.5 else name + str(rng.randint(1, 999))
        if name.lower() not in seen and len(name.encode()) <= 32:
            seen.add(name.lower())
            out.append(name)
    return out


def utc(seconds):
    return time.strftime("%Y-%m-%d %H:%M:%SZ", time.gmtime(seconds))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("out")
    parser.add_argument("--players", type=int, default=100000)
    parser.add_argument("--games", type=int, default=1000000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--online", type=int, default=0, help="players online in the status row")
    parser.add_argument("--running", type=int, default=0, help="games running in the status row")
    args = parser.parse_args()
    rng = random.Random(args.seed)
    started = time.time()
    temporary = args.out + ".part"
    if os.path.exists(temporary):
        os.remove(temporary)
    db = sqlite3.connect(temporary)
    db.execute("PRAGMA journal_mode=OFF")
    db.execute("PRAGMA synchronous=OFF")
    for sql in SCHEMA:
        db.execute(sql)
    db.execute("INSERT INTO schema_version VALUES (4)")

    players = args.players
    pool = game_pool(rng, min(20000, max(100, args.games // 50)))
    rating = [1500] * (players + 1)
    wins = [0] * (players + 1)
    losses = [0] * (players + 1)
    draws = [0] * (players + 1)
    now = int(time.time())
    span = 365 * 86400
    rows = []
    random_ = rng.random
    for i in range(args.games):
        # Some players play far more than others.
        black = 1 + int(players * random_() ** 2.5)
        white = 1 + int(players * random_() ** 2.5)
        while white == black:
            white = 1 + int(players * random_())
        text, outcome, reason = pool[int(random_() * len(pool))]
        a, b = rating[black], rating[white]
        score = 1.0 if outcome == 0 else 0.0 if outcome == 1 else 0.5
        delta = 32.0 * (score - 1.0 / (1.0 + 10.0 ** ((b - a) / 400.0)))
        # std::lround: halves away from zero
        after_a = int(math.copysign(math.floor(abs(a + delta) + 0.5), a + delta))
        after_b = int(math.copysign(math.floor(abs(b - delta) + 0.5), b - delta))
        rating[black], rating[white] = after_a, after_b
        if outcome == 0:
            wins[black] += 1
            losses[white] += 1
        elif outcome == 1:
            wins[white] += 1
            losses[black] += 1
        else:
            draws[black] += 1
            draws[white] += 1
        ended = now - span + (i * span) // args.games
        moves = text.count(" ") + 1
        rows.append((black, white, outcome, reason, text, utc(ended - 4 * moves), utc(ended),
                     a, after_a, b, after_b))
        if len(rows) == 100000:
            db.executemany("INSERT INTO games (black, white, outcome, reason, moves, started,"
                           " ended, black_before, black_after, white_before, white_after)"
                           " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)", rows)
            rows = []
    if rows:
        db.executemany("INSERT INTO games (black, white, outcome, reason, moves, started, ended,"
                       " black_before, black_after, white_before, white_after)"
                       " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)", rows)
    db.executemany(
        "INSERT INTO users (id, name, name_key, secret, score, wins, losses, draws, created)"
        " VALUES (?, ?, lower(?), '!', ?, ?, ?, ?, ?)",
        ((p, name, name, rating[p], wins[p], losses[p], draws[p], utc(now - span - p))
         for p, name in enumerate(names(rng, players), start=1)))
    db.execute("INSERT INTO status VALUES (1, ?, ?, ?)", (args.online, args.running, utc(now)))
    for sql in INDEXES:
        db.execute(sql)
    db.commit()
    db.execute("PRAGMA journal_mode=WAL")
    db.close()
    os.replace(temporary, args.out)
    print("%s: %d players, %d games in %.0f s" % (args.out, players, args.games,
                                                   time.time() - started), file=sys.stderr)


if __name__ == "__main__":
    main()
