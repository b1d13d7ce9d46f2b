// A stand-in for the platform: records messages, serves "PATCH" records from
// memory and keeps account of every font and brush it hands out.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "quiz/appearance_set.h"
#include "quiz/quiz_services.h"

class RecordingServices : public QuizServices {
 public:
  struct Message {
    std::string text;
    std::string caption;
  };
  struct Made {
    char kind;  // 'F' font, 'B' brush
    std::uint32_t colour;
    std::int32_t fontHeight;
  };

  std::map<int, std::vector<std::uint8_t>> records;
  std::vector<int> recordsAsked;
  std::vector<Message> messages;
  std::vector<Made> made;  // in creation order
  std::vector<std::uintptr_t> deleted;

  std::span<const std::uint8_t> PatchResource(int id) override {
    recordsAsked.push_back(id);
    auto found = records.find(id);
    if (found == records.end()) return {};
    return found->second;
  }
  void ShowMessage(const char* text, const char* caption) override { messages.push_back({text, caption}); }
  HFONT CreateFont(const FontSpec& font) override {
    made.push_back({'F', 0, font.height});
    return reinterpret_cast<HFONT>(Issue());
  }
  HBRUSH CreateSolidBrush(std::uint32_t colour) override {
    made.push_back({'B', colour, 0});
    return reinterpret_cast<HBRUSH>(Issue());
  }
  void DeleteFont(HFONT font) override { Delete(reinterpret_cast<std::uintptr_t>(font)); }
  void DeleteBrush(HBRUSH brush) override { Delete(reinterpret_cast<std::uintptr_t>(brush)); }

  std::size_t Live() const { return live_.size(); }

 private:
  std::uintptr_t Issue() {
    const std::uintptr_t handle = ++lastHandle_;
    live_.insert(handle);
    return handle;
  }
  void Delete(std::uintptr_t handle) {
    if (handle == 0) return;
    deleted.push_back(handle);
    EXPECT_EQ(live_.erase(handle), 1u) << "handle " << handle << " deleted twice or never made";
  }
  std::uintptr_t lastHandle_ = 0;
  std::set<std::uintptr_t> live_;
};
