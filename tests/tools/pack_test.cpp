// ploxa-pack: round trips through real program files, every validation with
// its line, and the player's verdicts. Quizzes and their media are
// made here; the stand-in player proves that a built file loads.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/resource_bundle.h"
#include "tools/pack/pack_commands.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? "" : value;
}

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

Result Pack(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  Result r;
  r.status = RunPack(args, out, err);
  r.out = out.str();
  r.err = err.str();
  return r;
}

// Runs a program, giving its exit status and standard output.
Result RunProgram(const std::string& command) {
  Result r;
  FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return r;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) r.out.append(buffer, n);
  const int status = pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

Bytes ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

// --- small media made in code --------------------------------------------

void Put32(Bytes& b, std::uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<std::uint8_t>(v >> s));
}

std::uint32_t Crc32(const Bytes& bytes, std::size_t from) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (std::size_t i = from; i < bytes.size(); ++i) {
    crc ^= bytes[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

void Chunk(Bytes& png, const char* type, const Bytes& data) {
  Put32(png, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  Put32(png, Crc32(png, start));
}

// A grey 8-bit PNG of the given size whose rows are a stored deflate block.
// `claimed` overrides the header's size (to claim more than the data holds).
Bytes GreyPng(std::uint32_t width, std::uint32_t height, std::uint32_t claimedWidth = 0, std::uint32_t claimedHeight = 0) {
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  Put32(header, claimedWidth != 0 ? claimedWidth : width);
  Put32(header, claimedHeight != 0 ? claimedHeight : height);
  header.insert(header.end(), {8, 0, 0, 0, 0});
  Chunk(png, "IHDR", header);
  Bytes rows;
  for (std::uint32_t y = 0; y < height; ++y) {
    rows.push_back(0);
    for (std::uint32_t x = 0; x < width; ++x) rows.push_back(static_cast<std::uint8_t>(x * 40 + y * 7));
  }
  Bytes z = {0x78, 0x01, 0x01, static_cast<std::uint8_t>(rows.size()), static_cast<std::uint8_t>(rows.size() >> 8),
             static_cast<std::uint8_t>(~rows.size()), static_cast<std::uint8_t>(~rows.size() >> 8)};
  z.insert(z.end(), rows.begin(), rows.end());
  Put32(z, 1);  // Adler-32, never checked
  Chunk(png, "IDAT", z);
  Chunk(png, "IEND", {});
  return png;
}

Bytes Encoded(const char* format, int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(qRgb(200, 60, 30));
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format);
  return Bytes(data.begin(), data.end());
}

// A BMP header that claims a size; its pixels are left out.
Bytes BmpClaiming(std::int32_t width, std::int32_t height) {
  Bytes b(54, 0);
  b[0] = 'B', b[1] = 'M';
  auto put = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  put(2, 54);
  put(10, 54);
  put(14, 40);
  put(18, static_cast<std::uint32_t>(width));
  put(22, static_cast<std::uint32_t>(height));
  b[26] = 1;
  b[28] = 24;
  return b;
}

Bytes Riff(const char* form) {
  Bytes b = {'R', 'I', 'F', 'F', 36, 0, 0, 0};
  b.insert(b.end(), form, form + 4);
  for (int i = 0; i < 32; ++i) b.push_back(static_cast<std::uint8_t>(i * 3));
  return b;
}

// --- descriptions ------------------------------------------------------------

std::string Questions(int count, const std::string& extra = "") {
  std::string text;
  for (int i = 1; i <= count; ++i) {
    text += "\n[[question]]\nprompt = \"Question " + std::to_string(i) + " ?\"\nanswer = \"R\u00E9ponse " +
            std::to_string(i) + "\"\n" + extra;
  }
  return text;
}

std::string Codes(int count) {
  std::string text = "codes = [";
  for (int i = 1; i <= count; ++i) text += (i > 1 ? ", \"" : "\"") + std::string("code ") + std::to_string(i) + "\"";
  return text + "]\n";
}

const std::string TEXT_QUIZ =
    "kind = \"text\"\n"
    "title = \"Capitales d'Europe\"\n"
    "author = \"Ana\u00EFs\"\n"
    "explanation = \"Trouvez la capitale de chaque pays\"\n"
    "reveal = \"all texts at the end\"\n"
    "theme = \"#3366FF\"\n"
    "link = \"https://ploxa.example/q\"\n"
    "footer = \"Ploxa \u2014 \u00E9t\u00E9 2026\"\n"
    "codes = [\"P\", \"PA\", \"PAR\"]\n"
    "\n[[question]]\nprompt = \"France\"\nanswer = \"Paris\"\nreveal_text = \"Sur la Seine\"\n"
    "\n[[question]]\nprompt = \"Belgique\"\nanswer = \"Bruxelles\"\nreveal_text = \"\u0152uvre\"\n"
    "\n[[question]]\nprompt = \"Autriche\"\nanswer = \"Vienne\"\n";

const std::string PICTURE_QUIZ =
    "kind = \"pictures\"\n"
    "title = \"Tableaux\"\n"
    "answers_per_question = 2\n"
    "answer_labels = [\"Peintre\", \"Tableau\"]\n"
    "reveal = \"text and picture\"\n"
    "theme = \"#A0522D\"\n"
    "link = \"www.ploxa.example\"\n"
    "codes = [\"un\", \"deux\"]\n"
    "\n[[question]]\nanswer = \"Monet\"\nanswer2 = \"Impression\"\nreveal_text = \"1872\"\n"
    "picture = \"grey.png\"\nreveal_picture = \"photo.jpg\"\n"
    "\n[[question]]\nanswer = \"Vermeer\"\nanswer2 = \"La Laiti\u00E8re\"\n"
    "picture = \"photo.jpg\"\nreveal_picture = \"grey.png\"\n";

const std::string SOUND_QUIZ =
    "kind = \"sound\"\ntitle = \"Cris\"\ncodes = [\"a\", \"b\"]\n"
    "\n[[question]]\nanswer = \"Chat\"\nclip = \"chat.wav\"\n"
    "\n[[question]]\nanswer = \"Chien\"\nclip = \"chien.mp3\"\n";

const std::string VIDEO_QUIZ = "kind = \"video\"\ntitle = \"Films\"\nreveal = \"text\"\ncodes = [\"z\"]\n"
                               "\n[[question]]\nanswer = \"Mire\"\nreveal_text = \"Barres\"\nclip = \"mire.avi\"\n";

class PackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("ploxa-pack-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    player_ = Env("PLOXA_STAND_IN_PLAYER");
    ASSERT_FALSE(player_.empty()) << "PLOXA_STAND_IN_PLAYER is not set";
    WriteBytes(dir_ / "grey.png", GreyPng(5, 4));
    WriteBytes(dir_ / "photo.jpg", Encoded("JPEG", 24, 16));
    WriteBytes(dir_ / "chat.wav", Riff("WAVE"));
    Bytes mp3 = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0, 0xFF, 0xFB, 0x90, 0x64};
    WriteBytes(dir_ / "chien.mp3", mp3);
    WriteBytes(dir_ / "mire.avi", Riff("AVI "));
  }
  void TearDown() override { fs::remove_all(dir_); }

  Result Build(const std::string& description, const std::string& output, const std::string& name = "quiz.toml") {
    WriteText(dir_ / name, description);
    return Pack({"build", (dir_ / name).string(), "-o", (dir_ / output).string(), "--player", player_});
  }

  fs::path dir_;
  std::string player_;
};

