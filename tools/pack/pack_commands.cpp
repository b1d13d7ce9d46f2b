#include "tools/pack/pack_commands.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "answers/matcher.h"
#include "tools/pack/program_file.h"
#include "tools/pack/quiz_description.h"
#include "tools/pack/quiz_pack.h"
#include "tools/pack/text_1252.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* DESCRIPTION_NAME = "quiz.toml";

const char* const MAIN_HELP =
    "Usage: ploxa-pack COMMAND ...\n"
    "Builds, inspects and tests Ploxa quiz program files.\n"
    "\n"
    "Commands:\n"
    "  build QUIZ.toml [-o OUTPUT] [--player PATH]  write a program file from a quiz description\n"
    "  show PROGRAM                                 print a program file's quiz as a description\n"
    "  extract PROGRAM DIR                          write its description, pictures and clips into DIR\n"
    "  judge EXPECTED TYPED                         print the verdict the player gives TYPED\n"
    "\n"
    "'ploxa-pack COMMAND --help' describes one command. Exit status: 0 done, 1 a problem\n"
    "with the quiz or a file (nothing is written), 2 a wrong command line.\n"
    "The quiz description format is described in docs/authoring.md.\n";

const char* const BUILD_HELP =
    "Usage: ploxa-pack build QUIZ.toml [-o OUTPUT] [--player PATH]\n"
    "Checks the quiz description QUIZ.toml and the pictures and clips it names (relative\n"
    "to its folder), then writes the program file OUTPUT: a copy of the player with the\n"
    "quiz inside. Every problem is reported with its file, line and field; when there is\n"
    "any, nothing is written. Warnings do not stop the build.\n"
    "\n"
    "  -o OUTPUT       the program file to write (default: QUIZ without .toml, beside it)\n"
    "  --player PATH   the player to copy (default: 'ploxa' in the folder of ploxa-pack);\n"
    "                  a program file works too, its own quiz is left out\n"
    "\n"
    "The same inputs always give the same bytes.\n";

const char* const SHOW_HELP =
    "Usage: ploxa-pack show PROGRAM\n"
    "Prints the quiz of the program file PROGRAM as a quiz description that build\n"
    "accepts, followed by a list of its resources (id, type, size, what they hold).\n"
    "Pictures and clips are named as extract writes them.\n";

const char* const EXTRACT_HELP =
    "Usage: ploxa-pack extract PROGRAM DIR\n"
    "Writes the quiz of PROGRAM into DIR (made if needed): quiz.toml and every picture\n"
    "and clip. 'ploxa-pack build DIR/quiz.toml' with the same player gives PROGRAM back,\n"
    "byte for byte.\n";

const char* const JUDGE_HELP =
    "Usage: ploxa-pack judge EXPECTED TYPED\n"
    "Prints the verdict the player gives the answer TYPED when EXPECTED is the answer\n"
    "(BRAVO, FAUX, Anagramme, Quasiment, Presque, Trop court, Pas loin, Trop long,\n"
    "y a de l'idée, or ? for nothing typed). Texts are UTF-8 and must fit code page 1252.\n";

bool WantsHelp(const std::vector<std::string>& args) {
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") return true;
  }
  return false;
}

int Usage(std::ostream& err, const std::string& problem, const char* help) {
  err << "ploxa-pack: " << problem << "\n\n" << help;
  return EXIT_USAGE;
}

fs::path DefaultPlayer() {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return (ec ? fs::path(".") : self.parent_path()) / "ploxa";
}

int Build(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string input, output, player;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "-o" || a == "--output" || a == "--player") {
      if (i + 1 >= args.size()) return Usage(err, a + " needs a value", BUILD_HELP);
      (a == "--player" ? player : output) = args[++i];
    } else if (!a.empty() && a[0] == '-') {
      return Usage(err, "unknown option " + a, BUILD_HELP);
    } else if (input.empty()) {
      input = a;
    } else {
      return Usage(err, "one quiz description at a time", BUILD_HELP);
    }
  }
  if (input.empty()) return Usage(err, "build needs a quiz description", BUILD_HELP);
  if (output.empty()) {
    output = (fs::path(input).parent_path() / fs::path(input).stem()).string();
    if (fs::path(output) == fs::path(input)) return Usage(err, "say where to write with -o", BUILD_HELP);
  }
  const fs::path playerPath = player.empty() ? DefaultPlayer() : fs::path(player);

  std::vector<std::uint8_t> text;
  std::string problem;
  if (!ReadWholeFile(input, text, &problem)) {
    err << "ploxa-pack: " << problem << '\n';
    return EXIT_QUIZ_ERROR;
  }
  Diagnostics diagnostics;
  const QuizDescription quiz = ReadDescription(std::string(text.begin(), text.end()), input, diagnostics);
  PackedQuiz packed;
  if (quiz.readable) {
    const fs::path folder = fs::path(input).has_parent_path() ? fs::path(input).parent_path() : fs::path(".");
    PackQuiz(quiz, input, folder, packed, diagnostics);
  }
  PlayerImage image;
  const bool playerOk = LoadPlayer(playerPath, image, &problem);
  diagnostics.Print(err);
  if (!playerOk) err << "ploxa-pack: " << problem << '\n';
  if (diagnostics.HasErrors() || !playerOk) {
    const std::size_t errors = diagnostics.ErrorCount() + (playerOk ? 0 : 1);
    err << "ploxa-pack: " << errors << (errors == 1 ? " error" : " errors") << "; nothing written\n";
    return EXIT_QUIZ_ERROR;
  }
  const std::vector<std::uint8_t> program = AssembleProgram(image, packed);
  if (!WriteProgramFile(output, program, &problem)) {
    err << "ploxa-pack: " << problem << '\n';
    return EXIT_QUIZ_ERROR;
  }
  out << "wrote " << output << ": " << KindName(quiz.kind) << " quiz, " << quiz.questions.size() << " questions, "
      << program.size() << " bytes\n";
  return 0;
}

