#pragma once
// koralith-server --export-games: every finished game in the database as an SGF file. It reads
// the database the way a second reader may while a server runs on it: opened read-only, in one
// read transaction, so it never waits on the server's writes nor makes the server wait.

#include <string>

// Writes the files into `folder` (created if missing), keeping any file already there under the
// same name, and prints what it did. The exit status: 0, or 1 when the database cannot be read
// or a game or file could not be written.
int exportGames(const std::string& databasePath, const std::string& folder);
