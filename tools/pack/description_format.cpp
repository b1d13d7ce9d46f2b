#include <toml++/toml.h>

#include <cstdio>
#include <sstream>

#include "tools/pack/quiz_description.h"

namespace {

const std::vector<std::string> KINDS = {"text", "pictures", "sound", "video"};
const std::vector<std::string> REVEALS = {"nothing", "picture", "text", "text and picture", "all texts at the end"};

int LineOf(const toml::node& node) { return static_cast<int>(node.source().begin.line); }

std::string OneOf(const std::vector<std::string>& names) {
  std::string out;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) out += i + 1 == names.size() ? " or " : ", ";
    out += '"' + names[i] + '"';
  }
  return out;
}

// Reads the fields of one table, each with the line it is on.
class TableReader {
 public:
  TableReader(const toml::table& table, std::string file, std::string prefix, FieldLines& lines, Diagnostics& d)
      : table_(table), file_(std::move(file)), prefix_(std::move(prefix)), lines_(lines), d_(d) {}

  bool String(const char* key, std::string& out) {
    const toml::node* node = Find(key);
    if (node == nullptr) return false;
    if (const auto* s = node->as_string()) {
      out = s->get();
      return true;
    }
    d_.Error(file_, LineOf(*node), prefix_ + key, "must be a text between quotes");
    return false;
  }

  bool Integer(const char* key, std::int64_t& out) {
    const toml::node* node = Find(key);
    if (node == nullptr) return false;
    if (const auto* i = node->as_integer()) {
      out = i->get();
      return true;
    }
    d_.Error(file_, LineOf(*node), prefix_ + key, "must be a whole number");
    return false;
  }

  // A list of texts; `lines` receives each item's line.
  bool Strings(const char* key, std::vector<std::string>& out, std::vector<int>* lines = nullptr) {
    const toml::node* node = Find(key);
    if (node == nullptr) return false;
    const toml::array* array = node->as_array();
    if (array == nullptr) {
      d_.Error(file_, LineOf(*node), prefix_ + key, "must be a list of texts, like [\"a\", \"b\"]");
      return false;
    }
    out.clear();
    bool ok = true;
    for (std::size_t i = 0; i < array->size(); ++i) {
      const toml::node& item = *array->get(i);
      const auto* s = item.as_string();
      if (s == nullptr) {
        d_.Error(file_, LineOf(item), prefix_ + key + "[" + std::to_string(i + 1) + "]", "must be a text between quotes");
        ok = false;
        continue;
      }
      out.push_back(s->get());
      if (lines != nullptr) lines->push_back(LineOf(item) > 0 ? LineOf(item) : LineOf(*node));
    }
    return ok;
  }

  // Every key not asked for is a mistake (most often a misspelt one).
  void ReportUnknown(const std::vector<std::string>& known) {
    for (auto&& [key, node] : table_) {
      bool found = false;
      for (const std::string& k : known) found = found || k == key.str();
      if (!found) {
        d_.Error(file_, LineOf(node), prefix_ + std::string(key.str()),
                 "unknown field; the fields here are " + OneOf(known));
      }
    }
  }

 private:
  const toml::node* Find(const char* key) {
    const toml::node* node = table_.get(key);
    if (node != nullptr) lines_[key] = LineOf(*node);
    return node;
  }

  const toml::table& table_;
  std::string file_;
  std::string prefix_;
  FieldLines& lines_;
  Diagnostics& d_;
};

const std::vector<std::string> TOP_FIELDS = {"kind",   "title",  "author", "explanation", "answers_per_question",
                                             "answer_labels", "reveal", "theme", "link", "footer", "codes", "question"};
const std::vector<std::string> QUESTION_FIELDS = {"prompt",      "answer",  "answer2",        "reveal_text",
                                                  "picture",     "reveal_picture", "clip"};

void ReadQuestion(const toml::table& table, int number, const std::string& file, QuestionDescription& q,
                  Diagnostics& d) {
  q.line = LineOf(table);
  TableReader r(table, file, "question " + std::to_string(number) + ", ", q.lines, d);
  r.String("prompt", q.prompt);
  r.String("answer", q.answer);
  q.hasAnswer2 = r.String("answer2", q.answer2);
  r.String("reveal_text", q.revealText);
  r.String("picture", q.picture);
  r.String("reveal_picture", q.revealPicture);
  r.String("clip", q.clip);
  r.ReportUnknown(QUESTION_FIELDS);
  if (q.lines.count("answer") == 0) d.Error(file, q.line, "question " + std::to_string(number), "has no answer");
}

// TOML basic string: quotes, backslashes and control characters escaped.
std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte == 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04X", byte);
      out += escape;
    } else {
      out += c;
    }
  }
  return out + '"';
}

}  // namespace

const char* KindName(int quizKind) { return quizKind >= 0 && quizKind < 4 ? KINDS[quizKind].c_str() : "?"; }

int KindFromName(const std::string& name) {
  for (std::size_t i = 0; i < KINDS.size(); ++i) {
    if (KINDS[i] == name) return static_cast<int>(i);
  }
  return -1;
}

const char* RevealName(Reveal reveal) { return REVEALS[static_cast<std::size_t>(reveal)].c_str(); }

