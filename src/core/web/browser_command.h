// The command line that opens an address in the registered web browser when the shell will not
// open it: the browser's registered command with the address as exactly one argument, whatever
// spaces, quotes or backslashes the address holds.
#pragma once

#include <string>
#include <string_view>

namespace zp {

// `argument` in double quotes, escaped so that a program splitting its command line by the
// system's usual rules gets back exactly `argument`.
std::u16string QuoteArgument(std::u16string_view argument);

// The registered command cut at its placeholder (at a quoted "%1" together with its opening
// quote, else at a bare %1; a command without one is taken whole), then a space and the
// quoted address.
std::u16string BrowserCommandLine(std::u16string_view registered, std::u16string_view address);

// The program a command line starts: its first argument, without the quotes around it.
std::u16string ProgramOfCommandLine(std::u16string_view commandLine);

}  // namespace zp
