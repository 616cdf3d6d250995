#!/usr/bin/env python3
# Writes the seed inputs of koralith_client_receive_fuzz into corpus/ beside this script: small
# hand-made sessions that bring the fuzzer to the game's listeners (a match naming the player,
# moves, answers, a clock that ran out, a lost connection, the menu's notice). The input format
# is described at the top of ClientReceive_fuzz.cpp.
import os
import struct

ME, THEM = 7, 9
# Numbers the start leaves behind (ClientWorld.h): the login again, the first scene's request;
# a game's two user-info requests follow them, then its moves.
LOGIN_AGAIN, FIRST = 1, 2
LOGIN, GETNOTICE, JOINMATCH, CHESS, GETUSERINFO = 1, 5, 6, 8, 10
MATCHRES, OPPCHESS, OPPQUIT, OVERTIME = 1000, 1001, 1002, 1003

MATCH_ROOM, MENU = b"\x00", b"\x01"
DISPATCH = b"\x01"


def field(value):
    if isinstance(value, int):
        return b"\x00" + struct.pack(">i", value)
    if isinstance(value, bytes):
        return b"\x03" + value + b"\x00"
    return b"\x03" + value.encode() + b"\x00"


def body(code, seq, *fields, to_end=False):
    data = struct.pack(">iI", code, seq) + b"".join(field(f) for f in fields)
    # A length past the end takes the rest of the input: a last body that the fuzzer can grow.
    return b"\x00" + struct.pack(">H", 0xFFFF if to_end else len(data)) + data


def push(code, *fields):
    return body(code, 0, *fields)


def frames(n):
    return b"\x02" + bytes([n - 1])


def touch(x, y):
    return b"\x06" + bytes([x, y])


def lost():
    return b"\x04\x00"


def reconnected(greeted):
    return b"\x04" + (b"\x01" if greeted else b"\x02")


def failed(seq, code):
    return b"\x05" + bytes([seq, code])


JOINED = body(JOINMATCH, FIRST, 1) + DISPATCH
# A game as black: its user-info requests are 3 and 4, our first move 5.
AS_BLACK = JOINED + push(MATCHRES, 1, ME, THEM) + DISPATCH + frames(40)
AS_WHITE = JOINED + push(MATCHRES, 1, THEM, ME) + DISPATCH + frames(40)

SEEDS = {
    "win-as-black": MATCH_ROOM + AS_BLACK
    + touch(7, 7) + body(CHESS, 5, 1, 0) + DISPATCH
    + push(OPPCHESS, 8, 8, 0, 0) + DISPATCH
    + touch(7, 8) + body(CHESS, 6, 1, 1, 0) + DISPATCH + frames(64),
    "overtime-as-white": MATCH_ROOM + AS_WHITE
    + push(OPPCHESS, 7, 7, 0, 0) + DISPATCH
    + push(OVERTIME, THEM) + push(OVERTIME, ME) + push(OPPQUIT, THEM) + DISPATCH,
    "user-info": MATCH_ROOM + AS_BLACK
    + body(GETUSERINFO, 3, ME, "alice", 1512, 3, 1, 0)
    + body(GETUSERINFO, 4, THEM, "bob", 1490, 1, 3, 2) + DISPATCH,
    "pushes-before-the-match": MATCH_ROOM + JOINED
    + push(OPPCHESS, 8, 8, 0, 0) + push(OVERTIME, THEM) + DISPATCH
    + push(MATCHRES, 1, ME, THEM) + DISPATCH + frames(40),
    "lost-and-back": MATCH_ROOM + AS_BLACK + lost() + DISPATCH + frames(40)
    + reconnected(False) + body(LOGIN, LOGIN_AGAIN, 1, ME) + DISPATCH,
    "join-not-sent": MATCH_ROOM + failed(FIRST, JOINMATCH) + DISPATCH,
    "menu-notice": MENU + body(GETNOTICE, FIRST, 1, "Friday: round robin", "2026-12-07 21:00")
    + DISPATCH,
    "menu-notice-utf8": MENU
    + body(GETNOTICE, FIRST, 1, "Freitag: Rundenturnier — viel Glück! 金曜日", "2026-12-07 21:00",
           to_end=True),
    # Broken UTF-8: one letter and a run of continuation bytes must not pass as one character.
    "menu-notice-broken": MENU + body(GETNOTICE, FIRST, 1, b"A" + b"\x80" * 1300, "2026-12-07")
    + DISPATCH,
}

if __name__ == "__main__":
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")
    os.makedirs(folder, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)
