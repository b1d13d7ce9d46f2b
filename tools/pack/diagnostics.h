// Problems found in a quiz description or a program file, each with the file,
// line and field it belongs to, reported all at once.
#pragma once

#include <ostream>
#include <string>
#include <vector>

struct Diagnostic {
  bool warning = false;
  std::string file;
  int line = 0;  // 0: the file as a whole
  std::string field;
  std::string message;
};

class Diagnostics {
 public:
  void Error(const std::string& file, int line, const std::string& field, const std::string& message);
  void Warning(const std::string& file, int line, const std::string& field, const std::string& message);

  bool HasErrors() const;
  std::size_t ErrorCount() const;
  const std::vector<Diagnostic>& All() const { return all_; }
  // "FILE:LINE: error: FIELD: MESSAGE", one a line, by file and line.
  void Print(std::ostream& out) const;

 private:
  std::vector<Diagnostic> all_;
};