bool Load(const std::string& path, ProgramContents& contents, std::ostream& err) {
  std::vector<std::uint8_t> file;
  std::string problem;
  if (!ReadWholeFile(path, file, &problem) || !ReadProgram(file, contents, &problem)) {
    err << "ploxa-pack: " << path << ": " << problem << '\n';
    return false;
  }
  return true;
}

std::string Listing(const std::string& path, const ProgramContents& contents) {
  std::string text = "\n# Resources of " + path + ":\n";
  for (const ResourceListing& r : contents.resources) {
    char line[160];
    std::snprintf(line, sizeof line, "#   %-6s %6u %10zu bytes  %s\n", r.type.c_str(), r.id, r.size, r.kind.c_str());
    text += line;
  }
  for (const std::string& note : contents.notes) text += "# Note: " + note + "\n";
  return text;
}

int Show(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() != 1) return Usage(err, "show needs one program file", SHOW_HELP);
  ProgramContents contents;
  if (!Load(args[0], contents, err)) return EXIT_QUIZ_ERROR;
  out << WriteDescription(contents.quiz) << Listing(args[0], contents);
  return 0;
}

int Extract(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() != 2) return Usage(err, "extract needs a program file and a folder", EXTRACT_HELP);
  ProgramContents contents;
  if (!Load(args[0], contents, err)) return EXIT_QUIZ_ERROR;
  const fs::path folder = args[1];
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) {
    err << "ploxa-pack: cannot make the folder " << folder.string() << ": " << ec.message() << '\n';
    return EXIT_QUIZ_ERROR;
  }
  auto write = [&](const std::string& name, const std::string& bytes) {
    std::ofstream file(folder / name, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) err << "ploxa-pack: cannot write " << (folder / name).string() << '\n';
    return static_cast<bool>(file);
  };
  for (const auto& [name, bytes] : contents.files) {
    if (!write(name, std::string(bytes.begin(), bytes.end()))) return EXIT_QUIZ_ERROR;
  }
  if (!write(DESCRIPTION_NAME, WriteDescription(contents.quiz))) return EXIT_QUIZ_ERROR;
  for (const std::string& note : contents.notes) err << "ploxa-pack: note: " << note << '\n';
  out << "wrote " << (folder / DESCRIPTION_NAME).string() << " and " << contents.files.size()
      << (contents.files.size() == 1 ? " file\n" : " files\n");
  return 0;
}

int Judge(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() != 2) return Usage(err, "judge needs the expected answer and the typed one", JUDGE_HELP);
  std::string expected, typed, problem;
  if (!Utf8ToCp1252(args[0], &expected, &problem)) {
    err << "ploxa-pack: EXPECTED: " << problem << '\n';
    return EXIT_QUIZ_ERROR;
  }
  if (!Utf8ToCp1252(args[1], &typed, &problem)) {
    err << "ploxa-pack: TYPED: " << problem << '\n';
    return EXIT_QUIZ_ERROR;
  }
  out << Cp1252ToUtf8(JudgeAnswer(expected.c_str(), typed.c_str())) << '\n';
  return 0;
}

}  // namespace

int RunPack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) return Usage(err, "no command", MAIN_HELP);
  const std::string& command = args[0];
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (command == "--help" || command == "-h" || command == "help") {
    if (rest.size() == 1) return RunPack({rest[0], "--help"}, out, err);
    out << MAIN_HELP;
    return 0;
  }
  struct Command {
    const char* name;
    const char* help;
    int (*run)(const std::vector<std::string>&, std::ostream&, std::ostream&);
  };
  static const Command COMMANDS[] = {
      {"build", BUILD_HELP, Build}, {"show", SHOW_HELP, Show}, {"extract", EXTRACT_HELP, Extract}, {"judge", JUDGE_HELP, Judge}};
  for (const Command& c : COMMANDS) {
    if (command != c.name) continue;
    if (WantsHelp(rest)) {
      out << c.help;
      return 0;
    }
    return c.run(rest, out, err);
  }
  return Usage(err, "unknown command \"" + command + "\"", MAIN_HELP);
}
