// What the About box shows of the presentation: its name, version and notice line, a web link
// and a mail link with their labels and tips, as the document's about information holds them.
#pragma once

#include <string>
#include <string_view>

#include "core/document/document_model.h"

namespace zp {

struct AboutTexts {
  std::u16string productName;  // trailing white space removed
  std::u16string version;      // trailing white space removed
  std::u16string notice;       // trailing white space removed
  std::u16string linkAddress;  // white space removed at both ends
  std::u16string linkLabel;    // white space removed at both ends
  std::u16string linkTip;
  std::u16string mailAddress;  // as MailTarget makes it
  std::u16string mailLabel;    // white space removed at both ends
  std::u16string mailTip;
  bool operator==(const AboutTexts&) const = default;
};

// The texts of a document that shows its About information; a document that hides it shows
// none. The six about texts are, in order: web address, web label, web tip, mail address,
// mail label, mail tip.
AboutTexts AboutTextsOf(const DocumentModel& document);

// A mail address as a link target: white space removed at both ends, and "mailto:" put in
// front unless it is empty or already holds "mailto:" somewhere.
std::u16string MailTarget(std::u16string_view address);

// "<about word> <product name>", the box's caption.
std::u16string AboutCaption(std::u16string_view aboutWord, const AboutTexts& texts);
// "<product name>  <version>", the box's first line.
std::u16string ProductLine(const AboutTexts& texts);

}  // namespace zp
