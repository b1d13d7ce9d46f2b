#include "tools/link_record_writer.h"

#include "quiz/link_record.h"
#include "quiz/quiz_state.h"
#include "tools/lzw_encoder.h"

std::vector<std::uint8_t> CodeLinkRecord(const std::string& link, const std::string& footer, std::string* error) {
  auto fail = [&](std::string why) {
    if (error != nullptr) *error = std::move(why);
    return std::vector<std::uint8_t>{};
  };
  if (link.find('|') != std::string::npos || footer.find('|') != std::string::npos) {
    return fail("the link and footer texts cannot hold \"|\"");
  }
  if (link.size() > LINK_TEXT_SIZE - 1) {
    return fail("the link text has " + std::to_string(link.size()) + " bytes, at most " +
                std::to_string(LINK_TEXT_SIZE - 1) + " fit");
  }
  if (footer.size() > FOOTER_TEXT_SIZE - 1) {
    return fail("the footer text has " + std::to_string(footer.size()) + " bytes, at most " +
                std::to_string(FOOTER_TEXT_SIZE - 1) + " fit");
  }
  std::string plain = "  " + link + "|" + footer + "|";
  const LzwEncodeResult coded = LzwEncode({reinterpret_cast<const std::uint8_t*>(plain.data()), plain.size()});
  if (coded.coded.size() > LINK_RECORD_SIZE) {
    return fail("the coded link record needs " + std::to_string(coded.coded.size()) + " bytes, " +
                std::to_string(coded.coded.size() - LINK_RECORD_SIZE) + " more than its " +
                std::to_string(LINK_RECORD_SIZE) + "; shorten the link or the footer");
  }
  std::vector<std::uint8_t> record = coded.coded;
  record.resize(LINK_RECORD_SIZE, 0);
  return record;
}
