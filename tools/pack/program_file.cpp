#include "tools/pack/program_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

#include "quiz/link_record.h"
#include "quiz/lzw_decoder.h"
#include "quiz/quiz_loader.h"
#include "quiz/quiz_services.h"
#include "quiz/quiz_state.h"
#include "quiz/clip_type.h"
#include "tools/pack/picture_check.h"
#include "tools/pack/text_1252.h"

namespace {

// The loader's parsers want services for the theme brush; nothing is drawn here.
class NoPlatform : public QuizServices {
 public:
  std::span<const std::uint8_t> PatchResource(int) override { return {}; }
  void ShowMessage(const char*, const char*) override {}
  HFONT CreateFont(const FontSpec&) override { return nullptr; }
  HBRUSH CreateSolidBrush(std::uint32_t) override { return nullptr; }
  void DeleteFont(HFONT) override {}
  void DeleteBrush(HBRUSH) override {}
};

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string PictureExtension(std::span<const std::uint8_t> bytes) {
  const std::string format = PictureFormat(bytes);
  if (format.empty()) return "bin";
  return format == "JPEG" ? "jpg" : Lower(format);
}

std::string ClipFileExtension(std::span<const std::uint8_t> bytes) {
  const std::string type = ClipExtension(bytes);
  return type == "XXX" ? "bin" : Lower(type);
}

std::string Numbered(char prefix, int n, const std::string& extension) {
  char name[32];
  std::snprintf(name, sizeof name, "%c%02d.%s", prefix, n, extension.c_str());
  return name;
}

bool DecodeRecord(std::span<const std::uint8_t> coded, std::vector<std::uint8_t>& decoded) {
  std::int32_t length = 0;
  return LzwDecode(coded, decoded, length) == LZW_OK;
}

std::span<const std::uint8_t> BytesOf(const std::vector<std::uint8_t>& file, const bundle::Entry& entry) {
  return {file.data() + entry.offset, entry.size};
}

}  // namespace

bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes, std::string* error) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    *error = "\"" + path.string() + "\" is a folder";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    const int why = errno;
    *error = "cannot read \"" + path.string() + "\": " + std::strerror(why != 0 ? why : ENOENT);
    return false;
  }
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) {
    *error = "cannot read \"" + path.string() + "\"";
    return false;
  }
  return true;
}

bool FindLinkRecord(const std::vector<std::uint8_t>& file, std::size_t end, std::size_t* offset, std::string* error) {
  const auto* words = reinterpret_cast<const std::uint8_t*>(PROGRAM_WORDS);
  const auto last = file.begin() + static_cast<std::ptrdiff_t>(std::min(end, file.size()));
  std::size_t found = 0;
  std::size_t at = 0;
  for (auto it = file.begin(); (it = std::search(it, last, words, words + PROGRAM_WORDS_SIZE)) != last; ++it) {
    if (++found == 1) at = static_cast<std::size_t>(it - file.begin());
  }
  if (found != 1) {
    *error = found == 0 ? "its link record block was not found: not a Ploxa player"
                        : "its link record block occurs " + std::to_string(found) + " times; it must occur once";
    return false;
  }
  if (at + PROGRAM_WORDS_SIZE + LINK_RECORD_SIZE > end) {
    *error = "its link record block is cut short";
    return false;
  }
  *offset = at + PROGRAM_WORDS_SIZE;
  return true;
}

bool LoadPlayer(const std::filesystem::path& path, PlayerImage& player, std::string* error) {
  std::string why;
  if (!ReadWholeFile(path, player.bytes, &why)) {
    *error = "player: " + why;
    return false;
  }
  // A program file serves as a player too: its quiz is left behind.
  if (const auto existing = bundle::ReadBundle(player.bytes)) player.bytes.resize(existing->start);
  if (!FindLinkRecord(player.bytes, player.bytes.size(), &player.linkOffset, &why)) {
    *error = "player \"" + path.string() + "\": " + why;
    return false;
  }
  return true;
}

