#include "core/about/about_texts.h"

#include "core/text.h"

namespace zp {

namespace {

std::u16string Trimmed(std::u16string_view text) { return std::u16string(TrimWhiteSpace(text)); }
std::u16string TrailingTrimmed(std::u16string_view text) { return std::u16string(TrimTrailingWhiteSpace(text)); }

}  // namespace

AboutTexts AboutTextsOf(const DocumentModel& document) {
  AboutTexts texts;
  const MenuAboutOptions& about = document.menuAboutOptions;
  if (about.hideAbout != 0) return texts;
  texts.productName = TrailingTrimmed(document.productInfo.title);
  texts.version = TrailingTrimmed(document.productInfo.version);
  texts.notice = TrailingTrimmed(document.productInfo.info4);
  texts.linkAddress = Trimmed(about.about1);
  texts.linkLabel = Trimmed(about.about2);
  texts.linkTip = about.about3;
  texts.mailAddress = MailTarget(about.about4);
  texts.mailLabel = Trimmed(about.about5);
  texts.mailTip = about.about6;
  return texts;
}

std::u16string MailTarget(std::u16string_view address) {
  std::u16string target = Trimmed(address);
  if (!target.empty() && target.find(u"mailto:") == std::u16string::npos) target.insert(0, u"mailto:");
  return target;
}

std::u16string AboutCaption(std::u16string_view aboutWord, const AboutTexts& texts) {
  return std::u16string(aboutWord) + u" " + texts.productName;
}

std::u16string ProductLine(const AboutTexts& texts) { return texts.productName + u"  " + texts.version; }

}  // namespace zp