// --- round trips -------------------------------------------------------------

struct SampleCase {
  const char* name;
  const std::string* description;
  std::size_t files;  // pictures and clips extract writes
};

class RoundTrip : public PackTest, public ::testing::WithParamInterface<SampleCase> {};

TEST_P(RoundTrip, BuildShowExtractBuildGivesTheSameBytes) {
  const SampleCase& c = GetParam();
  Result built = Build(*c.description, "first");
  ASSERT_EQ(built.status, 0) << built.err;
  const Bytes first = ReadBytes(dir_ / "first");
  EXPECT_EQ(fs::status(dir_ / "first").permissions() & fs::perms::owner_exec, fs::perms::owner_exec);

  // Reproducible: the same inputs again.
  ASSERT_EQ(Build(*c.description, "again").status, 0);
  EXPECT_EQ(ReadBytes(dir_ / "again"), first);

  Result extracted = Pack({"extract", (dir_ / "first").string(), (dir_ / "out").string()});
  ASSERT_EQ(extracted.status, 0) << extracted.err;
  std::size_t files = 0;
  for (const auto& entry : fs::directory_iterator(dir_ / "out")) files += entry.path().filename() != "quiz.toml";
  EXPECT_EQ(files, c.files);
  Result rebuilt = Pack({"build", (dir_ / "out" / "quiz.toml").string(), "-o", (dir_ / "second").string(), "--player",
                         player_});
  ASSERT_EQ(rebuilt.status, 0) << rebuilt.err;
  EXPECT_EQ(ReadBytes(dir_ / "second"), first);

  // show prints a description that builds the same file too (its media are the extracted ones).
  Result shown = Pack({"show", (dir_ / "first").string()});
  ASSERT_EQ(shown.status, 0) << shown.err;
  WriteText(dir_ / "out" / "shown.toml", shown.out);
  ASSERT_EQ(Pack({"build", (dir_ / "out" / "shown.toml").string(), "-o", (dir_ / "third").string(), "--player",
                  player_})
                .status,
            0);
  EXPECT_EQ(ReadBytes(dir_ / "third"), first);

  // A built program file is a player as well: its quiz is replaced, not kept.
  ASSERT_EQ(Pack({"build", (dir_ / "out" / "quiz.toml").string(), "-o", (dir_ / "fourth").string(), "--player",
                  (dir_ / "first").string()})
                .status,
            0);
  EXPECT_EQ(ReadBytes(dir_ / "fourth"), first);
}

