#pragma once

#include <string>
#include <string_view>

// The one rule for what "Go to the URL" opens, used both to offer the command and to carry it out,
// so that the two never disagree. A field is a web address when its first line, cut at its first
// blank (space or tab), starts with "http://" or "https://" in any letter case and has more after
// that, which is opened as it stands, or starts with "www." and has more after that, which is
// opened as "https://" followed by it. Anything else (a program's path, a script, a local file,
// another scheme) is no web address: a passwords file may come from someone else, and its fields
// must not make the desktop start programs or open files.

// The address to open for a field's text (UTF-8); empty when the text is no web address.
std::string WebAddressOf(std::string_view text);
