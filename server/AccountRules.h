#pragma once
// What a registration may carry: a name, and the client's password digest, 32 lowercase
// hexadecimal characters; and what makes two names one account.

#include <optional>
#include <string>

constexpr size_t kMaxNameBytes = 32;

// 1 to 32 bytes of well-formed UTF-8 without control characters: any name a login may name, since
// earlier servers registered every such name.
bool wellFormedUserName(const std::string& name);
// What a new name must be: well-formed; left as it is by the width mapping and NFC of PRECIS
// UsernameCasePreserved (RFC 8265), so that the name shown is the one that was typed; of one
// script, or of a mix UTS #39 calls highly restrictive (Latin with Han and kana, with Han and
// Bopomofo, or with Han and Hangul); without characters that draw nothing, change the direction
// of the text or stack one mark twice; and neither starting nor ending with a blank.
bool validUserName(const std::string& name);
// Names with the same key are one account: the UTS #39 confusable skeleton of the name's PRECIS
// UsernameCaseMapped form (width mapping, case folding, NFC). Nothing for ill-formed UTF-8.
std::optional<std::string> nameKey(const std::string& name);
bool validDigest(const std::string& digest);
