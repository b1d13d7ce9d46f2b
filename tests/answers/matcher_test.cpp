#include "answers/matcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Case {
  const char* name;
  std::string expected;
  std::string typed;
  std::string verdict;
};

TEST(JudgeAnswer, VerdictsInTheirOrder) {
  const std::vector<Case> cases = {
      {"case forgiven", "Paris", "paris", "BRAVO"},
      {"blanks around forgiven", "Paris", "  paris  ", "BRAVO"},
      {"nothing typed", "Paris", "", "?"},
      {"only blanks typed", "Paris", "   ", "?"},
      {"one letter missing", "Paris", "Pari", "Quasiment"},
      {"one letter wrong", "Paris", "Pqris", "Quasiment"},
      {"two letters missing", "Paris", "Par", "Presque"},
      {"swapped neighbours are an anagram", "Paris", "Parsi", "Anagramme"},
      {"short part of a short expected text", "Paris", "Pa", "FAUX"},
      {"expected text inside the typed one", "Paris", "Paris France", "Trop long"},
      {"short answer right", "Oui", "oui", "BRAVO"},
      {"short answer gets no hint", "Oui", "ou", "FAUX"},
      {"short answer, leading blank stored", " Oui", "oui", "BRAVO"},
      {"accented capitals differ, short", "\xC9t\xE9", "\xE9t\xE9", "FAUX"},
      {"accented capitals differ, long", "\xC9toile", "\xE9toile", "Quasiment"},
      {"72.7 percent", "Tour Eiffel", "Tour Eif", "Trop court"},
      {"63.6 percent", "Tour Eiffel", "Tour Ei", "Pas loin"},
      {"36.4 percent", "Tour Eiffel", "Tour", "FAUX"},
      {"integer bounds", "Notre-Dame de Paris", "notre-dame", "Pas loin"},
      {"found behind a partial match", "Cococotiers", "cocotier", "Trop court"},
      {"exactly 70 percent", "abcdefghij", "abcdefg", "Pas loin"},
      {"exactly 50 percent", "abcdefghij", "abcde", "FAUX"},
      {"broadly similar", "Les Quatre Saisons", "Les Quatre Saison de", "y a de l'id\xE9" "e"},
      {"not similar enough", "Les Quatre Saisons", "Les 4 Saisons", "FAUX"},
      {"exactly 80 percent", std::string(20, 'a'), std::string(16, 'a') + "bbbb", "FAUX"},
      {"above 80 percent", std::string(21, 'a'), std::string(17, 'a') + "bbbb", "y a de l'id\xE9" "e"},
      {"inner blanks count", "Tour Eiffel", "Tour  Eiffel", "Quasiment"},
      {"empty expected text, something typed", "", "x", "FAUX"},
      {"blank expected text, something typed", "   ", "abc", "FAUX"},
      {"empty expected text, nothing typed", "", "", "?"},
      {"tabs are not blanks", "Paris", "\tParis", "Quasiment"},
      {"anagram of a long text", "Marseille", "Marsielle", "Anagramme"},
      {"anagram with every letter moved", "Chien", "Niche", "Anagramme"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(JudgeAnswer(c.expected.c_str(), c.typed.c_str()), c.verdict);
  }
}

TEST(JudgeAnswer, DistanceAndContainmentHelpers) {
  EXPECT_EQ(EditDistance("", 0, "abc", 3), 3);
  EXPECT_EQ(EditDistance("abc", 3, "", 0), 3);
  EXPECT_EQ(EditDistance("PARIS", 5, "PARSI", 5), 2) << "no cost for a transposition";
  EXPECT_EQ(EditDistance("KITTEN", 6, "SITTING", 7), 3);
  EXPECT_EQ(TestContainment("TOUR EIFFEL", 11, "TOUR", 4), -2);
  EXPECT_EQ(TestContainment("PARIS", 5, "PARIS FRANCE", 12), 2);
  EXPECT_EQ(TestContainment("PARIS", 5, "LYON", 4), 0);

  const NormalisedAnswer n = NormaliseAnswer("  \xE9t\xE9 en mer  ");
  EXPECT_EQ(std::string(n.text, n.length), "\xE9T\xE9 EN MER");
  EXPECT_EQ(n.length, 10u);
}

TEST(JudgeAnswer, LongestTextsAndHighBytes) {
  const std::string expected(259, '\xE9');
  std::string typed = expected;
  typed[100] = 'e';
  EXPECT_STREQ(JudgeAnswer(expected.c_str(), typed.c_str()), "Quasiment");
  const std::string longer(400, 'a');  // only 259 bytes are a text's
  EXPECT_STREQ(JudgeAnswer(longer.c_str(), std::string(259, 'a').c_str()), "BRAVO");
}

}  // namespace