std::vector<std::uint8_t> AssembleProgram(const PlayerImage& player, const PackedQuiz& quiz) {
  std::vector<std::uint8_t> out = player.bytes;
  std::copy(quiz.linkRecord.begin(), quiz.linkRecord.end(), out.begin() + static_cast<std::ptrdiff_t>(player.linkOffset));
  bundle::BundleWriter writer;
  for (const PackedResource& r : quiz.resources) writer.Add(r.type, r.id, r.bytes);
  const std::vector<std::uint8_t> tail = writer.Finish();
  out.insert(out.end(), tail.begin(), tail.end());
  return out;
}

bool WriteProgramFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes, std::string* error) {
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
  std::string pattern = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
  const int fd = mkstemp(pattern.data());
  if (fd < 0) {
    *error = "cannot write in \"" + folder.string() + "\": " + std::strerror(errno);
    return false;
  }
  std::size_t written = 0;
  bool ok = true;
  while (ok && written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) written += static_cast<std::size_t>(n);
  }
  const int writeError = errno;
  ok = ok && fchmod(fd, 0755) == 0;
  ok = (::close(fd) == 0) && ok;
  if (!ok || std::rename(pattern.c_str(), path.c_str()) != 0) {
    *error = "cannot write \"" + path.string() + "\": " + std::strerror(ok ? errno : writeError);
    ::unlink(pattern.c_str());
    return false;
  }
  return true;
}

