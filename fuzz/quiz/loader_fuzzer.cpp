// Arbitrary decoded bytes for the three records: the loader's parsers must
// refuse or accept them without reading outside them, and a refused record
// must leave the quiz untouched.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "quiz/appearance_set.h"
#include "quiz/quiz_loader.h"
#include "quiz/quiz_services.h"

namespace {

class NullServices : public QuizServices {
 public:
  std::span<const std::uint8_t> PatchResource(int) override { return {}; }
  void ShowMessage(const char*, const char*) override {}
  HFONT CreateFont(const FontSpec&) override { return reinterpret_cast<HFONT>(++made); }
  HBRUSH CreateSolidBrush(std::uint32_t) override { return reinterpret_cast<HBRUSH>(++made); }
  void DeleteFont(HFONT f) override { deleted += f != nullptr; }
  void DeleteBrush(HBRUSH b) override { deleted += b != nullptr; }
  std::uintptr_t made = 0;
  std::uintptr_t deleted = 0;
};

// Each record is copied into a buffer of its own size so that ASan sees its end.
std::vector<std::uint8_t> Take(FuzzedDataProvider& input) {
  return input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange<std::size_t>(0, 4096));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::vector<std::uint8_t> link = Take(input);
  const std::vector<std::uint8_t> answers = Take(input);
  const std::vector<std::uint8_t> codes = input.ConsumeRemainingBytes<std::uint8_t>();

  LinkTexts texts{};
  if (ParseLinkRecord(link, texts)) {
    if (strnlen(texts.linkText, LINK_TEXT_SIZE) == LINK_TEXT_SIZE) std::abort();
    if (strnlen(texts.footerText, FOOTER_TEXT_SIZE) == FOOTER_TEXT_SIZE) std::abort();
  }

  NullServices services;
  auto state = std::make_unique<QuizState>();
  InitQuizState(state.get(), services);
  if (ParseAnswersRecord(answers, state.get(), services)) {
    if (state->questionCount < 0 || state->questionCount > MAX_QUESTIONS) std::abort();
    if (state->answersPerQuestion != 1 && state->answersPerQuestion != 2) std::abort();
    int nodes = 0;
    for (QuestionNode* n = state->questionList.head; n != nullptr; n = n->next) ++nodes;
    if (nodes != state->questionCount) std::abort();
    ParseCodesRecord(codes, state.get());
  } else {
    if (state->questionList.head != nullptr || std::strcmp(state->title, "Nom du ploxa") != 0) std::abort();
  }
  ReleaseQuizState(state.get(), services);
  if (services.made != services.deleted) std::abort();
  return 0;
}
