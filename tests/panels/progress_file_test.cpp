#include "panels/progress_file.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  DIR* d = ::opendir(folder.c_str());
  if (d == nullptr) return names;
  while (dirent* e = ::readdir(d)) {
    const std::string name = e->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(d);
  return names;
}

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = ::testing::TempDir() + "ploxa_progress_XXXXXX";
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempFolder() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

TEST(ProgressFile, NameFromTheProgramName) {
  const std::pair<const char*, const char*> cases[] = {
      {"capitales.exe", "capitales.txt"}, {"a.b.exe", "a.b.txt"}, {"capitales", "capitales.txt"},
      {"x.txt", "x.txt.txt"},             {"quiz.", "quiz.txt"},  {"ploxa", "ploxa.txt"},
  };
  for (const auto& [program, progress] : cases) EXPECT_EQ(ProgressFileName(program), progress) << program;
}

TEST(ProgressFile, ReadsLines) {
  struct Case {
    const char* name;
    std::string data;
    std::vector<std::string> lines;  // then empty lines past the end
  };
  const std::vector<Case> cases = {
      {"three questions, the second empty", "Paris\r\n\r\nLyon\r\n", {"Paris", "", "Lyon"}},
      {"LF alone ends a line", "Paris\nMarseille\nLyon", {"Paris", "Marseille", "Lyon"}},
      {"bytes between CR and LF are skipped", "a\rjunk\nb\r\n", {"a", "b"}},
      {"a long line is cut and its rest skipped", std::string(300, 'x') + "\r\nsuite\r\n",
       {std::string(259, 'x'), "suite"}},
      {"a zero byte ends the text", std::string("ab\0cd\r\nef\r\n", 11), {"ab", "ef"}},
      {"code page 1252 bytes kept", "\xE9t\xE9\r\n\xAB oui \xBB\r\n", {"\xE9t\xE9", "\xAB oui \xBB"}},
      {"last line without end", "un\r\ndeux", {"un", "deux"}},
      {"empty", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto* data = reinterpret_cast<const std::uint8_t*>(c.data.data());
    std::size_t position = 0;
    char line[PROGRESS_LINE_SIZE];
    for (const std::string& expected : c.lines) {
      ReadProgressLine(data, c.data.size(), position, line);
      EXPECT_EQ(std::string(line), expected);
    }
    for (int extra = 0; extra < 2; ++extra) {
      ReadProgressLine(data, c.data.size(), position, line);
      EXPECT_STREQ(line, "") << "fields past the file's lines start empty";
    }
  }
}

TEST(ProgressFile, ReaderOfMissingAndEmptyFiles) {
  TempFolder folder;
  char line[PROGRESS_LINE_SIZE] = "x";
  ProgressReader missing(folder / "absent.txt");
  EXPECT_FALSE(missing.HasData());
  missing.NextLine(line);
  EXPECT_STREQ(line, "");
  std::ofstream(folder / "empty.txt").close();
  EXPECT_FALSE(ProgressReader(folder / "empty.txt").HasData());
  std::ofstream(folder / "two.txt", std::ios::binary) << "Paris\r\nLyon\r\n";
  ProgressReader two(folder / "two.txt");
  two.NextLine(line);
  EXPECT_STREQ(line, "Paris");
  two.NextLine(line);
  EXPECT_STREQ(line, "Lyon");
}

TEST(ProgressFile, FormatIsOneCrLfLinePerField) {
  EXPECT_EQ(FormatProgress({"Paris", "", "Lyon"}), "Paris\r\n\r\nLyon\r\n");
  EXPECT_EQ(FormatProgress({}), "");
}

TEST(ProgressFile, SavesReplaceTheFileWhole) {
  TempFolder folder;
  const std::string path = folder / "quiz.txt";
  ASSERT_TRUE(WriteProgressFile(path, "un\r\n"));
  EXPECT_EQ(ReadFile(path), "un\r\n");

  ::chmod(path.c_str(), 0640);
  ASSERT_TRUE(WriteProgressFile(path, "deux\r\n"));
  EXPECT_EQ(ReadFile(path), "deux\r\n");
  struct stat info {};
  ::stat(path.c_str(), &info);
  EXPECT_EQ(info.st_mode & 07777, 0640u) << "the file keeps its permissions";
  EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"quiz.txt"}) << "no temporary file left";
}

