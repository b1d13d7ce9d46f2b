#include "tools/pack/diagnostics.h"

#include <algorithm>

void Diagnostics::Error(const std::string& file, int line, const std::string& field, const std::string& message) {
  all_.push_back({false, file, line, field, message});
}

void Diagnostics::Warning(const std::string& file, int line, const std::string& field, const std::string& message) {
  all_.push_back({true, file, line, field, message});
}

bool Diagnostics::HasErrors() const { return ErrorCount() > 0; }

std::size_t Diagnostics::ErrorCount() const {
  std::size_t count = 0;
  for (const Diagnostic& d : all_) count += d.warning ? 0 : 1;
  return count;
}

void Diagnostics::Print(std::ostream& out) const {
  // In file order, so an author can work down the description.
  std::vector<Diagnostic> sorted = all_;
  std::stable_sort(sorted.begin(), sorted.end(), [](const Diagnostic& a, const Diagnostic& b) {
    return a.file != b.file ? a.file < b.file : a.line < b.line;
  });
  for (const Diagnostic& d : sorted) {
    out << d.file;
    if (d.line > 0) out << ':' << d.line;
    out << (d.warning ? ": warning: " : ": error: ");
    if (!d.field.empty()) out << d.field << ": ";
    out << d.message << '\n';
  }
}
