#pragma once
// What a login or registration remembers once the server has accepted it: the name as sent and
// the password as typed, in the settings ("username", "password"), for the forms to fill in and
// the director to log in again with. Main thread only.

struct ResponseDataPack;

namespace scenes {

// False, writing nothing, when the pack lacks the name (request) or the password (context).
bool rememberCredentials(const ResponseDataPack& pack);

} // namespace scenes
