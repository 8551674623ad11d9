#pragma once

// How tevrin-cli shows what a command left on the window: text for people, or one JSON object
// for scripts.

#include <cstdio>
#include <string>
#include <string_view>

#include "cli/commands.h"

namespace tevrin {

/// The JSON object of `outcome` on one line, every text as UTF-8.
std::string ToJson(const CommandOutcome& outcome);

/// Search results as an aligned table, contents as a numbered list, a chapter as its title, a
/// blank line and its text, a fetched page as its text, all on `out`; each message box on `err`
/// as "title: text", and a failed request's message there too.
void WritePlain(const CommandOutcome& outcome, std::FILE* out, std::FILE* err);

/// Terminal columns `utf8` takes: two for each East Asian wide or full-width character, none
/// for a combining mark, one for anything else.
int DisplayWidth(std::string_view utf8);

}  // namespace tevrin
