#pragma once
// Text from the database on its way into a page or an answer: one function per place it lands.
// Player names are hostile input (the game server takes most scripts and symbols, and older
// servers took bidi controls too), so nothing from the database reaches a response except
// through one of these.

#include <string>

// Well-formed UTF-8 with no control characters: every malformed sequence and every C0 or C1
// control becomes U+FFFD. The text escapers below clean first (JSON must be UTF-8; a control in
// HTML is a parse error), so a name that an old server stored carelessly still reads as text.
std::string cleanText(const std::string& text);

// Between tags: & < > escaped.
std::string htmlText(const std::string& text);
// Inside a double-quoted attribute value: also " and '.
std::string htmlAttr(const std::string& text);
// One path segment or query value: every byte but the unreserved ones (A-Z a-z 0-9 - . _ ~)
// percent-encoded, and none cleaned, so that the address finds exactly the stored name. "." and
// ".." stay dot segments whatever their spelling; see playerPath.
std::string urlSegment(const std::string& text);
// A JSON string with its quotes. Also escapes < > & and U+2028/2029, so that the text stays
// inert wherever the JSON ends up.
std::string jsonString(const std::string& text);

// The address of a player's page: /player/NAME, or /player?name=NAME for the names a browser
// would take for a dot segment and resolve away ("." and "..").
std::string playerPath(const std::string& name);