TEST(ProgressFile, SymbolicLinkStaysALink) {
  TempFolder folder;
  ::mkdir((folder / "real").c_str(), 0755);
  std::ofstream(folder / "real/quiz.txt") << "ancien\r\n";
  ASSERT_EQ(::symlink("real/quiz.txt", (folder / "quiz.txt").c_str()), 0);
  ASSERT_TRUE(WriteProgressFile(folder / "quiz.txt", "nouveau\r\n"));
  struct stat info {};
  ::lstat((folder / "quiz.txt").c_str(), &info);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(ReadFile(folder / "real/quiz.txt"), "nouveau\r\n");
}

TEST(ProgressFile, FailedSaveLeavesTheOldFile) {
  TempFolder folder;
  ::mkdir((folder / "quiz.txt").c_str(), 0755);
  EXPECT_FALSE(WriteProgressFile(folder / "quiz.txt", "x\r\n")) << "a folder is not replaced";
  EXPECT_FALSE(WriteProgressFile(folder / "absent/quiz.txt", "x\r\n"));
  EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"quiz.txt"});
}

// Where the saving child stood when it was killed, shared with the test.
struct SharedPhase {
  std::atomic<int> phase;  // -1 before the first save, else the last SavePhase reached
  std::atomic<int> round;  // round being saved
};
SharedPhase* shared = nullptr;

void RecordPhase(SavePhase phase) { shared->phase.store(static_cast<int>(phase)); }

// A different, large content per round; its first line names the round.
std::string Content(int round, const std::string& body) { return "round " + std::to_string(round) + "\r\n" + body; }

TEST(ProgressFile, KilledSavesLeaveOneWholeFile) {
  TempFolder folder;
  const std::string path = folder / "quiz.txt";
  void* page = ::mmap(nullptr, sizeof(SharedPhase), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(page, MAP_FAILED);
  shared = new (page) SharedPhase{};
  std::string body;
  for (int i = 0; body.size() < 2'000'000; ++i) body += "r\xE9ponse num\xE9ro " + std::to_string(i) + "\r\n";

  std::mt19937 random(20261211);
  std::uniform_int_distribution<int> delayMicroseconds(0, 40'000);
  int killedWhileTemporary = 0, killedWhileNamed = 0, firstRound = 1;
  const int kills = 200;
  for (int kill = 0; kill < kills; ++kill) {
    shared->phase.store(-1);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      SetSavePhaseHook(RecordPhase);
      for (int round = firstRound;; ++round) {
        shared->round.store(round);
        WriteProgressFile(path, Content(round, body));
      }
    }
    // Kill at a random moment of the saving loop, once it runs.
    while (shared->phase.load() == -1) std::this_thread::sleep_for(std::chrono::microseconds(100));
    std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));

    const int phase = shared->phase.load();
    if (phase == static_cast<int>(SavePhase::TemporaryOpened)) ++killedWhileTemporary;
    if (phase == static_cast<int>(SavePhase::Named)) ++killedWhileNamed, ++killedWhileTemporary;
    const int lastRound = shared->round.load();
    firstRound = lastRound + 1;

    const std::string saved = ReadFile(path);
    if (saved.empty()) {
      // Only before the very first save of the test can there be no file.
      struct stat info {};
      ASSERT_NE(::stat(path.c_str(), &info), 0) << "kill " << kill << ": an empty progress file";
      continue;
    }
    const int round = std::atoi(saved.c_str() + 6);
    ASSERT_LE(round, lastRound);
    ASSERT_TRUE(saved == Content(round, body)) << "kill " << kill << ": the file is not one whole save";
  }
  // A temporary file is named only just before its rename; one left by a
  // kill in that instant is removed by the next save, so at most the last
  // kill's can remain.
  const std::vector<std::string> left = FolderEntries(folder.Path());
  EXPECT_LE(left.size(), 2u) << "temporary files pile up";
  EXPECT_GE(killedWhileTemporary * 4, kills) << "too few kills landed while a temporary file was open";
  RecordProperty("kills", kills);
  RecordProperty("killed between temporary file and rename", killedWhileTemporary);
  std::printf("%d kills, %d between the opening of the temporary file and the rename, %d after its naming\n", kills,
              killedWhileTemporary, killedWhileNamed);
  ::munmap(page, sizeof(SharedPhase));
}

}  // namespace
