// Quizzes described in code, coded into records, and program files holding them.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "platform/resource_bundle.h"
#include "tools/lzw_encoder.h"

struct TestQuestion {
  std::string answer1;
  std::string answer2;
  std::string prompt;
  std::string reveal;
};

struct TestQuiz {
  int kindByte = 1;  // 1 text, 2 pictures, 3 sound, 4 video
  int answerFields = 1;
  std::string title = "Quiz d'essai";
  std::string author = "Auteur";
  std::string explanation = "Explication";
  std::string label1 = "Nom";
  std::string label2 = "Lieu";
  std::vector<TestQuestion> questions;
  int revealMode = 0;
  std::uint8_t red = 90, green = 95, blue = 150;
  std::vector<std::string> codes;  // one per question; "code n" when empty

  std::string AnswersRecord() const {
    std::string r = {'\0', static_cast<char>(kindByte), static_cast<char>(questions.size()),
                     static_cast<char>(answerFields)};
    for (const std::string& t : {title, author, explanation, label1, label2}) r += t + "|";
    for (const TestQuestion& q : questions) {
      r += q.answer1 + "|";
      if (answerFields == 2) r += q.answer2 + "|";
      r += q.prompt + "|";
    }
    r += static_cast<char>(revealMode);
    if (revealMode >= 2 && revealMode <= 4) {
      for (const TestQuestion& q : questions) {
        r += q.reveal + "|";
        if (revealMode == 3) r += "|";
      }
    }
    return r + static_cast<char>(red) + static_cast<char>(green) + static_cast<char>(blue);
  }

  std::string CodesRecord() const {
    std::string r;
    for (std::size_t i = 0; i < questions.size(); ++i) {
      r += (i < codes.size() ? codes[i] : "code " + std::to_string(i + 1)) + "\r\n";
    }
    return r.empty() ? std::string("\r\n") : r;
  }
};

inline std::vector<std::uint8_t> CodedRecord(const std::string& plain) {
  return LzwEncode({reinterpret_cast<const std::uint8_t*>(plain.data()), plain.size()}).coded;
}

// Writes a program file: a stand-in for the executable, then the bundle.
inline void WriteProgramFile(const std::string& path, const TestQuiz& quiz,
                             const std::vector<std::pair<bundle::ResourceType, std::uint32_t>>& extra = {}) {
  bundle::BundleWriter writer;
  writer.Add(bundle::ResourceType::Named("PATCH"), 104, CodedRecord(quiz.AnswersRecord()));
  writer.Add(bundle::ResourceType::Named("PATCH"), 105, CodedRecord(quiz.CodesRecord()));
  for (const auto& [type, id] : extra) writer.Add(type, id, std::vector<std::uint8_t>{1, 2, 3});
  const std::vector<std::uint8_t> bytes = writer.Finish();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << "\x7F" "ELF stand-in for the player";
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
