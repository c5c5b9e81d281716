// The browser command composer over an arbitrary registered command and address: the first
// byte splits the input, the rest is UTF-16 text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/web/browser_command.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  std::u16string text;
  for (size_t i = 1; i + 1 < size; i += 2) text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  const size_t cut = text.empty() ? 0 : data[0] % (text.size() + 1);
  const std::u16string registered = text.substr(0, cut), address = text.substr(cut);
  const std::u16string line = zp::BrowserCommandLine(registered, address);
  // The address comes last, in quotes, with at most one escape per character plus the quotes.
  if (line.size() > registered.size() + 3 + 2 * address.size() || line.back() != u'"') std::abort();
  if (zp::ProgramOfCommandLine(registered).size() > registered.size()) std::abort();
  return 0;
}