INSTANTIATE_TEST_SUITE_P(Samples, RoundTrip,
                         ::testing::Values(SampleCase{"text", &TEXT_QUIZ, 0}, SampleCase{"pictures", &PICTURE_QUIZ, 4},
                                           SampleCase{"sound", &SOUND_QUIZ, 2}, SampleCase{"video", &VIDEO_QUIZ, 1}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(PackTest, StandInPlayerLoadsTheBuiltQuiz) {
  ASSERT_EQ(Build(TEXT_QUIZ, "capitales").status, 0);
  const Result run = RunProgram((dir_ / "capitales").string());
  ASSERT_EQ(run.status, 0);
  const char* expected[] = {"link=https://ploxa.example/q\n", "footer=Ploxa \u2014 \u00E9t\u00E9 2026\n",
                            "title=Capitales d'Europe\n",       "author=Ana\u00EFs\n",
                            "kind=0\n",                          "questions=3\n",
                            "reveal=4\n",                        "theme=#3366FF\n",
                            "prompt1=France\n",                  "answer1=Paris\n",
                            "code1=P\n"};
  for (const char* line : expected) EXPECT_NE(run.out.find(line), std::string::npos) << line << "in\n" << run.out;
  EXPECT_EQ(run.out.find("message="), std::string::npos) << run.out;

  ASSERT_EQ(Build(PICTURE_QUIZ, "tableaux").status, 0);
  const Result pictures = RunProgram((dir_ / "tableaux").string());
  EXPECT_NE(pictures.out.find("answers=2\n"), std::string::npos) << pictures.out;
  EXPECT_NE(pictures.out.find("theme=#A0522D\n"), std::string::npos) << pictures.out;
  EXPECT_NE(pictures.out.find("media=2\n"), std::string::npos) << pictures.out;
}

TEST_F(PackTest, PicturesGoWhereThePlayerLooks) {
  ASSERT_EQ(Build(PICTURE_QUIZ, "tableaux").status, 0);
  const Bytes file = ReadBytes(dir_ / "tableaux");
  const auto found = bundle::ReadBundle(file);
  ASSERT_TRUE(found.has_value());
  auto bytesOf = [&](const bundle::ResourceType& type, std::uint32_t id) {
    const bundle::Entry* e = found->Find(type, id);
    return e == nullptr ? Bytes{} : Bytes(file.begin() + static_cast<std::ptrdiff_t>(e->offset),
                                          file.begin() + static_cast<std::ptrdiff_t>(e->offset + e->size));
  };
  const auto img = bundle::ResourceType::Named("IMG");
  const auto data = bundle::ResourceType::Numbered(10);
  const Bytes png = ReadBytes(dir_ / "grey.png");
  const Bytes jpeg = ReadBytes(dir_ / "photo.jpg");
  Bytes exchanged = jpeg;
  for (auto& b : exchanged) b = static_cast<std::uint8_t>((b << 4) | (b >> 4));

  EXPECT_EQ(bytesOf(data, 401), png);           // PNG: data resource, as it is
  EXPECT_TRUE(bytesOf(img, 401).empty());
  EXPECT_EQ(bytesOf(img, 10401), exchanged);    // reveal JPEG: nibble-exchanged
  EXPECT_EQ(bytesOf(img, 402), jpeg);           // question JPEG: as it is
  EXPECT_EQ(bytesOf(data, 10402), png);         // reveal PNG: not exchanged
  EXPECT_EQ(exchanged[0], 0xFF);
  EXPECT_EQ(exchanged[1], 0x8D);                // 0xD8 with its halves exchanged
  EXPECT_NE(found->Find(bundle::ResourceType::Named("PATCH"), 104), nullptr);
  EXPECT_NE(found->Find(bundle::ResourceType::Named("PATCH"), 105), nullptr);

  const Result shown = Pack({"show", (dir_ / "tableaux").string()});
  EXPECT_NE(shown.out.find("IMG     10401"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("reveal picture, JPEG, nibble-exchanged"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("#10       401"), std::string::npos) << shown.out;
}

// The sample quizzes of examples/: each builds, loads in the player and comes
// back byte for byte through extract.
struct SampleQuiz {
  const char* folder;
  const char* kind;
  const char* questions;
  const char* answers;
  const char* media;
};

class SampleQuizzes : public PackTest, public ::testing::WithParamInterface<SampleQuiz> {};

TEST_P(SampleQuizzes, BuildLoadAndRoundTrip) {
  const SampleQuiz& c = GetParam();
  const std::string source = Env("PLOXA_SOURCE_DIR");
  ASSERT_FALSE(source.empty());
  const fs::path description = fs::path(source) / "examples" / c.folder / "quiz.toml";
  const Result built = Pack({"build", description.string(), "-o", (dir_ / "sample").string(), "--player", player_});
  ASSERT_EQ(built.status, 0) << built.err;
  EXPECT_EQ(built.err, "") << "the samples build without warnings";

  const Result run = RunProgram((dir_ / "sample").string());
  for (const std::string& line : {std::string("kind=") + c.kind, std::string("questions=") + c.questions,
                                 std::string("answers=") + c.answers, std::string("media=") + c.media}) {
    EXPECT_NE(run.out.find(line + "\n"), std::string::npos) << line << " in\n" << run.out;
  }
  EXPECT_EQ(run.out.find("message="), std::string::npos) << run.out;

  ASSERT_EQ(Pack({"extract", (dir_ / "sample").string(), (dir_ / "out").string()}).status, 0);
  ASSERT_EQ(Pack({"build", (dir_ / "out" / "quiz.toml").string(), "-o", (dir_ / "again").string(), "--player",
                  player_})
                .status,
            0);
  EXPECT_EQ(ReadBytes(dir_ / "again"), ReadBytes(dir_ / "sample"));
}

INSTANTIATE_TEST_SUITE_P(Examples, SampleQuizzes,
                         ::testing::Values(SampleQuiz{"culture", "0", "30", "1", "0"},
                                           SampleQuiz{"drapeaux", "1", "12", "2", "12"},
                                           SampleQuiz{"ecoute", "2", "6", "1", "6"},
                                           SampleQuiz{"images", "3", "3", "1", "3"}),
                         [](const auto& row) { return std::string(row.param.folder); });

// --- validation ------------------------------------------------------------------

struct BadCase {
  const char* name;
  std::string description;
  std::string where;    // "quiz.toml:LINE: error: FIELD"
  std::string message;  // a part of what is said
};

std::string LongText(std::size_t length, std::uint32_t seed) {
  std::string text;
  for (std::size_t i = 0; i < length; ++i) {
    seed = seed * 1103515245u + 12345u;
    text += static_cast<char>('a' + (seed >> 16) % 26);
  }
  return text;
}

std::string TextQuizWith(const std::string& header, int questions, const std::string& extra = "") {
  return "kind = \"text\"\ntitle = \"T\"\n" + header + Codes(questions) + Questions(questions, extra);
}

std::vector<BadCase> BadCases() {
  std::vector<BadCase> cases;
  // With a header of kind, title and codes, question i's [[question]] is on line 5 + 4 × (i − 1).
  cases.push_back({"too_many_questions", TextQuizWith("", 97), "quiz.toml:" + std::to_string(5 + 4 * 96) + ": error: question 97",
                   "97 questions, at most 96 fit (1 too many)"});
  cases.push_back({"no_question", "kind = \"text\"\ntitle = \"T\"\ncodes = []\n", "quiz.toml:1: error: question",
                   "no question"});
  cases.push_back({"title_too_long", "kind = \"text\"\ntitle = \"" + std::string(255, 'e') + "\u00E9\u00E9\u00E9\u00E9\u00E9\"\n" + Codes(1) + Questions(1),
                   "quiz.toml:2: error: title", "is 260 bytes in code page 1252, its field holds 259 (1 too many)"});
  cases.push_back({"bar_in_prompt", "kind = \"text\"\ntitle = \"T\"\ncodes = [\"c\"]\n[[question]]\nanswer = \"a\"\nprompt = \"A | B\"\n",
                   "quiz.toml:6: error: question 1, prompt", "holds \"|\" (character 3)"});
  cases.push_back({"line_feed_in_answer", "kind = \"text\"\ntitle = \"T\"\ncodes = [\"c\"]\n[[question]]\nanswer = \"a\\nb\"\n",
                   "quiz.toml:5: error: question 1, answer", "line feed (LF) at character 2"});
  cases.push_back({"outside_code_page", "kind = \"text\"\ntitle = \"T\"\nauthor = \"Mik\u014F\u0142aj\"\n" + Codes(1) + Questions(1),
                   "quiz.toml:3: error: author", "(U+014F) at character 4 is not in code page 1252"});
  cases.push_back({"two_answers_in_text_quiz", TextQuizWith("answers_per_question = 2\n", 1, "answer2 = \"b\"\n"),
                   "quiz.toml:3: error: answers_per_question", "a text quiz has one answer per question"});
  cases.push_back({"second_answer_in_text_quiz", TextQuizWith("", 1, "answer2 = \"b\"\n"),
                   "quiz.toml:8: error: question 1, answer2", "a text quiz has one answer per question"});
  cases.push_back({"codes_do_not_match", "kind = \"text\"\ntitle = \"T\"\n" + Codes(2) + Questions(3),
                   "quiz.toml:3: error: codes", "2 code lines for 3 questions"});
  {
    std::string q;
    for (int i = 0; i < 96; ++i) {
      q += "\n[[question]]\nprompt = \"" + LongText(259, 3u * i + 1) + "\"\nanswer = \"" + LongText(259, 3u * i + 2) +
           "\"\nreveal_text = \"" + LongText(259, 3u * i + 3) + "\"\n";
    }
    cases.push_back({"answers_record_over_decoder_input",
                     "kind = \"text\"\ntitle = \"T\"\nreveal = \"text\"\n" + Codes(96) + q,
                     "quiz.toml:6: error: question", "more than the 32768 the player reads"});
  }
  cases.push_back({"link_record_too_long",
                   TextQuizWith("link = \"www." + LongText(20, 7) + "\"\nfooter = \"" + LongText(42, 8) + "\"\n", 1),
                   "quiz.toml:3: error: link", "more than its 70; shorten the link or the footer"});
  cases.push_back({"theme_not_rrggbb", TextQuizWith("theme = \"#12345G\"\n", 1), "quiz.toml:3: error: theme",
                   "is not a colour written #RRGGBB"});
  cases.push_back({"link_not_opened", TextQuizWith("link = \"ftp://ploxa.example\"\n", 1), "quiz.toml:3: error: link",
                   "would not open"});
  cases.push_back({"cell_answer_over_128",
                   "kind = \"sound\"\ntitle = \"T\"\ncodes = [\"c\"]\n[[question]]\nanswer = \"" + std::string(129, 'x') +
                       "\"\nclip = \"chat.wav\"\n",
                   "quiz.toml:5: error: question 1, answer", "is 129 characters; an answer field of the sound kind takes 128"});
  auto pictureQuiz = [](const std::string& picture) {
    return "kind = \"pictures\"\ntitle = \"T\"\ncodes = [\"c\"]\n[[question]]\nanswer = \"abcd\"\npicture = \"" + picture +
           "\"\n";
  };
  cases.push_back({"missing_picture", pictureQuiz("absent.jpg"), "quiz.toml:6: error: question 1, picture",
                   "No such file or directory"});
  cases.push_back({"png_refused_by_decoder", pictureQuiz("cut.png"), "quiz.toml:6: error: question 1, picture",
                   "the PNG decoder"});
  cases.push_back({"png_over_64_megapixels", pictureQuiz("huge.png"), "quiz.toml:6: error: question 1, picture",
                   "9000 × 8000 pixels is over the 64 megapixels"});
  cases.push_back({"bmp_over_64_megapixels", pictureQuiz("huge.bmp"), "quiz.toml:6: error: question 1, picture",
                   "10000 × 7000 pixels is over the 64 megapixels"});
  cases.push_back({"jpeg_the_loader_cannot_read", pictureQuiz("broken.jpg"), "quiz.toml:6: error: question 1, picture",
                   "the picture loader"});
  cases.push_back({"icon_holding_a_damaged_png", pictureQuiz("damaged.ico"), "quiz.toml:6: error: question 1, picture",
                   "an entry reaches past the end of the icon or holds a damaged PNG"});
  cases.push_back({"not_a_picture", pictureQuiz("notes.txt"), "quiz.toml:6: error: question 1, picture",
                   "not a picture the player can show"});
  cases.push_back({"missing_clip",
                   "kind = \"video\"\ntitle = \"T\"\ncodes = [\"c\"]\n[[question]]\nanswer = \"abcd\"\nclip = \"absent.avi\"\n",
                   "quiz.toml:6: error: question 1, clip", "cannot read"});
  cases.push_back({"syntax_error", "kind = \"text\"\ntitle = \"T\ncodes = []\n", "quiz.toml:2: error: ", ""});
  cases.push_back({"unknown_field", TextQuizWith("colour = \"#FFFFFF\"\n", 1), "quiz.toml:3: error: colour",
                   "unknown field"});
  return cases;
}

class Validation : public PackTest, public ::testing::WithParamInterface<BadCase> {};

TEST_P(Validation, IsReportedWithItsLineAndNothingIsWritten) {
  const BadCase& c = GetParam();
  Bytes cut = GreyPng(5, 4);
  cut.resize(cut.size() - 30);
  WriteBytes(dir_ / "cut.png", cut);
  WriteBytes(dir_ / "huge.png", GreyPng(2, 2, 9000, 8000));
  WriteBytes(dir_ / "huge.bmp", BmpClaiming(10000, 7000));
  Bytes broken = Encoded("JPEG", 24, 16);
  broken.resize(20);
  WriteBytes(dir_ / "broken.jpg", broken);
  WriteText(dir_ / "notes.txt", "des notes");
  // An icon whose one entry, a PNG, has a text chunk that claims 2 GiB.
  Bytes damaged = {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0, 45, 0, 0, 0, 22, 0, 0, 0};
  const Bytes png = GreyPng(2, 2);
  damaged.insert(damaged.end(), png.begin(), png.begin() + 33);
  for (int b : {0x7F, 0xFF, 0xFF, 0xFF, int{'i'}, int{'T'}, int{'X'}, int{'t'}}) damaged.push_back(static_cast<std::uint8_t>(b));
  damaged.resize(22 + 45, 0);
  WriteBytes(dir_ / "damaged.ico", damaged);

  const Result r = Build(c.description, "out");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(c.where + (c.message.empty() ? "" : ": ")), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("nothing written"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir_ / "out"));
}

INSTANTIATE_TEST_SUITE_P(Errors, Validation, ::testing::ValuesIn(BadCases()),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(PackTest, EveryProblemIsReportedAtOnce) {
  const std::string description =
      "kind = \"text\"\ntitle = \"a|b\"\ntheme = \"bleu\"\nlink = \"ploxa.example\"\ncodes = [\"c\"]\n"
      "[[question]]\nanswer = \"Paris\"\npicture = \"x.png\"\n"
      "[[question]]\nanswer = \"\u0101\"\n";
  const Result r = Build(description, "out");
  EXPECT_EQ(r.status, 1);
  for (const char* where : {"quiz.toml:2: error: title", "quiz.toml:3: error: theme", "quiz.toml:4: error: link",
                            "quiz.toml:5: error: codes", "quiz.toml:8: error: question 1, picture",
                            "quiz.toml:10: error: question 2, answer"}) {
    EXPECT_NE(r.err.find(where), std::string::npos) << where << " in\n" << r.err;
  }
  EXPECT_NE(r.err.find("6 errors; nothing written"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("warning"), std::string::npos) << "a refused answer is not also empty:\n" << r.err;
}

TEST_F(PackTest, WarningsDoNotStopTheBuild) {
  WriteBytes(dir_ / "odd.bin", {0xFF, 0xFB, 0x90, 0x64, 0, 0, 0, 0, 0, 0});
  const std::string description =
      "kind = \"sound\"\ntitle = \"T\"\ncodes = [\"a\", \"b\"]\n"
      "[[question]]\nanswer = \"  \"\nclip = \"chat.wav\"\n"
      "[[question]]\nanswer = \"Merle\"\nclip = \"odd.bin\"\n";
  const Result r = Build(description, "out");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("quiz.toml:5: warning: question 1, answer: is empty"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("quiz.toml:9: warning: question 2, clip: \"odd.bin\""), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(".XXX"), std::string::npos) << r.err;
  EXPECT_TRUE(fs::exists(dir_ / "out"));
}

TEST_F(PackTest, ReadingProblemsOfProgramFiles) {
  WriteText(dir_ / "plain.txt", "not a program");
  const Result notProgram = Pack({"show", (dir_ / "plain.txt").string()});
  EXPECT_EQ(notProgram.status, 1);
  EXPECT_NE(notProgram.err.find("not a built program file"), std::string::npos) << notProgram.err;

  WriteText(dir_ / "ok.toml", TEXT_QUIZ);
  const Result notPlayer = Pack({"build", (dir_ / "ok.toml").string(), "--player", (dir_ / "plain.txt").string()});
  EXPECT_EQ(notPlayer.status, 1);
  EXPECT_NE(notPlayer.err.find("link record block was not found"), std::string::npos) << notPlayer.err;
  EXPECT_FALSE(fs::exists(dir_ / "ok"));

  const Result noDescription = Pack({"build", (dir_ / "absent.toml").string(), "--player", player_});
  EXPECT_EQ(noDescription.status, 1);
  EXPECT_NE(noDescription.err.find("absent.toml"), std::string::npos) << noDescription.err;
}

// --- judge ---------------------------------------------------------------------------

struct JudgeCase {
  const char* name;
  const char* expected;
  const char* typed;
  const char* verdict;
};

class Judge : public ::testing::TestWithParam<JudgeCase> {};

TEST_P(Judge, PrintsThePlayersVerdict) {
  const JudgeCase& c = GetParam();
  const Result r = Pack({"judge", c.expected, c.typed});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, std::string(c.verdict) + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    MatcherExamples, Judge,
    ::testing::Values(JudgeCase{"case_forgiven", "Paris", "paris", "BRAVO"},
                      JudgeCase{"blanks_forgiven", "Paris", "  paris  ", "BRAVO"},
                      JudgeCase{"nothing_typed", "Paris", "   ", "?"},
                      JudgeCase{"one_letter_short", "Paris", "Pari", "Quasiment"},
                      JudgeCase{"one_letter_wrong", "Paris", "Pqris", "Quasiment"},
                      JudgeCase{"two_letters_short", "Paris", "Par", "Presque"},
                      JudgeCase{"letters_swapped", "Paris", "Parsi", "Anagramme"},
                      JudgeCase{"part_of_short_answer", "Paris", "Pa", "FAUX"},
                      JudgeCase{"more_than_expected", "Paris", "Paris France", "Trop long"},
                      JudgeCase{"short_answer_no_hint", "Oui", "ou", "FAUX"},
                      JudgeCase{"accented_capital_short", "\u00C9t\u00E9", "\u00E9t\u00E9", "FAUX"},
                      JudgeCase{"accented_capital_long", "\u00C9toile", "\u00E9toile", "Quasiment"},
                      JudgeCase{"over_70_percent", "Tour Eiffel", "Tour Eif", "Trop court"},
                      JudgeCase{"over_50_percent", "Tour Eiffel", "Tour Ei", "Pas loin"},
                      JudgeCase{"part_too_small", "Tour Eiffel", "Tour", "FAUX"},
                      JudgeCase{"broadly_similar", "Les Quatre Saisons", "Les Quatre Saison de", "y a de l'id\u00E9e"},
                      JudgeCase{"not_similar", "Les Quatre Saisons", "Les 4 Saisons", "FAUX"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(JudgeCommand, RefusesWhatThePlayerCannotHoldAndWrongArguments) {
  EXPECT_EQ(Pack({"judge", "Paris", "\u0100"}).status, 1);
  EXPECT_EQ(Pack({"judge", "Paris"}).status, 2);
}

// --- the executable --------------------------------------------------------------------

TEST(PackExecutable, ExitStatusesAndHelp) {
  const std::string pack = Env("PLOXA_PACK");
  ASSERT_FALSE(pack.empty());
  struct Case {
    const char* args;
    int status;
    const char* says;  // on standard output
  } cases[] = {
      {"--help", 0, "Commands:"},
      {"build --help", 0, "--player PATH"},
      {"show --help", 0, "Usage: ploxa-pack show PROGRAM"},
      {"extract --help", 0, "byte for byte"},
      {"judge --help", 0, "Usage: ploxa-pack judge"},
      {"judge \u00C9toile \u00E9toile", 0, "Quasiment"},
      {"", 2, ""},
      {"frobnicate", 2, ""},
      {"build", 2, ""},
      {"build a.toml --bogus", 2, ""},
      {"show", 2, ""},
      {"extract one", 2, ""},
      {"show /nonexistent/program", 1, ""},
  };
  for (const Case& c : cases) {
    const Result r = RunProgram(pack + " " + c.args);
    EXPECT_EQ(r.status, c.status) << c.args;
    EXPECT_NE(r.out.find(c.says), std::string::npos) << c.args << ": " << r.out;
  }
}

}  // namespace