bool ReadProgram(const std::vector<std::uint8_t>& file, ProgramContents& contents, std::string* error) {
  const std::optional<bundle::Bundle> found = bundle::ReadBundle(file);
  if (!found) {
    *error = "no quiz resources: this is not a built program file (or its bundle is damaged)";
    return false;
  }
  const bundle::Bundle& resources = *found;
  const bundle::ResourceType patch = bundle::ResourceType::Named(PATCH_TYPE);
  const bundle::ResourceType img = bundle::ResourceType::Named(PICTURE_TYPE);
  const bundle::ResourceType data = bundle::ResourceType::Numbered(RT_RCDATA_NUMBER);

  std::size_t linkOffset = 0;
  std::string why;
  if (!FindLinkRecord(file, resources.start, &linkOffset, &why)) {
    *error = why;
    return false;
  }
  std::vector<std::uint8_t> decoded;
  LinkTexts link{};
  if (!DecodeRecord({file.data() + linkOffset, LINK_RECORD_SIZE}, decoded) || !ParseLinkRecord(decoded, link)) {
    *error = "the link record does not decode";
    return false;
  }

  const bundle::Entry* answers = resources.Find(patch, ANSWERS_RECORD_ID);
  if (answers == nullptr || answers->size == 0) {
    *error = "no answers record (PATCH 104): the player would play its built-in test quiz";
    return false;
  }
  NoPlatform platform;
  auto state = std::make_unique<QuizState>();
  InitQuizState(state.get(), platform);
  struct Release {
    QuizState* s;
    NoPlatform* p;
    ~Release() { ReleaseQuizState(s, *p); }
  } release{state.get(), &platform};
  if (!DecodeRecord(BytesOf(file, *answers), decoded) || !ParseAnswersRecord(decoded, state.get(), platform)) {
    *error = "the answers record (PATCH 104) does not decode";
    return false;
  }
  const bundle::Entry* codes = resources.Find(patch, CODES_RECORD_ID);
  if (codes == nullptr || !DecodeRecord(BytesOf(file, *codes), decoded) || !ParseCodesRecord(decoded, state.get())) {
    *error = "the codes record (PATCH 105) is missing or does not decode";
    return false;
  }

  QuizDescription& quiz = contents.quiz;
  quiz.kind = state->quizKind;
  quiz.title = Cp1252ToUtf8(state->title);
  quiz.author = Cp1252ToUtf8(state->author);
  quiz.explanation = Cp1252ToUtf8(state->explanation);
  quiz.answersPerQuestion = state->answersPerQuestion;
  quiz.answerLabels = {Cp1252ToUtf8(state->answerLabel1), Cp1252ToUtf8(state->answerLabel2)};
  if (state->revealMode >= 0 && state->revealMode <= 4) {
    quiz.reveal = static_cast<Reveal>(state->revealMode);
  } else {
    contents.notes.push_back("reveal mode " + std::to_string(state->revealMode) +
                             " has no name; the player reveals nothing with it");
  }
  char theme[8];
  std::snprintf(theme, sizeof theme, "#%02X%02X%02X", state->themeRed, state->themeGreen, state->themeBlue);
  quiz.theme = theme;
  quiz.link = Cp1252ToUtf8(link.linkText);
  quiz.footer = Cp1252ToUtf8(link.footerText);

  const int count = state->questionCount;
  for (int i = 0; i < count; ++i) {
    quiz.codes.push_back(Cp1252ToUtf8(state->codes[i]));
    const QuestionNode* node = FindQuestion(state.get(), i);
    QuestionDescription q;
    q.prompt = Cp1252ToUtf8(node->prompt);
    q.answer = Cp1252ToUtf8(node->answer1);
    q.hasAnswer2 = quiz.answersPerQuestion == 2;
    if (q.hasAnswer2) q.answer2 = Cp1252ToUtf8(node->answer2);
    q.revealText = Cp1252ToUtf8(node->revealText);

    const int n = i + 1;
    const auto questionId = PICTURE_ID_BASE + static_cast<std::uint32_t>(n);
    const auto revealId = REVEAL_PICTURE_ID_BASE + static_cast<std::uint32_t>(n);
    if (quiz.kind == KIND_PICTURES) {
      // The player looks for "IMG" first and falls back to the data resource.
      const bundle::Entry* picture = resources.Find(img, questionId);
      if (picture == nullptr) picture = resources.Find(data, questionId);
      if (picture != nullptr) {
        const auto bytes = BytesOf(file, *picture);
        q.picture = Numbered('q', n, PictureExtension(bytes));
        contents.files[q.picture].assign(bytes.begin(), bytes.end());
      }
      std::vector<std::uint8_t> reveal;
      if (const bundle::Entry* exchanged = resources.Find(img, revealId)) {
        const auto bytes = BytesOf(file, *exchanged);
        reveal.assign(bytes.begin(), bytes.end());
        ExchangeNibbles(reveal);
      } else if (const bundle::Entry* png = resources.Find(data, revealId)) {
        const auto bytes = BytesOf(file, *png);
        reveal.assign(bytes.begin(), bytes.end());
      }
      if (!reveal.empty()) {
        q.revealPicture = Numbered('r', n, PictureExtension(reveal));
        contents.files[q.revealPicture] = std::move(reveal);
      }
    } else if (quiz.kind == KIND_SOUND || quiz.kind == KIND_VIDEO) {
      if (const bundle::Entry* clip = resources.Find(img, questionId)) {
        const auto bytes = BytesOf(file, *clip);
        q.clip = Numbered('c', n, ClipFileExtension(bytes));
        contents.files[q.clip].assign(bytes.begin(), bytes.end());
      }
    }
    quiz.questions.push_back(std::move(q));
  }

  for (const bundle::Entry& entry : resources.entries) {
    ResourceListing listing{entry.type.Describe(), entry.id, entry.size, ""};
    const auto bytes = BytesOf(file, entry);
    if (entry.type.Matches(patch)) {
      listing.kind = entry.id == ANSWERS_RECORD_ID ? "answers record" : entry.id == CODES_RECORD_ID ? "codes record" : "?";
    } else if (entry.type.Matches(img) && entry.id > EXCHANGED_IDS_ABOVE) {
      std::vector<std::uint8_t> plain(bytes.begin(), bytes.end());
      ExchangeNibbles(plain);
      const std::string format = PictureFormat(plain);
      listing.kind = "reveal picture, " + (format.empty() ? std::string("unknown format") : format) + ", nibble-exchanged";
    } else if (entry.type.Matches(img) && (quiz.kind == KIND_SOUND || quiz.kind == KIND_VIDEO)) {
      listing.kind = std::string("clip, ") + ClipExtension(bytes);
    } else {
      const std::string format = PictureFormat(bytes);
      listing.kind = (entry.id > EXCHANGED_IDS_ABOVE ? "reveal picture, " : "picture, ") +
                     (format.empty() ? std::string("unknown format") : format);
    }
    contents.resources.push_back(std::move(listing));
  }
  return true;
}