bool RevealFromName(const std::string& name, Reveal* reveal) {
  for (std::size_t i = 0; i < REVEALS.size(); ++i) {
    if (REVEALS[i] == name) {
      *reveal = static_cast<Reveal>(i);
      return true;
    }
  }
  return false;
}

const std::vector<std::string>& RevealNames() { return REVEALS; }
const std::vector<std::string>& KindNames() { return KINDS; }

QuizDescription ReadDescription(const std::string& text, const std::string& file, Diagnostics& d) {
  QuizDescription quiz;
  toml::table root;
  try {
    root = toml::parse(text, file);
  } catch (const toml::parse_error& error) {
    d.Error(file, static_cast<int>(error.source().begin.line), "", std::string(error.description()));
    quiz.readable = false;
    return quiz;
  }

  TableReader r(root, file, "", quiz.lines, d);
  std::string kind;
  if (r.String("kind", kind)) {
    quiz.kind = KindFromName(kind);
    if (quiz.kind < 0) {
      d.Error(file, quiz.lines["kind"], "kind", "\"" + kind + "\" is not a kind; use " + OneOf(KINDS));
      quiz.kind = 0;
    }
  } else if (quiz.lines.count("kind") == 0) {
    d.Error(file, 1, "kind", "missing; say which kind of quiz this is: " + OneOf(KINDS));
  }
  if (!r.String("title", quiz.title) && quiz.lines.count("title") == 0) d.Error(file, 1, "title", "missing");
  r.String("author", quiz.author);
  r.String("explanation", quiz.explanation);
  std::int64_t answers = 1;
  if (r.Integer("answers_per_question", answers)) {
    if (answers != 1 && answers != 2) {
      d.Error(file, quiz.lines["answers_per_question"], "answers_per_question", "must be 1 or 2");
    } else {
      quiz.answersPerQuestion = static_cast<int>(answers);
    }
  }
  std::vector<std::string> labels;
  if (r.Strings("answer_labels", labels)) {
    if (labels.size() > 2) {
      d.Error(file, quiz.lines["answer_labels"], "answer_labels", "holds " + std::to_string(labels.size()) +
                                                                      " labels; a question has at most 2 answer fields");
    }
    for (std::size_t i = 0; i < labels.size() && i < 2; ++i) quiz.answerLabels[i] = labels[i];
  }
  std::string reveal;
  if (r.String("reveal", reveal) && !RevealFromName(reveal, &quiz.reveal)) {
    d.Error(file, quiz.lines["reveal"], "reveal", "\"" + reveal + "\" is not known; use " + OneOf(REVEALS));
  }
  r.String("theme", quiz.theme);
  r.String("link", quiz.link);
  r.String("footer", quiz.footer);
  if (!r.Strings("codes", quiz.codes, &quiz.codeLines) && quiz.lines.count("codes") == 0) {
    d.Error(file, 1, "codes", "missing; give one code line per number of questions found");
  }

  if (const toml::node* node = root.get("question")) {
    const toml::array* list = node->as_array();
    if (list == nullptr || !list->is_array_of_tables()) {
      d.Error(file, LineOf(*node), "question", "write each question as a [[question]] table");
    } else {
      for (std::size_t i = 0; i < list->size(); ++i) {
        QuestionDescription q;
        ReadQuestion(*list->get(i)->as_table(), static_cast<int>(i + 1), file, q, d);
        quiz.questions.push_back(std::move(q));
      }
    }
  }
  r.ReportUnknown(TOP_FIELDS);
  return quiz;
}

std::string WriteDescription(const QuizDescription& quiz) {
  std::ostringstream out;
  out << "kind = " << Quoted(KindName(quiz.kind)) << '\n';
  out << "title = " << Quoted(quiz.title) << '\n';
  out << "author = " << Quoted(quiz.author) << '\n';
  out << "explanation = " << Quoted(quiz.explanation) << '\n';
  out << "answers_per_question = " << quiz.answersPerQuestion << '\n';
  out << "answer_labels = [" << Quoted(quiz.answerLabels[0]) << ", " << Quoted(quiz.answerLabels[1]) << "]\n";
  out << "reveal = " << Quoted(RevealName(quiz.reveal)) << '\n';
  out << "theme = " << Quoted(quiz.theme) << '\n';
  out << "link = " << Quoted(quiz.link) << '\n';
  out << "footer = " << Quoted(quiz.footer) << '\n';
  out << "codes = [\n";
  for (const std::string& code : quiz.codes) out << "  " << Quoted(code) << ",\n";
  out << "]\n";
  for (const QuestionDescription& q : quiz.questions) {
    out << "\n[[question]]\n";
    out << "prompt = " << Quoted(q.prompt) << '\n';
    out << "answer = " << Quoted(q.answer) << '\n';
    if (q.hasAnswer2) out << "answer2 = " << Quoted(q.answer2) << '\n';
    if (!q.revealText.empty()) out << "reveal_text = " << Quoted(q.revealText) << '\n';
    if (!q.picture.empty()) out << "picture = " << Quoted(q.picture) << '\n';
    if (!q.revealPicture.empty()) out << "reveal_picture = " << Quoted(q.revealPicture) << '\n';
    if (!q.clip.empty()) out << "clip = " << Quoted(q.clip) << '\n';
  }
  return out.str();
}
